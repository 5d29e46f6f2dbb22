// cScopedUserLocale: the C library's locale set to a user's one (as the desktop toolkit sets
// it for the whole process) for one test, and "C" again afterwards. The locales are made by
// scripts/install-deps; ok() is false when the machine lacks one.
#ifndef HV_CORE_TESTING_SCOPED_USER_LOCALE_H_
#define HV_CORE_TESTING_SCOPED_USER_LOCALE_H_

#include <clocale>

namespace hv {

namespace test {

// The user locales whose numbers and clocks differ most from the system's own texts.
inline constexpr const char* kCommaLocales[] = {"de_DE.UTF-8", "fr_FR.UTF-8"};

class cScopedUserLocale {
 public:
  explicit cScopedUserLocale(const char* name) : ok_(std::setlocale(LC_ALL, name) != nullptr) {}
  ~cScopedUserLocale() { std::setlocale(LC_ALL, "C"); }
  cScopedUserLocale(const cScopedUserLocale&) = delete;
  cScopedUserLocale& operator=(const cScopedUserLocale&) = delete;

  bool ok() const { return ok_; }

 private:
  bool ok_;
};

}  // namespace test

}  // namespace hv

#endif  // HV_CORE_TESTING_SCOPED_USER_LOCALE_H_
