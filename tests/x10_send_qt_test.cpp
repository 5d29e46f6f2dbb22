// The send X10 code dialog on the real Qt widgets (offscreen), opened from the real main
// window of a client logged in to housesim: its selectors are reached by keyboard and
// through the accessibility interface, and "&Send" with the defaults has housesim send
// house A, unit 1, "On".
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "client/shell/app/house_desk_app.h"
#include "client/shell/desk/house_desk_dlg.h"
#include "client/shell/desk/house_desk_layout.h"
#include "client/shell/testing/house_desk_app_test_support.h"
#include "client/ui/qt/qt_control.h"
#include "client/ui/qt/qt_event_loop.h"
#include "client/ui/qt/qt_toolkit.h"
#include "client/ui/qt/qt_window.h"
#include "client/views/dialogs/dlg_adv_x10_send.h"
#include "core/profile/profile.h"
#include "sim/house.h"
#include "sim/server.h"
#include "tests/desk_session_support.h"
#include "tests/in_process_sim.h"
#include "tests/qt_program_parts.h"

namespace hv {

namespace {

// housesim in-process on a free port, served from a Qt timer so that it answers while the
// client waits in its own loops (modal dialogs included).
struct cQtServedSim : hv::test::cSimServer {
  cQtServedSim() {
    QObject::connect(&pump, &QTimer::timeout, [this] { server.RunOnce(0); });
    pump.start(2);
  }
  bool SentX10(const std::string& path, uint32_t function, double value) const {
    for (const hv::sim::LogEntry& entry : house.RecentLog(1000)) {
      if (entry.message.rfind("X10 code sent", 0) == 0 && entry.path == path &&
          entry.function_code == function && entry.value == value) {
        return true;
      }
    }
    return false;
  }

  QTimer pump;
};

bool WaitUntil(const std::function<bool()>& done, int timeout_ms = 10000) {
  for (int waited = 0; waited < timeout_ms; waited += 10) {
    if (done()) return true;
    QTest::qWait(10);
  }
  return done();
}

// The label each selector is tied to through the accessibility interface.
std::string AccessibleLabelOf(QWidget* widget) {
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
  if (iface == nullptr) return "<no interface>";
  for (const auto& [other, relation] : iface->relations(QAccessible::Label)) {
    if (other != nullptr) return other->text(QAccessible::Name).toStdString();
  }
  return "<no label>";
}

TEST(X10SendQtTest, ReachableByKeyboardAndAccessibilityAndSendsTheDefaults) {
  hv::test::cTemporaryUserFolders folders;
  cQtServedSim sim;
  ASSERT_EQ(sim.start_error, "");
  hv::test::WriteAutoLogin(sim.server.port());

  hv::test::cQtParts qt;

  bool script_ran = false;
  qt.toolkit.QueueModalScript([&](cWindow& window) {
    script_ran = true;
    auto* qt_window = dynamic_cast<cQtWindow*>(&window);
    ASSERT_NE(qt_window, nullptr);
    QDialog* dialog = qt_window->Dialog();
    EXPECT_EQ(dialog->windowTitle().toStdString(), "Send X10 Code");
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));

    std::map<int32_t, QComboBox*> combos;
    for (int32_t id : {kX10SendHouse, kX10SendUnit, kX10SendFunction, kX10SendSwitchingType}) {
      auto* holder = dynamic_cast<cQtWidgetHolder*>(window.Control(id));
      ASSERT_NE(holder, nullptr);
      combos[id] = qobject_cast<QComboBox*>(holder->Widget());
      ASSERT_NE(combos[id], nullptr);
    }
    auto* dim_holder = dynamic_cast<cQtWidgetHolder*>(window.Control(kX10SendDim));
    ASSERT_NE(dim_holder, nullptr);
    QWidget* dim = dim_holder->Widget();

    // Accessibility: every selector is a combo box labelled by its caption, showing its
    // value.
    EXPECT_EQ(AccessibleLabelOf(combos[kX10SendHouse]), "Port:");
    EXPECT_EQ(AccessibleLabelOf(combos[kX10SendUnit]), "Bit:");
    EXPECT_EQ(AccessibleLabelOf(combos[kX10SendFunction]), "Function:");
    EXPECT_EQ(AccessibleLabelOf(combos[kX10SendSwitchingType]), "Switching Type:");
    EXPECT_EQ(AccessibleLabelOf(dim), "Bright/Dim %:");
    QAccessibleInterface* function =
        QAccessible::queryAccessibleInterface(combos[kX10SendFunction]);
    ASSERT_NE(function, nullptr);
    EXPECT_EQ(function->role(), QAccessible::ComboBox);
    EXPECT_EQ(function->text(QAccessible::Value).toStdString(), "On");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(combos[kX10SendHouse])
                  ->text(QAccessible::Value)
                  .toStdString(),
              "A");

    // Keyboard: Tab walks through every selector, starting from the first.
    combos[kX10SendHouse]->setFocus();
    ASSERT_TRUE(WaitUntil([&] { return combos[kX10SendHouse]->hasFocus(); }, 2000));
    std::vector<QWidget*> reached{QApplication::focusWidget()};
    for (int i = 0; i < 8; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      reached.push_back(QApplication::focusWidget());
    }
    for (const auto& [id, combo] : combos) {
      EXPECT_NE(std::find(reached.begin(), reached.end(), combo), reached.end()) << id;
    }
    // Arrow keys choose a function as a click does: "Dim" (three down) enables the dim
    // field, and back up to "On" disables it.
    combos[kX10SendFunction]->setFocus();
    for (int i = 0; i < 3; ++i) QTest::keyClick(combos[kX10SendFunction], Qt::Key_Down);
    EXPECT_EQ(combos[kX10SendFunction]->currentText().toStdString(), "Dim");
    EXPECT_TRUE(dim->isEnabled());
    for (int i = 0; i < 3; ++i) QTest::keyClick(combos[kX10SendFunction], Qt::Key_Up);
    EXPECT_EQ(combos[kX10SendFunction]->currentText().toStdString(), "On");
    EXPECT_FALSE(dim->isEnabled());

    // "&Send" by its mnemonic, then the dialog closes with Escape.
    QTest::keyClick(dialog, Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(WaitUntil([&] { return sim.SentX10("A1", 2, 0); }));
    QTest::keyClick(dialog, Qt::Key_Escape);
  });

  {
    CHouseDeskApp app(qt.Environment());
    ASSERT_TRUE(app.InitInstance());
    CHouseDeskDlg* dlg = hv::test::MainDlg(app);
    ASSERT_NE(dlg, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return sim.server.LoggedInCount() > 0; }));
    // The real button, clicked as a user clicks it.
    auto* button = dynamic_cast<cQtWidgetHolder*>(dlg->Window()->Control(desk::kSendX10Code));
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button->Widget(), Qt::LeftButton);
    EXPECT_TRUE(script_ran);
    EXPECT_TRUE(sim.SentX10("A1", 2, 0));
    EXPECT_FALSE(app.AppBusy());
    dlg->OnCommand(desk::kExit, eCommandEvent::kClicked);
    app.ExitInstance();
  }
}

}  // namespace

}  // namespace hv
