#include "client/views/log/csv_text.h"

#include "core/string/wire_text.h"

namespace hv {

std::string CsvField(std::string_view text) {
  std::string utf8 = TextFromWire(text);
  if (utf8.find_first_of(",\"\r\n") == std::string::npos) return utf8;
  std::string quoted = "\"";
  for (char c : utf8) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

void AppendCsvRecord(const std::vector<swString>& fields, std::string* out) {
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i != 0) *out += ',';
    *out += CsvField(std::string_view(fields[i].CStr(), fields[i].GetLength()));
  }
  *out += "\r\n";
}

}  // namespace hv
