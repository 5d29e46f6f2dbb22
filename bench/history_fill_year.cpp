// history_fill_year: fills a history store with a simulated year of a small house, written
// through the store's own writer on a simulated clock, so the History window can be looked at
// on "Last month" and "Last year" without waiting a year. The client is "off" some nights and
// for a week in the summer, and loses the server now and then: those stretches must show as
// gaps. The year ends now.
//
//   history_fill_year [--store PATH] [--house ADDRESS:PORT] [--days N] [--seed N]
//
// Defaults: the user's store (HistoryStore::DefaultPath, so point XDG_STATE_HOME at a scratch
// folder), the house of housesim's demo on this computer (127.0.0.1, port 1025), 365 days.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "client/history/history_store.h"
#include "client/history/history_writer.h"

namespace {

using hv::ItemKind;
using hv::history::HistoryStore;
using hv::history::HistoryWriter;
using hv::history::HistoryWriterOptions;

constexpr int64_t kMinute = 60'000;
constexpr int64_t kHour = 3'600'000;
constexpr int64_t kDay = 86'400'000;

struct Options {
  std::string store = HistoryStore::DefaultPath();
  std::string house = "127.0.0.1:1025";
  int days = 365;
  uint64_t seed = 1;
};

bool Parse(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) return false;
    const char* value = argv[++i];
    if (arg == "--store") {
      options->store = value;
    } else if (arg == "--house") {
      options->house = value;
    } else if (arg == "--days") {
      options->days = std::atoi(value);
    } else if (arg == "--seed") {
      options->seed = std::strtoull(value, nullptr, 10);
    } else {
      return false;
    }
  }
  return options->days > 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!Parse(argc, argv, &options)) {
    std::fprintf(stderr,
                 "usage: history_fill_year [--store PATH] [--house ADDRESS:PORT] [--days N]"
                 " [--seed N]\n");
    return 2;
  }
  std::mt19937_64 random(options.seed);
  auto chance = [&](double p) { return std::uniform_real_distribution<double>(0, 1)(random) < p; };
  const int64_t end = hv::history::SystemNowMs();
  int64_t now = end - static_cast<int64_t>(options.days) * kDay;
  int64_t rows = 0;
  // One run of the client: from `now` until it ends (a night off, the summer week).
  auto open = [&] {
    HistoryWriterOptions writer_options;
    writer_options.now_ms = [&now] { return now; };
    writer_options.trim_every_ms = 3'600'000'000;  // trimmed once per run, at its start
    return std::make_unique<HistoryWriter>(
        [&](hv::Status* status) {
          return HistoryStore::Open(options.store, options.house, status);
        },
        writer_options);
  };
  auto writer = open();
  writer->StartSession();
  double temperature = 20.0;
  bool porch = false;
  while (now < end) {
    const int64_t day = (now - (end - static_cast<int64_t>(options.days) * kDay)) / kDay;
    const int64_t hour_of_day = (now / kHour) % 24;
    // The porch light: on at dusk, off late in the evening; the thermometer every 10 minutes.
    const bool porch_due = hour_of_day >= 18 && hour_of_day < 23;
    if (porch_due != porch) {
      porch = porch_due;
      writer->Add(ItemKind::kSwitch, "Porch Light", now, porch ? 2 : 3, 0.0);
      ++rows;
    }
    const double season = 8.0 * std::sin(2 * M_PI * static_cast<double>(day) / 365.0);
    const double daily = 4.0 * std::sin(2 * M_PI * static_cast<double>(hour_of_day) / 24.0);
    temperature =
        std::round((15.0 + season + daily + std::normal_distribution<double>(0, 0.3)(random)) * 2) /
        2;
    writer->Add(ItemKind::kSensor, "Outside Temperature", now, 17, temperature);
    writer->Add(ItemKind::kSensor, "Front Door", now, chance(0.02) ? 20 : 21, 0.0);
    rows += 2;
    now += 10 * kMinute;
    // The server lost for a while now and then; the program closed some nights and for the
    // second week of July (days 190 to 197 of a year).
    if (chance(0.002)) {
      writer->EndReceiving(now);
      now += kHour + static_cast<int64_t>(random() % (3 * kHour));
      writer->StartSession();
    } else if ((day == 190 && hour_of_day == 12) || (hour_of_day == 23 && chance(0.01))) {
      writer.reset();  // ends the run: what is queued is written, the end is marked
      now += day == 190 ? 7 * kDay : 9 * kHour;
      writer = open();
      writer->StartSession();
      porch = false;
    }
  }
  writer.reset();
  std::printf("history_fill_year: %lld rows over %d days written to %s for house %s\n",
              static_cast<long long>(rows), options.days, options.store.c_str(),
              options.house.c_str());
  return 0;
}
