// cGatheredFile: the open file that the chunks of one received answer are written to, one
// write per block straight from the block's payload. It owns its descriptor and closes it
// when it goes, so a message context that is freed half-way (the connection broke) never
// leaks one; a caller that needs to know whether the bytes reached the file calls Close.
//
// The file stays open from the first block to the last: opening, truncating and closing it
// for every block cost system calls, and on some file systems a truncated file that is
// closed is written out to disk at once.
#ifndef HV_CLIENT_PROTOCOL_GATHERED_FILE_H_
#define HV_CLIENT_PROTOCOL_GATHERED_FILE_H_

#include <cstdint>

class cGatheredFile {
 public:
  cGatheredFile() = default;
  cGatheredFile(const cGatheredFile&) = delete;
  cGatheredFile& operator=(const cGatheredFile&) = delete;
  ~cGatheredFile();

  // Takes over an open descriptor (a freshly made temporary file); any file held before is
  // closed first.
  void Adopt(int fd);
  // Makes a new, empty file at path for writing, mode 0644. Whatever is at path already (a
  // file left by an earlier transfer, or a link planted there) is removed first and never
  // followed. 0, or kCannotOpenFile.
  [[nodiscard]] int32_t CreateFresh(const char* path);
  // Opens path for appending, creating it if missing (never following a link). 0, or
  // kCannotOpenFile.
  [[nodiscard]] int32_t OpenForAppend(const char* path);

  bool IsOpen() const { return fd_ >= 0; }

  // Writes all n bytes at the end of what was written so far. 0; kCannotOpenFile when the
  // file is not open or the write fails (a full disk).
  [[nodiscard]] int32_t Write(const uint8_t* data, uint32_t n);
  // Closes the file. 0 (also when nothing was open), or kCannotOpenFile when the close
  // reports that written bytes may be lost.
  [[nodiscard]] int32_t Close();

 private:
  int fd_ = -1;
};

#endif  // HV_CLIENT_PROTOCOL_GATHERED_FILE_H_
