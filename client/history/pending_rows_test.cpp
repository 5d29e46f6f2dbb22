#include "client/history/pending_rows.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "core/testing/temp_folder.h"

namespace hv::history {
namespace {

TEST(PendingRowsTest, RowsComeOutAsTheyWentInAndAnEmptiedOneIsFilledAgain) {
  PendingRows pending;
  LogRow entry;
  entry.at_ms = -5;  // times before 1970 too
  entry.entry_type = 6;
  entry.name = "Front Door";
  entry.message = std::string("Opened \0 by Anna", 16);  // any bytes, also zeros
  entry.function_code = 20;
  entry.value = 21.5;
  entry.extra = -1;
  entry.date_text = "01/02/2026";
  entry.time_text = "10:00:00 AM";
  entry.detail1 = 7;
  entry.detail2 = 8;
  for (int round = 0; round < 2; ++round) {
    pending.Add(ItemKind::kSensor, "Hall", 1'700'000'000'000, 17, -3.25);
    pending.Add(entry);
    pending.Add(StatusSample{ItemKind::kMode, "", 2, 1, 0.0});
    pending.new_session = round == 1;
    EXPECT_EQ(pending.samples(), 2u);
    EXPECT_EQ(pending.log_rows(), 1u);
    HistoryBatch batch;
    pending.UnpackInto(&batch);
    ASSERT_EQ(batch.samples.size(), 2u);
    EXPECT_EQ(batch.samples[0].kind, ItemKind::kSensor);
    EXPECT_EQ(batch.samples[0].name, "Hall");
    EXPECT_EQ(batch.samples[0].at_ms, 1'700'000'000'000);
    EXPECT_EQ(batch.samples[0].status, 17);
    EXPECT_EQ(batch.samples[0].value, -3.25);
    EXPECT_EQ(batch.samples[1].name, "");
    ASSERT_EQ(batch.log.size(), 1u);
    const LogRow& out = batch.log[0];
    EXPECT_EQ(out.at_ms, -5);
    EXPECT_EQ(out.message, entry.message);
    EXPECT_EQ(out.name, entry.name);
    EXPECT_EQ(out.path, "");
    EXPECT_EQ(out.date_text, entry.date_text);
    EXPECT_EQ(out.time_text, entry.time_text);
    EXPECT_EQ(std::make_tuple(out.entry_type, out.function_code, out.value, out.extra, out.detail1,
                              out.detail2),
              std::make_tuple(6, 20, 21.5, -1, 7, 8));
    EXPECT_EQ(batch.new_session, round == 1);
    pending.Clear();
    EXPECT_TRUE(pending.empty());
    EXPECT_FALSE(pending.new_session);
  }
  pending.Add(entry);
  pending.Add(ItemKind::kSwitch, "Lamp", 1, 2, 0);
  pending.DropSamples();  // the entries stay
  HistoryBatch batch;
  pending.UnpackInto(&batch);
  EXPECT_TRUE(batch.samples.empty());
  EXPECT_EQ(batch.log.size(), 1u);
}

TEST(PendingRowsTest, SpilledRowsComeBackWholeOrNotAtAll) {
  hv::test::cTempFolder folder;
  const int fd = open(folder.File("spill").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
  ASSERT_GE(fd, 0);
  LogRow entry;
  entry.name = "Console";
  entry.message = "Entry";
  PendingRows first, second;
  first.Add(ItemKind::kSwitch, "Lamp", 1, 2, 0);
  first.Add(entry);
  first.new_session = true;
  second.Add(ItemKind::kSwitch, "Fan", 3, 2, 0);
  second.Add(entry);
  ASSERT_TRUE(first.SpillTo(fd, 0));
  ASSERT_TRUE(second.SpillTo(fd, first.spilled_bytes()));
  EXPECT_TRUE(first.spilled());
  EXPECT_EQ(first.size(), 2u);  // the counts stay while spilled
  second.DropSamples();         // the disk cannot keep up: samples go, also spilled ones
  ASSERT_TRUE(second.Restore(fd));
  ASSERT_TRUE(first.Restore(fd));
  HistoryBatch batch;
  first.UnpackInto(&batch);
  second.UnpackInto(&batch);
  ASSERT_EQ(batch.samples.size(), 1u);
  EXPECT_EQ(batch.samples[0].name, "Lamp");
  ASSERT_EQ(batch.log.size(), 2u);
  EXPECT_EQ(batch.log[1].message, "Entry");
  EXPECT_TRUE(batch.new_session);

  // A file cut short gives nothing back rather than rows made of what is not there.
  ASSERT_TRUE(first.SpillTo(fd, 0));
  ASSERT_EQ(ftruncate(fd, 3), 0);
  EXPECT_FALSE(first.Restore(fd));
  EXPECT_TRUE(first.empty());
  EXPECT_TRUE(first.new_session);  // the session still begins
  close(fd);
}

}  // namespace
}  // namespace hv::history
