// cHouseMirror: the items of the house as the server last listed them, found by kind and
// exact name (what the server's status answers name) or by kind and topic level (what a
// command names). Lists are refreshed whole: items arrive into a fresh list of their kind,
// which replaces the old one when the server ends the list, so an item the server dropped
// disappears and one it renamed comes back under its new key.
//
// A hostile server cannot make it grow without bound: it keeps at most kMaxItems items.
#ifndef HV_TOOLS_HVBRIDGE_HOUSE_MIRROR_H_
#define HV_TOOLS_HVBRIDGE_HOUSE_MIRROR_H_

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/status.h"
#include "tools/hvbridge/bridge_item.h"

namespace hv::bridge {

class cHouseMirror {
 public:
  static constexpr size_t kMaxItems = 50000;

  // Where the items live; part of every key. Set before the first item.
  void SetIdentity(std::string server, std::string house);
  const std::string& House() const { return house_; }

  // A new login: every kind's next list starts empty.
  void BeginRefresh(ItemKind kind);
  // One listed item (name, description and status filled in); the mirror sets its display
  // text, key and segment. Declined, saying why, when it was not taken: the house goes on
  // without it.
  [[nodiscard]] Status Stage(BridgeItem item);
  // The server ended the list of `kind`: the staged list replaces the current one.
  void EndList(ItemKind kind);

  // Pointers into the current list hold until the next EndList.
  BridgeItem* Find(ItemKind kind, const std::string& name);
  const BridgeItem* Find(ItemKind kind, const std::string& name) const;
  // The item in the list still arriving, for status changes that overtake its end.
  BridgeItem* FindStaged(ItemKind kind, const std::string& name);
  const BridgeItem* FindStaged(ItemKind kind, const std::string& name) const;
  BridgeItem* FindBySegment(ItemKind kind, const std::string& segment);
  // Every current item, in a stable order (kind, then name bytes).
  std::vector<const BridgeItem*> Items() const;
  // The same order an item at a time: the first, and the one after (kind, name), which
  // need not be an item any more; nullptr past the last.
  const BridgeItem* FirstItem() const;
  const BridgeItem* ItemAfter(const std::pair<ItemKind, std::string>& kind_and_name) const;
  size_t Count() const { return current_.size(); }

 private:
  using Key = std::pair<ItemKind, std::string>;
  using Level = std::pair<ItemKind, std::string_view>;
  // Items ordered by (kind, name), found by either without a copy of the name.
  struct NameOrder {
    using is_transparent = void;
    static Level Of(const BridgeItem& item) { return {item.kind, item.name}; }
    static Level Of(const Level& level) { return level; }
    static Level Of(const Key& key) { return {key.first, key.second}; }
    template <typename A, typename B>
    bool operator()(const A& a, const B& b) const {
      return Of(a) < Of(b);
    }
  };
  // Only (kind, name) orders the staged list; the rest of an item may change where it is.
  static BridgeItem* Mutable(const BridgeItem& item) { return const_cast<BridgeItem*>(&item); }
  // The current items whose topic level ends in the 12 digits of `segment`, as positions in
  // by_key_.
  std::pair<size_t, size_t> KeyRange(ItemKind kind, const std::string& segment) const;

  std::string server_;
  std::string house_;
  // The current items, sorted: one array, with nothing of a house's tens of thousands of
  // items kept twice and no allocation of its own for each.
  std::vector<BridgeItem> current_;
  // Positions in current_ by (kind, key): a topic level ends in its key's first digits, so a
  // command finds its item without every item's level being kept.
  std::vector<uint32_t> by_key_;
  // The lists arriving, an item at a time, and their topic levels (to refuse a second item
  // whose level is taken); both are gone once their lists end.
  std::set<BridgeItem, NameOrder> staged_;
  std::map<Key, const BridgeItem*> staged_segments_;
};

}  // namespace hv::bridge

#endif  // HV_TOOLS_HVBRIDGE_HOUSE_MIRROR_H_
