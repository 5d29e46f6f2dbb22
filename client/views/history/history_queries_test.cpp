#include "client/views/history/history_queries.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <future>
#include <string>
#include <thread>
#include <vector>

#include "client/history/history_store.h"

namespace hv::history {
namespace {

std::unique_ptr<HistoryStore> MemoryStore(Status*) { return HistoryStore::OpenInMemory("house:1"); }

// A question that records what it was asked and, once delivered, what the window shows.
HistoryQueries::Question Recording(std::string asked, std::vector<std::string>* shown) {
  return [asked, shown](HistoryStore* store) -> HistoryQueries::Answer {
    EXPECT_NE(store, nullptr);
    return [asked, shown] { shown->push_back(asked); };
  };
}

TEST(HistoryQueriesTest, TheNewestQuestionOfASlotWinsAndStaleAnswersAreDropped) {
  HistoryQueries queries(MemoryStore, HistoryQueries::Mode::kManual);
  std::vector<std::string> shown;
  // Replaced before it ran: never runs.
  queries.Ask(QuerySlot::kChart, Recording("day", &shown));
  queries.Ask(QuerySlot::kChart, Recording("week", &shown));
  queries.Ask(QuerySlot::kEvents, Recording("table", &shown));
  EXPECT_TRUE(queries.Pending(QuerySlot::kChart));
  queries.RunQuestions();
  // Ran, but a newer question came before its answer was taken: dropped on arrival.
  queries.Ask(QuerySlot::kChart, Recording("month", &shown));
  EXPECT_EQ(queries.Deliver(), 1u);
  EXPECT_EQ(shown, std::vector<std::string>({"table"}));
  EXPECT_TRUE(queries.Pending(QuerySlot::kChart));
  EXPECT_FALSE(queries.Pending(QuerySlot::kEvents));
  queries.RunQuestions();
  EXPECT_EQ(queries.Deliver(), 1u);
  EXPECT_EQ(shown, std::vector<std::string>({"table", "month"}));
  EXPECT_FALSE(queries.AnyPending());
  EXPECT_EQ(queries.DroppedAnswers(), 2);
  // A cancelled question is neither run nor answered.
  queries.Ask(QuerySlot::kItems, Recording("items", &shown));
  queries.Cancel(QuerySlot::kItems);
  EXPECT_FALSE(queries.AnyPending());
  queries.RunQuestions();
  EXPECT_EQ(queries.Deliver(), 0u);
}

TEST(HistoryQueriesTest, TheWorkerRunsQuestionsOffTheAskingThreadAndWakesIt) {
  std::promise<void> let_open;
  std::shared_future<void> opened = let_open.get_future().share();
  std::thread::id worker;
  int opens = 0;
  // The store opens only when the test says: a store held by another client.
  HistoryQueries queries(
      [&](Status* status) {
        ++opens;
        opened.wait();
        return MemoryStore(status);
      },
      HistoryQueries::Mode::kThread);
  std::vector<std::string> shown;
  queries.Ask(QuerySlot::kItems, [&](HistoryStore* store) -> HistoryQueries::Answer {
    worker = std::this_thread::get_id();
    return [&shown, has = store != nullptr] { shown.push_back(has ? "items" : "none"); };
  });
  // The asking thread goes on at once; nothing is ready while the store is held.
  EXPECT_EQ(queries.Deliver(), 0u);
  EXPECT_TRUE(queries.Pending(QuerySlot::kItems));
  let_open.set_value();
  pollfd wake{queries.WakeFd(), POLLIN, 0};
  ASSERT_EQ(poll(&wake, 1, 10'000), 1);  // an answer, not a timeout
  EXPECT_EQ(queries.Deliver(), 1u);
  EXPECT_EQ(shown, std::vector<std::string>({"items"}));
  EXPECT_NE(worker, std::this_thread::get_id());
  // One connection serves the questions until Reopen.
  queries.Ask(QuerySlot::kEvents, [](HistoryStore*) { return HistoryQueries::Answer(); });
  queries.Reopen();
  queries.Ask(QuerySlot::kChart, [](HistoryStore*) { return HistoryQueries::Answer(); });
  ASSERT_EQ(poll(&wake, 1, 10'000), 1);
  while (queries.AnyPending()) {
    ASSERT_EQ(poll(&wake, 1, 10'000), 1);
    queries.Deliver();
  }
  EXPECT_EQ(opens, 2);
}

}  // namespace
}  // namespace hv::history
