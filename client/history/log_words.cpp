#include "client/history/log_words.h"

#include <sqlite3.h>

#include <vector>

namespace hv::history {

namespace {

bool IsTokenByte(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 0x80;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The tokens of `text`, in order.
std::vector<std::string_view> Tokens(std::string_view text) {
  std::vector<std::string_view> tokens;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && !IsTokenByte(static_cast<unsigned char>(text[i]))) ++i;
    size_t start = i;
    while (i < text.size() && IsTokenByte(static_cast<unsigned char>(text[i]))) ++i;
    if (i > start) tokens.push_back(text.substr(start, i - start));
  }
  return tokens;
}

bool SameToken(std::string_view token, std::string_view wanted, bool as_prefix) {
  if (as_prefix ? token.size() < wanted.size() : token.size() != wanted.size()) return false;
  for (size_t i = 0; i < wanted.size(); ++i) {
    if (Lower(token[i]) != Lower(wanted[i])) return false;
  }
  return true;
}

// The phrase's tokens one after the other in `text`, the last as a prefix.
bool PhraseIn(const std::vector<std::string_view>& phrase, std::string_view text) {
  const std::vector<std::string_view> tokens = Tokens(text);
  for (size_t at = 0; at + phrase.size() <= tokens.size(); ++at) {
    size_t j = 0;
    while (j < phrase.size() && SameToken(tokens[at + j], phrase[j], j + 1 == phrase.size())) ++j;
    if (j == phrase.size()) return true;
  }
  return false;
}

// Splits the typed words at spaces and tabs.
template <class Each>
void ForEachWord(std::string_view words, Each each) {
  size_t i = 0;
  while (i < words.size()) {
    while (i < words.size() && (words[i] == ' ' || words[i] == '\t')) ++i;
    size_t start = i;
    while (i < words.size() && words[i] != ' ' && words[i] != '\t') ++i;
    if (i > start) each(words.substr(start, i - start));
  }
}

void WordsFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
  auto text = [&](int i) {
    const auto* bytes = static_cast<const char*>(sqlite3_value_blob(argv[i]));
    return bytes != nullptr
               ? std::string_view(bytes, static_cast<size_t>(sqlite3_value_bytes(argv[i])))
               : std::string_view();
  };
  const bool match = argc == 4 && WordsMatch(text(0), {text(1), text(2), text(3)});
  sqlite3_result_int(context, match ? 1 : 0);
}

}  // namespace

std::string WordIndexQuery(std::string_view words) {
  std::string query;
  ForEachWord(words, [&](std::string_view word) {
    if (!query.empty()) query += ' ';
    query += '"';
    for (char c : word) {
      if (c == '"') query += '"';
      query += c;
    }
    query += "\"*";
  });
  return query;
}

bool WordsMatch(std::string_view words, std::initializer_list<std::string_view> texts) {
  bool asked = false;
  bool all = true;
  ForEachWord(words, [&](std::string_view word) {
    const std::vector<std::string_view> phrase = Tokens(word);
    if (phrase.empty() || !all) return;  // the index ignores a word without tokens
    asked = true;
    bool found = false;
    for (std::string_view text : texts) found = found || PhraseIn(phrase, text);
    all = found;
  });
  return asked && all;
}

bool AddWordsFunction(sqlite3* db) {
  return sqlite3_create_function_v2(db, "hv_words", 4,
                                    SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_DIRECTONLY, nullptr,
                                    WordsFunction, nullptr, nullptr, nullptr) == SQLITE_OK;
}

}  // namespace hv::history
