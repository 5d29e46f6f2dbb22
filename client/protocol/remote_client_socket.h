// cRemoteClientSocket: the one connection's socket with its protocol engine. Owned by
// cServerConnection; destroying it destroys its channel and deletes the temporary files its
// answers were gathered in. Nothing of one socket survives into the next.
#ifndef HV_CLIENT_PROTOCOL_REMOTE_CLIENT_SOCKET_H_
#define HV_CLIENT_PROTOCOL_REMOTE_CLIENT_SOCKET_H_

#include <cstdint>

#include "client/protocol/scratch_files.h"
#include "client/protocol/socket_message_channel.h"
#include "client/protocol/vh_socket.h"

namespace hv {

class cProtocolContext;
class cServerConnection;
struct cSessionServices;

class cRemoteClientSocket : public cVhSocket, private cBlockDispatcher {
 public:
  // A nested ProcessIncoming declines while another has been running for less than this.
  static constexpr uint32_t kProcessingGuardMs = 5000;

  // owner and services may be null (tests of the engine alone); context must outlive it.
  cRemoteClientSocket(cServerConnection* owner, cProtocolContext& context,
                      const cSessionServices* services);
  ~cRemoteClientSocket() override;

  cSocketMessageChannel* Channel() { return &channel_; }
  cServerConnection* Owner() const { return owner_; }
  uint32_t ProtocolVersion() const { return channel_.ProtocolVersion(); }

  // 1 once Get log items has been sent on this socket; Log item answers are taken only then.
  uint16_t LogFeedOn() const { return log_feed_on_; }
  void SetLogFeedOn(uint16_t on) { log_feed_on_ = on ? 1 : 0; }

  // Receives one block and dispatches whatever became dispatchable. *type receives the
  // type of the block received (0 when none). Returns ok or the failure; declined when
  // processing is already under way and began less than 5,000 ms ago.
  [[nodiscard]] Status ProcessIncoming(uint32_t* type);
  bool Processing() const { return processing_ != 0; }

  // Marks the socket as in use for as long as it lives, so the connection does not free
  // it while a send or a receive on it waits further up the stack.
  class cUse {
   public:
    explicit cUse(cRemoteClientSocket& socket) : socket_(socket) { ++socket_.users_; }
    ~cUse() { --socket_.users_; }
    cUse(const cUse&) = delete;
    cUse& operator=(const cUse&) = delete;

   private:
    cRemoteClientSocket& socket_;
  };
  bool InUse() const { return users_ > 0; }

  // The temporary files multi-block answers are gathered in, deleted with the socket.
  cScratchFiles& ScratchFiles() { return scratch_files_; }

 private:
  [[nodiscard]] Status Dispatch(cSocketMessage* message, cSocketMessageBlock& block) override;

  cServerConnection* owner_;
  cProtocolContext& context_;
  const cSessionServices* services_;
  cSocketMessageChannel channel_;
  uint16_t log_feed_on_ = 0;
  uint16_t processing_ = 0;
  uint32_t processing_start_ = 0;
  cScratchFiles scratch_files_;
  int users_ = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_REMOTE_CLIENT_SOCKET_H_
