// The history store: how fast batches are written (status samples, and activity entries with
// their word index apart), how small a million events stay, how quickly one sensor's day is
// found among ten million events, and how quickly a year of one sensor is reduced to a chart's
// pixel columns. The stores live in a temporary folder.
//
// Each goal has a reference beside it, run in the same process on the same machine: the plain
// SQLite work of the same shape (a bare prepared insert loop, a bare indexed select of the
// rows the store reads), so a loaded machine shows in both and the ratio says what the
// store's own work costs.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "client/history/history_store.h"
#include "client/history/pixel_columns.h"
#include "core/testing/temp_folder.h"

namespace hv {

namespace {

using hv::ItemKind;
using hv::history::HistoryBatch;
using hv::history::HistoryStore;

constexpr int64_t kStart = 1'700'000'000'000;
constexpr int64_t kDay = 86'400'000;
constexpr int kItems = 200;

std::unique_ptr<HistoryStore> OpenFile(const hv::test::cTempFolder& folder, const char* name) {
  hv::Status status;
  auto store = HistoryStore::Open(folder.File(name), "bench:1", &status);
  if (store == nullptr) std::abort();
  return store;
}

// Writes `count` rows, row(i) for the i-th, into the batch's `rows`, `per_batch` to a batch
// as the history's writer hands them over.
template <typename Row, typename MakeRow>
void WriteInBatches(HistoryStore& store, int64_t count, size_t per_batch,
                    std::vector<Row> HistoryBatch::*rows, MakeRow row) {
  HistoryBatch batch;
  for (int64_t i = 0; i < count; ++i) {
    (batch.*rows).push_back(row(i));
    if ((batch.*rows).size() == per_batch) {
      if (store.Write(batch).failed()) std::abort();
      (batch.*rows).clear();
    }
  }
  if (store.Write(batch).failed()) std::abort();
}

// `count` events of kItems sensors, one every `step_ms` per item, `per_batch` to a batch.
void Fill(HistoryStore& store, int64_t count, int64_t step_ms, int64_t first_ms = kStart,
          size_t per_batch = 20000) {
  WriteInBatches(store, count, per_batch, &HistoryBatch::samples, [&](int64_t i) {
    int item = static_cast<int>(i % kItems);
    return hv::history::StatusSample{ItemKind::kSensor, "Sensor " + std::to_string(item),
                                     first_ms + (i / kItems) * step_ms, 17,
                                     18.0 + static_cast<double>((i * 7919) % 1000) / 100.0};
  });
}

// A fresh store for a timed benchmark, and where the rows of its next round start.
struct TimedStore {
  hv::test::cTempFolder folder{"hvbench"};
  std::unique_ptr<HistoryStore> store = OpenFile(folder, "history.db");
  int64_t first = kStart;
};

// 200,000 status samples a round, `per_batch` rows to a transaction.
void TimeSampleBatches(benchmark::State& state, size_t per_batch) {
  TimedStore timed;
  for (auto _ : state) {
    Fill(*timed.store, 200'000, 1000, timed.first, per_batch);
    timed.first += 200'000 / kItems * 1000;
  }
  state.SetItemsProcessed(state.iterations() * 200'000);
}

void BM_StoreBatches(benchmark::State& state) { TimeSampleBatches(state, 20000); }
BENCHMARK(BM_StoreBatches)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same at the writer's own size of a transaction: four batches of 1,024 rows.
void BM_StoreWriterBatches(benchmark::State& state) { TimeSampleBatches(state, 4096); }
BENCHMARK(BM_StoreWriterBatches)->Unit(benchmark::kMillisecond)->UseRealTime();

// A plain connection to a store's file, for the references.
struct BareDb {
  explicit BareDb(const std::string& path) {
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) std::abort();
    Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL");
  }
  ~BareDb() { sqlite3_close(db); }
  void Exec(const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) std::abort();
  }
  sqlite3_stmt* Prepare(const char* sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) std::abort();
    return statement;
  }
  // Steps through every row of the statement bound to `values`, reading its first column.
  size_t Rows(sqlite3_stmt* statement, std::initializer_list<int64_t> values) {
    int index = 0;
    for (int64_t value : values) sqlite3_bind_int64(statement, ++index, value);
    size_t rows = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
      benchmark::DoNotOptimize(sqlite3_column_int64(statement, 0));
      ++rows;
    }
    sqlite3_reset(statement);
    return rows;
  }
  sqlite3* db = nullptr;
};

// Reference of the writer's batches: the same rows into a table of the same key, one prepared
// insert, 4,096 rows a transaction, sorted by item as the store sorts them; no item lookup,
// no repeat check, no order of arrival.
void BM_BareInsertLoop(benchmark::State& state) {
  hv::test::cTempFolder folder("hvbench");
  BareDb bare(folder.File("bare.db"));
  bare.Exec(
      "CREATE TABLE samples(item INTEGER NOT NULL, at INTEGER NOT NULL, seq INTEGER NOT NULL,"
      " status INTEGER NOT NULL, value REAL, PRIMARY KEY(item, at, seq)) WITHOUT ROWID");
  sqlite3_stmt* insert = bare.Prepare("INSERT INTO samples VALUES(?1, ?2, 0, 17, ?3)");
  int64_t first = kStart;
  for (auto _ : state) {
    for (int64_t done = 0; done < 200'000; done += 4096) {
      bare.Exec("BEGIN IMMEDIATE");
      const int64_t end = std::min<int64_t>(done + 4096, 200'000);
      for (int item = 0; item < kItems; ++item) {
        for (int64_t i = done + (item - done % kItems + kItems) % kItems; i < end; i += kItems) {
          sqlite3_bind_int64(insert, 1, item + 1);
          sqlite3_bind_int64(insert, 2, first + (i / kItems) * 1000);
          sqlite3_bind_double(insert, 3, 18.0 + static_cast<double>((i * 7919) % 1000) / 100.0);
          if (sqlite3_step(insert) != SQLITE_DONE) std::abort();
          sqlite3_reset(insert);
        }
      }
      bare.Exec("COMMIT");
    }
    first += 200'000 / kItems * 1000;
  }
  sqlite3_finalize(insert);
  state.SetItemsProcessed(state.iterations() * 200'000);
}
BENCHMARK(BM_BareInsertLoop)->Unit(benchmark::kMillisecond)->UseRealTime();

// A server's activity log as it arrives at login: `count` entries, in the writer's batches.
void StoreLog(HistoryStore& store, int64_t first, int count) {
  WriteInBatches(store, count, 4096, &HistoryBatch::log, [&](int64_t i) {
    hv::history::LogRow row;
    row.at_ms = first + i;
    row.entry_type = 3;
    row.name = "Console";
    row.message = "Benchmark entry " + std::to_string(first + i);
    row.path = "IO";
    row.date_text = "12/09/2026";
    row.time_text = "11:50:00 AM";
    return row;
  });
}

// 100,000 entries stored; their words are indexed later, in the writer's idle time.
void BM_StoreLogEntries(benchmark::State& state) {
  TimedStore timed;
  for (auto _ : state) {
    StoreLog(*timed.store, timed.first, 100'000);
    timed.first += 100'000;
  }
  state.SetItemsProcessed(state.iterations() * 100'000);
}
BENCHMARK(BM_StoreLogEntries)->Unit(benchmark::kMillisecond)->UseRealTime();

// The word index catching up with 100,000 stored entries, in the writer's steps.
void BM_IndexLogEntries(benchmark::State& state) {
  TimedStore timed;
  for (auto _ : state) {
    state.PauseTiming();
    StoreLog(*timed.store, timed.first, 100'000);
    timed.first += 100'000;
    state.ResumeTiming();
    for (bool more = true; more;) {
      if (timed.store->IndexLog(1000, &more).failed()) std::abort();
    }
  }
  state.SetItemsProcessed(state.iterations() * 100'000);
}
BENCHMARK(BM_IndexLogEntries)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MillionEventsSize(benchmark::State& state) {
  for (auto _ : state) {
    hv::test::cTempFolder folder("hvbench");
    auto store = OpenFile(folder, "history.db");
    Fill(*store, 1'000'000, 1000);
    state.counters["bytes"] = static_cast<double>(store->UsedBytes());
  }
}
BENCHMARK(BM_MillionEventsSize)->Unit(benchmark::kMillisecond)->Iterations(1);

// Ten million events of kItems sensors over some weeks, made once for the finding bench.
struct TenMillion {
  hv::test::cTempFolder folder{"hvbench"};
  std::unique_ptr<HistoryStore> store = OpenFile(folder, "history.db");
  TenMillion() { Fill(*store, 10'000'000, 30'000); }
  static TenMillion& Get() {
    static TenMillion data;
    return data;
  }
};

// Reference of the day: the same rows by the same key, read bare.
void BM_BareDaySelect(benchmark::State& state) {
  TenMillion& data = TenMillion::Get();
  BareDb bare(data.folder.File("history.db"));
  sqlite3_stmt* read = bare.Prepare(
      "SELECT at, status, value FROM samples WHERE item = ?1 AND at >= ?2 AND at < ?3"
      " ORDER BY at, seq");
  const int64_t id = data.store->Items().front().id;
  for (auto _ : state) {
    benchmark::DoNotOptimize(bare.Rows(read, {id, kStart + 10 * kDay, kStart + 11 * kDay}));
  }
  sqlite3_finalize(read);
}
BENCHMARK(BM_BareDaySelect)->Unit(benchmark::kMillisecond);

// Reference of the events table: the day's newest 10,000 samples of every item, read bare
// item after item along the key, as the store reads them.
void BM_BareEventsDay(benchmark::State& state) {
  TenMillion& data = TenMillion::Get();
  BareDb bare(data.folder.File("history.db"));
  sqlite3_stmt* read = bare.Prepare(
      "SELECT s.at, i.kind, i.name, s.status, s.value FROM items i CROSS JOIN samples s ON"
      " s.item = i.id WHERE s.at >= ?1 AND s.at < ?2 ORDER BY s.at DESC, s.seq DESC"
      " LIMIT 10000");
  for (auto _ : state) {
    benchmark::DoNotOptimize(bare.Rows(read, {kStart + 10 * kDay, kStart + 11 * kDay}));
  }
  sqlite3_finalize(read);
}
BENCHMARK(BM_BareEventsDay)->Unit(benchmark::kMillisecond);

void BM_FindOneSensorDay(benchmark::State& state) {
  TenMillion& data = TenMillion::Get();
  int64_t id = data.store->Items().front().id;
  size_t found = 0;
  for (auto _ : state) {
    found = data.store->Points(id, kStart + 10 * kDay, kStart + 11 * kDay).size();
    benchmark::DoNotOptimize(found);
  }
  state.counters["events"] = static_cast<double>(found);
}
BENCHMARK(BM_FindOneSensorDay)->Unit(benchmark::kMillisecond);

// The same day as the chart reads it: reduced to 1,000 pixel columns.
void BM_ReduceOneSensorDay(benchmark::State& state) {
  TenMillion& data = TenMillion::Get();
  int64_t id = data.store->Items().front().id;
  for (auto _ : state) {
    hv::history::PixelReduction reduction(kStart + 10 * kDay, kStart + 11 * kDay, 1000);
    if (data.store->Reduce(id, kStart + 40 * kDay, &reduction).failed()) std::abort();
    benchmark::DoNotOptimize(reduction.columns().data());
  }
}
BENCHMARK(BM_ReduceOneSensorDay)->Unit(benchmark::kMillisecond);

// The events table of all items for a day among ten million events (its newest 10,000).
void BM_EventsTableDay(benchmark::State& state) {
  TenMillion& data = TenMillion::Get();
  size_t rows = 0;
  for (auto _ : state) {
    rows = data.store->Events(kStart + 10 * kDay, kStart + 11 * kDay, {}, 10'000).size();
    benchmark::DoNotOptimize(rows);
  }
  state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_EventsTableDay)->Unit(benchmark::kMillisecond);

// 300,000 activity entries, all in the word index but the newest 1,000, made once.
struct ThreeHundredThousandEntries {
  hv::test::cTempFolder folder{"hvbench"};
  std::unique_ptr<HistoryStore> store = OpenFile(folder, "log.db");
  ThreeHundredThousandEntries() {
    StoreLog(*store, kStart, 299'000);
    for (bool more = true; more;) {
      if (store->IndexLog(10'000, &more).failed()) std::abort();
    }
    StoreLog(*store, kStart + 299'000, 1'000);
  }
  static ThreeHundredThousandEntries& Get() {
    static ThreeHundredThousandEntries data;
    return data;
  }
};

// A word searched among them.
void BM_SearchWords(benchmark::State& state) {
  HistoryStore* store = ThreeHundredThousandEntries::Get().store.get();
  size_t found = 0;
  for (auto _ : state) {
    found = store->SearchLog("entry 17000", 1000).size();
    benchmark::DoNotOptimize(found);
  }
  state.counters["found"] = static_cast<double>(found);
}
BENCHMARK(BM_SearchWords)->Unit(benchmark::kMillisecond);

// Reference of the search: the same words matched bare in the word index, newest first.
void BM_BareWordMatch(benchmark::State& state) {
  BareDb bare(ThreeHundredThousandEntries::Get().folder.File("log.db"));
  sqlite3_stmt* read = bare.Prepare(
      "SELECT rowid FROM log_text WHERE log_text MATCH 'entry* AND 17000*' ORDER BY rowid DESC"
      " LIMIT 1000");
  for (auto _ : state) benchmark::DoNotOptimize(bare.Rows(read, {}));
  sqlite3_finalize(read);
}
BENCHMARK(BM_BareWordMatch)->Unit(benchmark::kMillisecond);

// One sensor every minute for a year, rolled up but the last week, made once.
struct SensorYear {
  hv::test::cTempFolder folder{"hvbench"};
  std::unique_ptr<HistoryStore> store = OpenFile(folder, "year.db");
  SensorYear() {
    HistoryBatch batch;
    for (int64_t minute = 0; minute < 365LL * 24 * 60; ++minute) {
      batch.samples.push_back({ItemKind::kSensor, "Outside", kStart + minute * 60'000, 17,
                               static_cast<double>(minute % 1440) / 60.0});
    }
    if (store->Write(batch).failed() || store->Trim(kStart + 365 * kDay, {}).failed()) {
      std::abort();
    }
  }
  static SensorYear& Get() {
    static SensorYear data;
    return data;
  }
};

void BM_ReduceYear(benchmark::State& state) {
  HistoryStore* store = SensorYear::Get().store.get();
  int64_t id = store->Items().front().id;
  for (auto _ : state) {
    hv::history::PixelReduction reduction(kStart, kStart + 365 * kDay, 1000);
    if (store->Reduce(id, kStart + 365 * kDay, &reduction).failed()) std::abort();
    benchmark::DoNotOptimize(reduction.columns().data());
  }
}
BENCHMARK(BM_ReduceYear)->Unit(benchmark::kMillisecond);

// Reference of the year: its hour buckets and last week's samples, read bare.
void BM_BareYearRows(benchmark::State& state) {
  SensorYear& year = SensorYear::Get();
  BareDb bare(year.folder.File("year.db"));
  const int64_t id = year.store->Items().front().id;
  sqlite3_stmt* buckets = bare.Prepare(
      "SELECT bucket, min, max, sum, count, on_ms, known_ms, value_ms, end_status, end_value"
      " FROM rollups WHERE item = ?1 AND level = 1 AND bucket >= ?2 AND bucket < ?3"
      " ORDER BY bucket");
  sqlite3_stmt* samples = bare.Prepare(
      "SELECT at, status, value FROM samples WHERE item = ?1 AND at >= ?2 AND at < ?3"
      " ORDER BY at, seq");
  for (auto _ : state) {
    benchmark::DoNotOptimize(bare.Rows(buckets, {id, kStart, kStart + 365 * kDay}) +
                             bare.Rows(samples, {id, kStart, kStart + 365 * kDay}));
  }
  sqlite3_finalize(buckets);
  sqlite3_finalize(samples);
}
BENCHMARK(BM_BareYearRows)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace hv
