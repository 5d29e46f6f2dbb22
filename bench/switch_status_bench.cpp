// switch_status_bench: how much one switch status change costs the switches view, and that
// the cost does not grow with the list. For each realisation of the toolkit (in memory, and
// the real Qt widgets, offscreen) and each list size, the client's socket reads the Switch
// item answers of that many switches and then 100,000 Switch status answers from a byte
// stream composed as housesim composes them, and the view shows each as it comes. The Qt
// list runs its event loop after every change, as the program does between answers.
//
//   switch_status_bench [--changes N] [--max-ratio R]
//
// Prints the time to fill each list and the time per change (each the best of three runs),
// then, per realisation, the
// ratio of the cost per change with 10,000 rows to that with 100. Exit code 1 when a ratio
// is above --max-ratio (default 3), 2 when the list does not fill.
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "bench/answer_streams.h"
#include "bench/bench_options.h"
#include "bench/views/switches_view_host.h"
#include "client/platform/system_clock.h"
#include "client/protocol/answer_receiver.h"
#include "client/protocol/byte_stream.h"
#include "client/protocol/protocol_context.h"
#include "client/protocol/remote_client_socket.h"
#include "client/protocol/session_services.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/ui/qt/qt_toolkit.h"
#include "client/views/devices/dlg_child_switches.h"
#include "core/status.h"
#include "core/testing/temp_config_home.h"
#include "sim/answer_composer.h"

namespace hv {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 3;

// The main window's part: switch answers go to the one switches view.
class cSwitchesRelay : public cAnswerReceiver {
 public:
  explicit cSwitchesRelay(CDlgChildSwitches& view) : view_(view) {}
  Status Receive(const Answer& answer) override {
    if (const auto* item = std::get_if<SwitchRecord>(&answer)) {
      return view_.AddSwitch(*item);
    }
    if (const auto* status = std::get_if<SwitchStatusRecord>(&answer)) {
      return view_.SetSwitchStatus(*status);
    }
    return Status::Declined(Where::kUi);
  }

 private:
  CDlgChildSwitches& view_;
};

struct cResult {
  double fill_ms = 0;
  double change_us = 0;
  bool filled = false;
};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

cResult Run(cToolkit& toolkit, bool pump_qt, int rows, int changes) {
  cResult result;
  hv::bench::cSwitchesViewHost setup;
  if (!hv::bench::OpenSwitchesView(toolkit, &setup)) return result;
  CDlgChildSwitches& view = *setup.view;

  cSystemClock clock;
  cProtocolContext context(clock);
  cSwitchesRelay relay(view);
  cSessionServices session;
  session.receiver = &relay;
  cRemoteClientSocket socket(nullptr, context, &session);
  hv::bench::cAnswerStream answers;
  hv::bench::cReplayStream stream(answers.bytes);
  socket.Channel()->SetStream(&stream);
  hv::sim::WireOptions wire;
  hv::sim::AnswerComposer composer(wire);

  auto read_all = [&](bool pump_each) {
    while (!stream.Finished()) {
      if (socket.ProcessIncoming(nullptr).failed()) return false;
      if (pump_each) QCoreApplication::processEvents();
    }
    return true;
  };

  for (int i = 0; i < rows; ++i) {
    hv::sim::SwitchItem item;
    item.name = hv::bench::SwitchName(i);
    item.description = "Benchmark switch";
    item.status = i % 2 == 0 ? 2 : 3;
    hv::bench::AppendMessage(composer.SwitchItemAnswer(&item), &answers);
  }
  hv::bench::AppendMessage(composer.SwitchItemAnswer(nullptr), &answers);
  const Clock::time_point fill_start = Clock::now();
  if (!read_all(false)) return result;
  if (pump_qt) QCoreApplication::processEvents();
  result.fill_ms = Seconds(Clock::now() - fill_start) * 1000.0;
  result.filled = view.RowCount() == rows && !view.Accepting();

  answers.bytes.clear();
  stream.Rewind();
  for (int i = 0; i < changes; ++i) {
    hv::sim::SwitchItem item;
    // Spread over the whole list, so no row stays warm in a cache by being the last one.
    item.name = hv::bench::SwitchName(static_cast<int>((static_cast<int64_t>(i) * 7919) % rows));
    item.status = i % 3 == 0 ? 4 : (i % 2 == 0 ? 2 : 3);
    item.value = i % 100;
    hv::bench::AppendMessage(composer.SwitchStatus(item), &answers);
  }
  const Clock::time_point change_start = Clock::now();
  if (!read_all(pump_qt)) result.filled = false;
  result.change_us = Seconds(Clock::now() - change_start) * 1e6 / changes;
  return result;
}

}  // namespace

}  // namespace hv

using namespace hv;  // main() and the C entry points stand outside the namespace

int main(int argc, char** argv) {
  int changes = 100000;
  double max_ratio = 3.0;
  bench::ParseBenchOptions(
      argc, argv,
      {{"--changes", bench::IntValue(&changes)}, {"--max-ratio", bench::RealValue(&max_ratio)}},
      "[--changes N] [--max-ratio R]");
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  TempConfigHome config_home;  // the views' column settings never reach the user's store

  const int sizes[] = {100, 10000};
  int exit_code = 0;
  std::printf("%-10s %8s %12s %16s\n", "toolkit", "rows", "fill (ms)", "per change (us)");
  for (const bool qt : {false, true}) {
    double per_change[2] = {0, 0};
    for (int s = 0; s < 2; ++s) {
      // The best of a few runs, so that other work on the machine weighs less.
      cResult result;
      for (int run = 0; run < kRuns; ++run) {
        cResult this_run;
        if (qt) {
          cQtToolkit toolkit;
          this_run = Run(toolkit, true, sizes[s], changes);
        } else {
          cHeadlessToolkit toolkit;
          this_run = Run(toolkit, false, sizes[s], changes);
        }
        if (!this_run.filled) {
          std::fprintf(stderr, "the list of %d switches did not fill\n", sizes[s]);
          return 2;
        }
        if (run == 0 || this_run.change_us < result.change_us)
          result.change_us = this_run.change_us;
        if (run == 0 || this_run.fill_ms < result.fill_ms) result.fill_ms = this_run.fill_ms;
        result.filled = true;
      }
      per_change[s] = result.change_us;
      std::printf("%-10s %8d %12.1f %16.3f\n", qt ? "qt" : "in-memory", sizes[s], result.fill_ms,
                  result.change_us);
    }
    const double ratio = per_change[1] / per_change[0];
    std::printf("%-10s cost per change, 10000 rows / 100 rows: %.2f\n", qt ? "qt" : "in-memory",
                ratio);
    if (ratio > max_ratio) exit_code = 1;
  }
  return exit_code;
}
