#include "client/views/history/window_place.h"

#include <gtest/gtest.h>

namespace hv::history {
namespace {

TEST(WindowPlaceTest, OpensBesideTheMainWindowAndStaysOnItsScreen) {
  const cRect screen{0, 0, 1024, 768};
  const cRect window{0, 0, 900, 640};
  // Beside the owner, where it fits.
  EXPECT_EQ(PlaceWindow(window, {screen, {40, 30, 540, 430}}), (cRect{72, 62, 972, 702}));
  // The owner towards the bottom right: moved back so that all of it shows.
  EXPECT_EQ(PlaceWindow(window, {screen, {500, 400, 1000, 760}}), (cRect{124, 128, 1024, 768}));
  // No owner: centred.
  EXPECT_EQ(PlaceWindow(window, {screen, {}}), (cRect{62, 64, 962, 704}));
  // Larger than the screen: made to fit.
  EXPECT_EQ(PlaceWindow({0, 0, 1200, 900}, {screen, {40, 30, 540, 430}}), screen);
  // A second screen to the right, with a panel at its top.
  const cRect second{1024, 28, 2944, 1080};
  EXPECT_EQ(PlaceWindow(window, {second, {2800, 0, 3000, 200}}), (cRect{2044, 32, 2944, 672}));
  // No screen known: left where the toolkit put it.
  EXPECT_EQ(PlaceWindow({5, 5, 905, 645}, {}), (cRect{5, 5, 905, 645}));
}

}  // namespace
}  // namespace hv::history
