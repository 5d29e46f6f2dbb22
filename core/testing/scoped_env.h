// cScopedEnv: an environment variable set (or removed) for the life of the object, its
// former value, or its absence, put back afterwards. Tests point TMPDIR and the XDG
// folders at folders of their own with it, and must leave the next test what they found.
#ifndef HV_CORE_TESTING_SCOPED_ENV_H_
#define HV_CORE_TESTING_SCOPED_ENV_H_

#include <cstdlib>
#include <optional>
#include <string>

namespace hv {

namespace test {

class cScopedEnv {
 public:
  // value null: the variable is removed for the object's life.
  cScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  cScopedEnv(const char* name, const std::string& value) : cScopedEnv(name, value.c_str()) {}
  ~cScopedEnv() {
    if (saved_) {
      setenv(name_.c_str(), saved_->c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }
  cScopedEnv(const cScopedEnv&) = delete;
  cScopedEnv& operator=(const cScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> saved_;
};

}  // namespace test

}  // namespace hv

#endif  // HV_CORE_TESTING_SCOPED_ENV_H_
