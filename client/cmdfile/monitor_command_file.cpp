#include "client/cmdfile/monitor_command_file.h"

#include <ctime>
#include <new>
#include <string>

#include "core/profile/user_folders.h"
#include "core/serializer.h"

namespace hv {

cMonitorCommandFile::cMonitorCommandFile()
    : monitored_directory(DefaultMonitoredDirectory()),
      start_time(static_cast<uint32_t>(std::time(nullptr))),
      response_file_name(DefaultResponseFileName()) {}

swStorable* cMonitorCommandFile::Create() { return new (std::nothrow) cMonitorCommandFile(); }

swString cMonitorCommandFile::DefaultMonitoredDirectory() { return HomeFolder().c_str(); }

swString cMonitorCommandFile::DefaultResponseFileName() {
  std::string home = HomeFolder();
  if (home.empty() || home.back() != '/') home += '/';
  return (home + "VHCmdResponse.txt").c_str();
}

hv::Status cMonitorCommandFile::Serialize(swSerializer& archive) {
  // Any call that fails (an archive that is not open, or one that has failed) fails it.
  int failed = 0;
  if (archive.IsStoring()) {
    failed |= archive.Write<uint16_t>(enabled, 1);
    failed |= archive.Write<uint32_t>(monitor_type, 1);
    failed |= archive.WriteObject(monitored_directory, 1);
    failed |= archive.WriteObject(file_name, 1);
    failed |= archive.Write<uint32_t>(start_time, 1);
    failed |= archive.Write<uint32_t>(interval, 1);
    failed |= archive.Write<uint32_t>(interval_unit, 1);
    failed |= archive.Write<uint32_t>(action_when_done, 1);
    failed |= archive.WriteObject(processed_directory, 1);
    failed |= archive.Write<uint16_t>(create_response_file, 1);
    failed |= archive.Write<uint16_t>(append, 2);
    failed |= archive.WriteObject(response_file_name, 1);
  } else {
    failed |= archive.Read<uint16_t>(&enabled, 1, 1);
    failed |= archive.Read<uint32_t>(&monitor_type, 1, 0);
    failed |= archive.ReadObject(monitored_directory, 1);
    failed |= archive.ReadObject(file_name, 1);
    failed |= archive.Read<uint32_t>(&start_time, 1, 0);
    failed |= archive.Read<uint32_t>(&interval, 1, 5);
    failed |= archive.Read<uint32_t>(&interval_unit, 1, 2);
    failed |= archive.Read<uint32_t>(&action_when_done, 1, 0);
    failed |= archive.ReadObject(processed_directory, 1);
    failed |= archive.Read<uint16_t>(&create_response_file, 1, 1);
    failed |= archive.Read<uint16_t>(&append, 2, 0);
    failed |= archive.ReadObject(response_file_name, 1);
  }
  return ArchiveStatus(failed == 0 && archive.Status() == 0 ? 0 : kArchiveSerializeFailed);
}

}  // namespace hv
