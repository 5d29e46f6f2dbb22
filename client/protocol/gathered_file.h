// cGatheredFile: the open file that the chunks of one received answer are written to,
// straight from the blocks' payloads. It owns its descriptor and closes it when it goes, so
// a message context that is freed half-way (the connection broke) never leaks one; a caller
// that needs to know whether the bytes reached the file calls Close.
//
// The file stays open from the first block to the last: opening, truncating and closing it
// for every block cost system calls, and on some file systems a truncated file that is
// closed is written out to disk at once.
//
// Blocks carry 60,000 bytes, which leaves every write ending inside a page; writing such
// pieces costs the kernel a quarter more than writing whole 128 KiB runs. So the file
// keeps the payload buffers it is given (WriteHeld) and writes their bytes, with one
// gathered write, whenever they reach the next 128 KiB boundary of the file; the buffers
// it is done with go back to the blocks. No byte is copied on the way.
#ifndef HV_CLIENT_PROTOCOL_GATHERED_FILE_H_
#define HV_CLIENT_PROTOCOL_GATHERED_FILE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/status.h"

namespace hv {

class cGatheredFile {
 public:
  // Whole runs of this many bytes, at offsets that are multiples of it, are written at once.
  static constexpr uint64_t kWriteUnit = 128 * 1024;
  // At most this many payload buffers are held; with a fourth, everything held is written
  // whatever the boundary (a server that sends tiny chunks must not pin many buffers).
  static constexpr size_t kMaxHeld = 4;

  cGatheredFile() = default;
  cGatheredFile(const cGatheredFile&) = delete;
  cGatheredFile& operator=(const cGatheredFile&) = delete;
  ~cGatheredFile();

  // Takes over an open descriptor (a freshly made temporary file); any file held before is
  // closed first, and whatever it still held unwritten is dropped.
  void Adopt(int fd);
  // As Adopt, for a file that already holds bytes (a scratch file used before), positioned
  // at its start: they are written over, and Close cuts off whatever lies past the new end.
  void AdoptForOverwrite(int fd);
  // Makes a new, empty file at path for writing, mode 0644. Whatever is at path already (a
  // file left by an earlier transfer, or a link planted there) is removed first and never
  // followed. Ok, or kCannotOpenFile (kMissingArgument without a path).
  [[nodiscard]] Status CreateFresh(const char* path);
  // Opens path for appending, creating it if missing (never following a link). Ok, or
  // kCannotOpenFile (kMissingArgument without a path).
  [[nodiscard]] Status OpenForAppend(const char* path);

  bool IsOpen() const { return fd_ >= 0; }

  // Writes all n bytes at the end of what was given so far (anything held is written
  // first). Ok; kCannotOpenFile when the file is not open or the write fails (a full disk).
  [[nodiscard]] Status Write(const uint8_t* data, uint32_t n);
  // Takes the payload buffer *buffer (of *capacity bytes) whose bytes [offset, offset +
  // count) come next in the file, and hands back in its place a buffer it is done with (or
  // none: null and capacity 0). The bytes are written once they reach a write unit's
  // boundary, or at Close. Ok; kCannotOpenFile when the file is not open or a write fails.
  [[nodiscard]] Status WriteHeld(std::unique_ptr<uint8_t[]>* buffer, uint32_t* capacity,
                                 uint32_t offset, uint32_t count);
  // Writes what is held and closes the file. Ok (also when nothing was open), or
  // kCannotOpenFile when a write or the close reports that bytes may be lost.
  [[nodiscard]] Status Close();
  // Closes the file without writing what is held: the transfer failed and the file goes.
  void Discard();

  // Bytes given and not yet written (for tests).
  uint64_t HeldBytes() const { return held_bytes_; }

 private:
  struct sHeldChunk {
    std::unique_ptr<uint8_t[]> buffer;
    uint32_t capacity = 0;
    const uint8_t* data = nullptr;  // the first byte not yet written
    uint32_t size = 0;              // bytes not yet written
  };

  // Writes held bytes until the file's end reaches `end`; a file that takes no more bytes
  // (a full disk, a folder gone) cannot be written.
  [[nodiscard]] Status WriteHeldUpTo(uint64_t end);
  // A buffer whose bytes are all written: kept for the blocks, or freed.
  void Recycle(sHeldChunk& chunk);
  void DropHeld();

  int fd_ = -1;
  bool trim_at_close_ = false;
  uint64_t written_end_ = 0;  // the file's length as written so far
  uint64_t held_bytes_ = 0;
  std::array<sHeldChunk, kMaxHeld> held_;
  size_t held_count_ = 0;
  std::array<sHeldChunk, 2> spare_;
  size_t spare_count_ = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_GATHERED_FILE_H_
