// Server: housesim's one-threaded event loop. It listens on a TCP address, serves any number
// of clients with poll() (no thread per client), answers their requests from the house,
// pushes every house change to the clients that should see it, runs the house's timers and
// the animation, and takes console commands from watched inputs and an optional control port.
// Time comes from the SimClock, so tests drive the loop with RunOnce(0) and a fake clock.
#ifndef HV_SIM_SERVER_H_
#define HV_SIM_SERVER_H_

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "sim/animator.h"
#include "sim/answer_composer.h"
#include "sim/client_session.h"
#include "sim/house.h"
#include "sim/options.h"
#include "sim/sim_clock.h"
#include "sim/stream_faults.h"

namespace hv::sim {

class Server : public HouseListener {
 public:
  using LogSink = std::function<void(const std::string& line)>;

  // How long a shutdown waits for Goodbyes to be written before closing anyway.
  static constexpr uint64_t kShutdownGraceMs = 2000;
  // How long a closing connection is drained before it is closed regardless.
  static constexpr uint64_t kDrainMs = 1000;

  // house, clock and options must outlive the server. log receives one line per request and
  // per notable event (stderr in the program).
  Server(House& house, const SimClock& clock, const Options& options, LogSink log);
  ~Server() override;
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Binds and listens (and opens the control port when asked). 0, or kCannotConnect with the
  // reason in *error.
  int32_t Start(std::string* error);
  uint16_t port() const { return port_; }
  uint16_t control_port() const { return control_port_; }

  // One round of the loop: waits up to max_wait_ms (less when a timer is due) for sockets
  // and inputs, then handles everything that is ready, runs due timers and writes.
  void RunOnce(int max_wait_ms);

  // Reads console commands, one per line, from in_fd and writes their replies to out_fd
  // (stdin and stdout in the program). Stops watching at end of input.
  void AddConsole(int in_fd, int out_fd);
  // Calls on_readable whenever fd is readable (the program's signal descriptor).
  void WatchInput(int fd, std::function<void()> on_readable);
  // Serves fd, a connected stream socket the server now owns, as a new client. Accepted
  // connections come in this way; tests hand in one end of a socketpair, which costs no port
  // and leaves nothing in TIME_WAIT however many sessions a run opens.
  void AddClient(int fd, const std::string& peer);

  // Sends Goodbye to every client (unless the close-without-Goodbye fault is on), stops
  // accepting, and finishes once the Goodbyes are written or the grace time has passed.
  void BeginShutdown();
  bool Finished() const { return finished_; }

  // Console actions. Each returns how many clients it reached.
  int SendServerMessage(const std::string& target, bool plain, const std::string& caption,
                        const std::string& text);
  int SendLaunchProgram(const std::string& target, const std::string& file,
                        const std::string& parameters, const std::string& directory,
                        const std::string& verb);
  int SendUnknownBlockToAll();
  int SendGarbageToAll();
  // `count` Log item answers to every logged-in client whose log feed is on, written as
  // fast as the client reads: a flood that a client must read without its window freezing.
  int SendLogFloodToAll(uint64_t count);
  int DropAllWithoutGoodbye();
  std::vector<std::string> DescribeClients() const;
  size_t LoggedInCount() const;
  size_t ConnectionCount() const { return clients_.size(); }

  House& house() { return house_; }

  // HouseListener
  void OnSwitchStatus(const SwitchItem& item) override;
  void OnSensorStatus(const SensorItem& item) override;
  void OnMacroStatus(const MacroItem& item) override;
  void OnModeStatus(const ModeItem& item) override;
  void OnLightDark(bool dark) override;
  void OnPause(bool paused) override;
  void OnMute(bool muted) override;
  void OnLogEntry(const LogEntry& entry) override;
  void OnSnapshot(const Snapshot& snapshot) override;

  // The bytes --garbage sends: not a block header, and announcing an absurd payload length.
  static const std::string& GarbageBytes();
  // What --hostile sends: a Launch program whose file and parameters would create
  // "hostile-ran" if run through a shell, how many Server messages follow, and how many
  // different endings (names without a file part, lengths past the block) logins take turns at.
  static constexpr const char* kHostileLaunchFile = "hostile-launch;touch hostile-ran";
  static constexpr const char* kHostileLaunchParameters =
      "$(touch hostile-ran) `touch hostile-ran` | touch hostile-ran && touch hostile-ran > x";
  static constexpr int kHostileMessageFlood = 1000;
  static constexpr size_t kHostileEndings = 8;

 private:
  struct Watch {
    int fd;
    std::function<void()> on_readable;
  };
  struct ConsoleLink {
    int in_fd;
    int out_fd;
    bool owns_fd;  // control connections are closed by the server; stdin is not
    std::string pending;
    bool closed = false;
  };

  void AcceptClients();
  void AcceptControl();
  void ReadClient(ClientSession& client);
  void ReadConsole(ConsoleLink& link);
  void WriteClient(ClientSession& client);
  // How many of n bytes may be written now, given the stall and drop planned next; 0 when the
  // stream has reached one (the client is then stalled or dead).
  size_t ApplyInterruption(ClientSession& client, size_t n, uint64_t now);
  void CloseDeadClients();
  void RunTimers();
  uint64_t NextDeadline() const;

  // Requests (server_requests.cpp).
  void HandleBlock(ClientSession& client, ReceivedBlock block);
  void HandleMessage(ClientSession& client, const std::vector<ReceivedBlock>& message);
  void HandleLogin(ClientSession& client, const ReceivedBlock& block);
  void HandleCommandFile(ClientSession& client, const std::vector<ReceivedBlock>& message);
  void SendThumbnails(ClientSession& client, const ReceivedBlock& block);
  void SendFullPicture(ClientSession& client, const ReceivedBlock& block);
  void SendHostileAnswers(ClientSession& client);
  // Each item in its own answer, then the empty answer that ends the list.
  template <typename Item>
  void QueueList(ClientSession& client, const std::vector<Item>& items,
                 EncodedMessage (AnswerComposer::*answer)(const Item*));

  // Queues more of a client's flood while its backlog is below kFloodBacklog.
  void TopUpFlood(ClientSession& client);
  static constexpr size_t kFloodBacklog = 1u << 20;

  void Queue(ClientSession& client, const EncodedMessage& message);
  void QueueBytes(ClientSession& client, const uint8_t* data, size_t n);
  // Every logged-in client that is not closing.
  template <typename Fn>
  void ForEachLoggedIn(Fn fn);
  void PushToAll(const EncodedMessage& message);
  void PushClientQty();
  void CloseWithGoodbye(ClientSession& client);
  void Log(const std::string& line) const;
  // Pictures are drawn once per snapshot and size and then served from a bounded cache, so
  // clients that ask for a hundred thumbnails each do not keep the loop busy encoding.
  const std::vector<uint8_t>& DrawPicture(const Snapshot& shot, int width, int height, bool large);
  static constexpr size_t kPictureCacheEntries = 600;

  House& house_;
  const SimClock& clock_;
  const Options& options_;
  size_t hostile_rounds_ = 0;
  LogSink log_;
  AnswerComposer composer_;
  StreamFaults stream_faults_;
  Animator animator_;

  int listen_fd_ = -1;
  uint16_t port_ = 0;
  int control_fd_ = -1;
  uint16_t control_port_ = 0;
  std::vector<std::unique_ptr<ClientSession>> clients_;
  using PictureKey = std::tuple<uint32_t, int, int>;  // snapshot serial, width, height
  std::map<PictureKey, std::vector<uint8_t>> picture_cache_;
  std::deque<PictureKey> picture_cache_order_;
  std::vector<uint8_t> uncached_picture_;
  std::vector<std::unique_ptr<ConsoleLink>> consoles_;
  std::vector<Watch> watches_;
  uint64_t next_client_id_ = 1;
  uint64_t next_animation_ms_ = 0;
  bool shutting_down_ = false;
  bool finished_ = false;
  uint64_t shutdown_deadline_ms_ = 0;
};

}  // namespace hv::sim

#endif  // HV_SIM_SERVER_H_
