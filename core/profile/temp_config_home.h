// TempConfigHome: for tests, a fresh folder made $XDG_CONFIG_HOME while it lives (the former
// value comes back afterwards), so no test touches another test's or the user's settings.
#ifndef HV_CORE_PROFILE_TEMP_CONFIG_HOME_H_
#define HV_CORE_PROFILE_TEMP_CONFIG_HOME_H_

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

class TempConfigHome {
 public:
  TempConfigHome() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp ? tmp : "/tmp") + "/hvcfgXXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) saved_ = old;
    setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
  }
  ~TempConfigHome() {
    if (saved_) {
      setenv("XDG_CONFIG_HOME", saved_->c_str(), 1);
    } else {
      unsetenv("XDG_CONFIG_HOME");
    }
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempConfigHome(const TempConfigHome&) = delete;
  TempConfigHome& operator=(const TempConfigHome&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::optional<std::string> saved_;
};

#endif  // HV_CORE_PROFILE_TEMP_CONFIG_HOME_H_
