// Server: housesim's one-threaded event loop. It listens on a TCP address, serves any number
// of clients with poll() (no thread per client), hands their requests to the RequestAnswerer,
// pushes every house change to the clients that should see it, runs the house's timers and
// the animation, and takes console commands from its ConsoleInputs.
// Time comes from the SimClock, so tests drive the loop with RunOnce(0) and a fake clock.
#ifndef HV_SIM_SERVER_H_
#define HV_SIM_SERVER_H_

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/status.h"
#include "sim/animator.h"
#include "sim/answer_composer.h"
#include "sim/client_connections.h"
#include "sim/client_session.h"
#include "sim/console_inputs.h"
#include "sim/house.h"
#include "sim/options.h"
#include "sim/picture_cache.h"
#include "sim/request_answerer.h"
#include "sim/sim_clock.h"

namespace hv::sim {

class Server : public HouseListener {
 public:
  using LogSink = std::function<void(const std::string& line)>;

  // How long a shutdown waits for Goodbyes to be written before closing anyway.
  static constexpr uint64_t kShutdownGraceMs = 2000;

  // house, clock and options must outlive the server. log receives one line per request and
  // per notable event (stderr in the program).
  Server(House& house, const SimClock& clock, const Options& options, LogSink log);
  ~Server() override;
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Binds and listens (and opens the control port when asked). Ok, or kCannotConnect
  // (Where::kSim) with the reason in its message.
  Status Start();
  uint16_t port() const { return port_; }
  uint16_t control_port() const { return consoles_.control_port(); }

  // One round of the loop: waits up to max_wait_ms (less when a timer is due) for sockets
  // and inputs, then handles everything that is ready, runs due timers and writes.
  void RunOnce(int max_wait_ms);

  // Reads console commands, one per line, from in_fd and writes their replies to out_fd
  // (stdin and stdout in the program). Stops watching at end of input.
  void AddConsole(int in_fd, int out_fd) { consoles_.AddConsole(in_fd, out_fd); }
  // Calls on_readable whenever fd is readable (the program's signal descriptor).
  void WatchInput(int fd, std::function<void()> on_readable) {
    consoles_.WatchInput(fd, std::move(on_readable));
  }
  // Serves fd, a connected stream socket the server now owns, as a new client. Accepted
  // connections come in this way; tests hand in one end of a socketpair, which costs no port
  // and leaves nothing in TIME_WAIT however many sessions a run opens.
  void AddClient(int fd, const std::string& peer) { connections_.Add(fd, peer); }

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
  int DropAllWithoutGoodbye() { return connections_.DropAll(); }
  std::vector<std::string> DescribeClients() const { return connections_.Describe(); }
  size_t LoggedInCount() const { return connections_.LoggedInCount(); }
  size_t ConnectionCount() const { return connections_.sessions().size(); }

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

 private:
  void AcceptClients();
  void ReadClient(ClientSession& client);
  void RunTimers();
  uint64_t NextDeadline() const;

  // Queues more of a client's flood while its backlog is below kFloodBacklog.
  void TopUpFlood(ClientSession& client);
  static constexpr size_t kFloodBacklog = 1u << 20;

  void Log(const std::string& line) const;

  House& house_;
  const SimClock& clock_;
  const Options& options_;
  LogSink log_;
  AnswerComposer composer_;
  Animator animator_;
  ClientConnections connections_;
  PictureCache pictures_;
  RequestAnswerer answerer_;
  ConsoleInputs consoles_;

  int listen_fd_ = -1;
  uint16_t port_ = 0;
  uint64_t next_animation_ms_ = 0;
  bool shutting_down_ = false;
  bool finished_ = false;
  uint64_t shutdown_deadline_ms_ = 0;
};

}  // namespace hv::sim

#endif  // HV_SIM_SERVER_H_
