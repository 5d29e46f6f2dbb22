// The life every modal dialog shares, run on the in-memory toolkit: OK and Cancel are
// answered by the base, a dialog that checks its values keeps the window open on a refused
// OK, and every other command reaches the member its row of the dialog's table names.
#include "client/ui/modal_dialog.h"

#include <gtest/gtest.h>

#include <vector>

#include "client/ui/dialog_layout.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/ui/headless/headless_window.h"
#include "client/ui/layout_rows.h"

namespace hv {

namespace {

constexpr int32_t kOtherButton = 7;
constexpr int32_t kNameEdit = 8;

class cCheckedDialog : public cModalDialog {
 public:
  explicit cCheckedDialog(cToolkit* toolkit) : cModalDialog(toolkit, nullptr) {}

  void OnCommand(int32_t id, eCommandEvent event) override {
    static constexpr cCommandRoute<cCheckedDialog> kRoutes[] = {
        {kOtherButton, eCommandEvent::kClicked, &cCheckedDialog::OnOther},
        {kNameEdit, eCommandEvent::kTextChanged, &cCheckedDialog::OnNameTyped},
    };
    AnswerCommand(kRoutes, id, event);
  }

  bool values_good = false;
  int ok_clicks = 0;
  std::vector<int32_t> own_commands;

 private:
  const cDialogLayout& Layout() const override {
    static const cDialogLayout layout{
        0,
        "Checked",
        100,
        50,
        0,
        {Button(kResultOk, "OK", 5, 30, 40), Button(kResultCancel, "Cancel", 50, 30, 40),
         Button(kOtherButton, "Other", 5, 5, 40), Edit(kNameEdit, 50, 5, 40)}};
    return layout;
  }
  void OnInitDialog() override {}
  void OnOther() { own_commands.push_back(kOtherButton); }
  void OnNameTyped() { own_commands.push_back(kNameEdit); }
  void OnOk() override {
    ++ok_clicks;
    if (values_good) cModalDialog::OnOk();
  }
};

TEST(ModalDialogTest, ARefusedOkKeepsTheDialogOpenUntilTheValuesAreGood) {
  cHeadlessToolkit toolkit;
  cCheckedDialog dialog(&toolkit);
  toolkit.QueueModalScript([&](cHeadlessWindow& window) {
    window.Click(kOtherButton);
    window.Click(kResultOk);
    EXPECT_TRUE(window.IsModalRunning()) << "a refused OK closed the dialog";
    dialog.values_good = true;
    window.Click(kResultOk);
    EXPECT_FALSE(window.IsModalRunning());
  });
  int32_t result = -1;
  ASSERT_TRUE(dialog.DoModal(&result).ok());
  EXPECT_EQ(result, kResultOk);
  EXPECT_EQ(dialog.ok_clicks, 2);
  EXPECT_EQ(dialog.own_commands, std::vector<int32_t>{kOtherButton});
}

TEST(ModalDialogTest, EscapeCancelsWithoutAskingTheDialog) {
  cHeadlessToolkit toolkit;
  cCheckedDialog dialog(&toolkit);
  dialog.values_good = true;
  toolkit.QueueModalScript([](cHeadlessWindow& window) { window.PressEscape(); });
  int32_t result = -1;
  ASSERT_TRUE(dialog.DoModal(&result).ok());
  EXPECT_EQ(result, kResultCancel);
  EXPECT_EQ(dialog.ok_clicks, 0);
  EXPECT_TRUE(dialog.own_commands.empty());
}

TEST(ModalDialogTest, ACommandReachesTheMemberOfItsRowOnlyForTheRowsEvent) {
  cHeadlessToolkit toolkit;
  cCheckedDialog dialog(&toolkit);
  dialog.OnCommand(kOtherButton, eCommandEvent::kClicked);
  EXPECT_TRUE(dialog.own_commands.empty()) << "a command reached a dialog that does not run";
  toolkit.QueueModalScript([](cHeadlessWindow& window) {
    window.Type(kOtherButton, "x");  // the button's row is for clicks
    window.Type(kNameEdit, "Quillmere");
    window.Click(kOtherButton);
    window.PressEscape();
  });
  int32_t result = -1;
  ASSERT_TRUE(dialog.DoModal(&result).ok());
  EXPECT_EQ(result, kResultCancel);
  EXPECT_EQ(dialog.own_commands, (std::vector<int32_t>{kNameEdit, kOtherButton}));
}

TEST(ModalDialogTest, ADialogWithoutAToolkitFailsAsTheWindowsAndReadsAsCancelled) {
  cCheckedDialog dialog(nullptr);
  int32_t result = kResultOk;
  const Status ran = dialog.DoModal(&result);
  EXPECT_TRUE(ran.failed());
  EXPECT_TRUE(ran.Is(Where::kUi, kNotFound)) << ran.ToString();
  EXPECT_EQ(result, kResultCancel) << "a dialog that never ran reads as confirmed";
  EXPECT_EQ(dialog.ok_clicks, 0);
}

}  // namespace

}  // namespace hv
