// The history store against a plain model over simulated months. The model keeps every
// change in memory and works out on-time, known time, min, max, the time-weighted mean and the
// last state by brute force; the store is driven by the same seeded random script on a fake
// clock: changes (several in one millisecond), values unchanged for days, values without one,
// trims at random moments, restarts (ended cleanly or killed), the clock jumping back and
// forward, two houses in one file, the size limit and per-item keep days changed. After each
// step the store's pixel reduction of random ranges must match the model: exactly where raw
// rows remain, within one bucket where rolled up, and no value where nothing was observed.
//
// HV_ORACLE_SEED replays a seed (each run prints its own); HV_ORACLE_STEPS sets the steps
// (a few thousand by default; a million is one command).
#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "client/history/history_store.h"
#include "client/history/pixel_columns.h"
#include "core/testing/temp_folder.h"

namespace hv::history {
namespace {

constexpr int64_t kMinute = 60'000;
constexpr int64_t kHour = 3'600'000;
constexpr int64_t kDay = 86'400'000;
constexpr int64_t kStart = 1'760'000'000'000;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

int64_t FloorDayOf(int64_t at) { return at - (((at % kDay) + kDay) % kDay); }

bool SameValue(double a, double b) { return (std::isnan(a) && std::isnan(b)) || a == b; }

struct Change {
  int64_t at;
  int32_t status;
  double value;
};

// What one column of a range holds by the model's count.
struct Expected {
  int64_t known_ms = 0;
  int64_t on_ms = 0;
  int64_t value_ms = 0;
  double value_sum = 0.0;
  bool has_value = false;
  double min = 0.0;
  double max = 0.0;
  void Value(double value) {
    if (std::isnan(value)) return;
    min = has_value ? std::min(min, value) : value;
    max = has_value ? std::max(max, value) : value;
    has_value = true;
  }
};

struct ModelItem {
  ItemKind kind;
  std::string name;
  std::vector<Change> changes;  // in the order they came, stamps never running backwards
  int keep_days = 0;
  int64_t allowed_cut = INT64_MIN;  // the latest moment a trim's days let the store drop to

  const Change* last() const { return changes.empty() ? nullptr : &changes.back(); }
  // The store's rule: a change equal to the state kept adds nothing; stamps never run back.
  void Add(int64_t at, int32_t status, double value) {
    if (const Change* l = last()) {
      if (l->status == status && SameValue(l->value, value)) return;
      at = std::max(at, l->at);
    }
    changes.push_back({at, status, value});
  }
  void MarkNotReceiving(int64_t at) {
    if (last() != nullptr && last()->status != kNotReceiving) {
      Add(at, kNotReceiving, kNaN);
    }
  }

  // [from, to) by brute force; the last change holds until `now`.
  Expected Over(int64_t from, int64_t to, int64_t now) const {
    Expected e;
    // Stamps never run backwards: start at the last change before `from`.
    auto first = std::lower_bound(changes.begin(), changes.end(), from,
                                  [](const Change& c, int64_t at) { return c.at < at; });
    const size_t start =
        first == changes.begin() ? 0 : static_cast<size_t>(first - changes.begin()) - 1;
    for (size_t i = start; i < changes.size() && changes[i].at < to; ++i) {
      const Change& c = changes[i];
      if (c.status == kNotReceiving) continue;
      if (c.at >= from && c.at < to) e.Value(c.value);
      const int64_t until = i + 1 < changes.size() ? changes[i + 1].at : now;
      const int64_t a = std::max(from, c.at);
      const int64_t b = std::min(to, until);
      if (b <= a) continue;
      e.known_ms += b - a;
      if (IsOnStatus(kind, c.status)) e.on_ms += b - a;
      if (!std::isnan(c.value)) {
        e.Value(c.value);
        e.value_ms += b - a;
        e.value_sum += c.value * static_cast<double>(b - a);
      }
    }
    return e;
  }
};

struct House {
  std::string key;
  std::unique_ptr<HistoryStore> store;
  std::vector<ModelItem> items;
  HistoryLimits limits;
  int64_t receiving_until = 0;  // the newest moment a batch said it was receiving
};

class Oracle {
 public:
  Oracle(uint64_t seed, int64_t steps) : random_(seed), steps_(steps) {
    // 400 days over the run, whatever its length; pauses of days come on top.
    mean_step_ms_ = std::max<int64_t>(1, 400 * kDay / std::max<int64_t>(1, steps) / 2);
    for (const char* key : {"house:1", "house:2"}) {
      House house;
      house.key = key;
      house.limits.max_bytes = INT64_MAX / 4;
      for (auto [kind, name] : {std::pair{ItemKind::kSwitch, "Porch"},
                                {ItemKind::kSwitch, "Hall Light"},
                                {ItemKind::kSensor, "Kitchen"},
                                {ItemKind::kSensor, "Front Door"},
                                {ItemKind::kMacro, "Evening"},
                                {ItemKind::kMode, "Away"}}) {
        house.items.push_back({kind, name, {}, 0, INT64_MIN});
      }
      houses_.push_back(std::move(house));
    }
    for (House& house : houses_) Open(house);
  }

  void Run() {
    for (int64_t step = 0; step < steps_ && !::testing::Test::HasFailure(); ++step) {
      step_ = step;
      Step();
      Compare();
    }
  }

 private:
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  int64_t Between(int64_t a, int64_t b) {
    return std::uniform_int_distribution<int64_t>(a, b)(random_);
  }
  bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(random_) < p; }

  void Open(House& house) {
    Status status;
    house.store = HistoryStore::Open(folder_.File("history.db"), house.key, &status);
    ASSERT_NE(house.store, nullptr) << status.ToString();
    // A client killed before: the time since its last batch is not known.
    ASSERT_TRUE(house.store->MarkGapSinceLastRun().ok());
    for (ModelItem& item : house.items) item.MarkNotReceiving(house.receiving_until);
  }

  int32_t RandomStatus(ItemKind kind) {
    switch (kind) {
      case ItemKind::kSwitch: return std::array{2, 3, 3, 4}[Pick(4)];
      case ItemKind::kSensor: return std::array{20, 21, 17}[Pick(3)];
      case ItemKind::kMacro: return Pick(4);
      default: return Pick(2);
    }
  }
  double RandomValue(ItemKind kind) {
    if (kind != ItemKind::kSensor) return Pick(3) == 0 ? 0.0 : 100.0;
    return std::array{20.0, 21.5, 22.0, -3.25, kNaN, 1e6}[Pick(6)];
  }

  void Write(House& house, const HistoryBatch& batch) {
    ASSERT_TRUE(house.store->Write(batch).ok()) << Where();
    for (const StatusSample& sample : batch.samples) {
      for (ModelItem& item : house.items) {
        if (item.kind == sample.kind && item.name == sample.name) {
          item.Add(sample.at_ms, sample.status, sample.value);
        }
      }
    }
    house.receiving_until = std::max(house.receiving_until, batch.receiving_ms);
  }

  void Changes(House& house) {
    HistoryBatch batch;
    const int count = 1 + Pick(5);
    for (int i = 0; i < count; ++i) {
      const ModelItem& item = house.items[static_cast<size_t>(Pick(6))];
      const int64_t at =
          now_ - (Chance(0.3) ? 0 : Between(0, std::min<int64_t>(mean_step_ms_, kMinute)));
      batch.samples.push_back(
          {item.kind, item.name, at, RandomStatus(item.kind), RandomValue(item.kind)});
      // Another change of the same item in the same millisecond.
      if (Chance(0.2)) {
        batch.samples.push_back(
            {item.kind, item.name, at, RandomStatus(item.kind), RandomValue(item.kind)});
      }
    }
    batch.receiving_ms = now_;
    Write(house, batch);
  }

  void Restart(House& house) {
    if (Chance(0.5)) {
      // Ended or disconnected cleanly: marked now.
      ASSERT_TRUE(house.store->MarkNotReceiving(now_).ok());
      for (ModelItem& item : house.items) item.MarkNotReceiving(now_);
    }
    house.store.reset();
    now_ += Chance(0.5) ? Between(kMinute, 3 * kDay) : 0;
    Open(house);
  }

  void Trim(House& house, bool size_limit) {
    HistoryLimits limits = house.limits;
    if (size_limit) limits.max_bytes = house.store->UsedBytes() * 7 / 10;
    ASSERT_TRUE(house.store->Trim(now_, limits).ok()) << Where();
    // Whatever was dropped, an item's own days are kept, and without the size limit the
    // store's days too, counted back from the newest moment seen: nothing before the newest
    // cut that some trim's days allowed.
    for (const StoredItem& stored : house.store->Items()) {
      for (ModelItem& item : house.items) {
        if (item.kind != stored.kind || item.name != stored.name) continue;
        const int days = item.keep_days > 0 ? item.keep_days : limits.keep_days;
        const int64_t cut =
            item.keep_days == 0 && size_limit ? INT64_MAX : FloorDayOf(newest_ - days * kDay);
        item.allowed_cut = std::max(item.allowed_cut, cut);
        EXPECT_LE(stored.kept_from_ms, item.allowed_cut) << Where() << " " << item.name;
      }
    }
  }

  void Step() {
    House& house = houses_[static_cast<size_t>(Pick(2))];
    const int what = Pick(1000);
    if (what < 700) {
      Changes(house);
    } else if (what < 780) {
      Trim(house, false);
    } else if (what < 790) {
      Trim(house, true);
    } else if (what < 820) {
      Restart(house);
    } else if (what < 840) {
      // The clock set back (up to half a day) or forward (up to five days).
      now_ += Chance(0.5) ? -Between(1, kDay / 2) : Between(1, 5 * kDay);
    } else if (what < 860) {
      ModelItem& item = house.items[static_cast<size_t>(Pick(6))];
      for (const StoredItem& stored : house.store->Items()) {
        if (stored.kind == item.kind && stored.name == item.name) {
          item.keep_days = std::array{0, 3, 10, 60}[Pick(4)];
          ASSERT_TRUE(house.store->SetItemKeepDays(stored.id, item.keep_days).ok());
        }
      }
    } else {
      // Nothing changes for a while, maybe days; the client says it is still receiving.
      now_ += Chance(0.1) ? Between(kHour, 3 * kDay) : Between(1, 4 * mean_step_ms_);
      HistoryBatch beat;
      beat.receiving_ms = now_;
      Write(house, beat);
    }
    now_ += Between(0, 2 * mean_step_ms_);
    newest_ = std::max(newest_, now_);
  }

  // The column's reading, checked against the model over the column itself where raw rows
  // remain, and between the column shrunk and grown by one bucket where rolled up.
  void CheckColumn(const ModelItem& item, const PixelColumn& got, int64_t from, int64_t to,
                   int64_t kept_from, int64_t raw_from, int64_t column_ms) {
    from = std::max(from, kept_from);
    if (from >= to) {
      EXPECT_FALSE(got.has_value) << Where();
      EXPECT_EQ(got.known_ms, 0) << Where();
      return;
    }
    if (from >= raw_from) {
      const Expected e = item.Over(from, to, now_);
      EXPECT_EQ(got.known_ms, e.known_ms) << Where();
      EXPECT_EQ(got.on_ms, e.on_ms) << Where();
      EXPECT_EQ(got.has_value, e.has_value) << Where();
      if (e.has_value && got.has_value) {
        EXPECT_EQ(got.min, e.min) << Where();
        EXPECT_EQ(got.max, e.max) << Where();
      }
      EXPECT_EQ(got.value_ms, e.value_ms) << Where();
      if (e.value_ms > 0) {
        EXPECT_NEAR(got.mean(), e.value_sum / static_cast<double>(e.value_ms),
                    1e-9 * std::max(1.0, std::abs(got.mean())))
            << Where();
      }
      return;
    }
    const int64_t bucket = column_ms >= kDay ? kDay : kHour;
    const Expected wide = item.Over(std::max(kept_from, from - bucket), to + bucket, now_);
    const Expected narrow = item.Over(from + bucket, to - bucket, now_);
    // Spreading a bucket over columns rounds to the millisecond, once per bucket.
    const int64_t slack = 2 + 2 * (to - from) / kMinute;
    EXPECT_LE(got.known_ms, wide.known_ms + slack) << Where();
    EXPECT_GE(got.known_ms, narrow.known_ms - slack) << Where();
    EXPECT_LE(got.on_ms, wide.on_ms + slack) << Where();
    EXPECT_GE(got.on_ms, narrow.on_ms - slack) << Where();
    if (got.has_value) {
      EXPECT_TRUE(wide.has_value) << Where();
      if (wide.has_value) {
        EXPECT_GE(got.min, wide.min) << Where();
        EXPECT_LE(got.max, wide.max) << Where();
      }
    }
    if (narrow.has_value) {
      EXPECT_TRUE(got.has_value) << Where();
      EXPECT_LE(got.min, narrow.min) << Where();
      EXPECT_GE(got.max, narrow.max) << Where();
    }
    if (wide.known_ms == 0 && !wide.has_value) {
      EXPECT_EQ(got.known_ms, 0) << Where();
      EXPECT_FALSE(got.has_value) << Where();
    }
  }

  void Compare() {
    House& house = houses_[static_cast<size_t>(Pick(2))];
    std::vector<StoredItem> stored = house.store->Items();
    if (stored.empty()) return;
    const StoredItem& s = stored[static_cast<size_t>(Pick(static_cast<int>(stored.size())))];
    const ModelItem* model = nullptr;
    for (const ModelItem& item : house.items) {
      if (item.kind == s.kind && item.name == s.name) model = &item;
    }
    ASSERT_NE(model, nullptr);
    // The newest state, as the store keeps it for the next change.
    ItemPoint last;
    if (model->last() != nullptr && house.store->LastPoint(s.id, &last)) {
      EXPECT_EQ(last.status, model->last()->status) << Where();
      EXPECT_TRUE(SameValue(last.value, model->last()->value)) << Where();
    }
    const int64_t span = std::array{kHour,     kDay,       7 * kDay,
                                    31 * kDay, 365 * kDay, Between(kMinute, 40 * kDay)}[Pick(6)];
    const int64_t from = Between(kStart - kDay, std::max(kStart, newest_)) - Between(0, span);
    const int columns = std::array{1, 7, 24, 200, 1000}[Pick(5)];
    what_ = "range " + std::to_string(from - kStart) + " +" + std::to_string(span) + " in " +
            std::to_string(columns) + " columns of " + s.name + " of " + house.key +
            ", kept from " + std::to_string(s.kept_from_ms - kStart) + ", raw from " +
            std::to_string(s.raw_from_ms - kStart) + ", now " + std::to_string(now_ - kStart);
    PixelReduction reduction(from, from + span, columns);
    ASSERT_TRUE(house.store->Reduce(s.id, now_, &reduction).ok()) << Where();
    for (int c = 0; c < columns && !::testing::Test::HasFailure(); ++c) {
      column_ = c;
      CheckColumn(*model, reduction.columns()[static_cast<size_t>(c)], reduction.ColumnStart(c),
                  reduction.ColumnStart(c + 1), s.kept_from_ms, s.raw_from_ms, span / columns);
    }
  }

  std::string Where() const {
    return "step " + std::to_string(step_) + ", " + what_ + ", column " + std::to_string(column_);
  }

  hv::test::cTempFolder folder_;
  std::mt19937_64 random_;
  int64_t steps_;
  int64_t mean_step_ms_;
  int64_t now_ = kStart;
  int64_t newest_ = kStart;
  std::vector<House> houses_;
  int64_t step_ = 0;
  int column_ = 0;
  std::string what_;
};

uint64_t SeedFromEnvironment() {
  if (const char* seed = std::getenv("HV_ORACLE_SEED"); seed != nullptr && seed[0] != '\0') {
    return std::strtoull(seed, nullptr, 10);
  }
  return std::random_device{}();
}

TEST(HistoryOracleTest, TheStoreReadsWhatAPlainModelOfEveryChangeSaysOverMonths) {
  const uint64_t seed = SeedFromEnvironment();
  int64_t steps = 3000;
  if (const char* text = std::getenv("HV_ORACLE_STEPS"); text != nullptr && text[0] != '\0') {
    steps = std::strtoll(text, nullptr, 10);
  }
  std::printf("history oracle: seed %" PRIu64 ", %" PRId64 " steps (HV_ORACLE_SEED=%" PRIu64
              " replays it)\n",
              seed, steps, seed);
  std::fflush(stdout);
  RecordProperty("seed", std::to_string(seed));
  Oracle(seed, steps).Run();
}

}  // namespace
}  // namespace hv::history
