// TempConfigHome: for tests, a fresh folder made $XDG_CONFIG_HOME while it lives (the former
// value comes back afterwards), so no test touches another test's or the user's settings.
#ifndef HV_CORE_TESTING_TEMP_CONFIG_HOME_H_
#define HV_CORE_TESTING_TEMP_CONFIG_HOME_H_

#include <string>

#include "core/testing/scoped_env.h"
#include "core/testing/temp_folder.h"

namespace hv {

class TempConfigHome {
 public:
  TempConfigHome() = default;
  TempConfigHome(const TempConfigHome&) = delete;
  TempConfigHome& operator=(const TempConfigHome&) = delete;

  const std::string& path() const { return folder_.path(); }

 private:
  hv::test::cTempFolder folder_{"hvcfg"};
  hv::test::cScopedEnv config_home_{"XDG_CONFIG_HOME", folder_.path()};
};

}  // namespace hv

#endif  // HV_CORE_TESTING_TEMP_CONFIG_HOME_H_
