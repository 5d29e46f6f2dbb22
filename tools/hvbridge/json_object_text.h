// cJsonObjectText: a flat JSON object written straight into text, for the payloads the
// bridge sends with every status change (attributes, log entries). Building them as JSON
// documents first cost more than publishing them; this writes the same text without the
// document: keys as given (callers give them in the order a document would print them),
// strings escaped, invalid UTF-8 replaced by U+FFFD, numbers as a document prints them.
#ifndef HV_TOOLS_HVBRIDGE_JSON_OBJECT_TEXT_H_
#define HV_TOOLS_HVBRIDGE_JSON_OBJECT_TEXT_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace hv::bridge {

class cJsonObjectText {
 public:
  cJsonObjectText() { text_.reserve(256); }

  // Keys are the caller's own words: plain ASCII, never escaped.
  cJsonObjectText& Text(std::string_view key, std::string_view value);
  cJsonObjectText& Integer(std::string_view key, int64_t value);
  // NaN and infinity, which JSON cannot carry, are written as 0.0.
  cJsonObjectText& Real(std::string_view key, double value);
  cJsonObjectText& Boolean(std::string_view key, bool value);

  // The finished object; the writer is empty afterwards.
  std::string Take();

 private:
  void Key(std::string_view key);

  std::string text_;
};

// `value` as a JSON string body (without the quotes) appended to `out`.
void AppendJsonString(std::string_view value, std::string* out);

}  // namespace hv::bridge

#endif  // HV_TOOLS_HVBRIDGE_JSON_OBJECT_TEXT_H_
