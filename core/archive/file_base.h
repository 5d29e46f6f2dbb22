// swFileBase: the byte stream an archive reads and writes. swFile realises it over a file of
// the platform; swMemoryFile keeps the bytes in memory (tests, fuzzing, fault injection).
#ifndef HV_CORE_ARCHIVE_FILE_BASE_H_
#define HV_CORE_ARCHIVE_FILE_BASE_H_

#include <cstdint>

#include "core/status.h"

namespace hv {

class swFileBase {
 public:
  virtual ~swFileBase() = default;

  virtual bool IsOpen() const = 0;
  // Byte counts done; fewer than asked means the end of the file or an error.
  virtual uint32_t Read(void* buffer, uint32_t count) = 0;
  virtual uint32_t Write(const void* buffer, uint32_t count) = 0;
  // Moves to `offset` from the start; fails (where: kFile) when refused.
  [[nodiscard]] virtual hv::Status Seek(uint64_t offset) = 0;
  virtual uint64_t Tell() const = 0;
  // The current length in bytes.
  virtual uint64_t Size() const = 0;
};

}  // namespace hv

#endif  // HV_CORE_ARCHIVE_FILE_BASE_H_
