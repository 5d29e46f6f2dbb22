#include "client/history/log_words.h"

#include <sqlite3.h>

#include <string>
#include <vector>

namespace hv::history {

namespace {

// Cuts texts into tokens with the word index's own tokenizer (unicode61: letters and digits of
// every script, case folded and accents removed, everything else a separator), so a scan of
// entries not indexed yet matches exactly what the index would: "kuche" finds "Küche", and
// "°C" is the word "c" in both.
class IndexTokens {
 public:
  explicit IndexTokens(sqlite3* db) {
    fts5_api* api = nullptr;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &statement, nullptr) == SQLITE_OK) {
      sqlite3_bind_pointer(statement, 1, static_cast<void*>(&api), "fts5_api_ptr", nullptr);
      sqlite3_step(statement);
    }
    sqlite3_finalize(statement);
    void* user = nullptr;
    if (api == nullptr || api->xFindTokenizer(api, "unicode61", &user, &module_) != SQLITE_OK ||
        module_.xCreate(user, nullptr, 0, &tokenizer_) != SQLITE_OK) {
      tokenizer_ = nullptr;
    }
  }
  ~IndexTokens() {
    if (tokenizer_ != nullptr) module_.xDelete(tokenizer_);
  }
  IndexTokens(const IndexTokens&) = delete;
  IndexTokens& operator=(const IndexTokens&) = delete;

  bool ok() const { return tokenizer_ != nullptr; }
  std::vector<std::string> operator()(std::string_view text) const {
    std::vector<std::string> tokens;
    if (tokenizer_ == nullptr || text.empty()) return tokens;
    module_.xTokenize(tokenizer_, &tokens, FTS5_TOKENIZE_DOCUMENT, text.data(),
                      static_cast<int>(text.size()), &IndexTokens::Take);
    return tokens;
  }

 private:
  static int Take(void* context, int, const char* token, int size, int, int) {
    static_cast<std::vector<std::string>*>(context)->emplace_back(token, static_cast<size_t>(size));
    return SQLITE_OK;
  }

  fts5_tokenizer module_{};
  Fts5Tokenizer* tokenizer_ = nullptr;
};

// The phrase's tokens one after the other in `tokens`, the last as a prefix.
bool PhraseIn(const std::vector<std::string>& phrase, const std::vector<std::string>& tokens) {
  for (size_t at = 0; at + phrase.size() <= tokens.size(); ++at) {
    size_t j = 0;
    while (j < phrase.size() && (j + 1 == phrase.size() ? tokens[at + j].starts_with(phrase[j])
                                                        : tokens[at + j] == phrase[j])) {
      ++j;
    }
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

bool WordsMatchWith(const IndexTokens& tokenize, std::string_view words,
                    std::initializer_list<std::string_view> texts) {
  bool asked = false;
  bool all = true;
  std::vector<std::vector<std::string>> text_tokens;
  for (std::string_view text : texts) text_tokens.push_back(tokenize(text));
  ForEachWord(words, [&](std::string_view word) {
    const std::vector<std::string> phrase = tokenize(word);
    if (phrase.empty() || !all) return;  // the index ignores a word without tokens
    asked = true;
    bool found = false;
    for (const auto& tokens : text_tokens) found = found || PhraseIn(phrase, tokens);
    all = found;
  });
  return asked && all;
}

void WordsFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
  auto text = [&](int i) {
    const auto* bytes = static_cast<const char*>(sqlite3_value_blob(argv[i]));
    return bytes != nullptr
               ? std::string_view(bytes, static_cast<size_t>(sqlite3_value_bytes(argv[i])))
               : std::string_view();
  };
  // One tokenizer per connection, made at first use.
  auto* tokens = static_cast<IndexTokens*>(sqlite3_get_auxdata(context, 0));
  if (tokens == nullptr) {
    tokens = new IndexTokens(sqlite3_context_db_handle(context));
    sqlite3_set_auxdata(context, 0, tokens, [](void* p) { delete static_cast<IndexTokens*>(p); });
    tokens = static_cast<IndexTokens*>(sqlite3_get_auxdata(context, 0));
  }
  const bool match = argc == 4 && tokens != nullptr &&
                     WordsMatchWith(*tokens, text(0), {text(1), text(2), text(3)});
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

bool AddWordsFunction(sqlite3* db) {
  return sqlite3_create_function_v2(db, "hv_words", 4,
                                    SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_DIRECTONLY, nullptr,
                                    WordsFunction, nullptr, nullptr, nullptr) == SQLITE_OK;
}

}  // namespace hv::history
