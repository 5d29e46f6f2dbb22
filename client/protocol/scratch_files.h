// cScratchFiles: the temporary files in $TMPDIR (default /tmp) that one socket gathers
// multi-block answers in. A file whose answer is done is kept and written over from its
// start by the next answer: the kernel spends four times as much on bytes written into a
// new file (fresh pages to find, blocks to reserve) as on pages the file already has, and a
// new file for each answer took a third of a large thumbnail's time. Every file goes with
// the socket, so nothing of one connection survives into the next.
//
// The files have no name in the folder where the file system allows it, and are read back
// through /proc/self/fd: a file kept for the connection's life would otherwise be left
// behind whenever the program is ended without cleaning up (the desktop session closing
// under it). Elsewhere they are named "VHX" and six random characters.
#ifndef HV_CLIENT_PROTOCOL_SCRATCH_FILES_H_
#define HV_CLIENT_PROTOCOL_SCRATCH_FILES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

class cGatheredFile;

class cScratchFiles {
 public:
  // Files kept for later answers; one more that comes back is deleted at once. Answers
  // gathered side by side are rare, and a server sending many must not leave many files.
  static constexpr size_t kMaxIdle = 1;

  // unnamed false: always named files, as where the file system has no unnamed ones.
  explicit cScratchFiles(bool unnamed = true) : unnamed_(unnamed) {}
  cScratchFiles(const cScratchFiles&) = delete;
  cScratchFiles& operator=(const cScratchFiles&) = delete;
  ~cScratchFiles();

  // Opens a scratch file in *file, to be written from its start (Close cuts off what an
  // earlier answer left beyond the end), and names it in *path. Ok, or kCannotOpenFile
  // (Where::kProtocol).
  [[nodiscard]] Status Take(swString* path, cGatheredFile* file);
  // The answer gathered in path is over, whole or not: its file is kept for the next one,
  // or deleted when enough are kept. A path this did not hand out is left alone.
  void GiveBack(const char* path);

  size_t FileCount() const { return files_.size(); }  // for tests
  // Whether path names an unnamed file (the process's link to its descriptor), which no
  // folder lists.
  static bool IsUnnamed(const char* path);

 private:
  struct sFile {
    std::string path;
    int fd = -1;  // kept open, so that taking the file again needs no lookup by name
    bool named = false;
    bool in_use = false;
  };
  static bool MakeUnnamed(sFile* file);
  static bool MakeNamed(sFile* file);
  void Delete(size_t index);

  bool unnamed_;
  std::vector<sFile> files_;
};

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_SCRATCH_FILES_H_
