#include "fuzz/scratch_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <utility>

#include "core/testing/temp_folder.h"

namespace hv {

namespace fuzz {

namespace {

hv::test::cTempFolder* g_folder = nullptr;

void RemoveScratch() {
  delete g_folder;
  g_folder = nullptr;
}

// The entries of the open folder `dir` (without "." and ".."), with whether each is a folder.
// Read with getdents64 into one static buffer: opendir allocates 32 KiB per folder, which
// under the sanitizer's allocator cost the fuzz targets that list folders after every input
// half their time.
template <typename Visit>
void ForEachEntry(int dir, Visit&& visit) {
  alignas(8) static char buffer[8192];
  for (;;) {
    long got = syscall(SYS_getdents64, dir, buffer, sizeof(buffer));
    if (got <= 0) return;
    for (long at = 0; at < got;) {
      auto* entry = reinterpret_cast<struct dirent64*>(buffer + at);
      at += entry->d_reclen;
      const char* name = entry->d_name;
      if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
      visit(name, entry->d_type == DT_DIR);
    }
  }
}

void EmptyOpenFolder(int dir) {
  // Names are gathered first: removing while reading a folder may skip entries.
  std::vector<std::pair<std::string, bool>> entries;
  ForEachEntry(dir, [&](const char* name, bool folder) { entries.emplace_back(name, folder); });
  for (const auto& [name, folder] : entries) {
    // A file system that does not fill in entry types reports folders as unknown: removing
    // one as a file fails, and then it is emptied as a folder.
    if (folder || unlinkat(dir, name.c_str(), 0) != 0) {
      int sub = openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (sub >= 0) {
        EmptyOpenFolder(sub);
        close(sub);
      }
      unlinkat(dir, name.c_str(), AT_REMOVEDIR);
    }
  }
}

}  // namespace

const std::string& ScratchFolder() {
  if (g_folder != nullptr) return g_folder->path();
  g_folder = new hv::test::cTempFolder("hvfuzz");
  if (g_folder->path().empty()) {
    std::perror("fuzz: cannot make the scratch folder");
    std::abort();
  }
  std::atexit(RemoveScratch);
  return g_folder->path();
}

std::string ScratchSubfolder(const char* name) {
  std::string folder = ScratchFolder() + "/" + name;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return folder;
}

void EmptyFolder(const std::string& folder) {
  int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return;
  EmptyOpenFolder(dir);
  close(dir);
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return names;
  ForEachEntry(dir, [&](const char* name, bool) { names.emplace_back(name); });
  close(dir);
  std::sort(names.begin(), names.end());
  return names;
}

size_t OpenDescriptorCount() {
  // The folder of the process's descriptors stays open, its listing read again from the
  // start each time: opening it by name took half of every count, and targets count twice
  // for every input. The kernel lists the descriptors as they are at each read.
  static const int descriptors = open("/proc/self/fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptors < 0 || lseek(descriptors, 0, SEEK_SET) != 0) {
    std::perror("fuzz: cannot list the open descriptors");
    std::abort();
  }
  size_t count = 0;
  ForEachEntry(descriptors, [&count](const char*, bool) { ++count; });
  return count;
}

void WriteWholeFile(const std::string& path, const void* data, size_t size) {
  // A new file each time rather than the old one cut to nothing: ext4 writes a truncated
  // file's pending data out to disk when it is closed, which cost most of every execution.
  unlink(path.c_str());
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  bool ok = fd >= 0;
  const char* bytes = static_cast<const char*>(data);
  while (ok && size > 0) {
    ssize_t wrote = write(fd, bytes, size);
    if (wrote < 0 && errno == EINTR) continue;
    ok = wrote > 0;
    if (ok) {
      bytes += wrote;
      size -= static_cast<size_t>(wrote);
    }
  }
  if (fd >= 0 && close(fd) != 0) ok = false;
  if (!ok) {
    std::fprintf(stderr, "fuzz: cannot write %s\n", path.c_str());
    std::abort();
  }
}

}  // namespace fuzz

}  // namespace hv
