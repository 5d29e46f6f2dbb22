#include "client/protocol/testing/memory_byte_stream.h"

#include <gtest/gtest.h>

#include "client/platform/testing/fake_clock.h"
#include "core/status.h"

namespace hv {

namespace {

// The count one Receive handed out; -1 when it failed, 0 when declined.
int32_t ReceiveCount(cMemoryByteStream& stream, uint8_t* data, uint32_t n) {
  uint32_t got = 0;
  const Status status = stream.Receive(data, n, &got);
  if (status.failed()) return -1;
  EXPECT_EQ(status.declined(), got == 0);
  return static_cast<int32_t>(got);
}

}  // namespace

TEST(MemoryByteStreamTest, DeliversFedBytesInPiecesAndInOrder) {
  cFakeClock clock;
  cMemoryByteStream stream(clock);
  stream.Feed({1, 2, 3, 4, 5});
  stream.SetMaxPieceSize(2);
  uint8_t buffer[8] = {};
  EXPECT_TRUE(stream.PeekByte().ok());
  EXPECT_EQ(ReceiveCount(stream, buffer, 8), 2);
  EXPECT_EQ(ReceiveCount(stream, buffer + 2, 8), 2);
  EXPECT_EQ(ReceiveCount(stream, buffer + 4, 8), 1);
  EXPECT_EQ(ReceiveCount(stream, buffer, 8), 0);
  EXPECT_TRUE(stream.PeekByte().declined());
  EXPECT_EQ(buffer[4], 5);
  EXPECT_EQ(buffer[3], 4);
}

TEST(MemoryByteStreamTest, WaitingAdvancesTheClockUntilScheduledBytesArrive) {
  cFakeClock clock;
  cMemoryByteStream stream(clock);
  const uint32_t start = clock.TickCount();
  stream.FeedAfter(25, {9});
  uint8_t byte = 0;
  EXPECT_EQ(ReceiveCount(stream, &byte, 1), 0);
  stream.WaitReadable(10);
  EXPECT_EQ(clock.TickCount() - start, 10u);
  stream.WaitReadable(10);
  stream.WaitReadable(10);  // stops at the moment of arrival, not after the full step
  EXPECT_EQ(clock.TickCount() - start, 25u);
  EXPECT_EQ(ReceiveCount(stream, &byte, 1), 1);
  EXPECT_EQ(byte, 9);
  stream.WaitReadable(10);  // nothing scheduled: the whole step passes
  EXPECT_EQ(clock.TickCount() - start, 35u);
}

TEST(MemoryByteStreamTest, InjectedFailuresAndPeerClose) {
  cFakeClock clock;
  cMemoryByteStream stream(clock);
  const uint8_t data[3] = {1, 2, 3};
  stream.FailSend(1);
  EXPECT_TRUE(stream.Send(data, 3).ok());
  EXPECT_TRUE(stream.Send(data, 2).Is(Where::kSocket, hv::kSendFailed));
  EXPECT_TRUE(stream.Send(data, 1).ok());
  EXPECT_EQ(stream.Sent(), (std::vector<uint8_t>{1, 2, 3, 1}));
  EXPECT_EQ(stream.SendSizes(), (std::vector<uint32_t>{3, 1}));

  stream.Feed({7});
  stream.FailReceive(0);
  uint8_t byte = 0;
  EXPECT_EQ(ReceiveCount(stream, &byte, 1), -1);
  stream.Close();
  EXPECT_EQ(ReceiveCount(stream, &byte, 1), 1);  // what was sent before the close still arrives
  EXPECT_EQ(ReceiveCount(stream, &byte, 1), -1);
  EXPECT_TRUE(stream.PeekByte().failed());
}

}  // namespace hv
