// The client's settings file as it may be found on disk: damaged, truncated, written by
// another program or crafted. The input is the whole file. Whatever loads must save and load
// again to the same settings, so a file that reads never loses a value on the next save.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "client/cmdfile/client_storage.h"
#include "client/cmdfile/settings_file.h"
#include "core/status.h"
#include "fuzz/fuzz_target.h"
#include "fuzz/scratch_folder.h"

namespace hv {

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "fuzz settings_file: %s\n", what);
  std::abort();
}

bool SameText(const swString& a, const swString& b) {
  return a.GetLength() == b.GetLength() && std::string(a.CStr()) == std::string(b.CStr());
}

bool SameMonitor(const cMonitorCommandFile* a, const cMonitorCommandFile* b) {
  if (a == nullptr || b == nullptr) return a == b;
  return a->enabled == b->enabled && a->monitor_type == b->monitor_type &&
         SameText(a->monitored_directory, b->monitored_directory) &&
         SameText(a->file_name, b->file_name) && a->start_time == b->start_time &&
         a->interval == b->interval && a->interval_unit == b->interval_unit &&
         a->action_when_done == b->action_when_done &&
         SameText(a->processed_directory, b->processed_directory) &&
         a->create_response_file == b->create_response_file && a->append == b->append &&
         SameText(a->response_file_name, b->response_file_name);
}

}  // namespace

}  // namespace hv

using namespace hv;  // main() and the C entry points stand outside the namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string folder = hv::fuzz::ScratchSubfolder("settings");
  const std::string input = folder + "/input.txt";
  const std::string saved = folder + "/saved.txt";
  hv::fuzz::WriteWholeFile(input, data, size);

  std::unique_ptr<cClientStorage> storage;
  if (LoadClientStorage(input.c_str(), &storage, nullptr).ok()) {
    if (storage == nullptr) Fail("a load that succeeded gave no storage");
    if (!SaveClientStorage(saved.c_str(), *storage, nullptr).ok()) Fail("save failed");
    std::unique_ptr<cClientStorage> again;
    if (!LoadClientStorage(saved.c_str(), &again, nullptr).ok() || again == nullptr) {
      Fail("a saved file does not load");
    }
    if (!SameMonitor(storage->Monitor(), again->Monitor())) Fail("settings changed on a save");
  }
  hv::fuzz::EmptyFolder(folder);
  return 0;
}
