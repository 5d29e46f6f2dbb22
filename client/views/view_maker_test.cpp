// Every kind of view, made as the main window makes it: the view says its kind, offers the feed
// of that kind (the alternative of its number) and its list when the kind keeps one, and its
// layout is the kind's dialog resource. A kind added without its view, feed or layout fails
// here or does not compile.
#include "client/views/view_maker.h"

#include <gtest/gtest.h>

#include <variant>

#include "client/views/view_feeds.h"
#include "client/views/view_kind.h"

namespace hv {
namespace {

TEST(ViewMakerTest, EveryKindGetsItsViewFeedListAndLayout) {
  ViewMaker maker(nullptr);
  for (const ViewKindRow& row : kViewKindRows) {
    SCOPED_TRACE(row.caption);
    for (const int32_t placement : {kPlacementTab, kPlacementTop}) {
      const std::unique_ptr<cTabChildDlg> view = maker.MakeView(row.kind, placement);
      ASSERT_NE(view, nullptr);
      EXPECT_EQ(view->Kind(), row.kind);
      EXPECT_EQ(view->Placement(), placement);
      const ViewFeeds feeds = view->Feeds();
      EXPECT_EQ(feeds.kind.index(), static_cast<size_t>(ViewKindNumber(row.kind) - 1));
      EXPECT_FALSE(std::visit([](auto* feed) { return feed == nullptr; }, feeds.kind));
      // The kinds with a fixed tab are the lists; a camera view shows pictures.
      EXPECT_EQ(feeds.list != nullptr, row.tab_code != kNoFixedTab);
      EXPECT_EQ(maker.ViewLayout(row.kind).resource_id, row.resource_id);
    }
  }
}

TEST(ViewMakerTest, StoredNumbersAndTabCodesNameTheirKinds) {
  // Numbers and codes are kept in the settings store: they must never move.
  EXPECT_EQ(ViewKindOfNumber(1), ViewKind::kActivityLog);
  EXPECT_EQ(ViewKindOfNumber(5), ViewKind::kModes);
  EXPECT_EQ(ViewKindOfNumber(6), ViewKind::kVideo);
  EXPECT_EQ(ViewKindOfNumber(0), std::nullopt);
  EXPECT_EQ(ViewKindOfNumber(7), std::nullopt);
  EXPECT_EQ(ViewKindOfNumber(int64_t{1} << 32 | 2), std::nullopt);
  EXPECT_EQ(ViewKindOfTabCode(4), ViewKind::kActivityLog);
  EXPECT_EQ(ViewKindOfTabCode(0), ViewKind::kSwitches);
  EXPECT_EQ(ViewKindOfTabCode(3), ViewKind::kModes);
  EXPECT_EQ(ViewKindOfTabCode(kNoFixedTab), std::nullopt);  // not the camera kind
  EXPECT_EQ(ViewKindOfTabCode(5), std::nullopt);            // the first video source's tab
  EXPECT_FALSE(IsVideoTabCode(4));
  EXPECT_TRUE(IsVideoTabCode(5));
}

}  // namespace
}  // namespace hv
