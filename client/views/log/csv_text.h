// CSV as RFC 4180 writes it: fields separated by commas, records ended by CR LF, and a field
// that holds a comma, a double quote, a CR or an LF enclosed in double quotes, its double
// quotes doubled. Fields are written as UTF-8: UTF-8 text stays as it is, any other bytes are
// read as Windows-1252 (the server's code page), so every text comes out readable.
#ifndef HV_CLIENT_VIEWS_LOG_CSV_TEXT_H_
#define HV_CLIENT_VIEWS_LOG_CSV_TEXT_H_

#include <string>
#include <string_view>
#include <vector>

#include "core/string/sw_string.h"

namespace hv {

// One field, quoted when it needs to be.
std::string CsvField(std::string_view text);
// One record: the fields, then CR LF, appended to *out.
void AppendCsvRecord(const std::vector<swString>& fields, std::string* out);

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_LOG_CSV_TEXT_H_
