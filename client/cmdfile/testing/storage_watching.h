// A settings storage as a new install makes it, with its monitor watching one folder: what the
// settings file's tests save, break and read back.
#ifndef HV_CLIENT_CMDFILE_TESTING_STORAGE_WATCHING_H_
#define HV_CLIENT_CMDFILE_TESTING_STORAGE_WATCHING_H_

#include <gtest/gtest.h>

#include <memory>

#include "client/cmdfile/client_storage.h"
#include "client/cmdfile/monitor_command_file.h"

namespace hv {

namespace test {

inline std::unique_ptr<cClientStorage> StorageWatching(const char* folder) {
  auto storage = std::make_unique<cClientStorage>();
  EXPECT_TRUE(storage->Initialise().ok());
  storage->Monitor()->monitored_directory = folder;
  return storage;
}

}  // namespace test

}  // namespace hv

#endif  // HV_CLIENT_CMDFILE_TESTING_STORAGE_WATCHING_H_
