#include "tools/hvbridge/house_mirror.h"

#include <algorithm>
#include <utility>

namespace hv::bridge {

namespace {

// An item the mirror does not take: the rest of the house goes on without it.
Status LeftOut(std::string why) { return Status(Where::kBridge, kDeclined, std::move(why)); }

}  // namespace

void cHouseMirror::SetIdentity(std::string server, std::string house) {
  server_ = std::move(server);
  house_ = std::move(house);
}

void cHouseMirror::BeginRefresh(ItemKind kind) {
  // The index first: it points into the list.
  std::erase_if(staged_segments_, [kind](const auto& entry) { return entry.first.first == kind; });
  std::erase_if(staged_, [kind](const BridgeItem& item) { return item.kind == kind; });
}

Status cHouseMirror::Stage(BridgeItem item) {
  const auto existing = staged_.find(Level{item.kind, item.name});
  if (existing == staged_.end() && current_.size() + staged_.size() >= kMaxItems) {
    return LeftOut("more than " + std::to_string(kMaxItems) + " items; the rest are left out");
  }
  item.description = DisplayText(item.description, 1000);
  item.key = ItemKeyValue(server_, house_, item.kind, item.name);
  Key segment{item.kind, SegmentOf(item)};
  const auto taken = staged_segments_.find(segment);
  if (taken != staged_segments_.end() && taken->second->name != item.name) {
    // Only a deliberate collision of the hash gets here; the first item keeps the topic.
    return LeftOut("its topic is taken by another item");
  }
  if (existing != staged_.end()) {
    // The same name again: the same place in the list and the same level, so the index
    // keeps pointing at the right item.
    *Mutable(*existing) = std::move(item);
  } else {
    const BridgeItem& added = *staged_.insert(std::move(item)).first;
    staged_segments_.emplace(std::move(segment), &added);
  }
  return Status::Ok();
}

void cHouseMirror::EndList(ItemKind kind) {
  std::erase_if(current_, [kind](const BridgeItem& item) { return item.kind == kind; });
  std::erase_if(staged_segments_, [kind](const auto& entry) { return entry.first.first == kind; });
  // Made to measure, so a big house leaves no half-empty array behind.
  std::vector<BridgeItem> merged;
  size_t listed = 0;
  for (const BridgeItem& item : staged_) listed += item.kind == kind ? 1 : 0;
  merged.reserve(current_.size() + listed);
  auto next = current_.begin();
  for (auto it = staged_.begin(); it != staged_.end();) {
    if (it->kind != kind) {
      ++it;
      continue;
    }
    while (next != current_.end() && NameOrder()(*next, *it)) merged.push_back(std::move(*next++));
    merged.push_back(std::move(staged_.extract(it++).value()));
  }
  while (next != current_.end()) merged.push_back(std::move(*next++));
  current_ = std::move(merged);
  by_key_.resize(current_.size());
  for (uint32_t i = 0; i < by_key_.size(); ++i) by_key_[i] = i;
  std::sort(by_key_.begin(), by_key_.end(), [this](uint32_t a, uint32_t b) {
    return std::pair(current_[a].kind, current_[a].key) <
           std::pair(current_[b].kind, current_[b].key);
  });
}

BridgeItem* cHouseMirror::Find(ItemKind kind, const std::string& name) {
  return const_cast<BridgeItem*>(std::as_const(*this).Find(kind, name));
}

const BridgeItem* cHouseMirror::Find(ItemKind kind, const std::string& name) const {
  const Level level{kind, name};
  const auto it = std::lower_bound(current_.begin(), current_.end(), level, NameOrder());
  return it != current_.end() && NameOrder::Of(*it) == level ? &*it : nullptr;
}

BridgeItem* cHouseMirror::FindStaged(ItemKind kind, const std::string& name) {
  return const_cast<BridgeItem*>(std::as_const(*this).FindStaged(kind, name));
}

const BridgeItem* cHouseMirror::FindStaged(ItemKind kind, const std::string& name) const {
  const auto it = staged_.find(Level{kind, name});
  return it == staged_.end() ? nullptr : &*it;
}

std::pair<size_t, size_t> cHouseMirror::KeyRange(ItemKind kind, const std::string& segment) const {
  // The level ends in "_" and 12 lower-case hex digits: the key's top 48 bits.
  constexpr size_t kDigits = 12;
  if (segment.size() <= kDigits || segment[segment.size() - kDigits - 1] != '_') return {0, 0};
  uint64_t top = 0;
  for (size_t i = segment.size() - kDigits; i < segment.size(); ++i) {
    const char c = segment[i];
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (digit < 0) return {0, 0};
    top = top << 4 | static_cast<uint64_t>(digit);
  }
  const auto key_of = [this](uint32_t at) {
    return std::pair(current_[at].kind, current_[at].key >> 16);
  };
  const std::pair wanted(kind, top);
  const auto first = std::partition_point(by_key_.begin(), by_key_.end(),
                                          [&](uint32_t at) { return key_of(at) < wanted; });
  const auto last =
      std::partition_point(first, by_key_.end(), [&](uint32_t at) { return key_of(at) == wanted; });
  return {static_cast<size_t>(first - by_key_.begin()),
          static_cast<size_t>(last - by_key_.begin())};
}

BridgeItem* cHouseMirror::FindBySegment(ItemKind kind, const std::string& segment) {
  const auto [first, last] = KeyRange(kind, segment);
  for (size_t i = first; i < last; ++i) {
    BridgeItem& item = current_[by_key_[i]];
    if (SegmentOf(item) == segment) return &item;
  }
  return nullptr;
}

std::vector<const BridgeItem*> cHouseMirror::Items() const {
  std::vector<const BridgeItem*> items;
  items.reserve(current_.size());
  for (const BridgeItem& item : current_) items.push_back(&item);
  return items;
}

const BridgeItem* cHouseMirror::FirstItem() const {
  return current_.empty() ? nullptr : &current_.front();
}

const BridgeItem* cHouseMirror::ItemAfter(const Key& kind_and_name) const {
  const auto it = std::upper_bound(current_.begin(), current_.end(), kind_and_name, NameOrder());
  return it == current_.end() ? nullptr : &*it;
}

}  // namespace hv::bridge
