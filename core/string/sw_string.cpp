#include "core/string/sw_string.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/serializer.h"
#include "core/status.h"
#include "core/string/utf16_text.h"

namespace hv {

namespace {

const char kEmptyText[1] = {'\0'};

// The allocation size for a need of `need` bytes: the next multiple of the quantum strictly
// above it. 0 when that does not fit the 32-bit capacity.
uint32_t QuantumSize(uint64_t need) {
  uint64_t size = need / swString::kQuantum * swString::kQuantum + swString::kQuantum;
  return size > UINT32_MAX ? 0 : static_cast<uint32_t>(size);
}

bool PointsInto(const char* p, const char* buffer, uint32_t size) {
  if (buffer == nullptr || p == nullptr) return false;
  auto address = reinterpret_cast<uintptr_t>(p);
  auto start = reinterpret_cast<uintptr_t>(buffer);
  return address >= start && address < start + size;
}

}  // namespace

swString::swString() = default;

swString::swString(const swString& other) {
  if (other.text_ == nullptr) return;
  uint32_t length = static_cast<uint32_t>(std::strlen(other.text_));
  text_ = static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1));
  if (text_ == nullptr) return;
  std::memcpy(text_, other.text_, static_cast<size_t>(length) + 1);
  length_ = length;
  capacity_ = length + 1;
}

swString::swString(swString&& other) noexcept
    : text_(other.text_),
      scratch_(other.scratch_),
      length_(other.length_),
      capacity_(other.capacity_) {
  other.text_ = nullptr;
  other.scratch_ = nullptr;
  other.length_ = 0;
  other.capacity_ = 0;
}

swString::swString(const char* text) { Assign(text); }

swString::swString(const char* text, uint32_t count) {
  if (text == nullptr) return;
  size_t length = strnlen(text, count);
  // The buffer is count + 1 bytes, unless that would not fit 32 bits.
  uint64_t size = count == UINT32_MAX ? length + 1 : static_cast<uint64_t>(count) + 1;
  text_ = static_cast<char*>(std::calloc(size, 1));
  if (text_ == nullptr) return;
  std::memcpy(text_, text, length);
  length_ = static_cast<uint32_t>(length);
  capacity_ = static_cast<uint32_t>(size);
}

swString::swString(char c, uint32_t count) {
  if (c == '\0' || count == 0 || count == UINT32_MAX) return;
  text_ = static_cast<char*>(std::malloc(static_cast<size_t>(count) + 1));
  if (text_ == nullptr) return;
  std::memset(text_, c, count);
  text_[count] = '\0';
  length_ = count;
  capacity_ = count + 1;
}

swString::swString(const char16_t* wide) {
  if (wide == nullptr) return;
  size_t units = 0;
  while (wide[units] != 0) ++units;
  std::string converted;
  // Without a converter the string stays empty, as a string that cannot be made reads.
  if (!Utf16ToUtf8(wide, units, __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, &converted).ok()) return;
  Assign(converted.c_str());
}

swString::~swString() { Free(); }

void swString::Free() {
  std::free(text_);
  std::free(scratch_);
  text_ = nullptr;
  scratch_ = nullptr;
  length_ = 0;
  capacity_ = 0;
}

swString& swString::operator=(const swString& other) {
  if (this == &other) return *this;
  return Assign(other);
}

swString& swString::operator=(swString&& other) noexcept {
  if (this == &other) return *this;
  Free();
  text_ = other.text_;
  scratch_ = other.scratch_;
  length_ = other.length_;
  capacity_ = other.capacity_;
  other.text_ = nullptr;
  other.scratch_ = nullptr;
  other.length_ = 0;
  other.capacity_ = 0;
  return *this;
}

swString& swString::operator=(const char* text) { return Assign(text); }

int swString::GrowKeepingText(uint64_t need) {
  if (need <= capacity_) return 0;
  uint32_t size = QuantumSize(need);
  if (size == 0) return -1;
  char* grown = static_cast<char*>(std::calloc(size, 1));
  if (grown == nullptr) return -1;
  if (text_ != nullptr) std::memcpy(grown, text_, std::strlen(text_));
  std::free(text_);
  text_ = grown;
  capacity_ = size;
  return 0;
}

int swString::GrowDiscardingText(uint64_t need) {
  // A text set whole is usually kept as it is (a list cell, a stored entry's field), so it
  // gets exactly its size: the growth step is for strings that are being appended to. A
  // buffer that already fits is reused unless it would waste more than a growth step.
  if (need <= capacity_ && capacity_ - need < kQuantum) return 0;
  std::free(text_);
  text_ = nullptr;
  length_ = 0;
  capacity_ = 0;
  if (need > UINT32_MAX) return -1;
  text_ = static_cast<char*>(std::calloc(need, 1));
  if (text_ == nullptr) return -1;
  capacity_ = static_cast<uint32_t>(need);
  return 0;
}

swString& swString::Assign(const swString& other) {
  if (this == &other) return *this;
  return Assign(other.text_);
}

swString& swString::Assign(const char* text) {
  if (text == nullptr) {
    std::free(text_);
    text_ = nullptr;
    length_ = 0;
    capacity_ = 0;
    return *this;
  }
  if (text == text_) return *this;
  // Text from inside our own buffer would be freed by the growth: copy it out first.
  std::string own_copy;
  if (PointsInto(text, text_, capacity_)) {
    own_copy = text;
    text = own_copy.c_str();
  }
  size_t length = std::strlen(text);
  if (length >= UINT32_MAX) return *this;
  if (GrowDiscardingText(length + 1) != 0) return *this;
  std::memcpy(text_, text, length + 1);
  length_ = static_cast<uint32_t>(length);
  return *this;
}

swString& swString::AssignChar(char c) {
  char text[2] = {c, '\0'};
  return Assign(text);
}

const char* swString::CStr() const { return text_ != nullptr ? text_ : kEmptyText; }

uint32_t swString::GetLength() const {
  return text_ != nullptr ? static_cast<uint32_t>(std::strlen(text_)) : 0;
}

char swString::GetAt(uint32_t index) const {
  if (text_ == nullptr || index >= length_) return '\0';
  return text_[index];
}

void swString::SetAt(uint32_t index, char c) {
  if (text_ != nullptr && index < length_) {
    text_[index] = c;
    if (c == '\0') length_ = index;
    return;
  }
  if (GrowKeepingText(static_cast<uint64_t>(index) + 2) != 0) return;
  // Bytes between the old end and the index may hold text cut off earlier; clear them so the
  // stored length and the counted length never disagree.
  std::memset(text_ + length_, 0, index - length_);
  text_[index] = c;
  text_[index + 1] = '\0';
  length_ = static_cast<uint32_t>(std::strlen(text_));
}

char* swString::GetBuffer(uint32_t n) {
  if (scratch_ != nullptr) return nullptr;
  uint32_t size = std::max(n, capacity_);
  if (size == 0) return nullptr;
  // One hidden byte beyond what is handed out keeps the scratch text terminated even when the
  // caller fills every byte.
  scratch_ = static_cast<char*>(std::calloc(static_cast<size_t>(size) + 1, 1));
  if (scratch_ == nullptr) return nullptr;
  if (text_ != nullptr) std::memcpy(scratch_, text_, length_);
  return scratch_;
}

void swString::ReleaseBuffer() {
  if (scratch_ == nullptr) return;
  size_t length = std::strlen(scratch_);
  if (length < UINT32_MAX && GrowKeepingText(length + 1) == 0) {
    std::memcpy(text_, scratch_, length + 1);
    length_ = static_cast<uint32_t>(length);
  }
  std::free(scratch_);
  scratch_ = nullptr;
}

swString& swString::Append(const swString& other) { return Append(other.CStr()); }

swString& swString::Append(const char* text) {
  if (text == nullptr || *text == '\0') return *this;
  std::string own_copy;
  if (PointsInto(text, text_, capacity_)) {
    own_copy = text;
    text = own_copy.c_str();
  }
  size_t added = std::strlen(text);
  uint64_t need = static_cast<uint64_t>(length_) + added + 1;
  if (need > UINT32_MAX || GrowKeepingText(need) != 0) return *this;
  std::memcpy(text_ + length_, text, added + 1);
  length_ += static_cast<uint32_t>(added);
  return *this;
}

swString& swString::AppendChar(char c) {
  char text[2] = {c, '\0'};
  return Append(text);
}

swString swString::Left(uint32_t n) const {
  if (text_ == nullptr) return swString();
  return swString(text_, std::min(n, length_));
}

swString swString::Right(uint32_t n) const {
  if (text_ == nullptr) return swString();
  n = std::min(n, length_);
  return swString(text_ + (length_ - n), n);
}

swString swString::Mid(uint32_t start, uint32_t count) const {
  if (text_ == nullptr) return swString();
  start = std::min(start, length_);
  count = std::min(count, length_ - start);
  return swString(text_ + start, count);
}

swString swString::SpanExcluding(const char* set) const {
  if (text_ == nullptr) return swString();
  size_t span = set != nullptr ? std::strcspn(text_, set) : length_;
  return swString(text_, static_cast<uint32_t>(span));
}

int32_t swString::Find(char c) const {
  if (text_ == nullptr || c == '\0') return -1;
  const void* found = std::memchr(text_, c, length_);
  return found != nullptr ? static_cast<int32_t>(static_cast<const char*>(found) - text_) : -1;
}

void swString::MakeUpper() {
  if (text_ == nullptr) return;
  for (uint32_t i = 0; i < length_; ++i) {
    text_[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(text_[i])));
  }
}

int swString::CompareNoCase(const char* text) const {
  if (text_ == nullptr) return (text == nullptr || *text == '\0') ? 0 : 1;
  return strcasecmp(text_, text != nullptr ? text : kEmptyText);
}

void swString::Format(const char* format, ...) {
  if (format == nullptr) format = kEmptyText;
  va_list args;
  va_start(args, format);
  va_list sizing;
  va_copy(sizing, args);
  int needed = std::vsnprintf(nullptr, 0, format, sizing);
  va_end(sizing);
  // The output goes to a fresh buffer: an argument may be this string's own text. A
  // formatted text is finished, so it gets exactly its size.
  char* output = nullptr;
  uint32_t size = needed >= 0 ? static_cast<uint32_t>(needed) + 1 : 0;
  if (size != 0) output = static_cast<char*>(std::calloc(size, 1));
  if (output != nullptr) std::vsnprintf(output, size, format, args);
  va_end(args);
  std::free(text_);
  text_ = output;
  capacity_ = output != nullptr ? size : 0;
  length_ = output != nullptr ? static_cast<uint32_t>(std::strlen(output)) : 0;
}

hv::Status swString::Serialize(swSerializer& archive) {
  if (archive.IsStoring()) {
    uint32_t length = GetLength();
    int rc = 0;
    if (archive.IsTagged()) rc = archive.Write<uint8_t>(0, 1);
    if (rc == 0) rc = archive.Write<uint32_t>(length, 1);
    if (rc == 0 && length > 0) rc = archive.WriteValue(text_, length, 1);
    return ArchiveStatus(rc != 0 ? rc : archive.Status());
  }

  uint8_t wide = 0;
  int rc = 0;
  if (archive.IsTagged()) rc = archive.Read<uint8_t>(&wide, 1);
  if (rc != 0 || archive.Status() != 0) return ArchiveStatus(rc != 0 ? rc : archive.Status());
  if (wide > 1) return hv::Status::Failure(hv::Where::kString, "not a stored string");
  uint32_t length = 0;
  rc = archive.Read<uint32_t>(&length, 1);
  if (rc != 0 || archive.Status() != 0) return ArchiveStatus(rc != 0 ? rc : archive.Status());
  if (length == 0) return hv::Status::Ok();

  // A corrupt length must cost an error, never an allocation of gigabytes.
  uint64_t bytes = static_cast<uint64_t>(length) * (wide ? 2 : 1);
  if (bytes > UINT32_MAX || bytes > archive.BytesLeft()) {
    return hv::Status::Failure(hv::Where::kString, "longer than what is left to read");
  }
  std::vector<char> raw(bytes);
  rc = archive.ReadValue(raw.data(), static_cast<uint32_t>(bytes), 1, nullptr);
  if (rc != 0 || archive.Status() != 0) return ArchiveStatus(rc != 0 ? rc : archive.Status());

  std::string text;
  if (wide) {
    const hv::Status converted = Utf16ToUtf8(raw.data(), length, true, &text);
    if (!converted.ok()) return converted;
  } else {
    // Text stops at an embedded NUL, as every reader of the string would stop there.
    text.assign(raw.data(), strnlen(raw.data(), raw.size()));
  }
  Assign(text.c_str());
  return text_ != nullptr ? hv::Status::Ok() : hv::Status(hv::Where::kString, hv::kOutOfMemory);
}

bool operator==(const swString& a, const swString& b) {
  return std::strcmp(a.CStr(), b.CStr()) == 0;
}
bool operator==(const swString& a, const char* b) {
  return std::strcmp(a.CStr(), b != nullptr ? b : "") == 0;
}
bool operator!=(const swString& a, const swString& b) { return !(a == b); }
bool operator!=(const swString& a, const char* b) { return !(a == b); }

swString operator+(const swString& a, const swString& b) {
  swString result(a);
  result.Append(b);
  return result;
}
swString operator+(const swString& a, const char* b) {
  swString result(a);
  result.Append(b);
  return result;
}
swString operator+(const char* a, const swString& b) {
  swString result(a);
  result.Append(b);
  return result;
}
swString operator+(const swString& a, char c) {
  swString result(a);
  result.AppendChar(c);
  return result;
}

}  // namespace hv
