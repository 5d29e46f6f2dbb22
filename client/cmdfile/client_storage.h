// cClientStorage: the one object of the client's settings file (class id 4000, stored form
// version 1). It owns the command file monitor's settings.
#ifndef HV_CLIENT_CMDFILE_CLIENT_STORAGE_H_
#define HV_CLIENT_CMDFILE_CLIENT_STORAGE_H_

#include <cstdint>
#include <memory>

#include "client/cmdfile/monitor_command_file.h"
#include "core/status.h"
#include "core/storable.h"

namespace hv {

class cClientStorage : public swStorable {
 public:
  static constexpr uint16_t kStoredFormVersion = 1;

  cClientStorage() = default;  // no monitor until Initialise or a read gives one
  cClientStorage(const cClientStorage&) = delete;
  cClientStorage& operator=(const cClientStorage&) = delete;
  ~cClientStorage() override = default;

  uint16_t ClassId() const override { return kClassClientStorage; }
  // The monitor by reference, version 1. Reading takes ownership of the monitor read (the
  // former one is freed); a stored null leaves no monitor. Fails when the archive failed.
  hv::Status Serialize(swSerializer& archive) override;
  // Creates a default monitor when there is none: ok, or kOutOfMemory.
  [[nodiscard]] Status Initialise();

  // A new default instance for an archive's class registry; null when out of memory.
  static swStorable* Create();

  cMonitorCommandFile* Monitor() const { return monitor_.get(); }

 private:
  std::unique_ptr<cMonitorCommandFile> monitor_;
};

}  // namespace hv

#endif  // HV_CLIENT_CMDFILE_CLIENT_STORAGE_H_
