#include "client/history/history_store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "core/testing/scoped_env.h"
#include "core/testing/temp_folder.h"

namespace hv::history {
namespace {

constexpr int64_t kDay = 86'400'000;
constexpr int64_t kStart = 1'760'000'000'000;  // a day in 2025, UTC midnight rounded below

LogRow ServerEntry(const char* message, int64_t at, const char* time = "10:00:00 AM") {
  LogRow row;
  row.at_ms = at;
  row.entry_type = 6;
  row.name = "Front Door";
  row.message = message;
  row.function_code = 20;
  row.date_text = "01/02/2026";
  row.time_text = time;
  return row;
}

int64_t ItemIdOf(HistoryStore& store, const std::string& name) {
  for (const StoredItem& item : store.Items()) {
    if (item.name == name) return item.id;
  }
  return 0;
}

TEST(HistoryStoreTest, WritesItemsOnceAndSkipsRepeatsAndResentEntries) {
  auto store = HistoryStore::OpenInMemory("house:1");
  ASSERT_NE(store, nullptr);
  HistoryBatch batch;
  batch.samples = {{ItemKind::kSwitch, "Porch", kStart, 2, 0.0},
                   {ItemKind::kSwitch, "Porch", kStart + 10, 2, 0.0},  // a reconnect's listing
                   {ItemKind::kSwitch, "Porch", kStart + 20, 3, 0.0},
                   {ItemKind::kSensor, "Porch", kStart + 30, 17, 21.5}};
  // The same entry twice in one second: both kept.
  batch.log = {ServerEntry("Opened", kStart), ServerEntry("Opened", kStart)};
  LogRow client = ServerEntry("Connection terminated", kStart + 5);
  client.date_text.clear();
  client.time_text.clear();
  batch.log.push_back(client);
  batch.log.push_back(client);  // the client's own entries have no fingerprint: both kept
  ASSERT_TRUE(store->Write(batch).ok());
  // The log sent again after a reconnect adds nothing; the third equal entry of a session is
  // new, also when it comes in a batch of its own.
  HistoryBatch again;
  again.new_session = true;
  again.log = {ServerEntry("Opened", kStart + 99'000)};
  ASSERT_TRUE(store->Write(again).ok());
  again.new_session = false;
  again.log = {ServerEntry("Opened", kStart + 99'000), ServerEntry("Opened", kStart + 99'000)};
  ASSERT_TRUE(store->Write(again).ok());

  std::vector<StoredItem> items = store->Items();
  ASSERT_EQ(items.size(), 2u);  // a switch and a sensor of one name; log names not listed
  EXPECT_EQ(store->Points(ItemIdOf(*store, "Porch"), 0, INT64_MAX).size(), 2u);
  std::vector<StoredEvent> events = store->Events(0, INT64_MAX, {}, 100);
  EXPECT_EQ(events.size(), 3u + 5u);
  EXPECT_EQ(events.front().at_ms, kStart + 99'000);  // newest first
}

TEST(HistoryStoreTest, EventsOfPickedItemsIncludeTheirEntriesAndSearchFindsWords) {
  auto store = HistoryStore::OpenInMemory("house:1");
  HistoryBatch batch;
  batch.samples = {{ItemKind::kSensor, "Front Door", kStart, 20, 0.0},
                   {ItemKind::kSensor, "Garage", kStart, 20, 0.0}};
  batch.log = {ServerEntry("Door opened by \"Anna\"", kStart + 1)};
  LogRow other = ServerEntry("Motion in the hall", kStart + 2);
  other.name = "Hall";
  batch.log.push_back(other);
  ASSERT_TRUE(store->Write(batch).ok());
  std::vector<StoredEvent> door = store->Events(0, INT64_MAX, {ItemIdOf(*store, "Front Door")}, 10);
  ASSERT_EQ(door.size(), 2u);
  EXPECT_EQ(door[0].kind, ItemKind::kLogName);
  EXPECT_EQ(door[1].kind, ItemKind::kSensor);
  EXPECT_EQ(store->Events(kStart + 2, INT64_MAX, {}, 10).size(), 1u);

  EXPECT_EQ(store->SearchLog("open", 10).size(), 1u);  // a word's start matches
  EXPECT_EQ(store->SearchLog("hall motion", 10).size(), 1u);
  EXPECT_EQ(store->SearchLog("door hall", 10).size(), 0u);
  // Query syntax typed by the user is taken as text, never as an error.
  EXPECT_EQ(store->SearchLog("\"Anna\" AND (", 10).size(), 0u);
  EXPECT_EQ(store->SearchLog("\"anna\"", 10).size(), 1u);
  EXPECT_TRUE(store->SearchLog("   ", 10).empty());
}

TEST(HistoryStoreTest, TrimRollsUpOldSamplesAndReducesWithoutASeam) {
  auto store = HistoryStore::OpenInMemory("house:1");
  HistoryBatch batch;
  // A temperature every hour for 20 days, with one spike long ago.
  for (int64_t hour = 0; hour < 20 * 24; ++hour) {
    double value = hour == 5 ? 40.0 : 20.0 + static_cast<double>(hour % 2);
    batch.samples.push_back({ItemKind::kSensor, "Hall", kStart + hour * 3'600'000, 17, value});
  }
  ASSERT_TRUE(store->Write(batch).ok());
  int64_t id = ItemIdOf(*store, "Hall");
  const int64_t now = kStart + 20 * kDay;
  HistoryLimits limits;
  ASSERT_TRUE(store->Trim(now, limits).ok());
  EXPECT_LT(store->Points(id, 0, INT64_MAX).size(), 9u * 24u);  // only the last week or so raw

  PixelReduction all(kStart, now, 20);
  ASSERT_TRUE(store->Reduce(id, now, &all).ok());
  double highest = 0;
  for (const PixelColumn& column : all.columns()) {
    EXPECT_TRUE(column.has_value);  // no gap where raw data meets rollups
    highest = std::max(highest, column.max);
  }
  EXPECT_EQ(highest, 40.0);  // the old spike survived the roll-up
  EXPECT_EQ(all.columns()[19].min, 20.0);

  // A short range inside the rolled-up part reads minute buckets.
  PixelReduction hour(kStart + 5 * 3'600'000, kStart + 6 * 3'600'000, 60);
  ASSERT_TRUE(store->Reduce(id, now, &hour).ok());
  EXPECT_EQ(hour.columns()[0].max, 40.0);
  // The spike held until the next sample an hour later: a minute without a change still
  // has its value once rolled up.
  EXPECT_EQ(hour.columns()[1].min, 40.0);
  EXPECT_EQ(hour.columns()[59].max, 40.0);

  PixelReduction none(0, 1, 1);
  EXPECT_TRUE(store->Reduce(999, now, &none).Is(Where::kHistory, kNotFound));
}

TEST(HistoryStoreTest, KeepDaysAndPerItemDaysDropOldRows) {
  auto store = HistoryStore::OpenInMemory("house:1");
  HistoryBatch batch;
  for (int day = 0; day < 10; ++day) {
    batch.samples.push_back({ItemKind::kSwitch, "A", kStart + day * kDay, day % 2 ? 2 : 3, 0});
    batch.samples.push_back({ItemKind::kSwitch, "B", kStart + day * kDay, day % 2 ? 2 : 3, 0});
    batch.log.push_back(ServerEntry("x", kStart + day * kDay, std::to_string(day).c_str()));
  }
  ASSERT_TRUE(store->Write(batch).ok());
  bool more = true;
  ASSERT_TRUE(store->IndexLog(100, &more).ok());
  ASSERT_TRUE(store->SetItemKeepDays(ItemIdOf(*store, "B"), 2).ok());
  EXPECT_FALSE(store->SetItemKeepDays(ItemIdOf(*store, "B"), -1).ok());
  HistoryLimits limits;
  limits.keep_days = 5;
  limits.raw_days = 30;
  // Days are dropped whole, from the start of the day the keep days reach back to (kStart is
  // 08:53 UTC, so the day of kStart + 4 days is kept).
  const int64_t now = kStart + 9 * kDay;
  ASSERT_TRUE(store->Trim(now, limits).ok());
  EXPECT_EQ(store->Points(ItemIdOf(*store, "A"), 0, INT64_MAX).size(), 6u);
  EXPECT_EQ(store->Points(ItemIdOf(*store, "B"), 0, INT64_MAX).size(), 3u);
  EXPECT_EQ(store->Events(0, INT64_MAX, {}, 100).size(), 6u + 3u + 6u);
  EXPECT_TRUE(store->SearchLog("x", 100).size() == 6u);  // the index lost the dropped ones too
  std::vector<ItemUsage> usage = store->Usage();
  ASSERT_FALSE(usage.empty());
  EXPECT_GE(usage.front().bytes, usage.back().bytes);
}

TEST(HistoryStoreTest, SizeLimitDropsTheOldestFirst) {
  auto store = HistoryStore::OpenInMemory("house:1");
  HistoryBatch batch;
  for (int i = 0; i < 40000; ++i) {
    batch.samples.push_back({ItemKind::kSensor, "T", kStart + i * 60'000LL, 17, i * 0.5});
  }
  ASSERT_TRUE(store->Write(batch).ok());
  int64_t before = store->UsedBytes();
  HistoryLimits limits;
  limits.max_bytes = before / 2;
  limits.raw_days = 365;
  const int64_t now = kStart + 40000 * 60'000LL;
  ASSERT_TRUE(store->Trim(now, limits).ok());
  EXPECT_LE(store->UsedBytes(), limits.max_bytes);
  std::vector<ItemPoint> left = store->Points(ItemIdOf(*store, "T"), 0, INT64_MAX);
  ASSERT_FALSE(left.empty());
  EXPECT_EQ(left.back().at_ms, now - 60'000);  // the newest stays
}

TEST(HistoryStoreTest, FullDiskRefusesTheWholeBatchAndAcceptsAgainWithRoom) {
  auto store = HistoryStore::OpenInMemory("house:1");
  store->LimitPagesForTest(store->UsedBytes() / 4096 + 8);
  HistoryBatch big;
  for (int i = 0; i < 20000; ++i) big.samples.push_back({ItemKind::kSensor, "T", i, 17, i * 1.0});
  Status full = store->Write(big);
  EXPECT_TRUE(full.Is(Where::kHistory, kHistoryDiskFull)) << full.ToString();
  EXPECT_TRUE(store->Items().empty());  // rolled back whole
  store->LimitPagesForTest(0);
  ASSERT_TRUE(store->Write(big).ok());
  EXPECT_EQ(store->Points(ItemIdOf(*store, "T"), 0, INT64_MAX).size(), 20000u);
}

// Stores in a file of the test's own folder, as the program keeps them.
class HistoryStoreFileTest : public ::testing::Test {
 protected:
  // The store in path_ for the house `house`; null, and the test failed, when it cannot open.
  std::unique_ptr<HistoryStore> Open(const char* house = "a:1") {
    Status status;
    auto store = HistoryStore::Open(path_, house, &status);
    EXPECT_NE(store, nullptr) << status.ToString();
    return store;
  }

  hv::test::cTempFolder folder_;
  std::string path_ = folder_.File("history.db");
};

TEST_F(HistoryStoreFileTest, FileIsPrivateAndHousesNeverMix) {
  path_ = folder_.File("state/hearthview/history.db");
  auto first = Open();
  ASSERT_NE(first, nullptr);
  struct stat st;
  ASSERT_EQ(stat(path_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  HistoryBatch batch;
  batch.samples = {{ItemKind::kMode, "Away", kStart, 1, 0}};
  ASSERT_TRUE(first->Write(batch).ok());
  auto second = Open("b:2");
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(second->Items().empty());
  EXPECT_EQ(first->Items().size(), 1u);

  hv::test::cScopedEnv state("XDG_STATE_HOME", folder_.File("xdg"));
  EXPECT_EQ(HistoryStore::DefaultPath(), folder_.File("xdg") + "/hearthview/history.db");
}

TEST_F(HistoryStoreFileTest, UnreadableFileIsMovedAsideAndANewStoreStarted) {
  {
    std::ofstream junk(path_, std::ios::binary);
    junk << std::string(8192, 'x');
  }
  auto store = Open();
  ASSERT_NE(store, nullptr);
  HistoryBatch batch;
  batch.samples = {{ItemKind::kSwitch, "Lamp", kStart, 2, 0}};
  EXPECT_TRUE(store->Write(batch).ok());
  int aside = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder_.path())) {
    std::string name = entry.path().filename().string();
    if (name.rfind("history.db.corrupt-", 0) == 0) {
      ++aside;
      EXPECT_EQ(std::filesystem::file_size(entry.path()), 8192u);  // kept as it was
    }
  }
  EXPECT_EQ(aside, 1);
}

TEST_F(HistoryStoreFileTest, OtherClientsFollowAStoreMovedAsideAndNeverDeleteTheNewJournal) {
  auto mover = Open();
  auto idle = Open();
  auto writer = Open();
  ASSERT_TRUE(mover && idle && writer);
  auto write = [](HistoryStore& store, const char* name) {
    HistoryBatch batch;
    batch.samples = {{ItemKind::kSwitch, name, kStart, 2, 0.0}};
    return store.Write(batch).ok();
  };
  ASSERT_TRUE(write(*idle, "Lamp"));
  Status status;
  auto window = HistoryStore::OpenForReading(path_, "a:1", &status);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(window->Moved());
  std::string aside;
  ASSERT_TRUE(mover->StartAfresh(&aside).ok());
  ASSERT_FALSE(aside.empty());
  EXPECT_TRUE(window->Moved());  // the window's reader opens the new store
  // The mover writes into its WAL; the client that stayed idle ends. Its connection is the
  // last one to the file moved aside: closing it must leave the new store's WAL alone.
  ASSERT_TRUE(write(*mover, "Garage"));
  idle.reset();
  // The other one writes into the new store, not into the file moved aside.
  ASSERT_TRUE(write(*writer, "Porch"));
  auto reader = Open();
  ASSERT_NE(reader, nullptr);
  std::vector<std::string> names;
  for (const StoredItem& item : reader->Items()) names.push_back(item.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Garage", "Porch"}));
  EXPECT_FALSE(reader->Moved());
  auto moved = HistoryStore::Open(aside, "a:1", &status);
  ASSERT_NE(moved, nullptr);
  ASSERT_EQ(moved->Items().size(), 1u);
  EXPECT_EQ(moved->Items()[0].name, "Lamp");
}

TEST_F(HistoryStoreFileTest, TwoClientsShareOneStore) {
  auto one = Open();
  auto two = Open();
  ASSERT_NE(one, nullptr);
  ASSERT_NE(two, nullptr);
  for (int round = 0; round < 20; ++round) {
    HistoryBatch a, b;
    a.samples = {{ItemKind::kSwitch, "Lamp " + std::to_string(round), kStart + round, 2, 0}};
    b.samples = {{ItemKind::kSwitch, "Lamp " + std::to_string(round), kStart + round + 1, 3, 0}};
    // Each round a session of its own, which the server's log starts with again.
    b.log = {ServerEntry("same entry from both", kStart)};
    a.log = b.log;
    a.new_session = b.new_session = true;
    ASSERT_TRUE(one->Write(a).ok());
    ASSERT_TRUE(two->Write(b).ok());
  }
  EXPECT_EQ(one->Items().size(), 20u);
  EXPECT_EQ(two->Events(0, INT64_MAX, {}, 1000).size(), 40u + 1u);
}

// What a word search finds, as (time, message) pairs.
std::vector<std::pair<int64_t, std::string>> Found(HistoryStore& store, const std::string& words) {
  std::vector<std::pair<int64_t, std::string>> found;
  for (const StoredEvent& event : store.SearchLog(words, 1000)) {
    found.emplace_back(event.at_ms, event.message);
  }
  return found;
}

bool IndexAll(HistoryStore& store) {
  for (bool more = true; more;) {
    if (store.IndexLog(7, &more).failed()) return false;
  }
  return true;
}

TEST_F(HistoryStoreFileTest, EntriesAreFoundByWordsBeforeAndAfterTheIndexTakesThemIn) {
  auto store = Open();
  ASSERT_NE(store, nullptr);
  HistoryBatch batch;
  const char* messages[] = {"Door opened by \"Anna\"", "Motion in the hall", "Set to 10:30",
                            "Küche light on at 21°C",  "x_y done",           "HALLWAY lamp"};
  for (int i = 0; i < 30; ++i) {
    LogRow row = ServerEntry(messages[i % 6], kStart + i, std::to_string(i).c_str());
    row.path = i % 2 ? "IO" : "Macros";
    if (i % 3 == 0) row.name = "Hall";
    batch.log.push_back(row);
  }
  ASSERT_TRUE(store->Write(batch).ok());
  // Words as people type them: prefixes, phrases cut at punctuation, case, quotes, a word
  // of no letters, words in two different texts of the entry, non-ASCII letters.
  const std::vector<std::string> searches = {
      "open", "hall", "hall motion", "10:3", "10 30", "30", "\"anna\"", "\"Anna\" AND (", "x", "y",
      "--", "door --", "küche", "front macros", "io lamp", "hallway", "nothing",
      // Case and accents folded alike by both paths; "°" separates like any punctuation.
      "kuche", "KÜCHE", "°C", "21°"};
  std::vector<std::vector<std::pair<int64_t, std::string>>> unindexed;
  for (const std::string& words : searches) unindexed.push_back(Found(*store, words));
  EXPECT_EQ(unindexed[0].size(), 5u);
  EXPECT_TRUE(unindexed[10].empty());               // no word at all finds nothing
  EXPECT_EQ(unindexed[11], Found(*store, "door"));  // a word of no letters asks for nothing
  EXPECT_EQ(unindexed[17].size(), 5u);              // "kuche" finds "Küche" before indexing too
  EXPECT_EQ(unindexed[18], unindexed[17]);
  EXPECT_EQ(unindexed[19], unindexed[17]);  // "°C" is the word "c"

  // Part of them indexed, then a restart: the index goes on where it stopped, and every
  // search finds the same rows whichever part holds them.
  bool more = false;
  ASSERT_TRUE(store->IndexLog(11, &more).ok());
  EXPECT_TRUE(more);
  store.reset();
  store = Open();
  ASSERT_NE(store, nullptr);
  for (size_t i = 0; i < searches.size(); ++i) {
    EXPECT_EQ(Found(*store, searches[i]), unindexed[i]) << "half indexed: " << searches[i];
  }
  ASSERT_TRUE(IndexAll(*store));
  for (size_t i = 0; i < searches.size(); ++i) {
    EXPECT_EQ(Found(*store, searches[i]), unindexed[i]) << "indexed: " << searches[i];
  }
}

TEST_F(HistoryStoreFileTest, AStoreWhoseEntriesWereIndexedAsTheyCameIsNotIndexedAgain) {
  auto store = Open();
  ASSERT_NE(store, nullptr);
  HistoryBatch batch;
  for (int i = 0; i < 10; ++i) {
    batch.log.push_back(ServerEntry("Opened", kStart + i, std::to_string(i).c_str()));
  }
  ASSERT_TRUE(store->Write(batch).ok());
  ASSERT_TRUE(IndexAll(*store));
  store.reset();
  // Stores of earlier versions index every entry as it is written and keep no mark.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(
      sqlite3_exec(db, "DELETE FROM meta WHERE key = 'log_indexed_to'", nullptr, nullptr, nullptr),
      SQLITE_OK);
  sqlite3_close(db);

  store = Open();
  ASSERT_NE(store, nullptr);
  bool more = true;
  ASSERT_TRUE(store->IndexLog(100, &more).ok());
  EXPECT_FALSE(more);
  EXPECT_EQ(Found(*store, "opened").size(), 10u);  // each once
  batch.log = {ServerEntry("Opened", kStart + 20, "later")};
  ASSERT_TRUE(store->Write(batch).ok());
  EXPECT_EQ(Found(*store, "opened").size(), 11u);
  ASSERT_TRUE(IndexAll(*store));
  EXPECT_EQ(Found(*store, "opened").size(), 11u);
}

TEST_F(HistoryStoreFileTest, EntriesArePlacedAtTheServersDateAndTimeAndEarlierStoresMoveThem) {
  struct NewYork {
    NewYork() : zone("TZ", "EST5EDT,M3.2.0,M11.1.0") { tzset(); }
    struct ReadZoneAgain {
      ~ReadZoneAgain() { tzset(); }
    } read_again;  // destroyed last: the zone put back is read again
    hv::test::cScopedEnv zone;
  } new_york;
  constexpr int64_t kJan3 = 1'767'398'400'000;  // 01/03/2026 00:00 UTC
  const int64_t arrival = kJan3 + 15 * 3'600'000;
  auto store = Open();
  ASSERT_NE(store, nullptr);
  // The log sent at login carries yesterday's entry; the client's own entry has no date.
  HistoryBatch batch;
  batch.log = {ServerEntry("Opened", arrival)};
  LogRow client = ServerEntry("Connected", arrival);
  client.date_text.clear();
  client.time_text.clear();
  batch.log.push_back(client);
  ASSERT_TRUE(store->Write(batch).ok());
  const int64_t server_time = kJan3 - kDay + 15 * 3'600'000;  // 10:00 AM in New York
  auto placed = [&] {
    std::vector<StoredEvent> yesterday = store->Events(kJan3 - kDay, kJan3, {}, 10);
    std::vector<StoredEvent> today = store->Events(kJan3, kJan3 + kDay, {}, 10);
    EXPECT_EQ(yesterday.size(), 1u);
    EXPECT_EQ(today.size(), 1u);
    if (yesterday.size() != 1 || today.size() != 1) return;
    EXPECT_EQ(yesterday[0].message, "Opened");
    EXPECT_EQ(yesterday[0].at_ms, server_time);
    EXPECT_EQ(today[0].message, "Connected");
    EXPECT_EQ(today[0].at_ms, arrival);
  };
  placed();
  auto arrivals = [&] {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* read = nullptr;
    sqlite3_prepare_v2(db, "SELECT count(*) FROM log WHERE arrived = ?1", -1, &read, nullptr);
    sqlite3_bind_int64(read, 1, arrival);
    const int64_t count = sqlite3_step(read) == SQLITE_ROW ? sqlite3_column_int64(read, 0) : -1;
    sqlite3_finalize(read);
    sqlite3_close(db);
    return count;
  };
  EXPECT_EQ(arrivals(), 2);
  store.reset();

  // A store of the earlier layout placed every entry at its arrival and kept none apart.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db,
                         "UPDATE log SET at = arrived, arrived = NULL;"
                         "UPDATE meta SET value = 2 WHERE key = 'schema'",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  store = Open();
  ASSERT_NE(store, nullptr);
  placed();
  EXPECT_EQ(arrivals(), 2);
}

TEST(HistoryStoreTest, EntriesTakingTheIdsOfDroppedOnesAreStillFound) {
  auto store = HistoryStore::OpenInMemory("house:1");
  HistoryBatch batch;
  batch.log = {ServerEntry("Old one", kStart, "1"), ServerEntry("Old two", kStart, "2")};
  ASSERT_TRUE(store->Write(batch).ok());
  ASSERT_TRUE(IndexAll(*store));
  HistoryLimits limits;
  limits.keep_days = 1;
  // A trim drops nothing newer than the store's newest row says is old: a lamp ten days on.
  HistoryBatch later;
  later.samples = {{ItemKind::kSwitch, "Lamp", kStart + 10 * kDay, 2, 0.0}};
  ASSERT_TRUE(store->Write(later).ok());
  ASSERT_TRUE(store->Trim(kStart + 10 * kDay, limits).ok());
  EXPECT_TRUE(Found(*store, "old").empty());
  // The log is empty, so the next entries get the dropped entries' ids again.
  batch.log = {ServerEntry("New one", kStart + 10 * kDay, "3")};
  ASSERT_TRUE(store->Write(batch).ok());
  EXPECT_EQ(Found(*store, "new").size(), 1u);
  ASSERT_TRUE(IndexAll(*store));
  EXPECT_EQ(Found(*store, "new").size(), 1u);
}

}  // namespace
}  // namespace hv::history
