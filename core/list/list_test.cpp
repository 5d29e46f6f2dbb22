#include "core/list/list.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/serializer.h"
#include "core/string/sw_string.h"
#include "core/testing/in_memory_serializer.h"

namespace hv {

namespace {

// The nodes really linked in the ring, removed or not (what a leak or a premature free shows).
int LinkedNodes(const swList& list) {
  int nodes = 0;
  for (const swLink* node = list.next; node != &list; node = node->next) ++nodes;
  return nodes;
}

std::vector<std::string> Walk(swList& list) {
  std::vector<std::string> texts;
  swListIterator it(&list);
  while (it.Next()) texts.emplace_back(static_cast<swString*>(it.Current())->CStr());
  return texts;
}

class SwListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (swString* s : {&a_, &b_, &c_}) ASSERT_TRUE(list_.AddTail(s).ok());
  }
  swString a_{"a"}, b_{"b"}, c_{"c"};
  swList list_;
};

TEST(SwListEmptyTest, NextOnEmptyListStaysAfterTheEnd) {
  swList list;
  EXPECT_EQ(list.GetCount(), 0u);
  swListIterator it(&list);
  EXPECT_FALSE(it.Next());
  EXPECT_FALSE(it.Next());
  EXPECT_EQ(it.Current(), nullptr);
  EXPECT_FALSE(it.RemoveCurrent());
  swListIterator detached;
  EXPECT_FALSE(detached.Next());
  EXPECT_EQ(detached.Current(), nullptr);
}

TEST_F(SwListTest, AddsAtBothEndsAndRefusesNullItems) {
  swString head("h");
  ASSERT_TRUE(list_.AddHead(&head).ok());
  EXPECT_EQ(Walk(list_), (std::vector<std::string>{"h", "a", "b", "c"}));
  EXPECT_EQ(list_.GetCount(), 4u);
  EXPECT_TRUE(list_.AddTail(nullptr).Is(Where::kProgram, kMissingArgument));
  EXPECT_EQ(list_.GetCount(), 4u);
}

TEST_F(SwListTest, RemovingEveryItemDuringOneLoopVisitsEachOnce) {
  std::vector<swStorable*> visited;
  swListIterator it(&list_);
  while (it.Next()) {
    visited.push_back(it.Current());
    EXPECT_TRUE(it.RemoveCurrent());
    EXPECT_FALSE(it.RemoveCurrent());  // already removed
  }
  EXPECT_EQ(visited, (std::vector<swStorable*>{&a_, &b_, &c_}));
  EXPECT_EQ(list_.GetCount(), 0u);
  EXPECT_EQ(LinkedNodes(list_), 0);
  EXPECT_STREQ(a_.CStr(), "a");  // items are never touched
}

TEST_F(SwListTest, TwoCursorsOnOneRemovedNode) {
  swListIterator first(&list_, &b_);
  swListIterator second(&list_, &b_);
  ASSERT_EQ(second.Current(), &b_);
  ASSERT_TRUE(first.RemoveCurrent());
  EXPECT_FALSE(second.RemoveCurrent());
  EXPECT_EQ(list_.GetCount(), 2u);  // not counted while cursors still stand on it
  EXPECT_EQ(LinkedNodes(list_), 3);
  EXPECT_EQ(Walk(list_), (std::vector<std::string>{"a", "c"}));

  ASSERT_TRUE(first.Next());
  EXPECT_EQ(first.Current(), &c_);
  EXPECT_EQ(LinkedNodes(list_), 3);  // the other cursor still holds it
  ASSERT_TRUE(second.Next());
  EXPECT_EQ(second.Current(), &c_);
  EXPECT_EQ(LinkedNodes(list_), 2);  // freed when the last cursor left
}

TEST_F(SwListTest, CursorOnRemovedNodeSkipsLaterRemovedNodes) {
  swListIterator standing(&list_, &a_);
  swListIterator remover(&list_, &a_);
  remover.RemoveCurrent();
  ASSERT_TRUE(remover.Next());
  remover.RemoveCurrent();  // b: freed when the remover moves on
  EXPECT_FALSE(remover.Next() && remover.Next());
  EXPECT_EQ(LinkedNodes(list_), 2);
  ASSERT_TRUE(standing.Next());
  EXPECT_EQ(standing.Current(), &c_);
  EXPECT_EQ(LinkedNodes(list_), 1);
}

TEST_F(SwListTest, CursorConstructedWithAnItem) {
  swListIterator on_b(&list_, &b_);
  EXPECT_EQ(on_b.Current(), &b_);
  ASSERT_TRUE(on_b.Next());
  EXPECT_EQ(on_b.Current(), &c_);
  EXPECT_FALSE(on_b.Next());
  EXPECT_EQ(on_b.Current(), nullptr);

  swString stranger("x");
  swListIterator missing(&list_, &stranger);
  EXPECT_EQ(missing.Current(), nullptr);
  EXPECT_FALSE(missing.Next());

  // A removed node is not found again.
  swListIterator remover(&list_, &a_);
  remover.RemoveCurrent();
  swListIterator after(&list_, &a_);
  EXPECT_EQ(after.Current(), nullptr);
}

TEST_F(SwListTest, CopyToStartAndAttach) {
  swListIterator it(&list_, &b_);
  swListIterator copy(it);
  EXPECT_EQ(copy.Current(), &b_);
  ASSERT_TRUE(it.RemoveCurrent());
  ASSERT_TRUE(copy.Next());
  EXPECT_EQ(copy.Current(), &c_);
  it.ToStart();
  EXPECT_EQ(it.Current(), nullptr);
  ASSERT_TRUE(it.Next());
  EXPECT_EQ(it.Current(), &a_);
  EXPECT_EQ(LinkedNodes(list_), 2);

  swList other;
  swString z("z");
  ASSERT_TRUE(other.AddTail(&z).ok());
  it.Attach(&other);
  ASSERT_TRUE(it.Next());
  EXPECT_EQ(it.Current(), &z);
  it.Attach(&list_, &c_);
  EXPECT_EQ(it.Current(), &c_);
  it.Attach(nullptr);
  EXPECT_FALSE(it.Next());
}

TEST(SwListLifetimeTest, DestroyedListFreesNodesButNotItems) {
  swString kept("kept");
  auto cursor = std::make_unique<swListIterator>();
  {
    swList list;
    ASSERT_TRUE(list.AddTail(&kept).ok());
    ASSERT_TRUE(list.AddTail(&kept).ok());  // one object may be listed twice
    cursor->Attach(&list, &kept);
  }
  // The cursor outlived its list: its node was left to it, and it neither walks on nor leaks.
  EXPECT_FALSE(cursor->Next());
  cursor.reset();
  EXPECT_STREQ(kept.CStr(), "kept");
}

// --- Serialized form -------------------------------------------------------------------

swStorable* MakeStorable(uint16_t class_id) {
  return class_id == kClassString ? new swString : nullptr;
}

// A list read back from what `archive` holds: the read's status and its items' texts. The
// items the read created belong to the test and are deleted.
struct cReadBack {
  bool ok;
  std::vector<std::string> items;
};

cReadBack ReadBack(InMemorySerializer& archive) {
  archive.StartReading();
  archive.SetFactory(MakeStorable);
  swList read;
  cReadBack back{read.Serialize(archive).ok(), Walk(read)};
  swListIterator it(&read);
  while (it.Next()) {
    delete it.Current();
    it.RemoveCurrent();
  }
  return back;
}

TEST_F(SwListTest, SerializeRoundTripCountsOnlyUnremovedItems) {
  {
    swListIterator remover(&list_, &b_);
    remover.RemoveCurrent();
    InMemorySerializer archive;
    ASSERT_TRUE(list_.Serialize(archive).ok());
    EXPECT_EQ(archive.bytes()[0], 2);

    const cReadBack back = ReadBack(archive);
    EXPECT_TRUE(back.ok);
    EXPECT_EQ(back.items, (std::vector<std::string>{"a", "c"}));
  }
}

TEST_F(SwListTest, FailedItemReadStopsAndReturnsOne) {
  InMemorySerializer archive;
  ASSERT_TRUE(list_.Serialize(archive).ok());
  archive.bytes()[0] = 200;                            // more items than stored
  archive.bytes().resize(archive.bytes().size() - 1);  // and the last one cut short
  const cReadBack back = ReadBack(archive);
  EXPECT_FALSE(back.ok);
  EXPECT_EQ(back.items, (std::vector<std::string>{"a", "b"}));
}

}  // namespace

}  // namespace hv
