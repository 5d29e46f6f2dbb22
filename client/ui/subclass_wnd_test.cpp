#include "client/ui/subclass_wnd.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

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

TEST(SubclassWndTest, HooksSeeMessagesNewestFirstAndPassThemOn) {
  cJournal journal;
  cOwnProcedure own(journal);
  cMessageWindow window(&own);
  cNamedHook older("older", journal);
  cNamedHook newer("newer", journal);
  EXPECT_TRUE(older.HookWindow(&window));
  EXPECT_TRUE(newer.HookWindow(&window));
  EXPECT_EQ(CSubclassWndMap::Instance().Lookup(&window), &newer);

  EXPECT_EQ(window.Send(1024), 7);
  EXPECT_EQ(journal, (cJournal{"newer 1024", "older 1024", "own 1024"}));

  // A hook that swallows a message keeps it from the hooks and the window behind it.
  journal.clear();
  newer.swallowed = 5;
  EXPECT_EQ(window.Send(5), 99);
  EXPECT_EQ(journal, (cJournal{"newer 5"}));
}

TEST(SubclassWndTest, DetachingFromTheMiddleOrTheHeadKeepsTheRestWorking) {
  cJournal journal;
  cOwnProcedure own(journal);
  cMessageWindow window(&own);
  cNamedHook first("first", journal);
  cNamedHook second("second", journal);
  cNamedHook third("third", journal);
  first.HookWindow(&window);
  second.HookWindow(&window);
  third.HookWindow(&window);

  second.HookWindow(nullptr);  // from the middle
  EXPECT_FALSE(second.IsHooked());
  window.Send(1);
  EXPECT_EQ(journal, (cJournal{"third 1", "first 1", "own 1"}));

  journal.clear();
  third.HookWindow(nullptr);  // the head: the next one takes its place
  EXPECT_EQ(CSubclassWndMap::Instance().Lookup(&window), &first);
  window.Send(2);
  EXPECT_EQ(journal, (cJournal{"first 2", "own 2"}));

  // The last hook gone, the window has its own handling back, untouched by the map.
  first.HookWindow(nullptr);
  EXPECT_EQ(window.Procedure(), &own);
  EXPECT_EQ(CSubclassWndMap::Instance().Lookup(&window), nullptr);
}

TEST(SubclassWndTest, DetachingTheOlderOfTwoKeepsTheNewerAndBothGoneRestoresTheWindow) {
  cJournal journal;
  cOwnProcedure own(journal);
  cMessageWindow window(&own);
  auto older = std::make_unique<cNamedHook>("older", journal);
  cNamedHook newer("newer", journal);
  older->HookWindow(&window);
  newer.HookWindow(&window);
  older.reset();  // destroying a hook detaches it
  window.Send(3);
  EXPECT_EQ(journal, (cJournal{"newer 3", "own 3"}));
  newer.HookWindow(nullptr);
  EXPECT_EQ(window.Procedure(), &own);
  journal.clear();
  window.Send(4);
  EXPECT_EQ(journal, (cJournal{"own 4"}));
}

TEST(SubclassWndTest, HooksOnSeveralWindowsStayApartAndADestroyedWindowLetsGoOfItsHooks) {
  cJournal journal;
  cOwnProcedure own(journal);
  cNamedHook on_a("a", journal);
  cNamedHook on_b("b", journal);
  cMessageWindow window_b(&own);
  {
    cMessageWindow window_a(&own);
    on_a.HookWindow(&window_a);
    on_b.HookWindow(&window_b);
    window_a.Send(10);
    EXPECT_EQ(journal, (cJournal{"a 10", "own 10"}));
    journal.clear();
  }
  // Its last message still reached the hook and the window's own handling.
  EXPECT_EQ(journal, (cJournal{"own 130"}));
  EXPECT_FALSE(on_a.IsHooked());
  EXPECT_TRUE(on_b.IsHooked());
  // Hooking a hook elsewhere moves it.
  cMessageWindow window_c(&own);
  on_b.HookWindow(&window_c);
  EXPECT_EQ(window_b.Procedure(), &own);
  EXPECT_EQ(CSubclassWndMap::Instance().Lookup(&window_c), &on_b);
  on_b.HookWindow(nullptr);
}

TEST(SubclassWndTest, TheCurrentMessageIsKnownWhileItIsHandledAndRestoredAfter) {
  cJournal journal;
  cOwnProcedure own(journal);
  cMessageWindow window(&own);
  struct cPeek : CSubclassWnd {
    uint32_t seen = 0;
    int64_t WindowProc(uint32_t message, uint64_t wparam, int64_t lparam) override {
      seen = HookedWindow()->CurrentMessage()->message;
      return CSubclassWnd::WindowProc(message, wparam, lparam);
    }
  } peek;
  peek.HookWindow(&window);
  window.Send(42);
  EXPECT_EQ(peek.seen, 42u);
  EXPECT_EQ(window.CurrentMessage(), nullptr);
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
