// The record of every discovery config the bridge has announced, kept in its state folder
// so that the next start knows what to take away. One line per entity: topic, unique id,
// platform and the item's topic folder (whose retained states go with it), separated by tabs;
// records written before the folder was kept have three fields. Written whole to a temporary file
// and renamed over the old, so a crash leaves the old record or the new, never half of one.
#ifndef HV_TOOLS_HVBRIDGE_DISCOVERY_RECORD_H_
#define HV_TOOLS_HVBRIDGE_DISCOVERY_RECORD_H_

#include <string>
#include <string_view>
#include <vector>

#include "core/status.h"

namespace hv::bridge {

struct RecordedEntity {
  std::string topic;
  std::string id;
  std::string platform;
  std::string folder;  // empty: none kept
  bool operator==(const RecordedEntity&) const = default;
};

using DiscoveryRecord = std::vector<RecordedEntity>;

// One entity's line of the record, appended to `text`.
void AppendRecordLine(std::string_view topic, std::string_view id, std::string_view platform,
                      std::string_view folder, std::string* text);
// The record's text read back; lines that are not three or four fields are skipped (a record is
// only ever a hint of what to remove).
DiscoveryRecord ParseDiscoveryRecord(std::string_view text);
// A missing file is an empty record (the first start).
DiscoveryRecord LoadDiscoveryRecord(const std::string& path);
// `text`: the record's lines (AppendRecordLine).
[[nodiscard]] Status SaveDiscoveryRecord(const std::string& path, std::string_view text);
// The same in two steps, for a record that must not take the old one's place before the
// messages it describes are out, and need not be held in memory meanwhile: Write puts it
// on disk beside the old one, Commit puts it in place, Drop throws it away.
[[nodiscard]] Status WriteDiscoveryRecord(const std::string& path, std::string_view text);
[[nodiscard]] Status CommitDiscoveryRecord(const std::string& path);
void DropDiscoveryRecord(const std::string& path);

// WriteDiscoveryRecord a piece at a time, for a record written while it is made: a big
// house's record is never held in memory whole. Commit or Drop it as above once Finish has
// said it is on disk.
class cDiscoveryRecordWriter {
 public:
  explicit cDiscoveryRecordWriter(const std::string& path);
  ~cDiscoveryRecordWriter();
  cDiscoveryRecordWriter(const cDiscoveryRecordWriter&) = delete;
  cDiscoveryRecordWriter& operator=(const cDiscoveryRecordWriter&) = delete;

  void Append(std::string_view text);
  // Written and synced, or why not (the first failure; nothing is left behind then).
  [[nodiscard]] Status Finish();

 private:
  void Flush();

  std::string temporary_;
  int fd_ = -1;
  std::string buffer_;
  Status status_;
};

}  // namespace hv::bridge

#endif  // HV_TOOLS_HVBRIDGE_DISCOVERY_RECORD_H_
