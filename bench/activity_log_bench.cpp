// How the activity log copes with a long log: with "Max Log Entries" at 100,000, add
// 100,000 entries at the top, then sort by each column and filter, in the in-memory
// toolkit and on the real Qt widgets (offscreen, with the window's events processed every
// thousand entries, as the event loop would between arriving entries). Adding must not get
// slower as the log grows: the counters give the time per entry of the first and the last
// ten thousand, and their ratio.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "client/platform/testing/fake_clock.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/ui/headless/headless_window.h"
#include "client/ui/qt/qt_toolkit.h"
#include "client/views/log/activity_items.h"
#include "client/views/log/dlg_child_log.h"
#include "client/views/log/log_entry_texts.h"

namespace hv {

namespace {

constexpr uint32_t kEntries = 100000;
constexpr uint32_t kBlock = 10000;

enum eRealisation { kHeadless = 0, kQt = 1 };

LogItemRecord MakeEntry(uint32_t i) {
  static const char* const kNames[] = {"Porch Light", "Hall Light", "Hall Motion",
                                       "Front Door",  "Attic Temp", "Wake Up"};
  LogItemRecord entry;
  entry.entry_type = static_cast<int32_t>(1 + i % 15);
  entry.name.Format("%s %u", kNames[i % 6], i % 97);
  entry.path = i % 3 == 0 ? "Lights/Front" : "";
  entry.message.Format("Changed to state %u", i % 7);
  entry.function_code = static_cast<int32_t>(i % 40);
  entry.value = (i % 5) * 0.5;
  entry.extra = static_cast<int32_t>(i % 4);
  // Spread over years, days and both halves of the day, in time order.
  const uint32_t minute = i;
  entry.date_text.Format("%02u/%02u/%04u", 1 + (minute / 40000) % 12, 1 + (minute / 1440) % 28,
                         2008 + minute / 480000);
  const uint32_t hour = (minute / 60) % 24;
  entry.time_text.Format("%02u:%02u:%02u %s", hour % 12 == 0 ? 12 : hour % 12, minute % 60, i % 60,
                         hour < 12 ? "AM" : "PM");
  return entry;
}

// One log view in a window of the chosen toolkit, over its own stored entries.
struct cLogRig {
  explicit cLogRig(eRealisation realisation) {
    if (realisation == kQt) {
      toolkit = std::make_unique<cQtToolkit>();
    } else {
      toolkit = std::make_unique<cHeadlessToolkit>();
    }
    cDialogLayout host;
    host.width = 500;
    host.height = 300;
    parent = toolkit->CreateTopLevelWindow(host, nullptr);
    cLogViewServices services;
    services.clock = &clock;
    services.stored = &stored;
    services.max_log_entries = [] { return kEntries; };
    view = std::make_unique<CDlgChildLog>(kPlacementTab, services);
    if (!view->Create(*toolkit, LogViewLayout(), *parent, 0).ok()) std::abort();
    view->MoveChild(cRect{0, 0, 900, 500}, true);
    parent->Show(true);
    view->ShowChild(true);
    ProcessEvents();
    stored.SetForgetHook([this](const CActivityItem* item) { view->ForgetItem(item); });
  }
  ~cLogRig() { stored.SetForgetHook(nullptr); }

  // Stores and shows an entry as the application does.
  void Add(const LogItemRecord& entry) {
    if (stored.Count() >= kEntries) stored.RemoveOldest();
    CActivityItem* item = stored.Append(entry, 1);
    if (!view->AddEntry(entry, item).ok()) std::abort();
  }
  void Fill() {
    for (uint32_t i = 0; i < kEntries; ++i) {
      Add(MakeEntry(i));
      if (i % 1000 == 999) ProcessEvents();
    }
  }
  static void ProcessEvents() {
    if (QApplication::instance() != nullptr) QApplication::processEvents();
  }

  cFakeClock clock;
  CActivityItemList stored;
  std::unique_ptr<cToolkit> toolkit;
  std::unique_ptr<cWindow> parent;
  std::unique_ptr<CDlgChildLog> view;
};

void BM_AddEntries(benchmark::State& state) {
  const auto realisation = static_cast<eRealisation>(state.range(0));
  double first = 0;
  double last = 0;
  for (auto _ : state) {
    cLogRig rig(realisation);
    for (uint32_t block = 0; block < kEntries / kBlock; ++block) {
      const auto start = std::chrono::steady_clock::now();
      for (uint32_t i = block * kBlock; i < (block + 1) * kBlock; ++i) {
        rig.Add(MakeEntry(i));
        if (i % 1000 == 999) cLogRig::ProcessEvents();
      }
      const double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      if (block == 0) first = seconds;
      if (block == kEntries / kBlock - 1) last = seconds;
    }
    if (rig.view->List()->RowCount() != static_cast<int32_t>(kEntries)) std::abort();
    // Past the limit each entry also removes the oldest row and stored entry.
    const auto start = std::chrono::steady_clock::now();
    for (uint32_t i = kEntries; i < kEntries + kBlock; ++i) rig.Add(MakeEntry(i));
    cLogRig::ProcessEvents();
    const double full =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.counters["us_per_entry_at_limit"] = full * 1e6 / kBlock;
  }
  state.counters["us_per_entry_first_10k"] = first * 1e6 / kBlock;
  state.counters["us_per_entry_last_10k"] = last * 1e6 / kBlock;
  state.counters["last_to_first"] = first > 0 ? last / first : 0;
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * (kEntries + kBlock));
}

// One sort of 100,000 rows per iteration, by the column in range(1); each iteration flips
// the direction, as a second click on the same header does.
void BM_SortByColumn(benchmark::State& state) {
  const auto realisation = static_cast<eRealisation>(state.range(0));
  const auto column = static_cast<int32_t>(state.range(1));
  cLogRig rig(realisation);
  rig.Fill();
  for (auto _ : state) {
    rig.view->OnHeaderClick(column);
    cLogRig::ProcessEvents();
  }
  state.SetLabel(std::string(realisation == kQt ? "qt " : "in-memory ") + "column " +
                 std::to_string(column));
}

// One entry arriving at a full log, with the window's events processed after it, as when
// entries come one at a time from the server.
void BM_OneEntryIntoAFullLog(benchmark::State& state) {
  const auto realisation = static_cast<eRealisation>(state.range(0));
  cLogRig rig(realisation);
  rig.Fill();
  uint32_t i = kEntries;
  for (auto _ : state) {
    rig.Add(MakeEntry(i++));
    cLogRig::ProcessEvents();
  }
}

// Filtering on one item and back: each refills the view from the 100,000 stored entries.
void BM_FilterAndBack(benchmark::State& state) {
  const auto realisation = static_cast<eRealisation>(state.range(0));
  cLogRig rig(realisation);
  rig.Fill();
  cWindow& window = *rig.view->Window();
  for (auto _ : state) {
    rig.view->List()->SetSelected(0, true);
    window.Button(kLogFilter)->SetCheck(1);
    rig.view->OnCommand(kLogFilter, eCommandEvent::kClicked);
    cLogRig::ProcessEvents();
    if (rig.view->List()->RowCount() >= static_cast<int32_t>(kEntries)) std::abort();
    window.Button(kLogFilter)->SetCheck(0);
    rig.view->OnCommand(kLogFilter, eCommandEvent::kClicked);
    cLogRig::ProcessEvents();
    if (rig.view->List()->RowCount() != static_cast<int32_t>(kEntries)) std::abort();
  }
}

void Realisations(benchmark::internal::Benchmark* bench) { bench->Arg(kHeadless)->Arg(kQt); }

void RealisationsAndColumns(benchmark::internal::Benchmark* bench) {
  for (int64_t realisation : {kHeadless, kQt}) {
    for (int64_t column = 0; column < kLogColumnCount; ++column) {
      bench->Args({realisation, column});
    }
  }
}

BENCHMARK(BM_AddEntries)->Apply(Realisations)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SortByColumn)->Apply(RealisationsAndColumns)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OneEntryIntoAFullLog)->Apply(Realisations)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FilterAndBack)->Apply(Realisations)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

}  // namespace hv

using namespace hv;  // main() and the C entry points stand outside the namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
