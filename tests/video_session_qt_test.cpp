// The video views of the real program against the housesim program: the real Qt widgets
// (offscreen), the real event loop and clock, and the real shell, whose opener is a script
// of the test's own put first on PATH. Each video source gets its tab with real JPEG
// thumbnails; "Snap Picture" and "Record" reach the server and come back as thumbnails;
// "Display" fetches a full picture over several blocks into the data folder and opens it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QThread>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "client/platform/spawn_shell.h"
#include "client/platform/system_clock.h"
#include "client/protocol/received_file_path.h"
#include "client/shell/app/desk_window_factory.h"
#include "client/shell/app/house_desk_app.h"
#include "client/shell/desk/house_desk_dlg.h"
#include "client/shell/desk/house_desk_layout.h"
#include "client/shell/testing/house_desk_app_test_support.h"
#include "client/ui/qt/qt_button.h"
#include "client/ui/qt/qt_event_loop.h"
#include "client/ui/qt/qt_icon_list.h"
#include "client/ui/qt/qt_image_list.h"
#include "client/ui/qt/qt_toolkit.h"
#include "client/views/video/dlg_child_video.h"
#include "client/views/video/dlg_child_video_layout.h"
#include "core/profile/profile.h"
#include "tests/desk_session_support.h"
#include "tests/housesim_program.h"

namespace hv {

namespace {

namespace fs = std::filesystem;
using hv::test::ReadText;

// Runs Qt's loop until `done` holds or `seconds` pass.
bool PumpUntil(const std::function<bool()>& done, int seconds = 20) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < seconds * 1000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (done()) return true;
    QThread::msleep(5);
  }
  return done();
}

class VideoSessionQtTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path root = fs::path(std::getenv("TMPDIR"));
    // The desktop's opener, replaced: it notes what it was asked to open.
    bin_ = root / "bin";
    fs::create_directories(bin_);
    opened_ = root / "opened.txt";
    {
      std::ofstream opener(bin_ / "xdg-open");
      opener << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << opened_.string() << "'\n";
    }
    fs::permissions(bin_ / "xdg-open", fs::perms::owner_all);
    const char* path = std::getenv("PATH");
    saved_path_ = path != nullptr ? path : "";
    setenv("PATH", (bin_.string() + ":" + saved_path_).c_str(), 1);

    // housesim on a port of its own choosing.
    ASSERT_NE(std::getenv("HV_BIN_DIR"), nullptr) << "run through ctest";
    sim_ = std::make_unique<hv::test::cHousesimProgram>(root, std::vector<std::string>{"--quiet"});
    ASSERT_NE(sim_->Port(), 0u) << "housesim did not start";

    hv::test::WriteAutoLogin(sim_->Port());
    hv::test::WriteClientSetting("Max Snapshots", 5);
  }
  void TearDown() override {
    app_.reset();
    sim_.reset();
    setenv("PATH", saved_path_.c_str(), 1);
  }

  void StartClient() {
    cAppEnvironment environment(toolkit_, clock_, loop_, shell_, &windows_);
    // As the program has it: thumbnails decoded on workers and handed back through Qt's loop.
    environment.thumbnail_decode_threads = 2;
    app_ = std::make_unique<CHouseDeskApp>(environment);
    ASSERT_TRUE(app_->InitInstance());
    dlg_ = hv::test::MainDlg(*app_);
    ASSERT_NE(dlg_, nullptr);
  }
  CDlgChildVideo* View(const char* source) {
    return dynamic_cast<CDlgChildVideo*>(dlg_->Arrangement().Views().Find(source, kPlacementTab));
  }
  static cQtIconList* Icons(CDlgChildVideo* view) {
    return dynamic_cast<cQtIconList*>(view->Window()->ReportList(video::kThumbnailList));
  }
  static int32_t Rows(CDlgChildVideo* view) {
    return view != nullptr && Icons(view) != nullptr ? Icons(view)->RowCount() : 0;
  }
  static void Click(CDlgChildVideo* view, int32_t id) {
    auto* button = dynamic_cast<cQtButton*>(view->Window()->Control(id));
    ASSERT_NE(button, nullptr);
    button->Button()->click();
  }
  // The newest stored picture's time stamp of a source.
  size_t NewestOf(const char* source) const {
    size_t newest = 0;
    for (size_t i = 0; i < app_->VideoThumbnails().Count(); ++i) {
      const cVideoThumbnail* record = app_->VideoThumbnails().At(i);
      if (record->source_name == source) newest = std::max<size_t>(newest, record->time_stamp);
    }
    return newest;
  }
  size_t Clips() const {
    size_t clips = 0;
    for (size_t i = 0; i < app_->VideoThumbnails().Count(); ++i) {
      clips += app_->VideoThumbnails().At(i)->is_clip != 0;
    }
    return clips;
  }

  hv::test::cTemporaryUserFolders folders_;
  fs::path bin_;
  fs::path opened_;
  std::string saved_path_;
  std::unique_ptr<hv::test::cHousesimProgram> sim_;
  cQtToolkit toolkit_;
  cSystemClock clock_;
  cQtEventLoop loop_;
  cSpawnShell shell_;
  cDeskWindowFactory windows_{[] {}};
  std::unique_ptr<CHouseDeskApp> app_;
  CHouseDeskDlg* dlg_ = nullptr;
};

TEST_F(VideoSessionQtTest, ThumbnailsSnapshotsRecordingsAndFullPicturesOfTheRealProgram) {
  StartClient();
  // Every video source gets its tab, with the server's pictures as thumbnails.
  ASSERT_TRUE(
      PumpUntil([&] { return Rows(View("Front Porch")) > 0 && Rows(View("Back Yard")) > 0; }));
  CDlgChildVideo* porch = View("Front Porch");
  cQtIconList* icons = Icons(porch);
  auto* images = dynamic_cast<cQtImageList*>(porch->Images());
  ASSERT_NE(images, nullptr);
  const QImage first = images->Pixmap(icons->RowImage(0)).toImage();
  ASSERT_FALSE(first.isNull());
  EXPECT_EQ(first.width(), 80);
  EXPECT_EQ(first.height(), 60);
  EXPECT_EQ(qAlpha(first.pixel(40, 30)), 255);  // a decoded picture, not an empty cell
  EXPECT_LE(Rows(porch), 5);

  // The user picks the source's tab; a record of it, for people to look at.
  cTabControl* tabs = dlg_->Window()->TabControl(desk::kTabControl);
  ASSERT_NE(tabs, nullptr);
  for (int32_t index = 0; index < tabs->TabCount(); ++index) {
    if (tabs->TabCaption(index) == "Front Porch") tabs->Select(index);
  }
  dlg_->OnCommand(desk::kTabControl, eCommandEvent::kSelectionChanged);
  EXPECT_TRUE(porch->Window()->IsVisible());
  PumpUntil([] { return false; }, 1);
  if (const char* bin_dir = std::getenv("HV_BIN_DIR")) {
    const fs::path shots = fs::path(bin_dir) / ".." / "screenshot";
    fs::create_directories(shots);
    QWidget* top = QApplication::activeWindow();
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->isVisible() && widget->windowTitle().startsWith("Varnholt")) top = widget;
    }
    if (top != nullptr)
      top->grab().save(QString::fromStdString((shots / "video-view.png").string()));
  }

  // "Snap Picture": the server takes one and sends it as a new thumbnail.
  const size_t before = NewestOf("Front Porch");
  Click(porch, video::kSnapPicture);
  ASSERT_TRUE(PumpUntil([&] { return NewestOf("Front Porch") > before; }));
  EXPECT_LE(Rows(porch), 5);  // "Max Snapshots"

  // "Record" starts a recording; "Stop Record" ends it, and the clip arrives.
  Click(porch, video::kRecord);
  EXPECT_EQ(porch->Window()->Control(video::kRecord)->Text(), "Stop Record");
  Click(porch, video::kRecord);
  EXPECT_EQ(porch->Window()->Control(video::kRecord)->Text(), "Record");
  ASSERT_TRUE(PumpUntil([&] { return Clips() > 0; }));

  // "Display" on a still picture: fetched over several blocks, stored, opened.
  int32_t still = -1;
  for (int32_t row = 0; row < icons->RowCount() && still < 0; ++row) {
    auto* record = reinterpret_cast<cVideoThumbnail*>(icons->RowValue(row));
    if (record != nullptr && record->is_clip == 0) still = row;
  }
  ASSERT_GE(still, 0);
  auto* record = reinterpret_cast<cVideoThumbnail*>(icons->RowValue(still));
  const fs::path stored_file =
      fs::path(app_->DataFolder().CStr()) / ReceivedFilePart(record->picture_path.CStr()).CStr();
  EXPECT_FALSE(porch->Window()->Control(video::kDisplay)->IsEnabled());
  icons->SetSelected(still, true);
  EXPECT_TRUE(porch->Window()->Control(video::kDisplay)->IsEnabled());
  Click(porch, video::kDisplay);
  ASSERT_TRUE(PumpUntil([&] {
    return ReadText(opened_).find(stored_file.string()) != std::string::npos;
  })) << "opened: "
      << ReadText(opened_) << " wanted: " << stored_file << " exists " << fs::exists(stored_file);
  EXPECT_GT(fs::file_size(stored_file), 20000u);  // more than one block's worth
  const QImage full(QString::fromStdString(stored_file.string()));
  EXPECT_EQ(full.width(), 320);

  // Opened again: the file is here, so it opens without asking the server.
  Click(porch, video::kDisplay);
  ASSERT_TRUE(PumpUntil(
      [&] {
        const std::string text = ReadText(opened_);
        return text.find(stored_file.string()) != text.rfind(stored_file.string());
      },
      5));
}

}  // namespace

}  // namespace hv
