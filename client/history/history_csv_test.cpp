#include "client/history/history_csv.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <limits>
#include <string>

#include "core/testing/scoped_env.h"
#include "core/testing/temp_folder.h"

namespace hv::history {
namespace {

using hv::test::cScopedEnv;
using hv::test::cTempFolder;

// 2026-10-25 00:30 UTC: in Berlin the clocks go back from 03:00 to 02:00 at 01:00 UTC.
constexpr int64_t kAutumnNight = 1'792'888'200'000;

TEST(HistoryCsvTest, TimesCarryTheirOffsetSoTheRepeatedHourIsNotAmbiguous) {
  cScopedEnv zone("TZ", "Europe/Berlin");
  tzset();
  // 02:30 twice: first in summer time, an hour later in winter time.
  EXPECT_EQ(IsoLocalTime(kAutumnNight), "2026-10-25T02:30:00.000+02:00");
  EXPECT_EQ(IsoLocalTime(kAutumnNight + 3'600'000 + 5), "2026-10-25T02:30:00.005+01:00");
  cScopedEnv utc("TZ", "UTC");
  tzset();
  EXPECT_EQ(IsoLocalTime(-1), "1969-12-31T23:59:59.999+00:00");
}

TEST(HistoryCsvTest, NumbersAreTheShortestTextThatReadsBackTheSame) {
  cScopedEnv locale("LC_ALL", "de_DE.UTF-8");  // to_chars ignores it; a decimal point always
  EXPECT_EQ(ShortestNumber(21.5), "21.5");
  EXPECT_EQ(ShortestNumber(0.1), "0.1");
  EXPECT_EQ(ShortestNumber(1234567.890123), "1234567.890123");
  EXPECT_EQ(ShortestNumber(1e300), "1e+300");
  EXPECT_EQ(ShortestNumber(std::numeric_limits<double>::quiet_NaN()), "");
  EXPECT_EQ(CsvField("a,\"b\""), "\"a,\"\"b\"\"\"");
  EXPECT_EQ(CsvField("plain"), "plain");
}

TEST(HistoryCsvTest, ExportsTheWholeRangeOldestFirstAfterCountingIt) {
  cScopedEnv zone("TZ", "UTC");
  tzset();
  auto store = HistoryStore::OpenInMemory("house:1");
  HistoryBatch batch;
  // More rows than the window's table ever holds, and a value without one.
  for (int i = 0; i < 25'000; ++i) {
    batch.samples.push_back({ItemKind::kSensor, "Hall, upstairs", kAutumnNight + i * 1000LL, 17,
                             i == 3 ? std::numeric_limits<double>::quiet_NaN() : 0.1 * i});
  }
  LogRow entry;
  entry.at_ms = kAutumnNight + 500;
  entry.name = "Front Door";
  entry.message = "Opened \"quickly\"";
  batch.log.push_back(entry);
  ASSERT_TRUE(store->Write(batch).ok());
  int64_t count = 0;
  ASSERT_TRUE(store->CountEvents(kAutumnNight, kAutumnNight + 86'400'000, {}, &count).ok());
  EXPECT_EQ(count, 25'001);
  std::string csv;
  int pieces = 0;
  int64_t rows = 0;
  HistoryCsvRequest request;
  request.from_ms = kAutumnNight;
  request.to_ms = kAutumnNight + 86'400'000;
  request.texts = [](const StoredEvent& event) {
    return CsvEventTexts{ItemKindName(event.kind), "code " + std::to_string(event.code),
                         ShortestNumber(event.value)};
  };
  ASSERT_TRUE(WriteHistoryCsv(
                  *store, request,
                  [&](std::string_view piece) {
                    csv += piece;
                    ++pieces;
                    return true;
                  },
                  &rows)
                  .ok());
  EXPECT_EQ(rows, count);
  EXPECT_GT(pieces, 2);  // streamed, not built whole
  EXPECT_EQ(
      csv.rfind(std::string(kHistoryCsvHeader) +
                    "2026-10-25T00:30:00.000+00:00,Sensor,\"Hall, upstairs\",code 17,0,,,,,,,,"
                    "\r\n"
                    "2026-10-25T00:30:00.500+00:00,Log,Front Door,code 0,0,"
                    "\"Opened \"\"quickly\"\"\",,,,,,,\r\n"
                    "2026-10-25T00:30:01.000+00:00,Sensor,\"Hall, upstairs\",code 17,0.1,,,,,,,,"
                    "\r\n",
                0),
      0u)
      << csv.substr(0, 400);
  EXPECT_NE(csv.find(",code 17,,,,,,,,,\r\n"), std::string::npos);  // the sample without a value
  EXPECT_NE(csv.find("T07:26:39.000+00:00,Sensor,\"Hall, upstairs\",code 17,2499.9,"),
            std::string::npos);
  // A failed write stops the export and says so.
  EXPECT_TRUE(WriteHistoryCsv(
                  *store, request, [](std::string_view) { return false; }, &rows)
                  .failed());
}

TEST(HistoryCsvTest, TheRolledUpPastIsOneSummaryPerStoredBucketAmongTheEventsInTimeOrder) {
  cScopedEnv zone("TZ", "UTC");
  tzset();
  constexpr int64_t kDay = 86'400'000;
  constexpr int64_t kHour = 3'600'000;
  const int64_t now = 1'767'225'600'000;  // 2026-01-01 00:00 UTC
  auto store = HistoryStore::OpenInMemory("house:1");
  HistoryBatch batch;
  // A cellar sensor changing every six hours for twenty days, and a switch turned on once.
  for (int64_t at = now - 20 * kDay; at < now; at += 6 * kHour) {
    batch.samples.push_back({ItemKind::kSensor, "Cellar", at, 17, 10.0 + (at / (6 * kHour)) % 4});
  }
  batch.samples.push_back({ItemKind::kSwitch, "Pump", now - 15 * kDay + kHour / 2, 2, 0.0});
  LogRow entry;
  entry.at_ms = now - 12 * kDay;
  entry.name = "Console";
  entry.message = "Pump checked";
  batch.log.push_back(entry);
  ASSERT_TRUE(store->Write(batch).ok());
  HistoryLimits limits;
  limits.raw_days = 7;
  ASSERT_TRUE(store->Trim(now, limits).ok());

  HistoryCsvRequest request;
  request.from_ms = now - 31 * kDay;
  request.to_ms = now;
  int64_t counted = 0;
  ASSERT_TRUE(CountHistoryCsvRows(*store, request, &counted).ok());
  std::string csv;
  int64_t rows = 0;
  ASSERT_TRUE(WriteHistoryCsv(
                  *store, request,
                  [&](std::string_view piece) {
                    csv += piece;
                    return true;
                  },
                  &rows)
                  .ok());
  EXPECT_EQ(rows, counted);
  // Every record: thirteen fields, times in order; the hours before the raw week summed up.
  std::vector<std::string> lines;
  for (size_t at = 0, end; (end = csv.find("\r\n", at)) != std::string::npos; at = end + 2) {
    lines.push_back(csv.substr(at, end - at));
  }
  ASSERT_EQ(static_cast<int64_t>(lines.size()), 1 + rows);
  int summaries = 0;
  for (size_t i = 1; i < lines.size(); ++i) {
    EXPECT_EQ(std::count(lines[i].begin(), lines[i].end(), ','), 12) << lines[i];
    if (i > 1) {
      EXPECT_LE(lines[i - 1].substr(0, 29), lines[i].substr(0, 29));
    }
    summaries += lines[i].find(",Hourly summary,") != std::string::npos;
  }
  EXPECT_GE(summaries, 13 * 4);  // a change every six hours, rolled up
  // The switch's hour: on for its last half, held on at its end.
  EXPECT_NE(csv.find("2025-12-17T00:00:00.000+00:00,Switch,Pump,2,0,Hourly summary,"
                     "2025-12-17T01:00:00.000+00:00,0,0,0,1,1800,1800\r\n"),
            std::string::npos)
      << csv.substr(0, 600);
  // A sensor's hour: the value it was left at, its lowest, highest and mean.
  EXPECT_NE(csv.find(",Sensor,Cellar,17,11,Hourly summary,"), std::string::npos);
  // The entry keeps its own place among the summaries, and the raw week is raw.
  EXPECT_NE(csv.find("2025-12-20T00:00:00.000+00:00,Log,Console,0,0,Pump checked,,,,,,,\r\n"),
            std::string::npos);
  EXPECT_NE(csv.find("2025-12-31T18:00:00.000+00:00,Sensor,Cellar,17,"), std::string::npos);
  EXPECT_EQ(csv.find("2025-12-31T18:00:00.000+00:00,Sensor,Cellar,17,11,Hourly"),
            std::string::npos);
  // A year's export sums up by day.
  request.from_ms = now - 365 * kDay;
  ASSERT_TRUE(CountHistoryCsvRows(*store, request, &counted).ok());
  EXPECT_LT(counted, rows);
}

TEST(HistoryStoreReaderTest, OpensAtOnceWhileAnotherClientWritesAndWaitsForAMissingStore) {
  cTempFolder folder;
  const std::string path = folder.File("history.db");
  Status status;
  EXPECT_EQ(HistoryStore::OpenForReading(path, "house:1", &status), nullptr);
  EXPECT_TRUE(status.declined());
  EXPECT_EQ(status.message(), kWaitingForStore);

  auto writer = HistoryStore::Open(path, "house:1", &status);
  ASSERT_NE(writer, nullptr);
  HistoryBatch batch;
  batch.samples = {{ItemKind::kSwitch, "Porch", 1000, 2, 0.0}};
  ASSERT_TRUE(writer->Write(batch).ok());
  // Another client holds the write lock with a transaction that is not finished.
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE; DELETE FROM samples", nullptr, nullptr, nullptr),
            SQLITE_OK);
  const auto start = std::chrono::steady_clock::now();
  auto reader = HistoryStore::OpenForReading(path, "house:1", &status);
  ASSERT_NE(reader, nullptr) << status.ToString();
  ASSERT_EQ(reader->Items().size(), 1u);
  EXPECT_EQ(reader->Points(reader->Items()[0].id, 0, INT64_MAX).size(), 1u);
  // Not a timing test: a reader that waited for the lock would take the 5 s busy timeout.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
  EXPECT_TRUE(reader->Write(batch).failed());
  // A house the writer has not recorded yet: waiting, not a failure.
  EXPECT_EQ(HistoryStore::OpenForReading(path, "house:2", &status), nullptr);
  EXPECT_TRUE(status.declined());
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
}

}  // namespace
}  // namespace hv::history
