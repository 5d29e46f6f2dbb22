// swPathName: a path split into drive, directory, base name and extension, and put together
// again. Windows paths (C:\Dir\f.txt, \\server\share\f.txt) and this platform's own
// (/home/u/f.txt) both split: `\`, `/` and `:` all end a directory part.
#ifndef HV_CORE_STRING_PATH_NAME_H_
#define HV_CORE_STRING_PATH_NAME_H_

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

}  // namespace hv

#endif  // HV_CORE_STRING_PATH_NAME_H_
