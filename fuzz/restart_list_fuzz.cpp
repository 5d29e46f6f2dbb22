// The list of an update's files that the restart program reads, as anyone who can write into
// the staging folder might leave it. Whatever the input, what is accepted names only plain
// paths inside the two folders, each target once, and no more files than the limit.
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_target.h"
#include "restart/restart_list.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "fuzz restart_list: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<hv::cListedFile> files;
  const hv::Status read = hv::ParseRestartList(text, &files);
  if (!read.ok()) {
    if (!read.failed() || read.message().empty()) Fail("a refusal without a reason");
    return 0;
  }
  if (files.size() > hv::kMaxRestartListFiles) Fail("more files than the limit");
  std::set<std::string> targets;
  for (const hv::cListedFile& file : files) {
    if (!hv::IsPlainRelativePath(file.staged) || !hv::IsPlainRelativePath(file.target)) {
      Fail("a path that could leave its folder");
    }
    if (file.staged.find_first_of("\t\n") != std::string::npos) Fail("a field held a separator");
    if (!targets.insert(file.target).second) Fail("a target named twice");
  }
  return 0;
}
