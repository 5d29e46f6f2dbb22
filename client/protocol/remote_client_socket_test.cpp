// The processing guard: a receive entered again while one is under way declines, for at
// most 5,000 ms.
#include "client/protocol/remote_client_socket.h"

#include <gtest/gtest.h>

#include "client/platform/testing/fake_clock.h"
#include "client/protocol/protocol_context.h"
#include "client/protocol/session_services.h"
#include "client/protocol/testing/memory_byte_stream.h"
#include "client/protocol/testing/protocol_test_support.h"
#include "core/wire/message_types.h"

namespace hv {

namespace {

using hv::test::Payload;

TEST(RemoteClientSocket, NestedProcessingDeclinesForFiveSeconds) {
  cFakeClock clock;
  cProtocolContext context(clock);
  cMemoryByteStream stream(clock);
  hv::test::RecordingReceiver receiver;
  cSessionServices services;
  services.receiver = &receiver;
  cRemoteClientSocket socket(nullptr, context, &services);
  socket.Channel()->SetStream(&stream);

  // The block's payload arrives 100 ms after its header; while the read waits, an event
  // runs ProcessIncoming again.
  hv::test::Bytes block = hv::test::BlockImage(3, msg::kClientQty, Payload().U32(4));
  stream.Feed(hv::test::Bytes(block.begin(), block.begin() + 38));
  stream.FeedAfter(100, hv::test::Bytes(block.begin() + 38, block.end()));
  std::vector<int32_t> nested;
  stream.on_wait = [&] {
    if (nested.empty()) {
      uint32_t type = 99;
      nested.push_back(socket.ProcessIncoming(&type).code());
      nested.push_back(static_cast<int32_t>(type));
    }
  };
  uint32_t type = 0;
  EXPECT_EQ(socket.ProcessIncoming(&type).code(), hv::kOk);
  EXPECT_EQ(type, msg::kClientQty);
  EXPECT_EQ(receiver.client_qty, 4);
  EXPECT_EQ(nested, (std::vector<int32_t>{hv::kDeclined, 0}));
  EXPECT_FALSE(socket.Processing());
  EXPECT_EQ(context.HeardFromServer(), 1);
}

TEST(RemoteClientSocket, AStuckProcessingStopsBlockingAfterFiveSeconds) {
  cFakeClock clock;
  cProtocolContext context(clock);
  cMemoryByteStream stream(clock);
  cRemoteClientSocket socket(nullptr, context, nullptr);
  socket.Channel()->SetStream(&stream);
  std::vector<int32_t> nested;
  // The outer read waits for bytes that come late; the nested call is tried at 4,990 ms
  // and again at 5,000 ms after the outer one began.
  hv::test::Bytes block = hv::test::BlockImage(3, msg::kDroppedNumberAnswer2, Payload().U32(0));
  stream.Feed(hv::test::Bytes(block.begin(), block.begin() + 4));
  stream.FeedAfter(6000, hv::test::Bytes(block.begin() + 4, block.end()));
  stream.FeedAfter(5000, block);
  uint32_t start = clock.TickCount();
  bool inside = false;
  stream.on_wait = [&] {
    uint32_t elapsed = clock.TickCount() - start;
    if (inside || (elapsed != 4990 && elapsed != 5000)) return;
    inside = true;
    nested.push_back(socket.ProcessIncoming(nullptr).code());
    inside = false;
  };
  socket.ProcessIncoming(nullptr).Ignore("only the nested calls are looked at");
  ASSERT_EQ(nested.size(), 2u);
  EXPECT_EQ(nested[0], hv::kDeclined);
  EXPECT_NE(nested[1], hv::kDeclined);
}

}  // namespace

}  // namespace hv
