// swCharMask: a set of the 256 character codes, eight 32-bit words; bit c of word c / 32 says
// whether code c is a member. The fixed subclasses set their members when constructed, and
// one immutable global instance of each exists for the whole run.
#ifndef HV_CORE_STRING_CHAR_MASK_H_
#define HV_CORE_STRING_CHAR_MASK_H_

#include <cstdint>

#include "core/storable.h"

namespace hv {

class swCharMask : public swStorable {
 public:
  static constexpr int kWords = 8;

  constexpr swCharMask() = default;
  constexpr explicit swCharMask(const uint32_t (&words)[kWords]) {
    for (int i = 0; i < kWords; ++i) words_[i] = words[i];
  }
  constexpr swCharMask(const swCharMask& other) = default;
  // Not constexpr: the base class's assignment is not, and clang refuses the claim.
  swCharMask& operator=(const swCharMask& other) = default;

  constexpr void Set(unsigned char c, bool on) {
    uint32_t bit = uint32_t{1} << (c % 32);
    if (on) {
      words_[c / 32] |= bit;
    } else {
      words_[c / 32] &= ~bit;
    }
  }
  constexpr bool Contains(unsigned char c) const { return (words_[c / 32] >> (c % 32)) & 1U; }
  constexpr uint32_t Word(int index) const { return words_[index]; }

  uint16_t ClassId() const override { return kClassCharMask; }
  // The eight words as 32-bit values of version 1.
  hv::Status Serialize(swSerializer& archive) override;

 protected:
  constexpr void SetRange(int first, int last, bool on) {
    for (int c = first; c <= last; ++c) Set(static_cast<unsigned char>(c), on);
  }

 private:
  uint32_t words_[kWords] = {};
};

class swNumbersMask : public swCharMask {
 public:
  constexpr swNumbersMask() { SetRange('0', '9', true); }
};

class swUpperMask : public swCharMask {
 public:
  constexpr swUpperMask() { SetRange('A', 'Z', true); }
};

class swLowerMask : public swCharMask {
 public:
  constexpr swLowerMask() { SetRange('a', 'z', true); }
};

class swControlMask : public swCharMask {
 public:
  constexpr swControlMask() { SetRange(0, 31, true); }
};

class swHighAsciiMask : public swCharMask {
 public:
  constexpr swHighAsciiMask() { SetRange(128, 255, true); }
};

class swAllMask : public swCharMask {
 public:
  constexpr swAllMask() { SetRange(0, 255, true); }
};

// Codes 33-127 other than digits and letters (127 included).
class swPunctuationMask : public swCharMask {
 public:
  constexpr swPunctuationMask() {
    SetRange(0, 127, true);
    SetRange(0, 32, false);
    SetRange('0', '9', false);
    SetRange('a', 'z', false);
    SetRange('A', 'Z', false);
  }
};

// The global instances, built before any code runs (constant initialisation).
extern const swNumbersMask kNumbersMask;
extern const swUpperMask kUpperMask;
extern const swLowerMask kLowerMask;
extern const swControlMask kControlMask;
extern const swHighAsciiMask kHighAsciiMask;
extern const swAllMask kAllMask;
extern const swPunctuationMask kPunctuationMask;

}  // namespace hv

#endif  // HV_CORE_STRING_CHAR_MASK_H_
