#include "tools/hvbridge/house_mirror.h"

#include <utility>

namespace hv::bridge {

void cHouseMirror::SetIdentity(std::string server, std::string house) {
  server_ = std::move(server);
  house_ = std::move(house);
}

void cHouseMirror::BeginRefresh(ItemKind kind) {
  // The index first: it points into the list.
  std::erase_if(staged_segments_, [kind](const BridgeItem* item) { return item->kind == kind; });
  std::erase_if(staged_, [kind](const auto& entry) { return entry.first.first == kind; });
}

bool cHouseMirror::Stage(BridgeItem item, std::string* problem) {
  Key key{item.kind, item.name};
  const auto existing = staged_.find(key);
  if (existing == staged_.end() && current_.size() + staged_.size() >= kMaxItems) {
    *problem = "more than " + std::to_string(kMaxItems) + " items; the rest are left out";
    return false;
  }
  item.display = DisplayText(item.name, kMaxDisplayBytes);
  item.description = DisplayText(item.description, 1000);
  item.key = ItemKey(server_, house_, item.kind, item.name);
  item.segment = ItemSegment(item.name, item.key);
  const auto taken = staged_segments_.find(SegmentOrder::Level{item.kind, item.segment});
  if (taken != staged_segments_.end() && (*taken)->name != item.name) {
    // Only a deliberate collision of the hash gets here; the first item keeps the topic.
    *problem = "its topic is taken by another item";
    return false;
  }
  if (existing != staged_.end()) {
    // The same name again: the same segment, so the index keeps pointing at the right item.
    existing->second = std::move(item);
  } else {
    const auto added = staged_.emplace(std::move(key), std::move(item)).first;
    staged_segments_.insert(&added->second);
  }
  return true;
}

void cHouseMirror::EndList(ItemKind kind) {
  std::erase_if(by_segment_, [kind](const BridgeItem* item) { return item->kind == kind; });
  std::erase_if(current_, [kind](const auto& entry) { return entry.first.first == kind; });
  std::erase_if(staged_segments_, [kind](const BridgeItem* item) { return item->kind == kind; });
  for (auto it = staged_.begin(); it != staged_.end();) {
    if (it->first.first != kind) {
      ++it;
      continue;
    }
    // The node moves whole, so the item keeps its address.
    const auto moved = current_.insert(staged_.extract(it++));
    by_segment_.insert(&moved.position->second);
  }
}

BridgeItem* cHouseMirror::Find(ItemKind kind, const std::string& name) {
  return const_cast<BridgeItem*>(std::as_const(*this).Find(kind, name));
}

const BridgeItem* cHouseMirror::Find(ItemKind kind, const std::string& name) const {
  const auto it = current_.find({kind, name});
  return it == current_.end() ? nullptr : &it->second;
}

BridgeItem* cHouseMirror::FindStaged(ItemKind kind, const std::string& name) {
  return const_cast<BridgeItem*>(std::as_const(*this).FindStaged(kind, name));
}

const BridgeItem* cHouseMirror::FindStaged(ItemKind kind, const std::string& name) const {
  const auto it = staged_.find({kind, name});
  return it == staged_.end() ? nullptr : &it->second;
}

BridgeItem* cHouseMirror::FindBySegment(ItemKind kind, const std::string& segment) {
  const auto it = by_segment_.find(SegmentOrder::Level{kind, segment});
  return it == by_segment_.end() ? nullptr : *it;
}

std::vector<const BridgeItem*> cHouseMirror::Items() const {
  std::vector<const BridgeItem*> items;
  items.reserve(current_.size());
  for (const auto& [key, item] : current_) items.push_back(&item);
  return items;
}

const BridgeItem* cHouseMirror::FirstItem() const {
  return current_.empty() ? nullptr : &current_.begin()->second;
}

const BridgeItem* cHouseMirror::ItemAfter(const Key& kind_and_name) const {
  const auto it = current_.upper_bound(kind_and_name);
  return it == current_.end() ? nullptr : &it->second;
}

}  // namespace hv::bridge
