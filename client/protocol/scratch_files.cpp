#include "client/protocol/scratch_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "client/protocol/gathered_file.h"
#include "core/status.h"

namespace hv {

cScratchFiles::~cScratchFiles() {
  while (!files_.empty()) Delete(files_.size() - 1);
}

namespace {

constexpr char kOwnDescriptorLinks[] = "/proc/self/fd/";

std::string TemporaryFolder() {
  const char* dir = std::getenv("TMPDIR");
  return (dir != nullptr && *dir != '\0') ? dir : "/tmp";
}

}  // namespace

bool cScratchFiles::MakeUnnamed(sFile* file) {
  const int fd = open(TemporaryFolder().c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) return false;  // a file system without unnamed files
  // Read back through the process's own link to the descriptor; without /proc mounted that
  // link is missing, and a named file has to do.
  std::string path = kOwnDescriptorLinks + std::to_string(fd);
  if (access(path.c_str(), R_OK) != 0) {
    close(fd);
    return false;
  }
  *file = sFile{std::move(path), fd, false, false};
  return true;
}

bool cScratchFiles::IsUnnamed(const char* path) {
  return std::strncmp(path, kOwnDescriptorLinks, sizeof kOwnDescriptorLinks - 1) == 0;
}

bool cScratchFiles::MakeNamed(sFile* file) {
  std::string name = TemporaryFolder();
  if (name.back() != '/') name += '/';
  name += "VHXXXXXXX";  // "VHX" and mkstemp's six placeholders
  const int fd = mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return false;
  *file = sFile{std::move(name), fd, true, false};
  return true;
}

Status cScratchFiles::Take(swString* path, cGatheredFile* file) {
  auto idle = std::find_if(files_.begin(), files_.end(), [](const sFile& f) { return !f.in_use; });
  if (idle == files_.end()) {
    sFile made;
    if (!(unnamed_ && MakeUnnamed(&made)) && !MakeNamed(&made))
      return Status(Where::kProtocol, hv::kCannotOpenFile);
    files_.push_back(std::move(made));
    idle = files_.end() - 1;
  }
  // The gathered file gets a descriptor of its own to close; it shares the position, which
  // goes back to the start for every answer.
  const int fd = fcntl(idle->fd, F_DUPFD_CLOEXEC, 0);
  if (fd < 0 || lseek(fd, 0, SEEK_SET) != 0) {
    if (fd >= 0) close(fd);
    return Status(Where::kProtocol, hv::kCannotOpenFile);
  }
  file->AdoptForOverwrite(fd);
  idle->in_use = true;
  *path = idle->path.c_str();
  return Status::Ok();
}

void cScratchFiles::GiveBack(const char* path) {
  if (path == nullptr) return;
  auto given = std::find_if(files_.begin(), files_.end(),
                            [path](const sFile& f) { return f.in_use && f.path == path; });
  if (given == files_.end()) return;
  const auto idle = static_cast<size_t>(
      std::count_if(files_.begin(), files_.end(), [](const sFile& f) { return !f.in_use; }));
  if (idle >= kMaxIdle) {
    Delete(static_cast<size_t>(given - files_.begin()));
  } else {
    given->in_use = false;
  }
}

void cScratchFiles::Delete(size_t index) {
  if (files_[index].named) unlink(files_[index].path.c_str());
  close(files_[index].fd);
  files_.erase(files_.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace hv
