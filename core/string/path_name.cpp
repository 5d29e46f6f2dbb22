#include "core/string/path_name.h"

#include <cctype>
#include <cstring>

namespace hv {

bool IsPathSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }

namespace {

bool IsSlash(char c) { return c == '\\' || c == '/'; }

// The length of the drive at the start of the directory part `dir` (`size` characters), and
// the separator to append to it when a share name is not followed by one (0 for none).
uint32_t DriveLength(const char* dir, uint32_t size, char* appended) {
  *appended = '\0';
  if (size >= 2 && std::isalpha(static_cast<unsigned char>(dir[0])) && dir[1] == ':') {
    return size >= 3 && IsSlash(dir[2]) ? 3 : 2;
  }
  if (size >= 2 && IsSlash(dir[0]) && IsSlash(dir[1])) {
    // \\server\share\ : up to and including the separator after the share name.
    uint32_t i = 2;
    while (i < size && !IsSlash(dir[i])) ++i;  // server
    if (i < size) ++i;
    while (i < size && !IsSlash(dir[i])) ++i;  // share
    if (i < size) return i + 1;
    if (!IsSlash(dir[size - 1])) *appended = dir[0];
    return size;
  }
  if (size >= 1 && IsSlash(dir[0])) return 1;
  return 0;
}

}  // namespace

void swPathName::Split(const char* path) {
  if (path == nullptr) path = "";
  uint32_t length = static_cast<uint32_t>(std::strlen(path));
  uint32_t file_start = length;
  while (file_start > 0 && !IsPathSeparator(path[file_start - 1])) --file_start;

  const char* file = path + file_start;
  const char* dot = std::strrchr(file, '.');
  if (dot != nullptr) {
    base_name = swString(file, static_cast<uint32_t>(dot - file));
    extension = dot + 1;
  } else {
    base_name = file;
    extension = "";
  }

  drive = "";
  directory = "";
  if (file_start == 0) return;
  char appended = '\0';
  uint32_t drive_length = DriveLength(path, file_start, &appended);
  drive = swString(path, drive_length);
  if (appended != '\0') drive.AppendChar(appended);
  uint32_t rest = file_start - drive_length;
  if (rest >= 2) directory = swString(path + drive_length, rest);
}

swString swPathName::DirectoryPath() const { return drive + directory; }

swString swPathName::FileName() const {
  if (extension.GetLength() == 0) return base_name;
  return base_name + '.' + extension;
}

swString swPathName::FullPath() const {
  swString full = DirectoryPath();
  uint32_t length = full.GetLength();
  // A directory part that ends in ':' (C:f.txt, or a colon in a Linux name) needs nothing
  // added: a separator there would change which file is meant.
  if (length > 1 && !IsPathSeparator(full.GetAt(length - 1))) full.AppendChar('/');
  full.Append(FileName());
  return full;
}

}  // namespace hv
