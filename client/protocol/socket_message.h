// cSocketMessage: the context of one incoming message, shared by all its blocks. Created
// when block 0 arrives and freed after the last block has been handled. Multi-block
// answers (thumbnails, full pictures and clips) keep what their block 0 carried here.
// All strings start empty and all numbers 0.
#ifndef HV_CLIENT_PROTOCOL_SOCKET_MESSAGE_H_
#define HV_CLIENT_PROTOCOL_SOCKET_MESSAGE_H_

#include <cstdint>

#include "client/protocol/gathered_file.h"
#include "core/guid/guid.h"
#include "core/storable.h"
#include "core/string/sw_string.h"

namespace hv {

class cSocketMessage : public swStorable {
 public:
  cSocketMessage() = default;
  explicit cSocketMessage(const swGuid& guid) : message_guid(guid) {}
  cSocketMessage(const cSocketMessage&) = delete;
  cSocketMessage& operator=(const cSocketMessage&) = delete;

  uint16_t ClassId() const override { return 0; }  // listed, never archived
  hv::Status Serialize(swSerializer&) override {
    return hv::Status::Failure(hv::Where::kProtocol, "never archived");
  }

  uint32_t scratch = 0;      // free for a handler's own use between blocks
  swGuid message_guid;       // identifies the message's later blocks
  swString source_name;      // video source the message belongs to
  swString file_path;        // picture or file path as the server names it
  swString temp_file_name;   // temporary file the chunks are gathered in, if any
  uint32_t time_stamp = 0;   // seconds since 1970
  uint32_t extra_value = 0;  // a further number of the first block (thumbnails: ignored)
  uint16_t is_clip = 0;      // 1 when the item is a recorded clip rather than a picture
  swString clip_path;        // the clip's file path
  // The file the chunks are written to, open from block 0 to the last block.
  cGatheredFile gathered_file;
};

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_SOCKET_MESSAGE_H_
