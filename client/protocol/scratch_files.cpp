#include "client/protocol/scratch_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "client/protocol/gathered_file.h"
#include "core/status.h"

cScratchFiles::~cScratchFiles() {
  while (!files_.empty()) Delete(files_.size() - 1);
}

int32_t cScratchFiles::Take(swString* path, cGatheredFile* file) {
  auto idle = std::find_if(files_.begin(), files_.end(), [](const sFile& f) { return !f.in_use; });
  if (idle == files_.end()) {
    const char* dir = std::getenv("TMPDIR");
    std::string name = (dir != nullptr && *dir != '\0') ? dir : "/tmp";
    if (name.back() != '/') name += '/';
    name += "VHXXXXXXX";  // "VHX" and mkstemp's six placeholders
    const int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return hv::kCannotOpenFile;
    files_.push_back(sFile{std::move(name), fd, false});
    idle = files_.end() - 1;
  }
  // The gathered file gets a descriptor of its own to close; it shares the position, which
  // goes back to the start for every answer.
  const int fd = fcntl(idle->fd, F_DUPFD_CLOEXEC, 0);
  if (fd < 0 || lseek(fd, 0, SEEK_SET) != 0) {
    if (fd >= 0) close(fd);
    return hv::kCannotOpenFile;
  }
  file->AdoptForOverwrite(fd);
  idle->in_use = true;
  *path = idle->path.c_str();
  return hv::kOk;
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
  unlink(files_[index].path.c_str());
  close(files_[index].fd);
  files_.erase(files_.begin() + static_cast<std::ptrdiff_t>(index));
}
