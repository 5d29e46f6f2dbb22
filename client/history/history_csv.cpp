#include "client/history/history_csv.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace hv::history {

std::string IsoLocalTime(int64_t at_ms) {
  int64_t seconds = at_ms / 1000;
  int64_t millis = at_ms % 1000;
  if (millis < 0) {
    millis += 1000;
    --seconds;
  }
  const auto t = static_cast<time_t>(seconds);
  struct tm local {};
  if (localtime_r(&t, &local) == nullptr) return std::string();
  const long offset = local.tm_gmtoff / 60;  // minutes east of UTC
  const long hours = (offset < 0 ? -offset : offset) / 60;
  const long minutes = (offset < 0 ? -offset : offset) % 60;
  // Digits only, put together by hand: the same text under every locale.
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02ld:%02ld",
                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                local.tm_sec, static_cast<int>(millis), offset < 0 ? '-' : '+', hours, minutes);
  return text;
}

std::string ShortestNumber(double value) {
  if (std::isnan(value)) return std::string();
  char text[32];
  auto [end, error] = std::to_chars(text, text + sizeof text, value);
  if (error != std::errc()) return std::string();
  return std::string(text, end);
}

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

const char kHistoryCsvHeader[] =
    "Time,Kind,Name,State,Value,Message,Until,Min,Max,Mean,Samples,Seconds On,Seconds Known\r\n";

namespace {

constexpr int64_t kDayMs = 86'400'000;
// Summary records are read a week at a time and put among the week's events: a week's
// buckets are few, and the events are never held.
constexpr int64_t kSliceMs = 7 * kDayMs;
// Columns after Message that only summaries fill.
constexpr char kNoSummary[] = ",,,,,,,";

CsvEventTexts DefaultTexts(const StoredEvent& event) {
  return {ItemKindName(event.kind), std::to_string(event.code), ShortestNumber(event.value)};
}

class CsvRecords {
 public:
  CsvRecords(const HistoryCsvRequest& request, const std::function<bool(std::string_view)>& sink)
      : request_(request), sink_(sink) {}

  void Event(const StoredEvent& event) {
    const CsvEventTexts texts = Texts(event);
    chunk_ += IsoLocalTime(event.at_ms) + ',' + CsvField(texts.kind) + ',' + CsvField(event.name) +
              ',' + CsvField(texts.state) + ',' + CsvField(texts.value) + ',' +
              CsvField(event.message) + kNoSummary + "\r\n";
    Written();
  }

  void Summary(const StoredBucket& stored) {
    const RollupBucket& bucket = stored.bucket;
    StoredEvent end;
    end.at_ms = bucket.start_ms;
    end.kind = stored.kind;
    end.name = stored.name;
    CsvEventTexts texts{ItemKindName(stored.kind), std::string(), std::string()};
    if (bucket.end_state) {
      end.code = bucket.end_state->status;
      end.value = bucket.end_state->value;
      texts = Texts(end);
    }
    const bool values = bucket.has_value();
    chunk_ += IsoLocalTime(bucket.start_ms) + ',' + CsvField(texts.kind) + ',' +
              CsvField(stored.name) + ',' + CsvField(texts.state) + ',' + CsvField(texts.value) +
              ',' + (bucket.width_ms >= kDayMs ? "Daily summary" : "Hourly summary") + ',' +
              IsoLocalTime(bucket.start_ms + bucket.width_ms) + ',' +
              (values ? ShortestNumber(bucket.min) : "") + ',' +
              (values ? ShortestNumber(bucket.max) : "") + ',' +
              (values ? ShortestNumber(bucket.mean()) : "") + ',' + std::to_string(bucket.count) +
              ',' + ShortestNumber(static_cast<double>(bucket.on_ms) / 1000.0) + ',' +
              ShortestNumber(static_cast<double>(bucket.known_ms) / 1000.0) + "\r\n";
    Written();
  }

  bool Finish() {
    if (ok_ && !chunk_.empty()) ok_ = sink_(chunk_);
    chunk_.clear();
    return ok_;
  }
  void Header() { chunk_ += kHistoryCsvHeader; }
  bool ok() const { return ok_; }
  int64_t rows() const { return rows_; }

 private:
  CsvEventTexts Texts(const StoredEvent& event) const {
    return request_.texts ? request_.texts(event) : DefaultTexts(event);
  }
  void Written() {
    ++rows_;
    // Written in pieces of about 64 KB: a year of rows never sits in memory at once.
    if (chunk_.size() >= 65536) {
      ok_ = sink_(chunk_);
      chunk_.clear();
    }
  }

  const HistoryCsvRequest& request_;
  const std::function<bool(std::string_view)>& sink_;
  std::string chunk_;
  int64_t rows_ = 0;
  bool ok_ = true;
};

}  // namespace

RollupLevel HistoryCsvSummaryLevel(int64_t from_ms, int64_t to_ms) {
  return to_ms - from_ms > 62 * kDayMs ? RollupLevel::kDay : RollupLevel::kHour;
}

Status CountHistoryCsvRows(HistoryStore& store, const HistoryCsvRequest& request, int64_t* rows) {
  *rows = 0;
  int64_t events = 0;
  int64_t summaries = 0;
  Status counted = store.CountEvents(request.from_ms, request.to_ms, request.item_ids, &events);
  if (counted.ok()) {
    counted = store.CountRolledBuckets(request.from_ms, request.to_ms, request.item_ids,
                                       HistoryCsvSummaryLevel(request.from_ms, request.to_ms),
                                       &summaries);
  }
  if (counted.ok()) *rows = events + summaries;
  return counted;
}

Status WriteHistoryCsv(HistoryStore& store, const HistoryCsvRequest& request,
                       const std::function<bool(std::string_view)>& sink, int64_t* rows) {
  *rows = 0;
  const Status sink_failed = Status::Failure(Where::kHistory, "the CSV file could not be written");
  const RollupLevel level = HistoryCsvSummaryLevel(request.from_ms, request.to_ms);
  CsvRecords records(request, sink);
  records.Header();
  std::vector<StoredBucket> summaries;
  for (int64_t from = request.from_ms; from < request.to_ms && records.ok();) {
    const int64_t to = request.to_ms - from > kSliceMs ? from + kSliceMs : request.to_ms;
    summaries.clear();
    Status read = store.ForEachRolledBucket(from, to, request.item_ids, level,
                                            [&](const StoredBucket& bucket) {
                                              summaries.push_back(bucket);
                                              return true;
                                            });
    // A bucket comes before the events of its own start: it sums up what led to them.
    size_t next = 0;
    if (read.ok()) {
      read = store.ForEachEvent(from, to, request.item_ids, [&](const StoredEvent& event) {
        for (; next < summaries.size() && summaries[next].bucket.start_ms <= event.at_ms; ++next) {
          records.Summary(summaries[next]);
        }
        records.Event(event);
        return records.ok();
      });
    }
    if (read.failed()) return read;
    for (; next < summaries.size() && records.ok(); ++next) records.Summary(summaries[next]);
    from = to;
  }
  const bool written = records.Finish();
  *rows = records.rows();
  return written ? Status::Ok() : sink_failed;
}

}  // namespace hv::history
