// Test support: cDeskTestPeer, a loopback TCP listener that stands in for the server in the
// tests: the client connects to it, and the test reads back the blocks the client sent
// (their message types and payloads) without answering anything.
#ifndef HV_CLIENT_SHELL_TESTING_DESK_TEST_PEER_TEST_SUPPORT_H_
#define HV_CLIENT_SHELL_TESTING_DESK_TEST_PEER_TEST_SUPPORT_H_

#include <cstdint>
#include <string>
#include <vector>

namespace hv {

class cDeskTestPeer {
 public:
  struct cBlock {
    uint32_t type;
    std::string payload;
  };

  cDeskTestPeer();
  ~cDeskTestPeer();
  cDeskTestPeer(const cDeskTestPeer&) = delete;
  cDeskTestPeer& operator=(const cDeskTestPeer&) = delete;

  uint32_t Port() const { return port_; }
  // Accepts a waiting connection (dropping the previous one) and reads whatever has
  // arrived; returns every block received since the last call.
  std::vector<cBlock> Take();
  // The types of Take()'s blocks.
  std::vector<uint32_t> TakeTypes();
  // Closes the listener and any connection, as a server that went away.
  void Close();
  // Listens again (after Close) on the same port, as a server that came back. False when
  // the port cannot be had.
  bool Listen();

 private:
  int listen_fd_ = -1;
  int fd_ = -1;
  uint32_t port_ = 0;
  std::string pending_;
};

}  // namespace hv

#endif  // HV_CLIENT_SHELL_TESTING_DESK_TEST_PEER_TEST_SUPPORT_H_
