// swString: the owned, growable 8-bit text string of every program. Strings are values:
// copying copies the text. An unallocated string reads as empty everywhere.
#ifndef HV_CORE_STRING_SW_STRING_H_
#define HV_CORE_STRING_SW_STRING_H_

#include <cstdint>

#include "core/storable.h"

namespace hv {

class swString : public swStorable {
 public:
  // Growth while appending rounds a need of N bytes (terminator included) up to the next
  // multiple of this strictly above N. A text set whole (construction, assignment, Format,
  // reading from an archive) gets exactly its size, since most are never appended to.
  static constexpr uint32_t kQuantum = 50;

  swString();
  swString(const swString& other);
  swString(swString&& other) noexcept;
  swString(const char* text);  // NOLINT(google-explicit-constructor): texts convert freely
  swString(const char* text, uint32_t count);
  swString(char c, uint32_t count);
  // UTF-16 text converted to the program's 8-bit form.
  explicit swString(const char16_t* wide);
  ~swString() override;

  swString& operator=(const swString& other);
  swString& operator=(swString&& other) noexcept;
  swString& operator=(const char* text);

  swString& Assign(const swString& other);
  swString& Assign(const char* text);  // null frees the buffer
  swString& AssignChar(char c);

  const char* CStr() const;  // never null
  uint32_t GetLength() const;
  uint32_t GetCapacity() const { return capacity_; }
  char GetAt(uint32_t index) const;
  void SetAt(uint32_t index, char c);

  // Hands out a zero-filled scratch buffer of max(n, capacity) bytes holding a copy of the
  // text; null when one is already outstanding or both n and the capacity are 0.
  char* GetBuffer(uint32_t n);
  void ReleaseBuffer();

  swString& Append(const swString& other);
  swString& Append(const char* text);
  swString& AppendChar(char c);

  swString Left(uint32_t n) const;
  swString Right(uint32_t n) const;
  swString Mid(uint32_t start, uint32_t count) const;
  swString SpanExcluding(const char* set) const;
  int32_t Find(char c) const;

  void MakeUpper();
  int CompareNoCase(const char* text) const;

  // printf-style; replaces the text. Nothing to check: when the buffer cannot be allocated
  // (or the format cannot be rendered) the string is left empty, which every caller can show
  // or store as it is.
  void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));

  uint16_t ClassId() const override { return kClassString; }
  hv::Status Serialize(swSerializer& archive) override;

 private:
  // Keep-text growth: ensures `need` bytes, keeping the text. 0, or -1 (string unchanged).
  int GrowKeepingText(uint64_t need);
  // Discard growth: ensures `need` bytes, text not kept; a buffer that fits is reused unless
  // it wastes a growth step or more. 0, or -1 (string left unallocated).
  int GrowDiscardingText(uint64_t need);
  void Free();

  char* text_ = nullptr;
  char* scratch_ = nullptr;
  uint32_t length_ = 0;
  uint32_t capacity_ = 0;
};

bool operator==(const swString& a, const swString& b);
bool operator==(const swString& a, const char* b);
bool operator!=(const swString& a, const swString& b);
bool operator!=(const swString& a, const char* b);
swString operator+(const swString& a, const swString& b);
swString operator+(const swString& a, const char* b);
swString operator+(const char* a, const swString& b);
swString operator+(const swString& a, char c);

}  // namespace hv

#endif  // HV_CORE_STRING_SW_STRING_H_
