// Small text helpers that several programs need the same way: trimming what surrounds the
// words of a line, splitting a text into its lines, and quoting a text for a one-line message
// or log.
#ifndef HV_CORE_STRING_PLAIN_TEXT_H_
#define HV_CORE_STRING_PLAIN_TEXT_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace hv {

// White space as the C locale's isspace knows it.
inline constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";

// `text` without the characters of `strip` at either end; empty when it holds nothing else.
std::string Trim(std::string_view text, std::string_view strip = kWhiteSpace);

// The lines of `text`, split at each '\n' and each without its line end ("\n" or "\r\n"), so
// files written on either system read alike. A line end at the very end makes no empty last
// line; an empty text has no lines. The views point into `text`.
std::vector<std::string_view> SplitLines(std::string_view text);

// `text` in double quotes, each control character (below 0x20, and 0x7f) written as \xNN so a
// message stays one line of printable text however the text came in. A text longer than
// `max_chars` is cut there and ends in "..." inside the quotes.
std::string Quoted(std::string_view text, size_t max_chars = std::string_view::npos);

}  // namespace hv

#endif  // HV_CORE_STRING_PLAIN_TEXT_H_
