// The history store: how fast batches are written (status samples, and activity entries with
// their word index apart), how small a million events stay, how quickly one sensor's day is
// found among ten million events, and how quickly a year of one sensor is reduced to a chart's
// pixel columns. The stores live in a temporary folder.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
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

// `count` events of kItems sensors, one every `step_ms` per item, in batches of 20,000.
void Fill(HistoryStore& store, int64_t count, int64_t step_ms, int64_t first_ms = kStart) {
  WriteInBatches(store, count, 20000, &HistoryBatch::samples, [&](int64_t i) {
    int item = static_cast<int>(i % kItems);
    return hv::history::StatusSample{ItemKind::kSensor, "Sensor " + std::to_string(item),
                                     first_ms + (i / kItems) * step_ms, 17,
                                     18.0 + static_cast<double>((i * 7919) % 1000) / 100.0};
  });
}

void BM_StoreBatches(benchmark::State& state) {
  hv::test::cTempFolder folder("hvbench");
  auto store = OpenFile(folder, "history.db");
  int64_t first = kStart;
  for (auto _ : state) {
    Fill(*store, 200'000, 1000, first);
    first += 200'000 / kItems * 1000;
  }
  state.SetItemsProcessed(state.iterations() * 200'000);
}
BENCHMARK(BM_StoreBatches)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same at the writer's own size of a transaction: four batches of 1,024 rows.
void BM_StoreWriterBatches(benchmark::State& state) {
  hv::test::cTempFolder folder("hvbench");
  auto store = OpenFile(folder, "history.db");
  int64_t first = kStart;
  for (auto _ : state) {
    WriteInBatches(*store, 200'000, 4096, &HistoryBatch::samples, [&](int64_t i) {
      int item = static_cast<int>(i % kItems);
      return hv::history::StatusSample{ItemKind::kSensor, "Sensor " + std::to_string(item),
                                       first + (i / kItems) * 1000, 17,
                                       18.0 + static_cast<double>((i * 7919) % 1000) / 100.0};
    });
    first += 200'000 / kItems * 1000;
  }
  state.SetItemsProcessed(state.iterations() * 200'000);
}
BENCHMARK(BM_StoreWriterBatches)->Unit(benchmark::kMillisecond)->UseRealTime();

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
  hv::test::cTempFolder folder("hvbench");
  auto store = OpenFile(folder, "history.db");
  int64_t first = kStart;
  for (auto _ : state) {
    StoreLog(*store, first, 100'000);
    first += 100'000;
  }
  state.SetItemsProcessed(state.iterations() * 100'000);
}
BENCHMARK(BM_StoreLogEntries)->Unit(benchmark::kMillisecond)->UseRealTime();

// The word index catching up with 100,000 stored entries, in the writer's steps.
void BM_IndexLogEntries(benchmark::State& state) {
  hv::test::cTempFolder folder("hvbench");
  auto store = OpenFile(folder, "history.db");
  int64_t first = kStart;
  for (auto _ : state) {
    state.PauseTiming();
    StoreLog(*store, first, 100'000);
    first += 100'000;
    state.ResumeTiming();
    for (bool more = true; more;) {
      if (store->IndexLog(1000, &more).failed()) std::abort();
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
};

void BM_FindOneSensorDay(benchmark::State& state) {
  static TenMillion data;
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
  static TenMillion data;
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
  static TenMillion data;
  size_t rows = 0;
  for (auto _ : state) {
    rows = data.store->Events(kStart + 10 * kDay, kStart + 11 * kDay, {}, 10'000).size();
    benchmark::DoNotOptimize(rows);
  }
  state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_EventsTableDay)->Unit(benchmark::kMillisecond);

// A word searched among 300,000 activity entries, all in the word index but the newest 1,000.
void BM_SearchWords(benchmark::State& state) {
  static hv::test::cTempFolder folder("hvbench");
  static std::unique_ptr<HistoryStore> store = [] {
    auto made = OpenFile(folder, "log.db");
    StoreLog(*made, kStart, 299'000);
    for (bool more = true; more;) {
      if (made->IndexLog(10'000, &more).failed()) std::abort();
    }
    StoreLog(*made, kStart + 299'000, 1'000);
    return made;
  }();
  size_t found = 0;
  for (auto _ : state) {
    found = store->SearchLog("entry 17000", 1000).size();
    benchmark::DoNotOptimize(found);
  }
  state.counters["found"] = static_cast<double>(found);
}
BENCHMARK(BM_SearchWords)->Unit(benchmark::kMillisecond);

void BM_ReduceYear(benchmark::State& state) {
  static hv::test::cTempFolder folder("hvbench");
  static std::unique_ptr<HistoryStore> store = [] {
    auto made = OpenFile(folder, "year.db");
    HistoryBatch batch;
    // One sensor every minute for a year, rolled up but the last week.
    for (int64_t minute = 0; minute < 365LL * 24 * 60; ++minute) {
      batch.samples.push_back({ItemKind::kSensor, "Outside", kStart + minute * 60'000, 17,
                               static_cast<double>(minute % 1440) / 60.0});
    }
    if (made->Write(batch).failed() || made->Trim(kStart + 365 * kDay, {}).failed()) std::abort();
    return made;
  }();
  int64_t id = store->Items().front().id;
  for (auto _ : state) {
    hv::history::PixelReduction reduction(kStart, kStart + 365 * kDay, 1000);
    if (store->Reduce(id, kStart + 365 * kDay, &reduction).failed()) std::abort();
    benchmark::DoNotOptimize(reduction.columns().data());
  }
}
BENCHMARK(BM_ReduceYear)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace hv
