#include "client/update/dlg_progress.h"

#include <gtest/gtest.h>

#include "client/ui/headless/headless_toolkit.h"
#include "client/ui/headless/headless_window.h"

namespace hv {

namespace {

TEST(ProgressTest, BarsFollowBytesAndStayAtFullPastTheirSizes) {
  cHeadlessToolkit toolkit;
  CDlgProgress progress;
  ASSERT_EQ(progress.Create(toolkit, nullptr), 0);
  cWindow& window = *progress.Window();
  EXPECT_TRUE(window.IsVisible());
  progress.SetTotalSize(1000);
  progress.SetFileSize(400);
  progress.SetPosition(100);
  EXPECT_EQ(window.ProgressBar(kProgressFileBar)->Position(), 25);
  EXPECT_EQ(window.ProgressBar(kProgressTotalBar)->Position(), 10);
  progress.SetPosition(400);
  progress.SetPosition(400);  // the same position again adds nothing
  EXPECT_EQ(progress.Counted(), 400u);
  // Past the sizes the bars hold at 100.
  progress.SetPosition(900);
  progress.SetFileSize(100);
  progress.SetPosition(700);
  EXPECT_EQ(window.ProgressBar(kProgressFileBar)->Position(), 100);
  EXPECT_EQ(window.ProgressBar(kProgressTotalBar)->Position(), 100);
  EXPECT_EQ(progress.Counted(), 1600u);

  // Rounded to the nearest percent, and large files do not overflow the arithmetic.
  EXPECT_EQ(CDlgProgress::Percent(1, 200), 1);
  EXPECT_EQ(CDlgProgress::Percent(0, 0), 0);
  EXPECT_EQ(CDlgProgress::Percent(3000000000ull, 4000000000ull), 75);
}

TEST(ProgressTest, LabelAndCancel) {
  cHeadlessToolkit toolkit;
  CDlgProgress progress;
  ASSERT_EQ(progress.Create(toolkit, nullptr), 0);
  auto& window = static_cast<cHeadlessWindow&>(*progress.Window());
  progress.SetFileName("hearthview.exe");
  progress.UpdateLabel(true);
  EXPECT_STREQ(window.Control(kProgressFileLabel)->Text().CStr(), "Esimating Size: hearthview.exe");
  progress.UpdateLabel(false);
  EXPECT_STREQ(window.Control(kProgressFileLabel)->Text().CStr(), "hearthview.exe");
  EXPECT_FALSE(progress.IsCancelled());
  ASSERT_TRUE(window.Click(kResultCancel));
  EXPECT_TRUE(progress.IsCancelled());
  EXPECT_FALSE(window.IsVisible());
}

}  // namespace

}  // namespace hv
