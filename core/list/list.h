// swList: a doubly linked ring of nodes that point at objects owned elsewhere. Cursors
// (swListIterator) keep the node under them alive, so items can be removed during a walk.
// A list never frees its items; its owner frees each item and removes it.
#ifndef HV_CORE_LIST_LIST_H_
#define HV_CORE_LIST_LIST_H_

#include <cstdint>

#include "core/storable.h"

namespace hv {

class swLink {
 public:
  swLink* next = nullptr;
  swLink* prev = nullptr;
  swStorable* item = nullptr;  // null only in a list's head node
  int16_t removed = 0;         // marked while cursors still stand on the node
  int16_t references = 0;      // cursors standing on the node
};

class swList : public swLink, public swStorable {
 public:
  swList();
  swList(const swList&) = delete;
  swList& operator=(const swList&) = delete;
  ~swList() override;

  // Fails with kMissingArgument for a null item (a null item would read as the head node and
  // end every walk there), and with kFailed when the node cannot be allocated.
  [[nodiscard]] hv::Status AddTail(swStorable* item);
  [[nodiscard]] hv::Status AddHead(swStorable* item);
  uint32_t GetCount() const;  // items whose nodes are not removed

  uint16_t ClassId() const override { return kClassList; }
  hv::Status Serialize(swSerializer& archive) override;
};

class swListIterator {
 public:
  enum State : int16_t { kOnItem = 0, kBeforeFirst = 1, kAfterLast = 2 };

  // Stands before the first item; with an item, moves forward to it (or after the last).
  explicit swListIterator(swList* list = nullptr, swStorable* item = nullptr);
  swListIterator(const swListIterator& other);
  swListIterator& operator=(const swListIterator&) = delete;
  ~swListIterator();

  void Attach(swList* list, swStorable* item = nullptr);
  bool Next();
  void ToStart();
  swStorable* Current() const;
  bool RemoveCurrent();

 private:
  void Hold(swLink* node);
  void Release();

  swList* list_ = nullptr;
  swLink* node_ = nullptr;
  int16_t state_ = kBeforeFirst;
};

}  // namespace hv

#endif  // HV_CORE_LIST_LIST_H_
