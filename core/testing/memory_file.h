// swMemoryFile: a swFileBase over a byte vector. Tests and fuzz targets read and write archives
// with it; a write limit makes it fail like a full disk after a given number of bytes.
#ifndef HV_CORE_TESTING_MEMORY_FILE_H_
#define HV_CORE_TESTING_MEMORY_FILE_H_

#include <cstdint>
#include <vector>

#include "core/archive/file_base.h"

namespace hv {

class swMemoryFile : public swFileBase {
 public:
  swMemoryFile() = default;
  explicit swMemoryFile(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  bool IsOpen() const override { return true; }
  uint32_t Read(void* buffer, uint32_t count) override;
  uint32_t Write(const void* buffer, uint32_t count) override;
  [[nodiscard]] hv::Status Seek(uint64_t offset) override;
  uint64_t Tell() const override { return position_; }
  uint64_t Size() const override { return bytes_.size(); }

  // Bytes the file accepts in all before writes come up short.
  void SetWriteLimit(uint64_t limit) { write_limit_ = limit; }

  const std::vector<uint8_t>& bytes() const { return bytes_; }
  std::vector<uint8_t>& bytes() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  uint64_t position_ = 0;
  uint64_t written_ = 0;
  uint64_t write_limit_ = UINT64_MAX;
};

}  // namespace hv

#endif  // HV_CORE_TESTING_MEMORY_FILE_H_
