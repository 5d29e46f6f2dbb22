// AnswerComposer: encodes every answer the server sends as ready-to-write blocks (header and
// payload), in the header version and shape the wire options ask for. One composer serves the
// whole server; its single reusable block keeps composing free of per-answer 64 KiB buffers.
#ifndef HV_SIM_ANSWER_COMPOSER_H_
#define HV_SIM_ANSWER_COMPOSER_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/status.h"
#include "core/wire/block_header.h"
#include "core/wire/payload_writer.h"
#include "sim/house.h"

namespace hv::sim {

struct WireOptions {
  // Header version of every answer: 1 gives the 12-byte short form (every answer one block),
  // 2 and 3 the 38-byte long form. Version 3 adds the clip fields to thumbnails.
  uint32_t version = 3;
  // Leave out the fields that older servers leave out: the f64 values of items, status
  // changes and log entries, the IO kind, and the log entry's details.
  bool old_server = false;
  // Picture bytes per block of a multi-block answer.
  uint32_t chunk_size = 2048;
  // Send the blocks of multi-block answers as 0, n-1, ..., 1 instead of in order.
  bool out_of_order = false;
};

using EncodedBlock = std::vector<uint8_t>;
// The blocks of one message in the order they are to be written. Empty when the answer could
// not be composed (a field too long for a block).
using EncodedMessage = std::vector<EncodedBlock>;

class AnswerComposer {
 public:
  // The largest chunk a block can carry next to the fixed fields of a picture answer.
  static constexpr uint32_t kMaxChunkSize = 60000;

  explicit AnswerComposer(const WireOptions& options);
  AnswerComposer(const AnswerComposer&) = delete;
  AnswerComposer& operator=(const AnswerComposer&) = delete;

  const WireOptions& options() const { return options_; }

  EncodedMessage Goodbye();
  // Null gives the item with the empty name that ends a list.
  EncodedMessage SwitchItemAnswer(const SwitchItem* item);
  EncodedMessage SensorItemAnswer(const SensorItem* item);
  EncodedMessage MacroItemAnswer(const MacroItem* item);
  EncodedMessage ModeItemAnswer(const ModeItem* item);
  EncodedMessage SwitchStatus(const SwitchItem& item);
  EncodedMessage SensorStatus(const SensorItem& item);
  EncodedMessage MacroStatus(const MacroItem& item);
  EncodedMessage ModeStatus(const ModeItem& item);
  EncodedMessage LogItem(const LogEntry& entry);
  EncodedMessage ControlFileName(const std::string& name);
  EncodedMessage ClientQty(uint32_t count);
  // Light dark (24), Pause state (26), Mute state (27): one u16.
  EncodedMessage Flag(uint32_t type, bool on);
  EncodedMessage ServerTime(int64_t seconds);
  EncodedMessage DawnDusk(uint32_t dawn, uint32_t dusk);
  EncodedMessage VideoSourceAnswer(const VideoSource& source);
  // The picture travels one chunk per block (one block in all for the short header form).
  EncodedMessage Thumbnail(const Snapshot& shot, const std::vector<uint8_t>& jpeg);
  EncodedMessage FullPicture(const std::string& source, const std::string& path,
                             uint32_t time_stamp, const std::vector<uint8_t>& jpeg);
  EncodedMessage ServerMessage(const std::string& target, bool plain, const std::string& caption,
                               const std::string& text);
  // `file_name` goes out as given (the bytes the client sent); `contents` is text.
  EncodedMessage CommandResponse(const std::string& file_name, const std::string& contents);
  EncodedMessage LaunchProgram(const std::string& file, const std::string& verb,
                               const std::string& parameters, const std::string& directory,
                               uint32_t show, const std::string& target);
  // A block of type 18, which no client knows.
  EncodedMessage UnknownType();
  // A block of `type` whose first field announces 0xFFFFFFFF bytes and holds a few: what a
  // hostile server sends to make a client read or allocate far past the block's end.
  EncodedMessage LengthBeyondBlock(uint32_t type);

 private:
  // A string field. Texts are UTF-8 here; on the wire they are Windows-1252 wherever every
  // character has a form there, as a Windows server sends them.
  Status AppendText(std::string_view text);
  // Starts a message of the given type on the reusable block with a fresh GUID.
  void Begin(uint32_t type);
  // Finishes the current block (last or not) and keeps its image.
  void EndBlock(bool last);
  EncodedMessage Take(bool ok);
  // Fixed fields, then the picture as one chunk per block.
  bool AppendChunks(const std::vector<uint8_t>& bytes);
  bool AppendItemValues(uint32_t value_int, double value);
  // Switches and sensors travel in the same shape; a null item is the list's end marker.
  EncodedMessage DeviceItemAnswer(uint32_t type, const DeviceItem* item);
  EncodedMessage DeviceStatus(uint32_t type, const DeviceItem& item);

  WireOptions options_;
  cBlockHeader header_;  // of the block being composed
  wire::PayloadWriter payload_;
  EncodedMessage pending_;
};

}  // namespace hv::sim

#endif  // HV_SIM_ANSWER_COMPOSER_H_
