#include "tools/hvbridge/house_mirror.h"

#include <algorithm>
#include <utility>

namespace hv::bridge {

void cHouseMirror::SetIdentity(std::string server, std::string house) {
  server_ = std::move(server);
  house_ = std::move(house);
}

void cHouseMirror::BeginRefresh(ItemKind kind) {
  // The index first: it points into the list.
  std::erase_if(staged_segments_, [kind](const BridgeItem* item) { return item->kind == kind; });
  std::erase_if(staged_, [kind](const BridgeItem& item) { return item.kind == kind; });
}

bool cHouseMirror::Stage(BridgeItem item, std::string* problem) {
  const auto existing = staged_.find(Level{item.kind, item.name});
  if (existing == staged_.end() && current_.size() + staged_.size() >= kMaxItems) {
    *problem = "more than " + std::to_string(kMaxItems) + " items; the rest are left out";
    return false;
  }
  item.description = DisplayText(item.description, 1000);
  item.key = ItemKeyValue(server_, house_, item.kind, item.name);
  item.segment = ItemSegment(item.name, KeyText(item.key));
  const auto taken = staged_segments_.find(Level{item.kind, item.segment});
  if (taken != staged_segments_.end() && (*taken)->name != item.name) {
    // Only a deliberate collision of the hash gets here; the first item keeps the topic.
    *problem = "its topic is taken by another item";
    return false;
  }
  if (existing != staged_.end()) {
    // The same name again: the same place in the list and the same segment, so the index
    // keeps pointing at the right item.
    *Mutable(*existing) = std::move(item);
  } else {
    staged_segments_.insert(Mutable(*staged_.insert(std::move(item)).first));
  }
  return true;
}

void cHouseMirror::EndList(ItemKind kind) {
  std::erase_if(by_segment_, [kind](const BridgeItem* item) { return item->kind == kind; });
  std::erase_if(current_, [kind](const BridgeItem& item) { return item.kind == kind; });
  std::erase_if(staged_segments_, [kind](const BridgeItem* item) { return item->kind == kind; });
  for (auto it = staged_.begin(); it != staged_.end();) {
    if (it->kind != kind) {
      ++it;
      continue;
    }
    // The node moves whole, so the item keeps its address.
    const auto moved = current_.insert(staged_.extract(it++));
    by_segment_.push_back(Mutable(*moved.position));
  }
  std::sort(by_segment_.begin(), by_segment_.end(), SegmentOrder());
  by_segment_.shrink_to_fit();
}

BridgeItem* cHouseMirror::Find(ItemKind kind, const std::string& name) {
  const auto it = current_.find(Level{kind, name});
  return it == current_.end() ? nullptr : Mutable(*it);
}

const BridgeItem* cHouseMirror::Find(ItemKind kind, const std::string& name) const {
  const auto it = current_.find(Level{kind, name});
  return it == current_.end() ? nullptr : &*it;
}

BridgeItem* cHouseMirror::FindStaged(ItemKind kind, const std::string& name) {
  const auto it = staged_.find(Level{kind, name});
  return it == staged_.end() ? nullptr : Mutable(*it);
}

const BridgeItem* cHouseMirror::FindStaged(ItemKind kind, const std::string& name) const {
  const auto it = staged_.find(Level{kind, name});
  return it == staged_.end() ? nullptr : &*it;
}

BridgeItem* cHouseMirror::FindBySegment(ItemKind kind, const std::string& segment) {
  const Level level{kind, segment};
  const auto it = std::lower_bound(by_segment_.begin(), by_segment_.end(), level, SegmentOrder());
  return it != by_segment_.end() && SegmentOrder::Of(*it) == level ? *it : nullptr;
}

std::vector<const BridgeItem*> cHouseMirror::Items() const {
  std::vector<const BridgeItem*> items;
  items.reserve(current_.size());
  for (const BridgeItem& item : current_) items.push_back(&item);
  return items;
}

const BridgeItem* cHouseMirror::FirstItem() const {
  return current_.empty() ? nullptr : &*current_.begin();
}

const BridgeItem* cHouseMirror::ItemAfter(const Key& kind_and_name) const {
  const auto it = current_.upper_bound(kind_and_name);
  return it == current_.end() ? nullptr : &*it;
}

}  // namespace hv::bridge
