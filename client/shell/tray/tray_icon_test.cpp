#include "client/shell/tray/tray_icon.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/picture/bitmap.h"
#include "client/shell/tray/tray_resources.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/ui/headless/headless_tray_area.h"

namespace hv {

namespace {

constexpr uint32_t kCallback = 1024;

// The notify window's own handling: writes down the commands it is sent.
class cCommandRecorder : public cWindowProcedure {
 public:
  int64_t WindowProc(cMessageWindow&, const cWindowMessage& message) override {
    if (message.message == kMessageCommand)
      commands.push_back(static_cast<int32_t>(message.wparam));
    if (message.message == kCallback) ++callbacks;
    return 0;
  }
  std::vector<int32_t> commands;
  int callbacks = 0;
};

class TrayIconTest : public ::testing::Test {
 protected:
  // An icon as the frame sets it up: notify window, callback message, the quiet picture.
  void SetUp() override {
    icon_.SetNotifyWnd(&window_, kCallback);
    ASSERT_TRUE(icon_.SetIcon(kTrayImageQuiet).ok());
  }
  const cHeadlessTrayArea::cIcon* Shown() { return tray_.Icon(kTrayIconId); }

  cHeadlessToolkit toolkit_;
  cHeadlessTrayArea tray_;
  cCommandRecorder own_;
  cMessageWindow window_{&own_};
  CTrayIcon icon_{toolkit_, tray_, kTrayIconId};
};

TEST_F(TrayIconTest, PicturesAndTipsComeFromTheirResourcesAndAreMadeOnce) {
  ASSERT_NE(Shown(), nullptr);
  EXPECT_EQ(Shown()->tip, "Varnholt (TM)");
  EXPECT_EQ(Shown()->callback_message, kCallback);
  const cTrayImage quiet = Shown()->image;
  ASSERT_NE(tray_.Image(quiet), nullptr);
  EXPECT_EQ(tray_.Image(quiet)->Width(), 16u);

  ASSERT_TRUE(icon_.SetIcon(kTrayImageNoticed).ok());
  EXPECT_EQ(Shown()->tip, "Varnholt (TM) Detected Something");
  EXPECT_NE(Shown()->image, quiet);
  ASSERT_TRUE(icon_.SetIcon(kTrayImageQuiet).ok());
  EXPECT_EQ(Shown()->image, quiet);  // taken from the kept pictures
  EXPECT_EQ(tray_.LiveImages(), 2u);

  // A picture that cannot be had leaves the tray as it was.
  const int changes = tray_.Changes();
  EXPECT_TRUE(icon_.SetIcon(999u).failed());
  EXPECT_EQ(tray_.Changes(), changes);
  EXPECT_EQ(Shown()->image, quiet);

  cHeadlessTrayArea failing;
  failing.FailImages(true);
  CTrayIcon other(toolkit_, failing, kTrayIconId);
  EXPECT_TRUE(other.SetIcon(kTrayImageQuiet).failed());
  EXPECT_EQ(failing.IconCount(), 0u);
}

TEST_F(TrayIconTest, RightClickOpensTheIconMenuAndItsChoiceGoesToTheWindow) {
  toolkit_.SetCursorPosition(cPoint{600, 780});
  toolkit_.QueueMenuAnswer(kTrayCommandAbout);
  ASSERT_TRUE(tray_.UserEvent(kTrayIconId, kMessageRightButtonUp));
  const auto& items = toolkit_.LastMenuItems();
  ASSERT_EQ(items.size(), 5u);
  EXPECT_EQ(items[0].text, "Open Main Control Window");
  EXPECT_EQ(items[0].command, 32771);
  EXPECT_EQ(items[1].text, "Hide Main Control Window");
  EXPECT_EQ(items[1].command, 32775);
  EXPECT_EQ(items[2].text, "About");
  EXPECT_EQ(items[2].command, 32773);
  EXPECT_EQ(items[3].text, "Exit");
  EXPECT_EQ(items[3].command, 32774);
  EXPECT_EQ(items[4].text, "History...");
  EXPECT_EQ(toolkit_.LastMenuDefault(), 32771);
  EXPECT_EQ(toolkit_.LastMenuPoint().x, 600);
  EXPECT_EQ(toolkit_.LastMenuPoint().y, 780);
  EXPECT_EQ(own_.commands, std::vector<int32_t>{32773});
  // The window still saw the callback itself, after the hook.
  EXPECT_EQ(own_.callbacks, 1);

  // A dismissed menu sends nothing; other events open nothing.
  ASSERT_TRUE(tray_.UserEvent(kTrayIconId, kMessageRightButtonUp));
  ASSERT_TRUE(tray_.UserEvent(kTrayIconId, kMessageLeftButtonUp));
  ASSERT_TRUE(tray_.UserEvent(kTrayIconId, kMessageMouseMove));
  EXPECT_EQ(toolkit_.MenusTracked(), 2);
  EXPECT_EQ(own_.commands, std::vector<int32_t>{32773});
  EXPECT_EQ(own_.callbacks, 4);
}

TEST_F(TrayIconTest, DoubleClickSendsTheFirstCommandAndOtherIconsAreNotOurs) {
  ASSERT_TRUE(tray_.UserEvent(kTrayIconId, kMessageLeftButtonDoubleClick));
  EXPECT_EQ(own_.commands, std::vector<int32_t>{kTrayCommandOpen});
  EXPECT_EQ(toolkit_.MenusTracked(), 0);
  EXPECT_FALSE(icon_.OnTrayNotification(kTrayIconId + 1, kMessageLeftButtonDoubleClick));
  EXPECT_EQ(own_.commands.size(), 1u);
}

TEST_F(TrayIconTest, ARestartedTrayGetsTheIconBack) {
  ASSERT_TRUE(icon_.SetIcon(kTrayImageNoticed).ok());
  const cTrayImage noticed = Shown()->image;
  tray_.Restart();
  ASSERT_NE(Shown(), nullptr);
  EXPECT_EQ(Shown()->image, noticed);
  EXPECT_EQ(Shown()->tip, "Varnholt (TM) Detected Something");
  EXPECT_TRUE(icon_.HasIcon());
}

TEST_F(TrayIconTest, ATrayThatStartsLaterStillGetsTheIcon) {
  ASSERT_TRUE(icon_.SetIcon(0u).ok());
  tray_.SetAvailable(false);
  EXPECT_TRUE(icon_.SetIcon(kTrayImageQuiet).failed());
  EXPECT_FALSE(icon_.HasIcon());
  EXPECT_EQ(Shown(), nullptr);
  tray_.SetAvailable(true);
  ASSERT_NE(Shown(), nullptr);
  EXPECT_TRUE(icon_.HasIcon());
  // Removed on purpose, it stays away through a restart.
  ASSERT_TRUE(icon_.SetIcon(0u).ok());
  tray_.Restart();
  EXPECT_EQ(Shown(), nullptr);
}

TEST_F(TrayIconTest, LongTipsAreCutWithoutSplittingACharacter) {
  // 62 letters, then a two-byte character that would straddle the 64-byte limit.
  std::string tip(62, 'x');
  tip += "\xC3\xA9";
  tip += "tail";
  ASSERT_TRUE(icon_.SetIcon(Shown()->image, tip.c_str()).ok());
  EXPECT_EQ(Shown()->tip, std::string(62, 'x'));
  ASSERT_TRUE(icon_.SetIcon(Shown()->image, std::string(100, 'y').c_str()).ok());
  EXPECT_EQ(Shown()->tip, std::string(63, 'y'));
}

TEST(TrayIconLifeTest, DestroyingTheIconRemovesItFreesItsPicturesAndUnhooks) {
  cHeadlessToolkit toolkit;
  cHeadlessTrayArea tray;
  cCommandRecorder own;
  cMessageWindow top(&own);
  cMessageWindow child(&own, &top);
  {
    CTrayIcon icon(toolkit, tray, kTrayIconId);
    icon.SetNotifyWnd(&child, kCallback);
    // Both the notify window and its top-level parent are hooked.
    EXPECT_NE(CSubclassWndMap::Instance().Lookup(&child), nullptr);
    EXPECT_NE(CSubclassWndMap::Instance().Lookup(&top), nullptr);
    ASSERT_TRUE(icon.SetIcon(kTrayImageQuiet).ok());
    // The restart reaches the top-level window only, and still brings the icon back.
    tray.Restart();
    EXPECT_NE(tray.Icon(kTrayIconId), nullptr);
  }
  EXPECT_EQ(tray.IconCount(), 0u);
  EXPECT_EQ(tray.LiveImages(), 0u);
  EXPECT_EQ(child.Procedure(), &own);
  EXPECT_EQ(top.Procedure(), &own);
}

}  // namespace

// A tray that shows menus itself: the menu goes with the icon, changes reach it (and only
// changes), a restarted tray gets it again, and a chosen entry is a command for the window.
TEST_F(TrayIconTest, TraysThatShowMenusGetTheMenuAndItsChanges) {
  EXPECT_TRUE(Shown()->menu.empty());  // an XEmbed tray: the program pops its menu up itself
  icon_.RefreshMenu();
  EXPECT_EQ(Shown()->menu_exports, 0);

  tray_.ShowsMenus(true);
  bool porch_on = false;
  icon_.SetMenuExtension([&](cPopupMenu& menu) {
    menu.AppendItem(33200, "Porch Light");
    menu.CheckItem(33200, porch_on);
    menu.AppendSeparator();
  });
  icon_.RefreshMenu();
  ASSERT_EQ(Shown()->menu_exports, 1);
  std::vector<std::string> texts;
  for (const cTrayMenuEntry& entry : Shown()->menu) texts.push_back(entry.text);
  EXPECT_EQ(texts,
            (std::vector<std::string>{"Porch Light", "", "Open Main Control Window",
                                      "Hide Main Control Window", "About", "Exit", "History..."}));
  EXPECT_TRUE(Shown()->menu[0].checkable);
  EXPECT_FALSE(Shown()->menu[0].checked);
  EXPECT_FALSE(Shown()->menu[2].checkable);

  icon_.RefreshMenu();
  EXPECT_EQ(Shown()->menu_exports, 1);
  porch_on = true;
  icon_.RefreshMenu();
  EXPECT_EQ(Shown()->menu_exports, 2);
  EXPECT_TRUE(Shown()->menu[0].checked);

  tray_.Restart();
  ASSERT_NE(Shown(), nullptr);
  EXPECT_EQ(Shown()->menu.size(), 7u);

  EXPECT_TRUE(tray_.ChooseMenuEntry(kTrayIconId, kTrayCommandHide));
  EXPECT_FALSE(tray_.ChooseMenuEntry(kTrayIconId, 0));
  EXPECT_EQ(own_.commands, std::vector<int32_t>{kTrayCommandHide});
}

}  // namespace hv
