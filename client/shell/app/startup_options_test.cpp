#include "client/shell/app/startup_options.h"

#include <gtest/gtest.h>

#include "client/update/update_constants.h"

#include <map>
#include <string>
#include <vector>

namespace hv {

namespace {

cStartupOptions Parse(const std::vector<std::string>& arguments) {
  return ParseStartupOptions(arguments);
}

TEST(StartupOptionsTest, HelpVersionAndMistakes) {
  EXPECT_EQ(Parse({}).action, eStartupAction::kRun);
  EXPECT_EQ(Parse({"--help"}).action, eStartupAction::kShowHelp);
  EXPECT_EQ(Parse({"-h"}).action, eStartupAction::kShowHelp);
  EXPECT_EQ(Parse({"--version"}).action, eStartupAction::kShowVersion);
  // The version is the one the update check compares with the published builds.
  EXPECT_EQ(VersionText(), std::string("hearthview (Varnholt (TM) Client) ") + ThisVersionText() +
                               ", build " + ThisBuildText() + "\n");
  // The first of them decides, even after a mistake further on.
  EXPECT_EQ(Parse({"--version", "--bogus"}).action, eStartupAction::kShowVersion);

  const cStartupOptions unknown = Parse({"--bogus"});
  EXPECT_EQ(unknown.action, eStartupAction::kBadUsage);
  EXPECT_EQ(unknown.error, "unknown option \"--bogus\"");
  EXPECT_EQ(Parse({"house.json"}).error, "unexpected argument \"house.json\"");
  EXPECT_EQ(Parse({"-platform"}).error, "option \"-platform\" needs a value");
  EXPECT_EQ(Parse({"-reverse=1"}).action, eStartupAction::kBadUsage);
  EXPECT_EQ(Parse({"-"}).action, eStartupAction::kBadUsage);
}

TEST(StartupOptionsTest, TheToolkitsOwnOptionsPassThrough) {
  const cStartupOptions options =
      Parse({"-platform", "offscreen", "--style=Fusion", "-reverse", "-display", ":1"});
  EXPECT_EQ(options.action, eStartupAction::kRun);
  EXPECT_EQ(options.platform, "offscreen");
  EXPECT_TRUE(options.display_given);
  EXPECT_EQ(Parse({"--platform=vnc:size=800x600"}).platform, "vnc:size=800x600");
}

TEST(StartupOptionsTest, AGraphicalSessionIsADisplayOrAPlatformThatNeedsNone) {
  struct Case {
    std::map<std::string, std::string> environment;
    std::vector<std::string> arguments;
    bool available;
  };
  const Case cases[] = {
      {{}, {}, false},
      {{{"DISPLAY", ""}}, {}, false},
      {{{"DISPLAY", ":0"}}, {}, true},
      {{{"WAYLAND_DISPLAY", "wayland-0"}}, {}, true},
      {{{"QT_QPA_PLATFORM", "offscreen"}}, {}, true},
      {{{"QT_QPA_PLATFORM", "vnc:size=800x600"}}, {}, true},
      {{{"QT_QPA_PLATFORM", "xcb"}}, {}, false},
      {{{"QT_QPA_PLATFORM", "wayland-egl"}}, {}, false},
      {{{"QT_QPA_PLATFORM", "wayland;xcb"}}, {}, false},
      {{{"QT_QPA_PLATFORM", "wayland;offscreen"}}, {}, true},
      {{}, {"-platform", "minimal"}, true},
      {{{"QT_QPA_PLATFORM", "offscreen"}}, {"-platform", "xcb"}, false},
      {{}, {"-display", ":3"}, true},
  };
  for (const Case& c : cases) {
    const cStartupOptions options = Parse(c.arguments);
    const auto lookup = [&](const char* name) -> const char* {
      auto it = c.environment.find(name);
      return it == c.environment.end() ? nullptr : it->second.c_str();
    };
    EXPECT_EQ(GraphicalSessionAvailable(options, lookup), c.available)
        << (c.environment.empty() ? "" : c.environment.begin()->second) << " "
        << (c.arguments.empty() ? "" : c.arguments.back());
  }
}

}  // namespace

}  // namespace hv
