#include "client/views/video/dlg_child_video.h"

#include <gtest/gtest.h>

#include "client/ui/window_controls.h"
#include "client/views/testing/video_view_test_support.h"
#include "client/views/title_label.h"
#include "client/views/video/dlg_zirer.h"
#include "client/views/video/dlg_zirer_layout.h"

namespace hv {

namespace {

using hv::test::Plain;
using hv::test::Thumb;

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;
constexpr uint32_t kT0 = 1700000000;  // 2023-11-14 22:13:20 UTC

class VideoViewTest : public hv::test::VideoViewTest {
 protected:
  void Add(CDlgChildVideo& view, const char* path, uint32_t when, uint32_t colour,
           int32_t max = 3) {
    const cBitmap picture = Plain(colour);
    ASSERT_EQ(view.AddThumbnail(Thumb(view.Name().CStr(), path, when), &picture, max).code(), 0);
  }
};

TEST_F(VideoViewTest, InitialisationShowsTheListAndButtonsAndHidesThePreview) {
  auto view = MakeView("Front Door");
  cHeadlessWindow& window = Window(*view);
  EXPECT_EQ(ControlText(window, kTitleLabelId), "Front Door");
  EXPECT_TRUE(window.Control(video::kThumbnailList)->IsVisible());
  EXPECT_TRUE(window.Control(video::kSnapPicture)->IsVisible());
  EXPECT_FALSE(window.Control(video::kPreviewArea)->IsVisible());
  EXPECT_FALSE(window.Control(video::kPreviewInTab)->IsVisible());
  EXPECT_FALSE(window.Control(video::kSeparateWindow)->IsVisible());
  EXPECT_FALSE(window.Control(video::kDisplay)->IsEnabled());  // nothing selected
  auto* images = static_cast<cHeadlessImageList*>(Icons(*view).ImageList());
  ASSERT_NE(images, nullptr);
  EXPECT_EQ(images->CellWidth(), 80);
  EXPECT_EQ(images->CellHeight(), 60);
  EXPECT_EQ(images->ColourDepth(), 24);
  EXPECT_EQ(view->IsPreviewInTab(), 1);  // "Show Preview-" defaults to 1
}

TEST_F(VideoViewTest, AFourthThumbnailDropsTheOldestAndEveryRowKeepsItsOwnPicture) {
  auto view = MakeView("Front Door");
  Add(*view, "C:\\Pics\\a.jpg", kT0 + 1, kRed);
  Add(*view, "C:\\Pics\\b.jpg", kT0 + 2, kGreen);
  Add(*view, "C:\\Pics\\c.jpg", kT0 + 3, kBlue);
  ASSERT_EQ(Icons(*view).RowCount(), 3);
  Add(*view, "C:\\Pics\\d.jpg", kT0 + 4, kWhite);

  cHeadlessReportList& icons = Icons(*view);
  ASSERT_EQ(icons.RowCount(), 3);
  EXPECT_EQ(static_cast<cHeadlessImageList*>(icons.ImageList())->Count(), 3);
  EXPECT_EQ(StoredOf("Front Door"), 3u);
  EXPECT_EQ(store_.FindByPicturePath("C:\\Pics\\a.jpg"), nullptr);
  // Newest first, each drawing its own colour.
  EXPECT_EQ(RowColour(*view, 0), kWhite);
  EXPECT_EQ(RowColour(*view, 1), kBlue);
  EXPECT_EQ(RowColour(*view, 2), kGreen);
  // The records agree with the rows about their pictures.
  for (int32_t row = 0; row < 3; ++row) {
    auto* record = reinterpret_cast<cVideoThumbnail*>(icons.RowValue(row));
    EXPECT_EQ(record->image_index, icons.RowImage(row));
  }
  // And a fifth keeps it so.
  Add(*view, "C:\\Pics\\e.jpg", kT0 + 5, kRed);
  EXPECT_EQ(RowColour(*view, 0), kRed);
  EXPECT_EQ(RowColour(*view, 1), kWhite);
  EXPECT_EQ(RowColour(*view, 2), kBlue);
  EXPECT_EQ(StoredOf("Front Door"), 3u);
}

TEST_F(VideoViewTest, AMaximumOfOneAndOfNoneKeepPicturesAndRowsInStep) {
  auto one = MakeView("Front Door");
  Add(*one, "a.jpg", kT0 + 1, kRed, 1);
  Add(*one, "b.jpg", kT0 + 2, kGreen, 1);
  Add(*one, "c.jpg", kT0 + 3, kBlue, 1);
  ASSERT_EQ(Icons(*one).RowCount(), 1);
  EXPECT_EQ(static_cast<cHeadlessImageList*>(Icons(*one).ImageList())->Count(), 1);
  EXPECT_EQ(RowColour(*one, 0), kBlue);
  EXPECT_EQ(StoredOf("Front Door"), 1u);

  auto unlimited = MakeView("Garage");
  for (uint32_t i = 0; i < 6; ++i) {
    const std::string path = "g" + std::to_string(i) + ".jpg";
    Add(*unlimited, path.c_str(), kT0 + i, kRed, 0);
  }
  EXPECT_EQ(Icons(*unlimited).RowCount(), 6);
  EXPECT_EQ(StoredOf("Garage"), 6u);
}

TEST_F(VideoViewTest, ThumbnailsOfAnotherSourceNeitherAppearNorCount) {
  auto front = MakeView("Front Door");
  auto garage = MakeView("Garage");
  Add(*front, "f1.jpg", kT0 + 1, kRed);
  Add(*front, "f2.jpg", kT0 + 2, kGreen);
  for (uint32_t i = 0; i < 5; ++i) {
    const std::string path = "g" + std::to_string(i) + ".jpg";
    Add(*garage, path.c_str(), kT0 + 10 + i, kBlue);
  }
  Add(*front, "f3.jpg", kT0 + 3, kWhite);
  EXPECT_EQ(Icons(*front).RowCount(), 3);
  EXPECT_EQ(StoredOf("Front Door"), 3u);
  EXPECT_EQ(StoredOf("Garage"), 3u);
  EXPECT_EQ(RowColour(*front, 2), kRed);
  // A rebuild shows only the view's own source.
  EXPECT_EQ(front->RebuildThumbnails().code(), 0);
  EXPECT_EQ(Icons(*front).RowCount(), 3);
  EXPECT_EQ(RowColour(*front, 0), kWhite);
  EXPECT_EQ(RowColour(*front, 2), kRed);
}

TEST_F(VideoViewTest, APicturePathAlreadyStoredShowsAgainWithoutANewRecord) {
  auto view = MakeView("Front Door");
  Add(*view, "C:\\Pics\\a.jpg", kT0 + 1, kRed);
  Add(*view, "C:\\Pics\\b.jpg", kT0 + 2, kGreen);
  Add(*view, "C:\\Pics\\a.jpg", kT0 + 3, kBlue);  // sent again, as after a reconnect
  EXPECT_EQ(store_.Count(), 2u);
  ASSERT_EQ(Icons(*view).RowCount(), 2);
  EXPECT_EQ(RowColour(*view, 0), kBlue);  // the new picture, with the new time
  EXPECT_STREQ(Icons(*view).CellText(0, 0).CStr(), "11/14/2023\r\n10:13:23 PM");
  EXPECT_EQ(RowColour(*view, 1), kGreen);
}

TEST_F(VideoViewTest, APictureSentAgainIntoAFullViewTakesTheOldestRecordWithItsPicture) {
  auto view = MakeView("Front Door");
  Add(*view, "a.jpg", kT0 + 1, kRed);
  Add(*view, "b.jpg", kT0 + 2, kGreen);
  Add(*view, "c.jpg", kT0 + 3, kBlue);
  Add(*view, "b.jpg", kT0 + 4, kWhite);
  // a's picture left the list, so a must leave the store: a rebuild would bring it back
  // drawing whatever picture moved into its place.
  EXPECT_EQ(store_.FindByPicturePath("a.jpg"), nullptr);
  EXPECT_EQ(StoredOf("Front Door"), 2u);
  ASSERT_EQ(view->RebuildThumbnails().code(), 0);
  cHeadlessReportList& icons = Icons(*view);
  ASSERT_EQ(icons.RowCount(), 2);
  EXPECT_EQ(RowColour(*view, 0), kWhite);
  EXPECT_EQ(RowColour(*view, 1), kBlue);
  for (int32_t row = 0; row < 2; ++row) {
    auto* record = reinterpret_cast<cVideoThumbnail*>(icons.RowValue(row));
    EXPECT_EQ(record->image_index, icons.RowImage(row));
  }

  // The record on picture 0 sent again keeps itself and every other record.
  Add(*view, "d.jpg", kT0 + 5, kRed);  // c, b, d on pictures 0, 1, 2
  Add(*view, "c.jpg", kT0 + 6, kGreen);
  EXPECT_EQ(StoredOf("Front Door"), 3u);
  ASSERT_EQ(view->RebuildThumbnails().code(), 0);
  ASSERT_EQ(icons.RowCount(), 3);
  EXPECT_EQ(RowColour(*view, 0), kGreen);
  EXPECT_EQ(RowColour(*view, 1), kRed);
  EXPECT_EQ(RowColour(*view, 2), kWhite);
}

TEST_F(VideoViewTest, AnUndecodedThumbnailIsStoredButNotShown) {
  auto view = MakeView("Front Door");
  ASSERT_EQ(view->AddThumbnail(Thumb("Front Door", "a.jpg", kT0), nullptr, 3).code(), 0);
  EXPECT_EQ(Icons(*view).RowCount(), 0);
}

TEST_F(VideoViewTest, LabelsAreTheLocalDateAndTimeOnTwoLinesAndRowsAreNewestFirst) {
  EXPECT_EQ(CDlgChildVideo::ThumbnailLabel(kT0), "11/14/2023\r\n10:13:20 PM");
  EXPECT_EQ(CDlgChildVideo::ThumbnailLabel(1704067200), "01/01/2024\r\n12:00:00 AM");
  auto view = MakeView("Front Door");
  // Across a year's end and noon, where sorting the label texts would get it wrong.
  Add(*view, "a.jpg", 1704067200 - 3600, kRed, 0);         // 12/31/2023 11 PM
  Add(*view, "b.jpg", 1704067200 + 13 * 3600, kBlue, 0);   // 01/01/2024 01 PM
  Add(*view, "c.jpg", 1704067200 + 11 * 3600, kGreen, 0);  // 01/01/2024 11 AM
  EXPECT_EQ(RowColour(*view, 0), kBlue);
  EXPECT_EQ(RowColour(*view, 1), kGreen);
  EXPECT_EQ(RowColour(*view, 2), kRed);
}

TEST_F(VideoViewTest, ATopPaneViewDrawsFromTheTabViewsPicturesAndStaysInStep) {
  auto tab = MakeView("Front Door");
  auto top = MakeView("Front Door", kPlacementTop, tab.get());
  EXPECT_EQ(Icons(*top).ImageList(), Icons(*tab).ImageList());
  const char* paths[] = {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"};
  const uint32_t colours[] = {kRed, kGreen, kBlue, kWhite, 0x808080};
  for (uint32_t i = 0; i < 5; ++i) {
    // As the main window does: the tab view first, then the top view.
    Add(*tab, paths[i], kT0 + i, colours[i]);
    Add(*top, paths[i], kT0 + i, colours[i]);
  }
  EXPECT_EQ(store_.Count(), 3u);
  ASSERT_EQ(Icons(*top).RowCount(), 3);
  for (int32_t row = 0; row < 3; ++row) {
    EXPECT_EQ(RowColour(*top, row), colours[4 - row]) << row;
    EXPECT_EQ(RowColour(*tab, row), colours[4 - row]) << row;
  }
  // A top view made later shows what is there, and carries on in step.
  auto late = MakeView("Front Door", kPlacementTop, tab.get());
  ASSERT_EQ(Icons(*late).RowCount(), 3);
  Add(*tab, "f.jpg", kT0 + 9, kRed);
  Add(*late, "f.jpg", kT0 + 9, kRed);
  EXPECT_EQ(RowColour(*late, 0), kRed);
  EXPECT_EQ(RowColour(*late, 1), 0x808080u);
  EXPECT_EQ(RowColour(*late, 2), kWhite);
  // The tab view going away takes its pictures from the top view's list too.
  tab.reset();
  EXPECT_EQ(Icons(*late).ImageList(), nullptr);
  EXPECT_EQ(Icons(*late).RowCount(), 0);
}

TEST_F(VideoViewTest, DisplayOpensStoredFilesAsksForMissingOnesAndBeepsWithNoSelection) {
  auto view = MakeView("Front Door");
  Add(*view, "C:\\Pics\\here.jpg", kT0 + 1, kRed);
  Add(*view, "C:\\Pics\\missing.jpg", kT0 + 2, kGreen);
  const cBitmap picture = Plain(kBlue);
  ASSERT_EQ(view->AddThumbnail(
                    Thumb("Front Door", "C:\\Pics\\clip.jpg", kT0 + 3, 1, "C:\\Clips\\clip.avi"),
                    &picture, 0)
                .code(),
            0);
  WriteDataFile("here.jpg");
  WriteDataFile("clip.jpg");
  WriteDataFile("clip.avi");
  cHeadlessWindow& window = Window(*view);

  EXPECT_FALSE(window.Click(video::kDisplay));  // disabled without a selection
  view->OnCommand(video::kDisplay, eCommandEvent::kClicked);
  EXPECT_EQ(toolkit_.Beeps().size(), 1u);

  // Rows: clip (newest), missing, here.
  ASSERT_TRUE(window.SelectRows(video::kThumbnailList, {1, 2}));
  EXPECT_TRUE(window.Control(video::kDisplay)->IsEnabled());
  ASSERT_TRUE(window.Click(video::kDisplay));
  ASSERT_EQ(requests_.full_pictures.size(), 1u);
  EXPECT_EQ(requests_.full_pictures[0].source, "Front Door");
  EXPECT_EQ(requests_.full_pictures[0].path, "C:\\Pics\\missing.jpg");
  EXPECT_EQ(requests_.full_pictures[0].time_stamp, kT0 + 2);
  ASSERT_EQ(opener_.opened.size(), 1u);
  EXPECT_EQ(opener_.opened[0], data_folder_ + "/here.jpg");

  ASSERT_TRUE(window.DoubleClickRow(video::kThumbnailList, 0));
  ASSERT_EQ(opener_.opened.size(), 2u);
  EXPECT_EQ(opener_.opened[1], data_folder_ + "/clip.avi");
  EXPECT_EQ(toolkit_.Beeps().size(), 1u);
  EXPECT_TRUE(owner_.entries.empty());
}

TEST_F(VideoViewTest, AFullPictureRequestThatFailsIsReportedAndWithoutAConnectionNothingIsSent) {
  auto view = MakeView("Front Door");
  Add(*view, "missing.jpg", kT0, kRed);
  cHeadlessWindow& window = Window(*view);
  ASSERT_TRUE(window.SelectRows(video::kThumbnailList, {0}));

  requests_.result = hv::kSendFailed;
  ASSERT_TRUE(window.Click(video::kDisplay));
  ASSERT_EQ(owner_.entries.size(), 1u);
  EXPECT_EQ(owner_.entries[0],
            "3 Connection is lost: Get full picture or video command not sent successfully");

  requests_.connected = false;
  requests_.full_pictures.clear();
  ASSERT_TRUE(window.Click(video::kDisplay));
  EXPECT_TRUE(requests_.full_pictures.empty());
  EXPECT_EQ(owner_.entries.size(), 1u);
  EXPECT_TRUE(opener_.opened.empty());
}

TEST_F(VideoViewTest, SnapAndRecordAskTheMainWindowAndRecordFollowsItsAnswer) {
  auto view = MakeView("Front Door");
  cHeadlessWindow& window = Window(*view);
  ASSERT_TRUE(window.Click(video::kSnapPicture));
  EXPECT_EQ(owner_.snaps, std::vector<std::string>{"Front Door"});

  owner_.record_answers = {hv::kOk, hv::kSendFailed, hv::kDeclined};
  ASSERT_TRUE(window.Click(video::kRecord));
  EXPECT_EQ(ControlText(window, video::kRecord), "Stop Record");
  ASSERT_TRUE(window.Click(video::kRecord));  // not sent: the text stays
  EXPECT_EQ(ControlText(window, video::kRecord), "Stop Record");
  ASSERT_TRUE(window.Click(video::kRecord));
  EXPECT_EQ(ControlText(window, video::kRecord), "Record");
  EXPECT_EQ(owner_.toggles.size(), 3u);
}

TEST_F(VideoViewTest, LayoutCentresTheButtonRowUnderAFullWidthList) {
  auto view = MakeView("Front Door");
  cHeadlessWindow& window = Window(*view);
  // Measured from the layout in pixels (2 per dialog unit): list top 26, strip 32,
  // buttons 96 x 28 with gaps of 8.
  const cRect area{10, 20, 810, 420};
  view->LayoutChild(&area);
  EXPECT_EQ(window.Control(video::kThumbnailList)->Rect(), (cRect{10, 46, 810, 388}));
  const int32_t left = 10 + (800 - 4 * 96 - 3 * 8) / 2;
  const int32_t ids[] = {video::kZirer, video::kSnapPicture, video::kRecord, video::kDisplay};
  for (int32_t i = 0; i < 4; ++i) {
    const int32_t x = left + i * (96 + 8);
    EXPECT_EQ(window.Control(ids[i])->Rect(), (cRect{x, 420 - 29, x + 96, 420 - 1})) << i;
  }
  const cRect box = window.Control(video::kPreviewInTab)->Rect();
  EXPECT_EQ(box.left, 8);
  EXPECT_EQ(box.top + box.Height() / 2, 420 - 29 + 14);
  // Too narrow for the row: it starts at the list's left edge rather than outside.
  const cRect narrow{10, 20, 200, 420};
  view->LayoutChild(&narrow);
  EXPECT_EQ(window.Control(video::kZirer)->Rect().left, 10);
}

TEST_F(VideoViewTest, PreviewAndSeparateWindowStatesAreKeptPerSource) {
  {
    auto view = MakeView("Front Door");
    SetCheck(Window(*view), video::kSeparateWindow, true);
    SetCheck(Window(*view), video::kPreviewInTab, false);
    EXPECT_EQ(view->IsPreviewInTab(), 0);
  }
  auto view = MakeView("Front Door");
  EXPECT_EQ(view->IsPreviewInTab(), 0);
  EXPECT_EQ(view->RestoreWindowState().code(), 0);
  EXPECT_TRUE(IsChecked(Window(*view), video::kSeparateWindow));
  view->SetPreviewInTab(1);
  EXPECT_EQ(view->IsPreviewInTab(), 1);
  EXPECT_FALSE(IsChecked(Window(*view), video::kSeparateWindow));
  EXPECT_EQ(MakeView("Garage")->IsPreviewInTab(), 1);
}

TEST_F(VideoViewTest, TheCameraDialogComesBackWhereItWasWhenTheViewOpensAgain) {
  {
    auto view = MakeView("Front Door");
    EXPECT_EQ(view->Zirer(), nullptr);
    ASSERT_TRUE(Window(*view).Click(video::kZirer));
    ASSERT_NE(view->Zirer(), nullptr);
    cWindow& dialog = *view->Zirer()->Window();
    EXPECT_TRUE(dialog.IsVisible());
    EXPECT_EQ(dialog.Title(), "Zirer Controls");
    const cRect size = dialog.WindowRect();
    dialog.MoveWindow(cRect{300, 200, 300 + size.Width(), 200 + size.Height()}, false);
    static_cast<cHeadlessWindow&>(dialog).Click(zirer::kAlwaysOnTop);
    view->CloseChild(0);
  }
  {
    auto view = MakeView("Front Door");
    ASSERT_NE(view->Zirer(), nullptr);
    cWindow& dialog = *view->Zirer()->Window();
    EXPECT_TRUE(dialog.IsVisible());
    EXPECT_EQ(dialog.WindowRect().left, 300);
    EXPECT_EQ(dialog.WindowRect().top, 200);
    EXPECT_TRUE(dialog.IsAlwaysOnTop());
    // Hidden by the user: it stays closed next time.
    static_cast<cHeadlessWindow&>(dialog).Click(zirer::kHide);
    EXPECT_FALSE(dialog.IsVisible());
  }
  auto view = MakeView("Front Door");
  EXPECT_EQ(view->Zirer(), nullptr);
  EXPECT_EQ(MakeView("Garage")->Zirer(), nullptr);
}

TEST_F(VideoViewTest, TheTopViewOfASourceNeitherDoublesNorUndoesItsCameraDialog) {
  {
    auto tab = MakeView("Front Door");
    auto top = MakeView("Front Door", kPlacementTop, tab.get());
    ASSERT_TRUE(Window(*tab).Click(video::kZirer));
    cWindow& dialog = *tab->Zirer()->Window();
    const cRect size = dialog.WindowRect();
    dialog.MoveWindow(cRect{250, 150, 250 + size.Width(), 150 + size.Height()}, false);
    tab.reset();  // the top view, which never had the dialog, is saved last
  }
  auto tab = MakeView("Front Door");
  auto top = MakeView("Front Door", kPlacementTop, tab.get());
  ASSERT_NE(tab->Zirer(), nullptr);
  EXPECT_EQ(tab->Zirer()->Window()->WindowRect().left, 250);
  EXPECT_EQ(top->Zirer(), nullptr);  // one dialog for the camera
}

}  // namespace

}  // namespace hv
