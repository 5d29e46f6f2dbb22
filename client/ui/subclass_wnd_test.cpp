#include "client/ui/subclass_wnd.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace hv {

namespace {

// Writes down who saw which message, in order.
using cJournal = std::vector<std::string>;

class cOwnProcedure : public cWindowProcedure {
 public:
  explicit cOwnProcedure(cJournal& journal) : journal_(journal) {}
  int64_t WindowProc(cMessageWindow&, const cWindowMessage& message) override {
    journal_.push_back("own " + std::to_string(message.message));
    return 7;
  }

 private:
  cJournal& journal_;
};

class cNamedHook : public CSubclassWnd {
 public:
  cNamedHook(const char* name, cJournal& journal) : name_(name), journal_(journal) {}
  int64_t WindowProc(uint32_t message, uint64_t wparam, int64_t lparam) override {
    journal_.push_back(name_ + " " + std::to_string(message));
    if (message == swallowed) return 99;
    return CSubclassWnd::WindowProc(message, wparam, lparam);
  }
  uint32_t swallowed = 0;

 private:
  std::string name_;
  cJournal& journal_;
};

// A window with handling of its own, which writes to the journal as the hooks do.
class SubclassWndTest : public ::testing::Test {
 protected:
  cJournal journal_;
  cOwnProcedure own_{journal_};
  cMessageWindow window_{&own_};
};

TEST_F(SubclassWndTest, HooksSeeMessagesNewestFirstAndPassThemOn) {
  cNamedHook older("older", journal_);
  cNamedHook newer("newer", journal_);
  EXPECT_TRUE(older.HookWindow(&window_));
  EXPECT_TRUE(newer.HookWindow(&window_));
  EXPECT_EQ(CSubclassWndMap::Instance().Lookup(&window_), &newer);

  EXPECT_EQ(window_.Send(1024), 7);
  EXPECT_EQ(journal_, (cJournal{"newer 1024", "older 1024", "own 1024"}));

  // A hook that swallows a message keeps it from the hooks and the window behind it.
  journal_.clear();
  newer.swallowed = 5;
  EXPECT_EQ(window_.Send(5), 99);
  EXPECT_EQ(journal_, (cJournal{"newer 5"}));
}

TEST_F(SubclassWndTest, DetachingFromTheMiddleOrTheHeadKeepsTheRestWorking) {
  cNamedHook first("first", journal_);
  cNamedHook second("second", journal_);
  cNamedHook third("third", journal_);
  first.HookWindow(&window_);
  second.HookWindow(&window_);
  third.HookWindow(&window_);

  second.HookWindow(nullptr);  // from the middle
  EXPECT_FALSE(second.IsHooked());
  window_.Send(1);
  EXPECT_EQ(journal_, (cJournal{"third 1", "first 1", "own 1"}));

  journal_.clear();
  third.HookWindow(nullptr);  // the head: the next one takes its place
  EXPECT_EQ(CSubclassWndMap::Instance().Lookup(&window_), &first);
  window_.Send(2);
  EXPECT_EQ(journal_, (cJournal{"first 2", "own 2"}));

  // The last hook gone, the window has its own handling back, untouched by the map.
  first.HookWindow(nullptr);
  EXPECT_EQ(window_.Procedure(), &own_);
  EXPECT_EQ(CSubclassWndMap::Instance().Lookup(&window_), nullptr);
}

TEST_F(SubclassWndTest, DetachingTheOlderOfTwoKeepsTheNewerAndBothGoneRestoresTheWindow) {
  auto older = std::make_unique<cNamedHook>("older", journal_);
  cNamedHook newer("newer", journal_);
  older->HookWindow(&window_);
  newer.HookWindow(&window_);
  older.reset();  // destroying a hook detaches it
  window_.Send(3);
  EXPECT_EQ(journal_, (cJournal{"newer 3", "own 3"}));
  newer.HookWindow(nullptr);
  EXPECT_EQ(window_.Procedure(), &own_);
  journal_.clear();
  window_.Send(4);
  EXPECT_EQ(journal_, (cJournal{"own 4"}));
}

TEST_F(SubclassWndTest, HooksOnSeveralWindowsStayApartAndADestroyedWindowLetsGoOfItsHooks) {
  cNamedHook on_a("a", journal_);
  cNamedHook on_b("b", journal_);
  cMessageWindow window_b(&own_);
  {
    cMessageWindow window_a(&own_);
    on_a.HookWindow(&window_a);
    on_b.HookWindow(&window_b);
    window_a.Send(10);
    EXPECT_EQ(journal_, (cJournal{"a 10", "own 10"}));
    journal_.clear();
  }
  // Its last message still reached the hook and the window's own handling.
  EXPECT_EQ(journal_, (cJournal{"own 130"}));
  EXPECT_FALSE(on_a.IsHooked());
  EXPECT_TRUE(on_b.IsHooked());
  // Hooking a hook elsewhere moves it.
  cMessageWindow window_c(&own_);
  on_b.HookWindow(&window_c);
  EXPECT_EQ(window_b.Procedure(), &own_);
  EXPECT_EQ(CSubclassWndMap::Instance().Lookup(&window_c), &on_b);
  on_b.HookWindow(nullptr);
}

TEST_F(SubclassWndTest, TheCurrentMessageIsKnownWhileItIsHandledAndRestoredAfter) {
  struct cPeek : CSubclassWnd {
    uint32_t seen = 0;
    int64_t WindowProc(uint32_t message, uint64_t wparam, int64_t lparam) override {
      seen = HookedWindow()->CurrentMessage()->message;
      return CSubclassWnd::WindowProc(message, wparam, lparam);
    }
  } peek;
  peek.HookWindow(&window_);
  window_.Send(42);
  EXPECT_EQ(peek.seen, 42u);
  EXPECT_EQ(window_.CurrentMessage(), nullptr);
}

TEST(MessageWindowTest, BroadcastReachesEveryTopLevelWindowButNoChild) {
  cJournal journal;
  cOwnProcedure own(journal);
  cMessageWindow top(&own);
  cMessageWindow child(&own, &top);
  EXPECT_EQ(child.TopLevelParent(), &top);
  cMessageWindow::BroadcastToTopLevel(0xC123);
  EXPECT_EQ(journal, (cJournal{"own 49443"}));
}

}  // namespace

}  // namespace hv
