// The socket's read-ahead over a real loopback connection: small reads come from one buffer
// filled by a single recv(), large reads go straight to their destination, and bytes read
// ahead are neither lost, reordered, nor hidden from peeks when the peer has gone.
#include "client/protocol/vh_socket.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "core/status.h"

namespace hv {

namespace {

// A connected pair: `socket` is the client's, `peer` the accepted end.
class VhSocketPair : public ::testing::Test {
 protected:
  void SetUp() override {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(listen(listener, 1), 0);
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    ASSERT_TRUE(socket.Connect("127.0.0.1", ntohs(address.sin_port)).ok());
    peer = accept(listener, nullptr, nullptr);
    close(listener);
    ASSERT_GE(peer, 0);
  }
  void TearDown() override {
    if (peer >= 0) close(peer);
  }

  void PeerSends(const std::vector<uint8_t>& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
      const ssize_t n = send(peer, bytes.data() + sent, bytes.size() - sent, 0);
      ASSERT_GT(n, 0);
      sent += static_cast<size_t>(n);
    }
  }

  // Reads exactly n bytes as the protocol's exact reads do: receive, wait, receive.
  std::vector<uint8_t> ReadExactly(uint32_t n) {
    std::vector<uint8_t> out(n);
    uint32_t got = 0;
    for (int tries = 0; got < n && tries < 1000; ++tries) {
      uint32_t count = 0;
      const Status rc = socket.Receive(out.data() + got, n - got, &count);
      if (rc.failed()) break;
      EXPECT_EQ(rc.declined(), count == 0);
      got += count;
      if (got < n) socket.WaitReadable(10);
    }
    out.resize(got);
    return out;
  }

  // True when a one-byte Receive fails (the stream has ended), with nothing handed out.
  bool ReceiveFails() {
    uint8_t byte = 0;
    uint32_t count = 7;
    const Status rc = socket.Receive(&byte, 1, &count);
    return rc.Is(Where::kSocket, hv::kReceiveFailed) && count == 0;
  }

  static std::vector<uint8_t> Counting(size_t n) {
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
    return bytes;
  }

  cVhSocket socket;
  int peer = -1;
};

TEST_F(VhSocketPair, SmallAndLargeReadsTakeEveryByteInOrder) {
  // Header-sized pieces, then a payload larger than the read-ahead buffer that starts in
  // bytes already read ahead and ends in bytes read straight into place.
  const std::vector<uint8_t> bytes = Counting(4 + 4 + 30 + 4 + 3 * cVhSocket::kReadAheadSize + 17);
  PeerSends(bytes);
  std::vector<uint8_t> got;
  for (uint32_t piece : {4u, 4u, 30u, 4u}) {
    std::vector<uint8_t> part = ReadExactly(piece);
    ASSERT_EQ(part.size(), piece);
    got.insert(got.end(), part.begin(), part.end());
  }
  std::vector<uint8_t> payload = ReadExactly(3 * cVhSocket::kReadAheadSize + 17);
  got.insert(got.end(), payload.begin(), payload.end());
  EXPECT_EQ(got, bytes);
  EXPECT_TRUE(socket.PeekByte().declined());  // nothing left, the peer still there
}

TEST_F(VhSocketPair, WhatFollowsALargeReadIsReadAheadAndHandedOutInOrder) {
  // Blocks as a picture comes: a header, then a payload too large for the read-ahead
  // buffer, three times over; the peer then goes. The payloads are read straight into
  // place, each header after them comes out of the read-ahead buffer, and what was read
  // ahead is still handed out after the peer's end.
  constexpr uint32_t kPayload = 3 * cVhSocket::kReadAheadSize + 5;
  const std::vector<uint8_t> bytes = Counting(3 * (8 + kPayload));
  // More than the socket buffers may hold before the reader starts.
  std::thread sender([&] {
    PeerSends(bytes);
    close(peer);
    peer = -1;
  });
  std::vector<uint8_t> got;
  for (int block = 0; block < 3; ++block) {
    for (uint32_t piece : {8u, kPayload}) {
      std::vector<uint8_t> part = ReadExactly(piece);
      ASSERT_EQ(part.size(), piece) << block;
      got.insert(got.end(), part.begin(), part.end());
    }
  }
  sender.join();
  EXPECT_EQ(got, bytes);
  socket.WaitReadable(1000);
  EXPECT_TRUE(ReceiveFails());
  EXPECT_TRUE(socket.Broken());
}

TEST_F(VhSocketPair, BytesReadAheadOutliveThePeerThenTheEndIsReported) {
  PeerSends(Counting(100));
  close(peer);
  peer = -1;
  std::vector<uint8_t> first = ReadExactly(10);
  ASSERT_EQ(first.size(), 10u);
  // The rest sits in the read-ahead buffer: readable, though the descriptor may already
  // show the end of the stream.
  EXPECT_TRUE(socket.PeekByte().ok());
  std::vector<uint8_t> rest = ReadExactly(90);
  std::vector<uint8_t> expected = Counting(100);
  EXPECT_EQ(rest, std::vector<uint8_t>(expected.begin() + 10, expected.end()));
  EXPECT_TRUE(ReceiveFails());
  EXPECT_TRUE(socket.PeekByte().failed());
  EXPECT_TRUE(socket.Broken());
}

TEST_F(VhSocketPair, APeekReadsAheadAndTheReadsTakeThoseBytes) {
  // Asking whether bytes are there reads them into the buffer; asking again reads no more,
  // the reads get every byte in order, and the peer's end comes only after them.
  PeerSends(Counting(100));
  close(peer);
  peer = -1;
  socket.WaitReadable(1000);
  ASSERT_TRUE(socket.PeekByte().ok());
  EXPECT_TRUE(socket.PeekByte().ok());
  EXPECT_EQ(ReadExactly(100), Counting(100));
  EXPECT_TRUE(socket.PeekByte().failed());
  EXPECT_TRUE(ReceiveFails());
}

TEST_F(VhSocketPair, AnAbandonedSocketDropsWhatItReadAhead) {
  PeerSends(Counting(100));
  ASSERT_EQ(ReadExactly(1).size(), 1u);
  socket.Abandon();
  EXPECT_TRUE(ReceiveFails());
  EXPECT_TRUE(socket.PeekByte().failed());
}

TEST_F(VhSocketPair, OnceToldToStopWaitingItNeverWaitsOnAPeerThatStoppedReading) {
  int pumps = 0;
  socket.SetPumpHook([&] { ++pumps; });
  socket.StopWaiting();
  // The peer reads nothing: the send hands over what the buffers take and fails at once,
  // leaving the socket broken since the peer got part of it.
  std::vector<uint8_t> big(16u << 20);
  EXPECT_TRUE(socket.Send(big.data(), static_cast<uint32_t>(big.size())).failed());
  EXPECT_TRUE(socket.Broken());
  socket.WaitReadable(cVhSocket::kStallLimitMs);  // nothing to read: returns at once
  EXPECT_EQ(pumps, 0);
}

}  // namespace

}  // namespace hv
