#include "core/list/list.h"

#include <new>

#include "core/serializer.h"
#include "core/status.h"

namespace hv {

namespace {

void Unlink(swLink* node) {
  node->prev->next = node->next;
  node->next->prev = node->prev;
}

// A list whose head node is no longer set up (it is being destroyed) takes no items.
hv::Status NotSetUp() { return hv::Status::Failure(hv::Where::kProgram, "the list is not set up"); }

// A node is added with no cursor on it; the head node is the only item-less node.
hv::Status LinkAfter(swLink* position, swStorable* item) {
  if (item == nullptr) return hv::Status(hv::Where::kProgram, hv::kMissingArgument, "no item");
  swLink* node = new (std::nothrow) swLink;
  if (node == nullptr) return hv::Status::Failure(hv::Where::kProgram, "no memory for a list node");
  node->item = item;
  node->prev = position;
  node->next = position->next;
  position->next->prev = node;
  position->next = node;
  return hv::Status::Ok();
}

}  // namespace

swList::swList() {
  next = this;
  prev = this;
  references = 1;
}

swList::~swList() {
  if (next == nullptr) return;
  swLink* node = next;
  while (node != this) {
    swLink* following = node->next;
    if (node->references > 0) {
      // A cursor still stands here: leave the node to that cursor as a ring of its own, so
      // its next step ends the walk and its release frees the node.
      node->next = node;
      node->prev = node;
      node->item = nullptr;
      node->removed = 1;
    } else {
      delete node;
    }
    node = following;
  }
  next = this;
  prev = this;
}

hv::Status swList::AddTail(swStorable* item) {
  if (next == nullptr) return NotSetUp();
  return LinkAfter(prev, item);
}

hv::Status swList::AddHead(swStorable* item) {
  if (next == nullptr) return NotSetUp();
  return LinkAfter(this, item);
}

uint32_t swList::GetCount() const {
  if (next == nullptr) return 0;
  uint32_t count = 0;
  for (const swLink* node = next; node != this; node = node->next) {
    if (!node->removed) ++count;
  }
  return count;
}

hv::Status swList::Serialize(swSerializer& archive) {
  if (next == nullptr) return ArchiveStatus(kArchiveSerializeFailed);
  if (archive.IsStoring()) {
    int rc = archive.Write<uint32_t>(GetCount(), 1);
    for (swLink* node = next; rc == 0 && node != this; node = node->next) {
      if (!node->removed) rc = archive.WriteObjectRef(node->item, 1);
    }
    return ArchiveStatus(rc != 0 ? rc : archive.Status());
  }
  uint32_t count = 0;
  if (archive.Read<uint32_t>(&count, 1) != 0 || archive.Status() != 0) {
    return ArchiveStatus(kArchiveSerializeFailed);
  }
  // A corrupt count cannot spin: the first read that fails ends the loop.
  for (uint32_t i = 0; i < count; ++i) {
    swStorable* item = nullptr;
    if (archive.ReadObjectRef(&item, 1) != 0 || archive.Status() != 0 || item == nullptr) {
      return ArchiveStatus(kArchiveSerializeFailed);
    }
    if (!AddTail(item).ok()) return ArchiveStatus(kArchiveSerializeFailed);
  }
  return hv::Status::Ok();
}

swListIterator::swListIterator(swList* list, swStorable* item) { Attach(list, item); }

swListIterator::swListIterator(const swListIterator& other)
    : list_(other.list_), state_(other.state_) {
  if (other.node_ != nullptr) Hold(other.node_);
}

swListIterator::~swListIterator() { Release(); }

void swListIterator::Hold(swLink* node) {
  ++node->references;
  node_ = node;
}

void swListIterator::Release() {
  swLink* node = node_;
  node_ = nullptr;
  if (node == nullptr) return;
  if (--node->references <= 0 && node->removed) {
    Unlink(node);
    delete node;
  }
}

void swListIterator::Attach(swList* list, swStorable* item) {
  Release();
  list_ = list;
  state_ = kBeforeFirst;
  if (list_ == nullptr || list_->next == nullptr) {
    list_ = nullptr;
    return;
  }
  Hold(list_);
  if (item == nullptr) return;
  while (Next()) {
    if (Current() == item) return;
  }
}

bool swListIterator::Next() {
  if (list_ == nullptr || node_ == nullptr || state_ == kAfterLast) return false;
  swLink* head = list_;
  swLink* target = node_->next;
  while (target != head && target != node_ && target->removed) target = target->next;
  if (target == node_) {
    // Only a node orphaned by its list's destruction leads back to itself.
    state_ = kAfterLast;
    return false;
  }
  // Take the new node before letting go of the old one, whose release may free it.
  ++target->references;
  Release();
  node_ = target;
  if (target == head) {
    state_ = kAfterLast;
    return false;
  }
  state_ = kOnItem;
  return true;
}

void swListIterator::ToStart() {
  if (list_ == nullptr) return;
  Release();
  Hold(list_);
  state_ = kBeforeFirst;
}

swStorable* swListIterator::Current() const {
  if (node_ == nullptr || state_ != kOnItem) return nullptr;
  return node_->item;
}

bool swListIterator::RemoveCurrent() {
  if (node_ == nullptr || state_ != kOnItem || node_->item == nullptr || node_->removed) {
    return false;
  }
  // Our own reference keeps the node linked; the last cursor to leave it frees it.
  node_->removed = 1;
  return true;
}

}  // namespace hv
