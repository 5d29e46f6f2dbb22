// What the video view's and the camera motion dialog's tests share: the whole world of a
// video view (toolkit, fake clock and loop, the thumbnail store, the requests it sends, the
// shell, the main window it asks) in memory, with temporary settings and data folders.
#ifndef HV_CLIENT_VIEWS_TESTING_VIDEO_VIEW_TEST_SUPPORT_H_
#define HV_CLIENT_VIEWS_TESTING_VIDEO_VIEW_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "client/picture/bitmap.h"
#include "client/platform/poll_event_loop.h"
#include "client/platform/shell.h"
#include "client/platform/testing/fake_clock.h"
#include "client/protocol/answer_records.h"
#include "client/protocol/log_item_record.h"
#include "client/ui/headless/headless_image_list.h"
#include "client/ui/headless/headless_report_list.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/ui/headless/headless_window.h"
#include "client/views/tab_child_owner.h"
#include "client/views/testing/host_window.h"
#include "client/views/video/dlg_child_video.h"
#include "client/views/video/dlg_child_video_layout.h"
#include "client/views/video/video_requests_port.h"
#include "client/views/video/video_view_owner.h"
#include "core/status.h"
#include "core/testing/temp_config_home.h"
#include "core/testing/temp_folder.h"
#include "core/testing/text_file.h"

namespace hv {

namespace test {

struct cSentMotion {
  std::string source;
  uint32_t code;
  uint32_t repeat;
};
struct cSentFullPicture {
  std::string source;
  std::string path;
  uint32_t time_stamp;
};

class cRecordingVideoRequests : public cVideoRequestPort {
 public:
  bool IsConnected() const override { return connected; }
  Status GetFullPicture(const char* source, const char* path, uint32_t time_stamp) override {
    full_pictures.push_back({source, path, time_stamp});
    if (while_sending) while_sending();
    return Status(Where::kProtocol, result);
  }
  Status VideoMotion(const char* source, uint32_t code, uint32_t repeat) override {
    motions.push_back({source, code, repeat});
    if (while_sending) while_sending();
    return Status(Where::kProtocol, result);
  }
  // Runs inside every send after it is recorded, as the events a real send pumps while it
  // waits for the socket do.
  std::function<void()> while_sending;
  bool connected = true;
  int32_t result = hv::kOk;
  std::vector<cSentFullPicture> full_pictures;
  std::vector<cSentMotion> motions;
};

class cRecordingOpener : public cShell {
 public:
  hv::Status Open(const char* file) override {
    opened.emplace_back(file);
    return hv::Status::Ok();
  }
  hv::Status Execute(const char*, const char*, const char*, const char*, int32_t) override {
    return hv::Status(hv::Where::kUi, hv::kCannotOpenFile);
  }
  std::vector<std::string> opened;
};

// The main window as the video views see it.
class cRecordingVideoOwner : public cTabChildOwner, public cVideoViewOwner {
 public:
  hv::Status ShowLogEntry(const LogItemRecord& entry, CActivityItem* /*item*/) override {
    entries.push_back(std::to_string(entry.entry_type) + " " + entry.name.CStr() + ": " +
                      entry.message.CStr());
    return hv::Status::Ok();
  }
  void SettingsNotSaved(const Status& /*failure*/) override {}
  Status SnapPicture(const char* source) override {
    snaps.emplace_back(source);
    return Status::Ok();
  }
  Status RecordToggle(const char* source) override {
    toggles.emplace_back(source);
    if (record_answers.empty()) return Status::Ok();
    const int32_t answer = record_answers.front();
    record_answers.pop_front();
    return Status(Where::kUi, answer);
  }
  std::vector<std::string> entries;
  std::vector<std::string> snaps;
  std::vector<std::string> toggles;
  std::deque<int32_t> record_answers;
};

// An 80 x 60 picture of one colour.
inline cBitmap Plain(uint32_t rgb) {
  cBitmap picture;
  EXPECT_EQ(picture.Allocate(80, 60, 0xFF000000u | rgb).code(), 0);
  return picture;
}

inline ThumbnailRecord Thumb(const char* source, const char* path, uint32_t time_stamp,
                             uint16_t is_clip = 0, const char* clip_path = "") {
  return {.source_name = source,
          .picture_path = path,
          .is_clip = is_clip,
          .clip_path = clip_path,
          .time_stamp = time_stamp};
}

class VideoViewTest : public ::testing::Test {
 protected:
  VideoViewTest() : loop_(clock_) {
    setenv("TZ", "UTC", 1);
    tzset();
    host_ = MakeHostWindow(toolkit_, 400, 300);
  }

  cVideoViewServices Services() {
    cVideoViewServices services;
    services.thumbnails = &store_;
    services.requests = &requests_;
    services.shell = &opener_;
    services.event_loop = &loop_;
    services.clock = &clock_;
    services.data_folder = data_folder_.c_str();
    services.company = "Orvane LLC";
    services.application = "Varnholt";
    return services;
  }

  std::unique_ptr<CDlgChildVideo> MakeView(const char* source, int32_t placement = kPlacementTab,
                                           CDlgChildVideo* shared = nullptr) {
    auto view = std::make_unique<CDlgChildVideo>(placement, Services());
    view->SetOwner(&owner_);
    view->SetName(source);
    if (shared != nullptr) view->SetSharedView(shared);
    EXPECT_TRUE(view->Create(toolkit_, VideoViewLayout(), *host_, 0).ok());
    return view;
  }

  static cHeadlessWindow& Window(CDlgChildVideo& view) {
    return *static_cast<cHeadlessWindow*>(view.Window());
  }
  static cHeadlessReportList& Icons(CDlgChildVideo& view) {
    return *static_cast<cHeadlessReportList*>(view.Window()->ReportList(video::kThumbnailList));
  }
  // The colour the picture of a row shows (its centre pixel), from the image list it draws.
  static uint32_t RowColour(CDlgChildVideo& view, int32_t row) {
    auto* images = static_cast<cHeadlessImageList*>(Icons(view).ImageList());
    const int32_t index = Icons(view).RowImage(row);
    if (images == nullptr || index < 0 || index >= images->Count()) return 0xDEADu;
    return images->Picture(index).PixelAt(40, 30) & 0xFFFFFFu;
  }
  size_t StoredOf(const char* source) const {
    size_t count = 0;
    for (size_t i = 0; i < store_.Count(); ++i) count += store_.At(i)->source_name == source;
    return count;
  }
  void WriteDataFile(const std::string& name) {
    const std::string path = data_folder_ + "/" + name;
    hv::test::WriteText(path, "picture");
    ASSERT_EQ(hv::test::ReadText(path), "picture");
  }

  TempConfigHome config_;
  hv::test::cTempFolder data_{"hvvid"};
  std::string data_folder_ = data_.path();
  cHeadlessToolkit toolkit_;
  cFakeClock clock_;
  cPollEventLoop loop_;
  std::unique_ptr<cWindow> host_;
  cVideoThumbnailList store_;
  cRecordingVideoRequests requests_;
  cRecordingOpener opener_;
  cRecordingVideoOwner owner_;
};

}  // namespace test

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_TESTING_VIDEO_VIEW_TEST_SUPPORT_H_
