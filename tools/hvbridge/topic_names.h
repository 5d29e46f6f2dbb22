// Names as they appear in MQTT topics and Home Assistant ids. A server may name its items
// anything (slashes, wildcards, NUL, thousands of bytes, code-page text), and nothing it
// names may ever reach outside the bridge's prefixes or change from one start to the next.
// So an item's topic segment and unique id come from a fixed key, a hash of where the item
// lives and its exact name bytes, and the readable part beside it is only decoration.
#ifndef HV_TOOLS_HVBRIDGE_TOPIC_NAMES_H_
#define HV_TOOLS_HVBRIDGE_TOPIC_NAMES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "client/protocol/item_kind.h"

namespace hv::bridge {

// The name of a kind of item as a topic level ("switch/...").
const char* KindName(ItemKind kind);

// `bytes` as a lower-case slug of ASCII letters, digits and single underscores, at most
// `max_length` long; "item" when nothing is left. Always a safe topic level.
std::string TopicSafe(std::string_view bytes, size_t max_length);
// The same slug appended to `out`.
void AppendTopicSafe(std::string_view bytes, size_t max_length, std::string* out);

// The fixed key of an item: 16 hex digits of a hash of the server's address, the
// house, the kind and the exact name bytes. The same item gets the same key on every start.
std::string ItemKey(std::string_view server, std::string_view house, ItemKind kind,
                    std::string_view name);
// The same key as a number (its hex digits in order), which is how a mirror of thousands of
// items keeps it: eight bytes instead of a string of its own.
uint64_t ItemKeyValue(std::string_view server, std::string_view house, ItemKind kind,
                      std::string_view name);
// A key's 16 hex digits.
std::string KeyText(uint64_t key);

// The fixed key of a house (its Home Assistant device): the server's address and the house.
std::string HouseKey(std::string_view server, std::string_view house);

// The topic level of an item: its slug (short) and the first 12 digits of its key, so two
// names that slug alike ("Porch Light", "porch/light") still get their own topics.
std::string ItemSegment(std::string_view name, std::string_view key);
// The same topic level appended to `out`, from the key as a number: what every status change
// builds its topics from, without a string of its own.
void AppendItemSegment(std::string_view name, uint64_t key, std::string* out);

// A prefix the user gives (--prefix, --discovery-prefix): not empty, no wildcard, no NUL,
// no empty level, no leading or trailing slash. An empty text when good, else why not.
std::string PrefixProblem(std::string_view prefix);

}  // namespace hv::bridge

#endif  // HV_TOOLS_HVBRIDGE_TOPIC_NAMES_H_
