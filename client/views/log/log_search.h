// cLogSearch: what the activity log's search box asks for: a text, or a regular expression,
// found anywhere in any of a row's texts, regardless of case. Texts are compared as the user
// reads them: UTF-8 stays as it is, any other bytes are read as Windows-1252, so a search
// for "é" finds a name the server sent in its own code page.
//
// Regular expressions are Perl-compatible (PCRE2), compiled once per search and run through
// the library's JIT where the machine has it, so a search over many thousand rows stays
// quick.
#ifndef HV_CLIENT_VIEWS_LOG_LOG_SEARCH_H_
#define HV_CLIENT_VIEWS_LOG_LOG_SEARCH_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

// A regular expression that does not compile.
constexpr int32_t kBadSearchPattern = hv::Code(0x80041066);

class cLogSearch {
 public:
  cLogSearch();
  ~cLogSearch();
  cLogSearch(const cLogSearch&) = delete;
  cLogSearch& operator=(const cLogSearch&) = delete;

  // Sets what to look for. An empty pattern searches for nothing: every row matches. Fails
  // with kBadSearchPattern for a regular expression that does not compile, its message
  // saying for the user what is wrong and where, and with kOutOfMemory; the search is then as
  // it was before.
  [[nodiscard]] Status Set(const swString& pattern, bool regular_expression);

  // Whether a search is set (a non-empty pattern that compiled).
  bool IsActive() const { return code_ != nullptr; }
  // Whether the text holds what is searched for; always true when no search is set.
  bool Matches(std::string_view text) const;

 private:
  void* code_ = nullptr;        // pcre2_code_8
  void* match_data_ = nullptr;  // pcre2_match_data_8
  // Reused for the conversion of texts that are not UTF-8.
  mutable std::string converted_;
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_LOG_LOG_SEARCH_H_
