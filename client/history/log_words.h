// Words a user searches the activity entries for, as the word index reads them and, for
// entries the index has not taken in yet, as a plain scan of the rows matches them.
//
// A text is cut into tokens by the word index's own tokenizer: letters and digits of every
// script, compared without case or accents; every other character ("°", "-", quotes) is a
// separator. Both paths use it, so they always agree. A typed word
// matches where its tokens appear one after the other, the last as the start of a longer
// token; every word must match, each in one of the texts. A word without tokens ("--") asks
// for nothing, and a search of nothing but such words finds nothing.
#ifndef HV_CLIENT_HISTORY_LOG_WORDS_H_
#define HV_CLIENT_HISTORY_LOG_WORDS_H_

#include <string>
#include <string_view>

struct sqlite3;

namespace hv::history {

// The words as an FTS5 query: each word quoted (so no character of it is taken as query
// syntax) and matched as a prefix; all words must match.
std::string WordIndexQuery(std::string_view words);

// Makes the connection's SQL function hv_words(words, name, message, path): true when every
// word is found in one of the three texts, as the word index of the connection would find it.
bool AddWordsFunction(sqlite3* db);

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_LOG_WORDS_H_
