// ClientConnections: the server's connected clients and the bytes on their way to them. It
// queues answers (planning the stream faults block by block), writes what a client may take
// now (trickling, stalls, drops and the cut-off fault applied), and closes the dead ones.
// The server's loop decides when to read and write; this class decides how much and what.
#ifndef HV_SIM_CLIENT_CONNECTIONS_H_
#define HV_SIM_CLIENT_CONNECTIONS_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sim/answer_composer.h"
#include "sim/client_session.h"
#include "sim/options.h"
#include "sim/stream_faults.h"

namespace hv::sim {

class ClientConnections {
 public:
  using LogSink = std::function<void(const std::string& line)>;
  // How long a closing connection is drained before it is closed regardless.
  static constexpr uint64_t kDrainMs = 1000;

  // options and composer must outlive the connections; log gets one line per notable event.
  ClientConnections(const Options& options, AnswerComposer& composer, LogSink log);
  ~ClientConnections();  // closes every client's socket
  ClientConnections(const ClientConnections&) = delete;
  ClientConnections& operator=(const ClientConnections&) = delete;

  // Takes over fd, a connected stream socket, as a new client.
  ClientSession& Add(int fd, const std::string& peer);
  std::vector<std::unique_ptr<ClientSession>>& sessions() { return clients_; }
  const std::vector<std::unique_ptr<ClientSession>>& sessions() const { return clients_; }

  // An empty message (one that could not be composed) is logged and not sent.
  void Queue(ClientSession& client, const EncodedMessage& message);
  // Refused (and the client cut off) when its backlog would pass ClientSession::kMaxBacklog.
  void QueueBytes(ClientSession& client, const uint8_t* data, size_t n);
  // The message to every logged-in client that is not closing; returns how many it reached.
  int PushToAll(const EncodedMessage& message);
  // Tells every logged-in client how many are logged in.
  void PushClientQty();
  // Goodbye, then the connection closes once it is written (at once with the fault that
  // closes without Goodbye).
  void CloseWithGoodbye(ClientSession& client);

  // Writes what the client may be sent at `now`; a written-out closing client is shut down
  // for sending and drained.
  void Write(ClientSession& client, uint64_t now);
  // Closes the dead clients; true when one of them was logged in.
  bool CloseDead();

  // Every logged-in client that is not closing.
  template <typename Fn>
  void ForEachLoggedIn(Fn fn) {
    for (auto& client : clients_) {
      if (client->logged_in && !client->dead && !client->close_when_flushed) fn(*client);
    }
  }
  size_t LoggedInCount() const;
  // One line a live client: its label, peer, login and log feed.
  std::vector<std::string> Describe() const;
  // Marks every live client dead; returns how many.
  int DropAll();

 private:
  // How many of n bytes may be written now, given the stall and drop planned next; 0 when the
  // stream has reached one (the client is then stalled or dead).
  size_t ApplyInterruption(ClientSession& client, size_t n, uint64_t now);

  const Options& options_;
  AnswerComposer& composer_;
  LogSink log_;
  StreamFaults stream_faults_;
  std::vector<std::unique_ptr<ClientSession>> clients_;
  uint64_t next_client_id_ = 1;
};

}  // namespace hv::sim

#endif  // HV_SIM_CLIENT_CONNECTIONS_H_
