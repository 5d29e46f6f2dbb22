// The History window's thread against a large store that another client keeps writing to: the
// window opens, picks items, goes through every range, types a search letter by letter, searches
// the whole history and exports, while the longest any one step or pass of its loop holds the
// window's thread is measured. Every read runs on the window's worker; what is left on the
// window's thread is filling its controls, so no pass may take more than 50 ms.
//
//   history_window_bench [--rows N]   (default 1,000,000 samples and entries)
//
// Prints one JSON record: {"rows":..., "steps":..., "longest_ms":..., "over_50ms":...}. The
// controls are the in-memory toolkit's: the figure is the window's logic, not Qt's drawing.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_options.h"
#include "client/history/history_store.h"
#include "client/platform/poll_event_loop.h"
#include "client/platform/system_clock.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/ui/headless/headless_window.h"
#include "client/views/history/dlg_history.h"
#include "core/testing/temp_folder.h"

namespace {

using hv::ItemKind;
using hv::history::HistoryBatch;
using Clock = std::chrono::steady_clock;

constexpr int kItems = 200;
constexpr int64_t kMinuteMs = 60'000;

// A chart that takes what it is given: the reductions still run, on the worker.
class QuietChart : public hv::history::HistoryChart {
 public:
  int32_t ColumnCount() const override { return 1000; }
  void Place(const hv::cRect&) override {}
  void Show(const hv::history::TimeRange&,
            const std::vector<hv::history::HistorySeries>&) override {}
  hv::Status SavePng(const std::string&) override { return hv::Status::Ok(); }
  void SetRangeRequest(std::function<void(const hv::history::TimeRange&)>) override {}
};

HistoryBatch Rows(int64_t first, int64_t count, int64_t now) {
  HistoryBatch batch;
  for (int64_t i = first; i < first + count; ++i) {
    const int item = static_cast<int>(i % kItems);
    const int64_t at = now - (2'000'000 - i / kItems) * kMinuteMs / 4;
    if (i % 50 == 0) {
      hv::history::LogRow entry;
      entry.at_ms = at;
      entry.entry_type = 4;
      entry.name = "Sensor " + std::to_string(item);
      entry.message = i % 100 == 0 ? "Opened by the kitchen window" : "Closed";
      batch.log.push_back(entry);
    } else {
      batch.samples.push_back({ItemKind::kSensor, "Sensor " + std::to_string(item), at, 17,
                               18.0 + static_cast<double>((i * 7919) % 1000) / 100.0});
    }
  }
  return batch;
}

// The reference: the same reads made where the window would wait for them, as it did before
// its worker, each timed alone. The longest is what the window would have frozen for.
double LongestDirectReadMs(const std::string& path, int64_t now) {
  double longest_ms = 0;
  hv::Status status;
  auto reader = hv::history::HistoryStore::OpenForReading(path, "bench:1", &status);
  if (reader == nullptr) return longest_ms;
  auto read = [&](const std::function<void()>& body) {
    const auto start = Clock::now();
    body();
    longest_ms = std::max(longest_ms,
                          std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  };
  read([&] { (void)reader->Items(), (void)reader->Usage(); });
  for (int64_t span :
       {3'600'000LL, 86'400'000LL, 7 * 86'400'000LL, 30 * 86'400'000LL, 365 * 86'400'000LL}) {
    read([&] { (void)reader->Events(now - span, now, {}, hv::history::kHistoryEventRows + 1); });
  }
  read([&] { (void)reader->SearchLog("kitchen", hv::history::kHistoryEventRows + 1); });
  return longest_ms;
}

}  // namespace

int main(int argc, char** argv) {
  long rows = 1'000'000;
  hv::bench::ParseBenchOptions(argc, argv, {{"--rows", hv::bench::LongValue(&rows)}}, "[--rows N]");
  hv::test::cTempFolder folder;
  const std::string path = folder.File("history.db");
  const int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::system_clock::now().time_since_epoch())
                          .count();
  hv::Status status;
  auto writer = hv::history::HistoryStore::Open(path, "bench:1", &status);
  if (writer == nullptr) return 1;
  for (int64_t done = 0; done < rows; done += 20'000) {
    if (writer->Write(Rows(done, 20'000, now)).failed()) return 1;
  }
  // Another client goes on writing throughout, a large batch at a time.
  std::atomic<bool> stop{false};
  std::thread other([&] {
    for (int64_t next = rows; !stop; next += 20'000) {
      if (writer->Write(Rows(next, 20'000, now)).failed()) return;
    }
  });

  hv::cSystemClock clock;
  hv::cPollEventLoop loop(clock);
  hv::cHeadlessToolkit toolkit;
  hv::history::HistoryWindowServices services;
  services.toolkit = &toolkit;
  services.event_loop = &loop;
  services.open_store = [&](hv::Status* opened) {
    return hv::history::HistoryStore::OpenForReading(path, "bench:1", opened);
  };
  services.make_chart = [](hv::cWindow&, int32_t) { return std::make_unique<QuietChart>(); };
  services.export_folder = [&] { return folder.File(""); };
  hv::history::CDlgHistory window(services, nullptr);

  double longest_ms = 0;
  int over = 0;
  int steps = 0;
  auto timed = [&](const std::function<void()>& step) {
    const auto start = Clock::now();
    step();
    const double took = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    longest_ms = std::max(longest_ms, took);
    over += took > 50.0;
    ++steps;
  };
  // The loop's passes until the window has its answers, each timed on its own.
  auto settle = [&] {
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    do {
      timed([&] { loop.Pump(0); });
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    } while ((window.Queries()->AnyPending() || loop.TimerCount() > 1) && Clock::now() < deadline);
  };
  timed([&] { window.Open(); });
  settle();
  auto& shown = *static_cast<hv::cHeadlessWindow*>(window.Window());
  timed([&] { shown.SelectRows(hv::history::kHistoryItems, {0, 1, 2}); });
  settle();
  for (int32_t range = 0; range < 5; ++range) {
    timed([&] { shown.Choose(hv::history::kHistoryRange, range); });
    settle();
  }
  timed([&] { shown.SelectRows(hv::history::kHistoryItems, {}); });  // every item's events
  settle();
  std::string typed;
  for (char letter : std::string("kitchen")) {
    typed += letter;
    timed([&] { shown.Type(hv::history::kHistorySearch, typed.c_str()); });
    timed([&] { loop.Pump(0); });
  }
  settle();
  timed([&] { shown.Click(hv::history::kHistoryWholeStore); });
  settle();
  toolkit.HeadlessFileDialog().QueuePath(folder.File("export.csv").c_str());
  timed([&] { shown.Click(hv::history::kHistoryExportCsv); });
  settle();
  const double reference_ms = LongestDirectReadMs(path, now);
  stop = true;
  other.join();
  std::printf(
      "{\"rows\": %ld, \"steps\": %d, \"longest_ms\": %.2f, \"over_50ms\": %d, "
      "\"reference_ms\": %.2f}\n",
      rows, steps, longest_ms, over, reference_ms);
  return 0;
}
