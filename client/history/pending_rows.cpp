#include "client/history/pending_rows.h"

#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <type_traits>

namespace hv::history {

namespace {

// Fixed fields little-endian, byte by byte: the bytes also go to the queue file, which a
// later run reads back.
template <class T>
uint64_t Bits(T value) {
  if constexpr (std::is_floating_point_v<T>) {
    return std::bit_cast<uint64_t>(static_cast<double>(value));
  } else {
    return static_cast<uint64_t>(static_cast<std::make_unsigned_t<T>>(value));
  }
}

template <class T>
void Put(std::string* out, T value) {
  static_assert(sizeof(T) == 4 || sizeof(T) == 8);
  const uint64_t bits = Bits(value);
  char bytes[sizeof(T)];
  for (size_t i = 0; i < sizeof(T); ++i) bytes[i] = static_cast<char>(bits >> (8 * i));
  out->append(bytes, sizeof(T));
}

uint64_t GetLe(const char* at, size_t size) {
  uint64_t bits = 0;
  for (size_t i = 0; i < size; ++i)
    bits |= static_cast<uint64_t>(static_cast<uint8_t>(at[i])) << (8 * i);
  return bits;
}

void PutText(std::string* out, std::string_view text) {
  Put(out, static_cast<uint32_t>(text.size()));
  out->append(text);
}

// Reads what Put wrote, in the same order (checked first by Load for bytes from a file).
class Unpacker {
 public:
  explicit Unpacker(const std::string& bytes) : at_(bytes.data()), end_(at_ + bytes.size()) {}
  bool done() const { return at_ >= end_; }
  template <class T>
  T Take() {
    const uint64_t bits = GetLe(at_, sizeof(T));
    at_ += sizeof(T);
    if constexpr (std::is_floating_point_v<T>) {
      return std::bit_cast<double>(bits);
    } else {
      return static_cast<T>(static_cast<std::make_unsigned_t<T>>(bits));
    }
  }
  void TakeText(std::string* text) {
    const auto length = Take<uint32_t>();
    text->assign(at_, length);
    at_ += length;
  }

 private:
  const char* at_;
  const char* end_;
};

}  // namespace

void PendingRows::Add(ItemKind kind, std::string_view name, int64_t at_ms, int32_t status,
                      double value) {
  Put(&sample_bytes_, static_cast<int32_t>(kind));
  Put(&sample_bytes_, at_ms);
  Put(&sample_bytes_, status);
  Put(&sample_bytes_, value);
  PutText(&sample_bytes_, name);
  ++samples_;
}

void PendingRows::Add(const LogRow& row) {
  Put(&log_bytes_, row.at_ms);
  for (int32_t number : {row.entry_type, row.function_code, row.extra, row.detail1, row.detail2}) {
    Put(&log_bytes_, number);
  }
  Put(&log_bytes_, row.value);
  for (const std::string* text :
       {&row.name, &row.message, &row.path, &row.date_text, &row.time_text}) {
    PutText(&log_bytes_, *text);
  }
  ++log_rows_;
}

void PendingRows::DropSamples() {
  sample_bytes_.clear();
  samples_ = 0;
  if (spilled_) {
    // Skipped when read back.
    spill_offset_ += spilled_samples_;
    spilled_samples_ = 0;
  }
}

void PendingRows::Clear() {
  sample_bytes_.clear();
  log_bytes_.clear();
  samples_ = 0;
  log_rows_ = 0;
  new_session = false;
  spilled_ = false;
  journal_end = 0;
}

namespace {

bool WriteWhole(int fd, const std::string& bytes, uint64_t offset) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n =
        pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool ReadWhole(int fd, std::string* bytes, uint64_t size, uint64_t offset) {
  bytes->resize(size);
  size_t done = 0;
  while (done < size) {
    ssize_t n = pread(fd, bytes->data() + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

bool PendingRows::SpillTo(int fd, uint64_t offset) {
  if (spilled_) return true;
  if (!WriteWhole(fd, sample_bytes_, offset) ||
      !WriteWhole(fd, log_bytes_, offset + sample_bytes_.size())) {
    return false;
  }
  spilled_ = true;
  spill_offset_ = offset;
  spilled_samples_ = sample_bytes_.size();
  spilled_log_ = log_bytes_.size();
  std::string().swap(sample_bytes_);
  std::string().swap(log_bytes_);
  return true;
}

bool PendingRows::SpillTo(int fd, uint64_t offset, uint64_t* sample_bytes, uint64_t* log_bytes) {
  *sample_bytes = spilled_ ? spilled_samples_ : sample_bytes_.size();
  *log_bytes = spilled_ ? spilled_log_ : log_bytes_.size();
  return SpillTo(fd, offset);
}

namespace {

// Walks packed bytes of unknown origin: every length is checked before it is used.
class CheckedWalk {
 public:
  explicit CheckedWalk(const std::string& bytes) : left_(bytes.size()) {}
  bool Skip(uint64_t size) {
    if (size > left_) return false;
    left_ -= size;
    return true;
  }
  bool SkipText(const std::string& bytes) {
    if (left_ < 4) return false;
    const auto length = static_cast<uint32_t>(GetLe(bytes.data() + (bytes.size() - left_), 4));
    left_ -= 4;
    return Skip(length);
  }
  bool done() const { return left_ == 0; }

 private:
  uint64_t left_;
};

}  // namespace

bool PendingRows::Load(std::string sample_bytes, std::string log_bytes, uint64_t samples,
                       uint64_t log_rows) {
  Clear();
  CheckedWalk walk_samples(sample_bytes);
  for (uint64_t i = 0; i < samples; ++i) {
    if (!walk_samples.Skip(4 + 8 + 4 + 8) || !walk_samples.SkipText(sample_bytes)) return false;
  }
  CheckedWalk walk_log(log_bytes);
  for (uint64_t i = 0; i < log_rows; ++i) {
    if (!walk_log.Skip(8 + 5 * 4 + 8)) return false;
    for (int text = 0; text < 5; ++text) {
      if (!walk_log.SkipText(log_bytes)) return false;
    }
  }
  if (!walk_samples.done() || !walk_log.done()) return false;
  sample_bytes_ = std::move(sample_bytes);
  log_bytes_ = std::move(log_bytes);
  samples_ = samples;
  log_rows_ = log_rows;
  return true;
}

bool PendingRows::Restore(int fd) {
  if (!spilled_) return true;
  spilled_ = false;
  if (!ReadWhole(fd, &sample_bytes_, spilled_samples_, spill_offset_) ||
      !ReadWhole(fd, &log_bytes_, spilled_log_, spill_offset_ + spilled_samples_)) {
    const bool session = new_session;
    Clear();
    new_session = session;
    return false;
  }
  return true;
}

void PendingRows::UnpackInto(HistoryBatch* batch) const {
  batch->new_session = batch->new_session || new_session;
  for (Unpacker in(sample_bytes_); !in.done();) {
    StatusSample& sample = batch->samples.emplace_back();
    sample.kind = static_cast<ItemKind>(in.Take<int32_t>());
    sample.at_ms = in.Take<int64_t>();
    sample.status = in.Take<int32_t>();
    sample.value = in.Take<double>();
    in.TakeText(&sample.name);
  }
  for (Unpacker in(log_bytes_); !in.done();) {
    LogRow& row = batch->log.emplace_back();
    row.at_ms = in.Take<int64_t>();
    for (int32_t* number :
         {&row.entry_type, &row.function_code, &row.extra, &row.detail1, &row.detail2}) {
      *number = in.Take<int32_t>();
    }
    row.value = in.Take<double>();
    for (std::string* text : {&row.name, &row.message, &row.path, &row.date_text, &row.time_text}) {
      in.TakeText(text);
    }
  }
}

}  // namespace hv::history
