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
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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
  // text, key and segment. False, with `problem`, when it was not taken.
  bool Stage(BridgeItem item, std::string* problem);
  // The server ended the list of `kind`: the staged list replaces the current one.
  void EndList(ItemKind kind);

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
  // Items ordered by (kind, name), found by either without a copy of the name: a map keyed by
  // them would hold every name twice.
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
  using List = std::set<BridgeItem, NameOrder>;
  // The items of a list by (kind, segment). It holds pointers into the list's own nodes, which
  // stay where they are when an item moves from the staged list to the current one, rather
  // than a second copy of every segment and name.
  struct SegmentOrder {
    using is_transparent = void;
    static Level Of(const BridgeItem* item) { return {item->kind, item->segment}; }
    static const Level& Of(const Level& level) { return level; }
    template <typename A, typename B>
    bool operator()(const A& a, const B& b) const {
      return Of(a) < Of(b);
    }
  };
  // Only (kind, name) orders a list; the rest of an item may change where it is.
  static BridgeItem* Mutable(const BridgeItem& item) { return const_cast<BridgeItem*>(&item); }

  std::string server_;
  std::string house_;
  List current_;
  // The current items' index: a sorted array, eight bytes an item, made again when a list
  // ends (the staged one grows an item at a time, so it keeps a tree).
  std::vector<BridgeItem*> by_segment_;
  List staged_;
  std::set<BridgeItem*, SegmentOrder> staged_segments_;
};

}  // namespace hv::bridge

#endif  // HV_TOOLS_HVBRIDGE_HOUSE_MIRROR_H_
