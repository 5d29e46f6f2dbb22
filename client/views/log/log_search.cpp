#include "client/views/log/log_search.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <string>

#include "core/string/wire_text.h"

namespace hv {

namespace {

pcre2_code* Code(void* code) { return static_cast<pcre2_code*>(code); }
pcre2_match_data* MatchData(void* data) { return static_cast<pcre2_match_data*>(data); }

}  // namespace

cLogSearch::cLogSearch() = default;

cLogSearch::~cLogSearch() {
  pcre2_match_data_free(MatchData(match_data_));
  pcre2_code_free(Code(code_));
}

Status cLogSearch::Set(const swString& pattern, bool regular_expression) {
  if (pattern.GetLength() == 0) {
    pcre2_match_data_free(MatchData(match_data_));
    pcre2_code_free(Code(code_));
    code_ = nullptr;
    match_data_ = nullptr;
    return Status::Ok();
  }
  const std::string text = TextFromWire(std::string_view(pattern.CStr(), pattern.GetLength()));
  // Plain text is the same search with every character taken literally. Case is ignored
  // for every letter (UTF mode folds beyond ASCII too); \w and the like know all letters.
  uint32_t options = PCRE2_UTF | PCRE2_CASELESS;
  options |= regular_expression ? PCRE2_UCP : PCRE2_LITERAL;
  int error_code = 0;
  PCRE2_SIZE error_offset = 0;
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), options,
                                   &error_code, &error_offset, nullptr);
  if (code == nullptr) {
    PCRE2_UCHAR reason[256];
    if (pcre2_get_error_message(error_code, reason, sizeof reason) < 0) reason[0] = 0;
    return Status(Where::kUi, kBadSearchPattern,
                  std::string("Invalid regular expression: ") +
                      reinterpret_cast<const char*>(reason) + " (at character " +
                      std::to_string(error_offset + 1) + ")");
  }
  pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
  if (data == nullptr) {
    pcre2_code_free(code);
    return Status(Where::kUi, hv::kOutOfMemory);
  }
  // Without a JIT (some machines, some builds) the interpreter gives the same answers.
  (void)pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
  pcre2_match_data_free(MatchData(match_data_));
  pcre2_code_free(Code(code_));
  code_ = code;
  match_data_ = data;
  return Status::Ok();
}

bool cLogSearch::Matches(std::string_view text) const {
  if (code_ == nullptr) return true;
  std::string_view subject = text;
  if (!IsUtf8(text)) {
    converted_ = Windows1252ToUtf8(text);
    subject = converted_;
  }
  // The subject is UTF-8 by now, so the library need not check it again.
  const int rc =
      pcre2_match(Code(code_), reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), 0,
                  PCRE2_NO_UTF_CHECK, MatchData(match_data_), nullptr);
  return rc >= 0;
}

}  // namespace hv
