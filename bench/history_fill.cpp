// history_fill: writes a simulated stretch of the demo house's history into a store, through
// the store's own Write and Trim, as a client recording all that time would have left it: a
// porch light on every evening, two temperatures drifting with the day, a door and a motion
// sensor, their activity entries, and a few days now and then when the client was off (gaps).
// For looking at the History window over a month or a year, and for the demo's tour.
//
//   history_fill --path FILE --house ADDR:PORT [--days D] [--end-ms MS] [--seed N]
//
// --days may be a fraction (0.05 is a little over an hour); --end-ms defaults to now.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "bench/bench_options.h"
#include "client/history/history_store.h"

namespace {

constexpr int64_t kMinuteMs = 60'000;
constexpr int64_t kHourMs = 60 * kMinuteMs;
constexpr int64_t kDayMs = 24 * kHourMs;
constexpr int32_t kSwitchOn = 2;
constexpr int32_t kSwitchOff = 3;
constexpr int32_t kTemperature = 17;
constexpr int32_t kDoorOpen = 20;
constexpr int32_t kDoorClosed = 21;

using hv::ItemKind;
using hv::history::HistoryBatch;

struct Filler {
  hv::history::HistoryStore& store;
  HistoryBatch batch;
  std::mt19937 random;
  int64_t rows = 0;

  void Sample(ItemKind kind, const char* name, int64_t at, int32_t status, double value) {
    batch.samples.push_back({kind, name, at, status, value});
  }
  void Entry(int64_t at, const char* name, const char* message, int32_t code) {
    hv::history::LogRow row;
    row.at_ms = at;
    row.entry_type = 4;
    row.name = name;
    row.message = message;
    row.function_code = code;
    batch.log.push_back(row);
  }
  bool Flush() {
    rows += static_cast<int64_t>(batch.size());
    const hv::Status written = store.Write(batch);
    batch = HistoryBatch();
    if (!written.ok()) std::fprintf(stderr, "history_fill: %s\n", written.ToString().c_str());
    return written.ok();
  }
};

// Local time of day in ms of the moment.
int64_t TimeOfDay(int64_t at) {
  const time_t seconds = static_cast<time_t>(at / 1000);
  struct tm local {};
  localtime_r(&seconds, &local);
  return ((local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec) * 1000LL + at % 1000;
}

}  // namespace

int main(int argc, char** argv) {
  std::string path;
  std::string house;
  double days = 365;
  long end_ms = 0;
  int seed = 1;
  constexpr const char* kUsage =
      "--path FILE --house ADDR:PORT [--days D] [--end-ms MS] [--seed N]";
  hv::bench::ParseBenchOptions(argc, argv,
                               {{"--path", hv::bench::TextValue(&path)},
                                {"--house", hv::bench::TextValue(&house)},
                                {"--days", hv::bench::RealValue(&days)},
                                {"--end-ms", hv::bench::LongValue(&end_ms)},
                                {"--seed", hv::bench::IntValue(&seed, 0)}},
                               kUsage);
  if (path.empty() || house.empty()) hv::bench::ExitWithUsage(argv[0], kUsage);
  if (end_ms == 0) {
    end_ms = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::system_clock::now().time_since_epoch())
                                   .count());
  }
  hv::Status status;
  auto store = hv::history::HistoryStore::Open(path, house, &status);
  if (store == nullptr) {
    std::fprintf(stderr, "history_fill: %s\n", status.ToString().c_str());
    return 1;
  }
  Filler fill{*store, HistoryBatch(), std::mt19937(static_cast<unsigned>(seed))};
  const int64_t end = end_ms;
  const int64_t start = end - static_cast<int64_t>(days * kDayMs);
  // Short stretches (the demo's hour) change quickly, so the picture has something to show.
  const int64_t step = days < 1 ? kMinuteMs : 10 * kMinuteMs;
  std::uniform_real_distribution<double> noise(-0.15, 0.15);
  std::uniform_int_distribution<int> chance(0, 99);
  bool porch_on = false;
  bool door_open = false;
  int64_t next_trim = start + kDayMs;
  for (int64_t at = start; at < end; at += step) {
    // Every 40th day from the 20th the client was off for two days: a gap, not a state.
    const int64_t day = (at - start) / kDayMs;
    if (days >= 30 && day % 40 == 20 && (at - start) % kDayMs < step) {
      if (!fill.Flush() || store->MarkNotReceiving(at).failed()) return 1;
      at += 2 * kDayMs - step;
      continue;
    }
    const int64_t clock = TimeOfDay(at);
    const double phase = 2 * M_PI * static_cast<double>(clock) / static_cast<double>(kDayMs);
    const double inside = std::round((21.0 - 1.5 * std::cos(phase) + noise(fill.random)) * 10) / 10;
    const double outside =
        std::round((8.0 - 6.0 * std::cos(phase) + 2 * noise(fill.random)) * 10) / 10;
    fill.Sample(ItemKind::kSensor, "Living Room Temp", at, kTemperature, inside);
    fill.Sample(ItemKind::kSensor, "Outside Temp", at, kTemperature, outside);
    // The porch light: on in the evening (in a short stretch, every quarter hour or so).
    const bool evening = days < 1 ? (at - start) / (12 * kMinuteMs) % 2 == 1
                                  : clock >= 19 * kHourMs + 30 * kMinuteMs || clock < kHourMs;
    if (evening != porch_on) {
      porch_on = evening;
      fill.Sample(ItemKind::kSwitch, "Porch Light", at, porch_on ? kSwitchOn : kSwitchOff,
                  porch_on ? 100.0 : 0.0);
      fill.Entry(at, "Porch Light", porch_on ? "Set On" : "Set Off",
                 porch_on ? kSwitchOn : kSwitchOff);
    }
    if (chance(fill.random) < (days < 1 ? 30 : 4)) {
      door_open = !door_open;
      fill.Sample(ItemKind::kSensor, "Front Door", at, door_open ? kDoorOpen : kDoorClosed, 0);
      fill.Entry(at, "Front Door", door_open ? "Opened" : "Closed",
                 door_open ? kDoorOpen : kDoorClosed);
    }
    if (fill.batch.size() >= 4096 && !fill.Flush()) return 1;
    if (at >= next_trim) {
      // Rolled up as the writer would have, a day at a time.
      if (!fill.Flush() || store->Trim(at, hv::history::HistoryLimits()).failed()) return 1;
      next_trim += kDayMs;
    }
  }
  if (!fill.Flush() || store->Trim(end, hv::history::HistoryLimits()).failed()) return 1;
  std::printf("history_fill: %lld rows over %.2f days written to %s for %s\n",
              static_cast<long long>(fill.rows), days, path.c_str(), house.c_str());
  return 0;
}
