// swFile: a file of the platform opened with the mode bits of the core library.
//
// Mode bits: mode & 3 is the access (0 read, 1 write, 2 read and write; 3 is refused);
// mode & 0x70 the sharing (0 or 0x10 exclusive, 0x20 others may read, 0x30 others may write,
// 0x40 others may read and write; above 0x40 refused); 0x80 keeps the descriptor from child
// processes; 0x1000 creates the file, truncating an existing one unless 0x2000 is also given.
// Without 0x1000 the file must exist. Linux has no mandatory sharing, so the sharing bits are
// checked and kept (ShareMode) but do not keep other processes out. Descriptors are never
// inherited by child processes, whatever bit 0x80 says: nothing this program starts needs them.
#ifndef HV_CORE_ARCHIVE_SW_FILE_H_
#define HV_CORE_ARCHIVE_SW_FILE_H_

#include <cstdint>

#include "core/archive/file_base.h"
#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

enum : uint32_t {
  kFileRead = 0,
  kFileWrite = 1,
  kFileReadWrite = 2,
  kFileShareExclusive = 0x10,
  kFileShareRead = 0x20,
  kFileShareWrite = 0x30,
  kFileShareReadWrite = 0x40,
  kFileNoInherit = 0x80,
  kFileCreate = 0x1000,
  kFileKeepExisting = 0x2000,  // with kFileCreate: open or create, never truncate
};

// The codes of swFile::Open's status (where: kFile). The failures keep the numbers the file
// class has always given them, which are positive: test the status with ok().
enum : int32_t {
  kFileOpened = 0,
  kFileAlreadyOpen = 1,
  kFileBadAccess = 2,
  kFileBadShare = 3,
  kFileRefused = 4,
};

// The last write time as local calendar fields.
struct swFileTime {
  int year = 0;
  int month = 0;  // 1-12
  int day = 0;    // 1-31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

class swFile : public swFileBase {
 public:
  swFile() = default;
  swFile(const swFile&) = delete;
  swFile& operator=(const swFile&) = delete;
  ~swFile() override;  // closes an open file

  // A refusal by the platform carries the path and the reason in its message.
  [[nodiscard]] hv::Status Open(const char* path, uint32_t mode);
  void Close();
  bool IsOpen() const override { return fd_ >= 0; }

  uint32_t Read(void* buffer, uint32_t count) override;
  uint32_t Write(const void* buffer, uint32_t count) override;
  [[nodiscard]] hv::Status Seek(uint64_t offset) override;
  uint64_t Tell() const override;
  uint64_t Size() const override;

  // Forces written data to the disk. These three fail when the file is not open or the
  // platform refuses (the message says which).
  [[nodiscard]] hv::Status Sync();
  [[nodiscard]] hv::Status GetTime(swFileTime* time) const;
  [[nodiscard]] hv::Status SetTime(const swFileTime& time);

  const swString& Path() const { return path_; }
  uint32_t ShareMode() const { return share_; }

 private:
  int fd_ = -1;
  uint32_t share_ = 0;
  swString path_;
};

}  // namespace hv

#endif  // HV_CORE_ARCHIVE_SW_FILE_H_
