// swPathName: a path split into drive, directory, base name and extension, and put together
// again. Windows paths (C:\Dir\f.txt, \\server\share\f.txt) and this platform's own
// (/home/u/f.txt) both split: `\`, `/` and `:` all end a directory part.
#ifndef HV_CORE_STRING_PATH_NAME_H_
#define HV_CORE_STRING_PATH_NAME_H_

#include <string>
#include <string_view>

#include "core/string/sw_string.h"

namespace hv {

class swPathName {
 public:
  swPathName() = default;
  explicit swPathName(const char* path) { Split(path); }

  // Replaces all four fields with the parts of `path` (null splits as the empty path).
  void Split(const char* path);

  swString DirectoryPath() const;  // drive + directory
  swString FileName() const;       // base name, then "." and the extension when there is one
  // DirectoryPath() and FileName(), with a '/' between them only when the directory path is
  // longer than one character and does not already end in `\`, `/` or `:`.
  swString FullPath() const;

  swString drive;      // "C:\", "C:", "\\server\share\", "\" or "/"; empty when there is none
  swString directory;  // the rest of the directory part, ending in its separator, or empty
  swString base_name;  // the file name before its last dot
  swString extension;  // after the last dot, without the dot; empty when there is no dot
};

// True for the characters that end a directory part: `\`, `/` and `:`.
bool IsPathSeparator(char c);

// Paths of this platform's own file system, where only '/' separates folders: a '\\' or ':'
// is part of a file name there, so swPathName (which reads Windows paths too) would split
// such a name wrongly.

// The part after the last '/' (the whole path when it has none).
std::string_view PosixFileName(std::string_view path);
// `folder` and `name` with one '/' between them; `name` alone when the folder is empty.
std::string JoinPosixPath(std::string_view folder, std::string_view name);
// The file name of `path` split at its last dot: the base name and the extension (empty
// when the name has no dot).
void SplitPosixFileName(std::string_view path, std::string* base, std::string* extension);
// `path` with the extension of its file name replaced (or added) by `extension`.
std::string WithPosixExtension(std::string_view path, std::string_view extension);

}  // namespace hv

#endif  // HV_CORE_STRING_PATH_NAME_H_
