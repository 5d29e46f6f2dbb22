#include "client/views/button_graphic_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "client/picture/testing/sample_pictures.h"
#include "client/ui/headless/headless_button.h"
#include "client/ui/headless/headless_toolkit.h"
#include "core/status.h"

namespace hv {

namespace {

constexpr int32_t kPictureButtonId = 1638;

class ButtonGraphicFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cDialogLayout layout;
    layout.controls.push_back(
        {eControlKind::kPictureButton, kPictureButtonId, "", 398, 252, 39, 42, 0});
    window_ = toolkit_.CreateTopLevelWindow(layout, nullptr);
    button_ = dynamic_cast<cHeadlessButton*>(window_->Button(kPictureButtonId));
    ASSERT_NE(button_, nullptr);
    const char* tmp = std::getenv("TMPDIR");
    folder_ = std::string(tmp != nullptr ? tmp : "/tmp");
  }

  // The pictures go in the shared test folder, so each case takes its own away again.
  void TearDown() override {
    for (const std::string& path : written_) std::remove(path.c_str());
  }

  std::string Write(const char* name, const cPictureBytes& bytes) {
    std::string path = folder_ + "/" + name;
    EXPECT_TRUE(WriteSampleFile(path, bytes));
    written_.push_back(path);
    return path;
  }

  cHeadlessToolkit toolkit_;
  std::unique_ptr<cWindow> window_;
  cHeadlessButton* button_ = nullptr;
  std::string folder_;
  std::vector<std::string> written_;
};

TEST_F(ButtonGraphicFileTest, LoadsByContentAndHandsThePictureToTheButton) {
  // A PNG under a .BMP name: the content decides.
  const std::string path = Write("VH.BMP", EncodePngSample(MakeQuadrantPicture(12, 10)));
  CButtonGraphicFile graphic;
  graphic.Attach(button_);
  EXPECT_EQ(graphic.SetImage(path.c_str(), 1).code(), 0);
  EXPECT_STREQ(graphic.ImagePath().CStr(), path.c_str());
  EXPECT_EQ(graphic.Stretch(), 1);
  EXPECT_EQ(button_->Picture().Width(), 12u);
  EXPECT_EQ(button_->Picture().Height(), 10u);
  EXPECT_TRUE(button_->Stretch());

  EXPECT_EQ(graphic.SetImage(path.c_str(), 0).code(), 0);
  EXPECT_FALSE(button_->Stretch());
}

TEST_F(ButtonGraphicFileTest, AFileThatDoesNotLoadDrawsNothing) {
  const std::string good = Write("good.png", EncodePngSample(MakeQuadrantPicture(4, 4)));
  const std::string bad = Write("bad.jpg", cPictureBytes{0xFF, 0xD8, 0xFF, 0x00, 0x01});
  CButtonGraphicFile graphic;
  graphic.Attach(button_);
  ASSERT_EQ(graphic.SetImage(good.c_str(), 1).code(), 0);
  EXPECT_EQ(graphic.SetImage(bad.c_str(), 1).code(), hv::kCannotOpenFile);
  EXPECT_FALSE(graphic.HasImage());
  EXPECT_TRUE(button_->Picture().IsEmpty());
  EXPECT_EQ(graphic.SetImage((folder_ + "/missing.gif").c_str(), 0).code(), hv::kCannotOpenFile);
  EXPECT_EQ(graphic.SetImage(nullptr, 0).code(), hv::kCannotOpenFile);
}

TEST_F(ButtonGraphicFileTest, APictureLoadedBeforeTheButtonExistsIsDrawnOnAttach) {
  const std::string path = Write("late.png", EncodePngSample(MakeQuadrantPicture(6, 6)));
  CButtonGraphicFile graphic;
  ASSERT_EQ(graphic.SetImage(path.c_str(), 1).code(), 0);
  EXPECT_TRUE(button_->Picture().IsEmpty());
  graphic.Attach(button_);
  EXPECT_EQ(button_->Picture().Width(), 6u);
}

}  // namespace

}  // namespace hv
