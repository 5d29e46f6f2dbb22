// TempConfigHome: for tests, a fresh folder made $XDG_CONFIG_HOME while it lives (the former
// value comes back afterwards), so no test touches another test's or the user's settings.
#ifndef HV_CORE_TESTING_TEMP_CONFIG_HOME_H_
#define HV_CORE_TESTING_TEMP_CONFIG_HOME_H_

#include <cstdlib>
#include <optional>
#include <string>

#include "core/testing/temp_folder.h"

class TempConfigHome {
 public:
  TempConfigHome() {
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) saved_ = old;
    setenv("XDG_CONFIG_HOME", folder_.path().c_str(), 1);
  }
  ~TempConfigHome() {
    if (saved_) {
      setenv("XDG_CONFIG_HOME", saved_->c_str(), 1);
    } else {
      unsetenv("XDG_CONFIG_HOME");
    }
  }
  TempConfigHome(const TempConfigHome&) = delete;
  TempConfigHome& operator=(const TempConfigHome&) = delete;

  const std::string& path() const { return folder_.path(); }

 private:
  hvtest::cTempFolder folder_{"hvcfg"};
  std::optional<std::string> saved_;
};

#endif  // HV_CORE_TESTING_TEMP_CONFIG_HOME_H_
