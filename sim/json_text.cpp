#include "sim/json_text.h"

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <utility>

namespace hv::sim {
namespace {

using nlohmann::json;

// Listens to a parse only for its first mistake; the document itself is built afterwards.
class MistakeFinder : public nlohmann::json_sax<json> {
 public:
  bool null() override { return true; }
  bool boolean(bool) override { return true; }
  bool number_integer(number_integer_t) override { return true; }
  bool number_unsigned(number_unsigned_t) override { return true; }
  bool number_float(number_float_t, const string_t&) override { return true; }
  bool string(string_t&) override { return true; }
  bool binary(binary_t&) override { return true; }
  bool start_object(std::size_t) override { return true; }
  bool key(string_t&) override { return true; }
  bool end_object() override { return true; }
  bool start_array(std::size_t) override { return true; }
  bool end_array() override { return true; }
  bool parse_error(std::size_t position, const std::string& last_token,
                   const nlohmann::detail::exception& mistake) override {
    found = true;
    this->position = position;
    this->last_token = last_token;
    library_text = mistake.what();
    return false;
  }

  bool found = false;
  std::size_t position = 0;
  std::string last_token;
  std::string library_text;
};

// The library's names of what it met or wanted, in words a house file's author knows.
std::string TokenWords(std::string_view token) {
  static const std::pair<std::string_view, const char*> kWords[] = {
      {"end of input", "the end of the file"},
      {"string literal", "a text in double quotes"},
      {"number literal", "a number"},
      {"true literal", "true"},
      {"false literal", "false"},
      {"null literal", "null"},
      {"'[', '{', or a literal", "a value"},
      {"'['", "'['"},
      {"'{'", "'{'"},
      {"']'", "']'"},
      {"'}'", "'}'"},
      {"':'", "':'"},
      {"','", "','"},
  };
  for (const auto& [name, words] : kWords) {
    if (token == name) return words;
  }
  return std::string(token);
}

// What went wrong, from the detail of the library's message ("unexpected '}'; expected
// string literal", "invalid literal", "invalid string: missing closing quote", ...).
std::string Explain(const std::string& library_text, const std::string& last_token) {
  const size_t dash = library_text.find(" - ");
  std::string detail = dash == std::string::npos ? "" : library_text.substr(dash + 3);
  detail = detail.substr(0, detail.find("; last read:"));
  static constexpr std::string_view kUnexpected = "unexpected ";
  static constexpr std::string_view kExpected = "; expected ";
  if (detail.rfind(kUnexpected, 0) == 0) {
    const size_t expected_at = detail.find(kExpected);
    const std::string met = TokenWords(
        std::string_view(detail).substr(kUnexpected.size(), expected_at - kUnexpected.size()));
    if (expected_at == std::string::npos) return "unexpected " + met;
    std::string wanted =
        TokenWords(std::string_view(detail).substr(expected_at + kExpected.size()));
    // A closing bracket is wanted only after a member or an element, where a comma would
    // have done as well.
    if (wanted == "'}'" || wanted == "']'") wanted = "',' or " + wanted;
    // Inside an object the library wants a key, which it calls a string literal.
    if (wanted == "a text in double quotes" &&
        library_text.find("parsing object key") != std::string::npos) {
      wanted = "a name in double quotes";
    }
    return "found " + met + " where " + wanted + " was expected";
  }
  if (detail.rfind("invalid string: ", 0) == 0) {
    return "a text in double quotes is not right: " + detail.substr(16);
  }
  if (detail.rfind("invalid number", 0) == 0) return "a number is not written right";
  if (detail.rfind("invalid comment", 0) == 0) return "a comment is not closed";
  if (detail.rfind("invalid literal", 0) == 0) {
    // What was read runs from the last token; the word in question is its end, less the
    // character that ended it.
    std::string near = last_token.substr(last_token.find_last_of(" \t\r\n:,[{") + 1);
    if (near.size() > 1 && std::string_view("]},").find(near.back()) != std::string_view::npos) {
      near.pop_back();
    }
    near = near.substr(0, 20);
    return "\"" + near +
           "\" is not a value (texts go in double quotes; true, false and null are written in "
           "small letters)";
  }
  return "this is not JSON";
}

}  // namespace

Status ParseJsonText(const std::string& text, nlohmann::json* root) {
  if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
    return Status(Where::kSim, kUnexpectedType, "not valid JSON: the file is empty");
  }
  MistakeFinder finder;
  json::sax_parse(text, &finder, json::input_format_t::json, /*strict=*/true,
                  /*ignore_comments=*/true);
  if (finder.found) {
    // The library counts the characters it read: the mistake stands at the last of them.
    const size_t at = std::min(finder.position > 0 ? finder.position - 1 : 0, text.size());
    const size_t line = 1 + static_cast<size_t>(std::count(text.begin(), text.begin() + at, '\n'));
    const size_t line_start = text.rfind('\n', at == 0 ? 0 : at - 1);
    const size_t column = line_start == std::string::npos || at == 0 ? at + 1 : at - line_start;
    return Status(Where::kSim, kUnexpectedType,
                  "not valid JSON at line " + std::to_string(line) + ", column " +
                      std::to_string(column) + ": " +
                      Explain(finder.library_text, finder.last_token));
  }
  *root = json::parse(text, nullptr, /*allow_exceptions=*/false, /*ignore_comments=*/true);
  if (root->is_discarded()) return Status(Where::kSim, kUnexpectedType, "not valid JSON");
  return Status::Ok();
}

}  // namespace hv::sim
