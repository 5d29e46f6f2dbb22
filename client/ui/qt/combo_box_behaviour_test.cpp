// What every drop-down list does with its entries, held to the same test in the in-memory
// toolkit and on the real Qt widgets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/ui/combo_box.h"
#include "client/ui/qt/testing/both_toolkits.h"

namespace hv {

namespace {

template <class Rig>
class ComboBoxTest : public ::testing::Test {
 protected:
  std::vector<std::string> Texts(cComboBox& combo) const {
    std::vector<std::string> texts;
    texts.reserve(combo.EntryCount());
    for (int32_t i = 0; i < combo.EntryCount(); ++i) texts.emplace_back(combo.EntryText(i).CStr());
    return texts;
  }

  Rig rig_;
  cComboBox& sorted_ = *rig_.Window().ComboBox(kRigSortedCombo);
  cComboBox& plain_ = *rig_.Window().ComboBox(kRigCombo);
};

using Realisations = ::testing::Types<cHeadlessRig, cQtRig>;
TYPED_TEST_SUITE(ComboBoxTest, Realisations, cRigNames);

TYPED_TEST(ComboBoxTest, ASortedListOrdersWithoutCaseAndKeepsEqualTextsInTheirOrderOfArrival) {
  cComboBox& combo = this->sorted_;
  EXPECT_EQ(combo.AddEntry("porch", 1), 0);
  EXPECT_EQ(combo.AddEntry("Attic", 2), 0);
  EXPECT_EQ(combo.AddEntry("Porch", 3), 2);  // after its equal
  EXPECT_EQ(combo.AddEntry("hall", 4), 1);
  EXPECT_EQ(combo.AddEntry(nullptr, 5), 0);  // no text sorts first
  EXPECT_EQ(this->Texts(combo), (std::vector<std::string>{"", "Attic", "hall", "porch", "Porch"}));
  EXPECT_EQ(combo.EntryValue(3), 1u);
  EXPECT_EQ(combo.EntryValue(4), 3u);

  EXPECT_EQ(this->plain_.AddEntry("porch", 1), 0);
  EXPECT_EQ(this->plain_.AddEntry("Attic", 2), 1);  // unsorted: appended
}

TYPED_TEST(ComboBoxTest, TheSelectionStaysOnItsEntryOrIsGoneWithIt) {
  cComboBox& combo = this->sorted_;
  (void)combo.AddEntry("Hall", 1);
  (void)combo.AddEntry("Porch", 2);
  EXPECT_EQ(combo.Selection(), -1);  // entries are added, not chosen
  combo.Select(1);
  EXPECT_EQ(combo.Selection(), 1);
  EXPECT_STREQ(combo.Text().CStr(), "Porch");
  (void)combo.AddEntry("Attic", 3);  // before the selected entry
  EXPECT_EQ(combo.Selection(), 2);
  EXPECT_TRUE(combo.DeleteEntry(0));
  EXPECT_EQ(combo.Selection(), 1);
  EXPECT_TRUE(combo.DeleteEntry(1));  // the selected entry itself
  EXPECT_EQ(combo.Selection(), -1);
  EXPECT_FALSE(combo.DeleteEntry(4));
  combo.Select(7);
  EXPECT_EQ(combo.Selection(), -1);

  EXPECT_TRUE(combo.SetEntryValue(0, 9));
  EXPECT_EQ(combo.EntryValue(0), 9u);
  EXPECT_FALSE(combo.SetEntryValue(3, 9));
  EXPECT_EQ(combo.EntryValue(3), 0u);
  EXPECT_EQ(combo.EntryText(3).GetLength(), 0u);
  combo.DeleteAllEntries();
  EXPECT_EQ(combo.EntryCount(), 0);
  EXPECT_EQ(combo.Selection(), -1);
}

}  // namespace

}  // namespace hv
