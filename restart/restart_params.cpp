#include "restart/restart_params.h"

#include <strings.h>

#include <cctype>
#include <climits>
#include <cstdint>

namespace hv {

namespace {

enum ParamType : uint8_t {
  kFilename,
  kDelay,
  kActiveFilename,
  kMinimize,
  kCopyFrom,
  kCopyTo,
  kProcessId,
  kListFile,
};

struct ParamRow {
  const char* switch_name;  // empty for the bare value
  ParamType type;
  const char* long_name;
};

// Matching order; the bare value and F both name the program.
constexpr ParamRow kRows[] = {
    {"", kFilename, "Filename"},   {"F", kFilename, "Filename"},
    {"D", kDelay, "Delay Ticks"},  {"A", kActiveFilename, "Active Filename"},
    {"M", kMinimize, "Minimize"},  {"C", kCopyFrom, "Copy From"},
    {"T", kCopyTo, "Copy To"},     {"P", kProcessId, "Process Id"},
    {"L", kListFile, "List File"},
};
constexpr int kRowCount = sizeof(kRows) / sizeof(kRows[0]);

constexpr uint32_t kFoundBit[] = {1, 2, 4, 8, 16, 32, 64, 128};

int FindRow(const swString& name) {
  for (int i = 0; i < kRowCount; ++i) {
    if (strcasecmp(kRows[i].switch_name, name.CStr()) == 0) return i;
  }
  return -1;
}

}  // namespace

int32_t ReadLeadingNumber(const char* text) {
  if (text == nullptr) return 0;
  const char* p = text;
  while (*p == ' ') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  int64_t number = 0;
  while (std::isdigit(static_cast<unsigned char>(*p))) {
    // Past the 32-bit range the value only saturates; more digits cannot overflow.
    if (number <= INT32_MAX) number = number * 10 + (*p - '0');
    ++p;
  }
  if (negative) number = -number;
  if (number > INT32_MAX) return INT32_MAX;
  if (number < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(number);
}

swString cRestartParams::CleanText(const swString& raw) const {
  const char* p = raw.CStr();
  while (*p == ' ') ++p;
  const uint32_t keep = static_cast<uint32_t>(value_limit_) - 1;
  swString clean;
  uint32_t kept_end = 0;  // length up to the last character that must stay
  bool quoted = false;
  for (; *p != '\0' && clean.GetLength() < keep; ++p) {
    if (*p == '"') {
      quoted = !quoted;
      continue;
    }
    if (!quoted && *p == '/') break;
    clean.AppendChar(*p);
    if (quoted || *p != ' ') kept_end = clean.GetLength();
  }
  return clean.Left(kept_end);
}

Status cRestartParams::ApplyParameters(const char* text, uint32_t* found) {
  ClearPairs();
  return ApplyPairs(ParseCommandLine(text, kNameLimit, value_limit_, kResponseFileChar), found);
}

Status cRestartParams::ApplyArguments(int count, const char* const* args, uint32_t* found) {
  ClearPairs();
  return ApplyPairs(ParseArgs(count, args, kNameLimit, value_limit_, kResponseFileChar), found);
}

Status cRestartParams::ApplyPairs(int32_t parsed, uint32_t* found) {
  bool seen[kRowCount] = {};
  uint32_t given = 0;
  swString name;
  swString value;
  for (Status more = FirstPair(name, value); more.ok(); more = NextPair(name, value)) {
    int row = FindRow(name);
    if (row < 0) {
      ReportBadParameter(kUnknownParameter, name, value);
      continue;
    }
    if (seen[row]) ReportBadParameter(kRepeatedParameter, name, value);
    seen[row] = true;
    given |= kFoundBit[kRows[row].type];
    switch (kRows[row].type) {
      case kFilename: program = CleanText(value); break;
      case kDelay: delay = ReadLeadingNumber(value.CStr()); break;
      case kActiveFilename: active_filename = CleanText(value); break;
      case kMinimize: {
        char first = value.GetAt(0);
        minimize = (first == '0' || first == 'N' || first == 'n') ? 0 : 1;
        break;
      }
      case kCopyFrom: copy_from = CleanText(value); break;
      case kCopyTo: copy_to = CleanText(value); break;
      case kProcessId: process_id = ReadLeadingNumber(value.CStr()); break;
      case kListFile: list_file = CleanText(value); break;
    }
  }
  if (found != nullptr) *found = given;
  if (parsed < 0) return Status::Failure(Where::kRestart, "out of memory reading the command line");
  return Status::Ok();
}

}  // namespace hv
