#include "client/shell/program/toolkit_start_failure.h"

#include <gtest/gtest.h>

namespace hv {

namespace {

const char kFatal[] =
    "This application failed to start because no Qt platform plugin could be initialized. "
    "Reinstalling the application may fix this problem.\n\nAvailable platform plugins are: "
    "xcb, offscreen.";

TEST(ToolkitStartFailureTest, ADisplayThatDoesNotAnswerIsOneLineOfOurOwn) {
  EXPECT_EQ(ToolkitStartFailureText(
                {"qt.qpa.xcb: could not connect to display :63",
                 "qt.qpa.plugin: Could not load the Qt platform plugin \"xcb\" in \"\" even "
                 "though it was found.",
                 kFatal},
                ":63", nullptr),
            "hearthview: cannot connect to the display :63\n");
  // The display given with -display is the one named, whatever the environment says.
  EXPECT_EQ(
      ToolkitStartFailureText({"could not connect to display otherhost:1", kFatal}, ":0", nullptr),
      "hearthview: cannot connect to the display otherhost:1\n");
  EXPECT_EQ(
      ToolkitStartFailureText({"qt.qpa.xcb: could not connect to display ", kFatal}, ":5", nullptr),
      "hearthview: cannot connect to the display :5\n");
  EXPECT_EQ(
      ToolkitStartFailureText({"Failed to create wl_display (No such file or directory)", kFatal},
                              nullptr, "wayland-9"),
      "hearthview: cannot connect to the Wayland display wayland-9\n");
}

TEST(ToolkitStartFailureTest, AnUnknownCauseKeepsTheToolkitsWords) {
  EXPECT_EQ(ToolkitStartFailureText({"qt.qpa.plugin: Could not find the Qt platform plugin "
                                     "\"nosuch\" in \"\"",
                                     kFatal},
                                    ":0", nullptr),
            "hearthview: cannot start the graphical session; the toolkit said:\n"
            "  qt.qpa.plugin: Could not find the Qt platform plugin \"nosuch\" in \"\"\n"
            "  This application failed to start because no Qt platform plugin could be "
            "initialized. Reinstalling the application may fix this problem.\n"
            "  Available platform plugins are: xcb, offscreen.\n");
}

}  // namespace

}  // namespace hv
