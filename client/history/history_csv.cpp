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

Status WriteHistoryCsv(HistoryStore& store, const HistoryCsvRequest& request,
                       const std::function<bool(std::string_view)>& sink, int64_t* rows) {
  *rows = 0;
  const Status sink_failed = Status::Failure(Where::kHistory, "the CSV file could not be written");
  std::string chunk = "Time,Kind,Name,State,Value,Message\r\n";
  bool sink_ok = true;
  Status read = store.ForEachEvent(
      request.from_ms, request.to_ms, request.item_ids, [&](const StoredEvent& event) {
        const std::string state = request.state_text ? request.state_text(event.kind, event.code)
                                                     : std::to_string(event.code);
        chunk += IsoLocalTime(event.at_ms) + ',' + ItemKindName(event.kind) + ',' +
                 CsvField(event.name) + ',' + CsvField(state) + ',' + ShortestNumber(event.value) +
                 ',' + CsvField(event.message) + "\r\n";
        ++*rows;
        // Written in pieces of about 64 KB: a year of rows never sits in memory at once.
        if (chunk.size() >= 65536) {
          sink_ok = sink(chunk);
          chunk.clear();
        }
        return sink_ok;
      });
  if (read.failed()) return read;
  if (!sink_ok || !sink(chunk)) return sink_failed;
  return Status::Ok();
}

}  // namespace hv::history
