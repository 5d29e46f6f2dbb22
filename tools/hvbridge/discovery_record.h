// The record of every discovery config the bridge has announced, kept in its state folder
// so that the next start knows what to take away. One line per entity: topic, unique id and
// platform, separated by tabs. Written whole to a temporary file and renamed over the old,
// so a crash leaves the old record or the new, never half of one.
#ifndef HV_TOOLS_HVBRIDGE_DISCOVERY_RECORD_H_
#define HV_TOOLS_HVBRIDGE_DISCOVERY_RECORD_H_

#include <string>
#include <vector>

#include "core/status.h"

namespace hv::bridge {

struct RecordedEntity {
  std::string topic;
  std::string id;
  std::string platform;
  bool operator==(const RecordedEntity&) const = default;
};

using DiscoveryRecord = std::vector<RecordedEntity>;

// A missing file is an empty record (the first start); lines that are not three fields are
// skipped (a record is only ever a hint of what to remove).
DiscoveryRecord LoadDiscoveryRecord(const std::string& path);
[[nodiscard]] Status SaveDiscoveryRecord(const std::string& path, const DiscoveryRecord& record);

}  // namespace hv::bridge

#endif  // HV_TOOLS_HVBRIDGE_DISCOVERY_RECORD_H_
