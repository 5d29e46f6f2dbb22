#include "client/views/dialogs/dlg_adv_x10_send.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/platform/testing/fake_clock.h"
#include "client/protocol/testing/recording_activity_log.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/ui/headless/headless_window.h"
#include "client/ui/number_field.h"
#include "client/views/dialogs/format_x10_address.h"
#include "core/profile/profile.h"
#include "core/status.h"
#include "core/testing/temp_config_home.h"

namespace hv {

namespace {

constexpr const char* kCompany = "Orvane LLC";
constexpr const char* kApplication = "Varnholt";

struct cSentCode {
  uint32_t house, unit, function, dim;
  bool operator==(const cSentCode&) const = default;
};

TEST(FormatX10AddressTest, HousesUnitsAndTheSecurityRange) {
  EXPECT_EQ(FormatX10Address(0, 0), "A:1");
  EXPECT_EQ(FormatX10Address(15, 15), "P:16");
  EXPECT_EQ(FormatX10Address(2, kX10AllUnits), "C");
  EXPECT_EQ(FormatX10Address(19, 0), "T:1");
  EXPECT_EQ(FormatX10Address(20, 20), "SA:S1");  // 45 + 20 is 'A'
  EXPECT_EQ(FormatX10Address(21, 25), "SB:S6");
  // A house code no letter can stand for still gives a whole text.
  EXPECT_EQ(FormatX10Address(1000, 0), "S?:1");
}

// Every test gets its own registry store: XDG_CONFIG_HOME points at a fresh folder.
class AdvX10SendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(config_.path().empty());
    services_.toolkit = &toolkit_;
    services_.clock = &clock_;
    services_.company = kCompany;
    services_.application = kApplication;
    services_.is_busy = [this] { return busy_; };
    services_.set_busy = [this](bool busy) {
      busy_ = busy;
      busy_changes_.push_back(busy);
    };
    services_.pause = [this](uint32_t ms) {
      clock_.Advance(ms);
      ++pauses_;
      if (release_after_pauses_ > 0 && pauses_ >= release_after_pauses_) busy_ = false;
    };
    services_.send_code = [this](uint32_t house, uint32_t unit, uint32_t function, uint32_t dim) {
      sent_.push_back({house, unit, function, dim});
      if (!busy_) held_busy_while_sending_ = false;
      return Status(Where::kProtocol, send_result_);
    };
    services_.log = &log_;
    services_.show_help = [this](int32_t id) { help_ids_.push_back(id); };
  }
  // Runs the dialog with the script as the user; returns its result.
  int32_t Run(std::function<void(cHeadlessWindow&)> script) {
    toolkit_.QueueModalScript(std::move(script));
    CDlgAdvX10Send dialog(services_, nullptr);
    int32_t result = kResultCancel;
    EXPECT_TRUE(dialog.DoModal(&result).ok());
    return result;
  }
  void PutText(const char* name, const char* text) {
    ASSERT_TRUE(
        WriteProfile(kCompany, kApplication, kSwitchingSection, name, text, kProfileText).ok());
  }
  void PutNumber(const char* name, uint32_t number) {
    ASSERT_TRUE(
        WriteProfile(kCompany, kApplication, kSwitchingSection, name, &number, kProfileNumber)
            .ok());
  }
  std::string ReadText(const char* name) {
    char buffer[256];
    if (!ReadProfileString(kCompany, kApplication, kSwitchingSection, name, "<missing>", buffer,
                           sizeof buffer)
             .ok()) {
      return "<missing>";
    }
    return buffer;
  }
  uint32_t ReadNumber(const char* name) {
    uint32_t value = 0xDEAD;
    ReadProfileNumber(kCompany, kApplication, kSwitchingSection, name, &value, 0xDEAD)
        .Ignore("0xDEAD shows a value never stored");
    return value;
  }
  static std::string Selected(cHeadlessWindow& window, int32_t id) {
    cComboBox* box = window.ComboBox(id);
    return box->Selection() < 0 ? "<none>" : box->EntryText(box->Selection()).CStr();
  }
  static int32_t IndexOf(cHeadlessWindow& window, int32_t id, const char* text) {
    cComboBox* box = window.ComboBox(id);
    for (int32_t i = 0; i < box->EntryCount(); ++i) {
      if (box->EntryText(i) == text) return i;
    }
    return -1;
  }
  static bool Choose(cHeadlessWindow& window, int32_t id, const char* text) {
    return window.Choose(id, IndexOf(window, id, text));
  }

  TempConfigHome config_;
  cHeadlessToolkit toolkit_;
  cFakeClock clock_;
  cRecordingActivityLog log_;
  cX10SendServices services_;
  bool busy_ = false;
  std::vector<bool> busy_changes_;
  int pauses_ = 0;
  int release_after_pauses_ = 0;
  bool held_busy_while_sending_ = true;
  std::vector<cSentCode> sent_;
  int32_t send_result_ = hv::kOk;
  std::vector<int32_t> help_ids_;
};

TEST_F(AdvX10SendTest, OpensWithTheBuiltInDefaultsAndTheSelectorsFilledInOrder) {
  Run([](cHeadlessWindow& w) {
    EXPECT_EQ(w.Title(), "Send X10 Code");
    EXPECT_EQ(Selected(w, kX10SendHouse), "A");
    EXPECT_EQ(Selected(w, kX10SendUnit), "1");
    EXPECT_EQ(Selected(w, kX10SendFunction), "On");
    EXPECT_EQ(Selected(w, kX10SendSwitchingType), "Send the Full Code (Normal)");
    EXPECT_EQ(w.Control(kX10SendDim)->Text(), "0");
    EXPECT_FALSE(w.Control(kX10SendDim)->IsEnabled());
    EXPECT_FALSE(w.Control(kX10SendDimLabel)->IsEnabled());

    cComboBox* houses = w.ComboBox(kX10SendHouse);
    ASSERT_EQ(houses->EntryCount(), 16);
    EXPECT_EQ(houses->EntryText(15), "P");
    cComboBox* units = w.ComboBox(kX10SendUnit);
    ASSERT_EQ(units->EntryCount(), 17);
    EXPECT_EQ(units->EntryText(15), "16");
    EXPECT_EQ(units->EntryValue(15), 15u);
    EXPECT_EQ(units->EntryText(16), "All On/Off");
    EXPECT_EQ(units->EntryValue(16), 255u);
    const char* functions[] = {"On",        "Off",           "Toggle On/Off",  "Dim",
                               "Bright",    "All Units Off", "All Lights Off", "All Lights On",
                               "Preset Dim"};
    const uint32_t codes[] = {2, 3, 16, 4, 5, 0, 6, 1, 10};
    cComboBox* box = w.ComboBox(kX10SendFunction);
    ASSERT_EQ(box->EntryCount(), 9);
    for (int32_t i = 0; i < 9; ++i) {
      EXPECT_EQ(box->EntryText(i), functions[i]);
      EXPECT_EQ(box->EntryValue(i), codes[i]);
    }
    EXPECT_EQ(w.ComboBox(kX10SendSwitchingType)->EntryValue(2), 2u);
    w.PressEscape();
  });
  EXPECT_TRUE(sent_.empty());
}

TEST_F(AdvX10SendTest, SavedDefaultsAreSelectedWhateverTheCaseOfTheHouse) {
  PutText("Default House Code", "c");
  PutNumber("Default Unit Code", 255);
  PutNumber("Default Function", 10);
  PutNumber("Default Dim Value", 40);
  Run([](cHeadlessWindow& w) {
    EXPECT_EQ(Selected(w, kX10SendHouse), "C");
    EXPECT_EQ(Selected(w, kX10SendUnit), "All On/Off");
    EXPECT_EQ(Selected(w, kX10SendFunction), "Preset Dim");
    EXPECT_EQ(w.Control(kX10SendDim)->Text(), "40");
    EXPECT_TRUE(w.Control(kX10SendDim)->IsEnabled());
    w.PressEscape();
  });
}

TEST_F(AdvX10SendTest, DefaultsThatMatchNoEntryFallBackWithoutBreakingTheDialog) {
  PutText("Default House Code", "zebra");
  PutNumber("Default Unit Code", 99);
  PutNumber("Default Function", 7);  // a real X10 code the dialog does not offer
  Run([](cHeadlessWindow& w) {
    EXPECT_EQ(Selected(w, kX10SendHouse), "A");
    EXPECT_EQ(Selected(w, kX10SendUnit), "1");
    EXPECT_EQ(Selected(w, kX10SendFunction), "<none>");
    EXPECT_FALSE(w.Control(kX10SendDim)->IsEnabled());
    EXPECT_TRUE(w.Click(kX10SendSend));
    w.PressEscape();
  });
  ASSERT_EQ(sent_.size(), 1u);
  EXPECT_EQ(sent_[0], (cSentCode{0, 0, 7, 0}));
}

TEST_F(AdvX10SendTest, OnlyTheDimmingFunctionsEnableTheDimField) {
  Run([](cHeadlessWindow& w) {
    for (const char* function : {"Dim", "Bright", "Preset Dim"}) {
      ASSERT_TRUE(Choose(w, kX10SendFunction, function));
      EXPECT_TRUE(w.Control(kX10SendDim)->IsEnabled()) << function;
      EXPECT_TRUE(w.Control(kX10SendDimLabel)->IsEnabled()) << function;
      ASSERT_TRUE(Choose(w, kX10SendFunction, "Toggle On/Off"));
      EXPECT_FALSE(w.Control(kX10SendDim)->IsEnabled()) << function;
      EXPECT_FALSE(w.Control(kX10SendDimLabel)->IsEnabled()) << function;
    }
    w.PressEscape();
  });
}

TEST_F(AdvX10SendTest, SendTwiceThenOkSendsTwoRequestsAndSavesTheChoice) {
  const int32_t result = Run([](cHeadlessWindow& w) {
    ASSERT_TRUE(Choose(w, kX10SendHouse, "P"));
    ASSERT_TRUE(Choose(w, kX10SendUnit, "16"));
    ASSERT_TRUE(Choose(w, kX10SendFunction, "Dim"));
    ASSERT_TRUE(w.Type(kX10SendDim, "35"));
    ASSERT_TRUE(Choose(w, kX10SendSwitchingType, "Send the Address Only"));
    ASSERT_TRUE(w.Click(kX10SendSend));
    ASSERT_TRUE(w.Click(kX10SendSend));
    EXPECT_TRUE(w.IsModalRunning());
    // The switching type is shown and kept while the dialog is open.
    EXPECT_EQ(Selected(w, kX10SendSwitchingType), "Send the Address Only");
    ASSERT_TRUE(w.Click(kResultOk));
  });
  EXPECT_EQ(result, kResultOk);
  ASSERT_EQ(sent_.size(), 2u);
  EXPECT_EQ(sent_[0], (cSentCode{15, 15, 4, 35}));
  EXPECT_EQ(sent_[1], sent_[0]);
  EXPECT_EQ(ReadText("Default House Code"), "P");
  EXPECT_EQ(ReadNumber("Default Unit Code"), 15u);
  EXPECT_EQ(ReadNumber("Default Function"), 4u);
  EXPECT_EQ(ReadNumber("Default Dim Value"), 35u);
  // The busy flag was held around each send and given back.
  EXPECT_TRUE(held_busy_while_sending_);
  EXPECT_EQ(busy_changes_, (std::vector<bool>{true, false, true, false}));
  EXPECT_FALSE(busy_);
}

TEST_F(AdvX10SendTest, OkAloneSendsOnceAndCancelSavesNothing) {
  EXPECT_EQ(Run([](cHeadlessWindow& w) { ASSERT_TRUE(w.Click(kResultOk)); }), kResultOk);
  ASSERT_EQ(sent_.size(), 1u);
  EXPECT_EQ(sent_[0], (cSentCode{0, 0, 2, 0}));
  EXPECT_EQ(ReadText("Default House Code"), "A");

  sent_.clear();
  EXPECT_EQ(Run([](cHeadlessWindow& w) {
              ASSERT_TRUE(Choose(w, kX10SendHouse, "D"));
              ASSERT_TRUE(Choose(w, kX10SendFunction, "Off"));
              w.Click(kResultCancel);
            }),
            kResultCancel);
  EXPECT_TRUE(sent_.empty());
  EXPECT_EQ(ReadText("Default House Code"), "A");
  EXPECT_EQ(ReadNumber("Default Function"), 2u);
}

TEST_F(AdvX10SendTest, AllUnitsSendsUnit255AndAFailureLogsTheHouseAlone) {
  send_result_ = hv::kSendFailed;
  Run([](cHeadlessWindow& w) {
    ASSERT_TRUE(Choose(w, kX10SendHouse, "K"));
    ASSERT_TRUE(Choose(w, kX10SendUnit, "All On/Off"));
    ASSERT_TRUE(Choose(w, kX10SendFunction, "All Lights Off"));
    ASSERT_TRUE(w.Click(kX10SendSend));
    w.PressEscape();
  });
  ASSERT_EQ(sent_.size(), 1u);
  EXPECT_EQ(sent_[0], (cSentCode{10, 255, 6, 0}));
  ASSERT_EQ(log_.entries.size(), 1u);
  const cRecordingActivityLog::Entry& entry = log_.entries[0];
  EXPECT_TRUE(entry.stored);
  EXPECT_TRUE(entry.shown);
  EXPECT_EQ(entry.record.entry_type, 3);
  EXPECT_EQ(entry.record.name, "");
  EXPECT_EQ(entry.record.path, "K");
  EXPECT_EQ(entry.record.message, "Server not responding.  Connection is lost");
  EXPECT_EQ(entry.record.function_code, 6);
  EXPECT_FALSE(busy_);
}

TEST_F(AdvX10SendTest, WithoutAConnectionNothingIsSentOrReported) {
  send_result_ = hv::kNotConnected;
  Run([](cHeadlessWindow& w) { ASSERT_TRUE(w.Click(kResultOk)); });
  EXPECT_TRUE(log_.entries.empty());
  EXPECT_EQ(ReadText("Default House Code"), "A");  // OK still keeps the choice
}

TEST_F(AdvX10SendTest, ADimValueOutOfRangeIsRefusedAndNothingIsSent) {
  Run([](cHeadlessWindow& w) {
    ASSERT_TRUE(Choose(w, kX10SendFunction, "Bright"));
    ASSERT_TRUE(w.Type(kX10SendDim, "101"));
    ASSERT_TRUE(w.Click(kX10SendSend));
    ASSERT_TRUE(w.Click(kResultOk));
    EXPECT_TRUE(w.IsModalRunning());  // OK kept the dialog open
    EXPECT_TRUE(w.Control(kX10SendDim)->HasFocus());
    w.PressEscape();
  });
  EXPECT_TRUE(sent_.empty());
  const auto& boxes = toolkit_.HeadlessMessageBox().Shown();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, NumberRangeMessage(0, 100));
  EXPECT_EQ(ReadText("Default House Code"), "<missing>");
}

TEST_F(AdvX10SendTest, ASendWaitsForTheBusyFlagInShortStepsAndThenHoldsIt) {
  busy_ = true;
  release_after_pauses_ = 5;  // the frame's tick ends after 50 ms
  Run([](cHeadlessWindow& w) {
    ASSERT_TRUE(w.Click(kX10SendSend));
    w.PressEscape();
  });
  EXPECT_EQ(pauses_, 5);
  ASSERT_EQ(sent_.size(), 1u);
  EXPECT_TRUE(held_busy_while_sending_);
  EXPECT_FALSE(busy_);
}

TEST_F(AdvX10SendTest, CancelOrEscapeWhileTheSendWaitsForTheBusyFlagDropsTheCode) {
  for (const bool escape : {false, true}) {
    sent_.clear();
    pauses_ = 0;
    busy_ = true;
    release_after_pauses_ = 5;  // the frame's tick ends after 50 ms
    cHeadlessWindow* window = nullptr;
    services_.pause = [&, escape](uint32_t ms) {
      clock_.Advance(ms);
      if (++pauses_ == 2) {
        // The user gives up while the dialog waits.
        if (escape) {
          window->PressEscape();
        } else {
          ASSERT_TRUE(window->Click(kResultCancel));
        }
      }
      if (pauses_ >= release_after_pauses_) busy_ = false;
    };
    const int32_t result = Run([&](cHeadlessWindow& w) {
      window = &w;
      ASSERT_TRUE(w.Click(kResultOk));
    });
    EXPECT_EQ(result, kResultCancel);
    EXPECT_TRUE(sent_.empty());
    EXPECT_FALSE(busy_);                                     // never taken, or given back
    EXPECT_EQ(ReadText("Default House Code"), "<missing>");  // Cancel keeps the defaults
  }
}

TEST_F(AdvX10SendTest, ABusyFlagThatNeverClearsEndsTheWaitAndIsReported) {
  busy_ = true;  // held by work below the dialog on the one thread
  Run([](cHeadlessWindow& w) {
    ASSERT_TRUE(w.Click(kX10SendSend));
    w.PressEscape();
  });
  EXPECT_TRUE(sent_.empty());
  EXPECT_EQ(pauses_, static_cast<int>(kX10BusyWaitLimitMs / kX10BusyWaitStepMs));
  EXPECT_TRUE(busy_);  // still its holder's: the dialog never took it
  EXPECT_TRUE(busy_changes_.empty());
  ASSERT_EQ(log_.entries.size(), 1u);
  EXPECT_EQ(log_.entries[0].record.entry_type, 3);
  EXPECT_EQ(log_.entries[0].record.path, "A:1");
  EXPECT_NE(std::string(log_.entries[0].record.message.CStr()).find("busy"), std::string::npos);
}

TEST_F(AdvX10SendTest, HelpOpensItsTopic) {
  Run([](cHeadlessWindow& w) {
    w.PressHelp();
    w.PressEscape();
  });
  EXPECT_EQ(help_ids_, std::vector<int32_t>{1067});
}

}  // namespace

}  // namespace hv
