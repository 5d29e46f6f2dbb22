#include "client/update/restart_launch.h"

#include <gtest/gtest.h>

#include <string>

#include "client/update/update_codes.h"

namespace hv {

namespace {

TEST(RestartLaunchTest, AHelperThatCannotStartSaysWhichAndWhy) {
  const Status started = StartDetachedProcess("/nonexistent/restart", {"/P=1"}, "");
  EXPECT_TRUE(started.Is(Where::kUpdate, kRestartNotStarted)) << started.ToString();
  EXPECT_NE(started.message().find("/nonexistent/restart: "), std::string::npos);
  EXPECT_GT(started.message().size(), std::string("/nonexistent/restart: ").size());
}

}  // namespace

}  // namespace hv
