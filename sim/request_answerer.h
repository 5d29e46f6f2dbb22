// RequestAnswerer: the server's side of every request. It assembles a client's blocks into
// requests, acts on the house and answers the asking client; changes reach every client
// through the house's listener (the server), not from here. It also plays the hostile and
// garbage-sending server of the fault options at each login.
#ifndef HV_SIM_REQUEST_ANSWERER_H_
#define HV_SIM_REQUEST_ANSWERER_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/status.h"
#include "sim/answer_composer.h"
#include "sim/block_framer.h"
#include "sim/client_connections.h"
#include "sim/client_session.h"
#include "sim/house.h"
#include "sim/options.h"
#include "sim/picture_cache.h"
#include "sim/request_reader.h"
#include "sim/sim_clock.h"

namespace hv::sim {

class RequestAnswerer {
 public:
  using LogSink = std::function<void(const std::string& line)>;

  // What --hostile sends: a Launch program whose file and parameters would create
  // "hostile-ran" if run through a shell, how many Server messages follow, and how many
  // different endings (names without a file part, lengths past the block) logins take turns at.
  static constexpr const char* kHostileLaunchFile = "hostile-launch;touch hostile-ran";
  static constexpr const char* kHostileLaunchParameters =
      "$(touch hostile-ran) `touch hostile-ran` | touch hostile-ran && touch hostile-ran > x";
  static constexpr int kHostileMessageFlood = 1000;
  static constexpr size_t kHostileEndings = 8;
  // The bytes --garbage sends: not a block header, and announcing an absurd payload length.
  static const std::string& GarbageBytes();

  // Everything given must outlive the answerer.
  RequestAnswerer(House& house, const SimClock& clock, const Options& options,
                  AnswerComposer& composer, ClientConnections& connections, PictureCache& pictures,
                  LogSink log);
  RequestAnswerer(const RequestAnswerer&) = delete;
  RequestAnswerer& operator=(const RequestAnswerer&) = delete;

  // One block from the client: a request is answered once all its blocks are in.
  void HandleBlock(ClientSession& client, ReceivedBlock block);
  // Queues the garbage bytes for the client.
  void QueueGarbage(ClientSession& client);

 private:
  void HandleMessage(ClientSession& client, const std::vector<ReceivedBlock>& message);
  // Each answers the requests of one family and returns false, having read nothing, for a
  // type not of it.
  bool HandleItemRequest(ClientSession& client, uint32_t type, RequestReader& in,
                         const std::string& prefix);
  bool HandleServerRequest(ClientSession& client, uint32_t type, RequestReader& in,
                           const std::string& prefix);
  bool HandleVideoRequest(ClientSession& client, uint32_t type, RequestReader& in,
                          const std::string& prefix);
  void HandleLogin(ClientSession& client, const ReceivedBlock& block);
  void HandleCommandFile(ClientSession& client, const std::vector<ReceivedBlock>& message);
  void SendThumbnails(ClientSession& client, RequestReader& in);
  void SendFullPicture(ClientSession& client, RequestReader& in);
  void SendHostileAnswers(ClientSession& client);
  // Each item in its own answer, then the empty answer that ends the list.
  template <typename Item>
  void QueueList(ClientSession& client, const std::vector<Item>& items,
                 EncodedMessage (AnswerComposer::*answer)(const Item*));
  // Logs that the request named something the house does not have, when `done` says so.
  void LogIfUnknown(const Status& done, const std::string& prefix, const char* what,
                    const std::string& name) const;
  void Queue(ClientSession& client, const EncodedMessage& message) {
    connections_.Queue(client, message);
  }

  House& house_;
  const SimClock& clock_;
  const Options& options_;
  AnswerComposer& composer_;
  ClientConnections& connections_;
  PictureCache& pictures_;
  LogSink log_;
  size_t hostile_rounds_ = 0;
};

}  // namespace hv::sim

#endif  // HV_SIM_REQUEST_ANSWERER_H_
