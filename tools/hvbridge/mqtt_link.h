// cMqttLink: the bridge's one connection to the MQTT broker, over libmosquitto.
//
// The connection's reading runs on a thread of this class's own, and everything it reports
// (connected, refused, lost, a message) is handed to the program's one event loop through a
// queue and an eventfd the loop watches, so the bridge's logic, the protocol library and
// every callback stay on one thread. The thread also does what a blocking call would
// otherwise do on the event loop: look up the broker, connect, and wait out the backoff
// between tries (1 s, doubling to 60 s), so a broker that is away or slow never holds up the
// server connection. Publishing from the event loop's thread is safe (the library guards its
// queues). A publish is written at once by the thread that made it, unless the network thread
// is reading or writing just then: that one writes it, woken once for a whole burst. Handing
// every message to the other thread cost two system calls and a switch of threads each.
//
// Retained messages (states, configs, availabilities, pictures) go at QoS 0 and the rest
// (the activity stream, macro events, errors) at QoS 1. The connection is TCP, so what is
// written arrives whole and in order; what a broken connection loses of a retained message
// is said again in full, since every connection to the broker publishes the whole house and
// its discovery anew. An event cannot be said again, so the library keeps it until the
// broker has acknowledged it, and sends it again after a reconnect. Acknowledging every
// state cost both sides three to four system calls a message.
#ifndef HV_TOOLS_HVBRIDGE_MQTT_LINK_H_
#define HV_TOOLS_HVBRIDGE_MQTT_LINK_H_

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "client/platform/event_loop.h"
#include "core/status.h"

struct mosquitto;
struct mosquitto_message;

namespace hv::bridge {

struct MqttSettings {
  std::string host = "localhost";
  uint32_t port = 1883;
  std::string client_id;
  std::string user;  // empty: no login
  std::string password;
  std::string ca_file;  // set: TLS
  std::string cert_file;
  std::string key_file;
  std::string will_topic;  // gets a retained "offline" when the bridge vanishes
};

class cMqttLink {
 public:
  struct Handlers {
    std::function<void()> connected;
    // The broker went away or turned the login down; `why` says which, for the log.
    std::function<void(const std::string& why)> lost;
    // `retained`: the broker kept it from before this connection's subscription.
    std::function<void(const std::string& topic, const std::string& payload, bool retained)>
        message;
  };

  // The loop must outlive the link; handlers run on the loop's thread.
  cMqttLink(cEventLoop& loop, MqttSettings settings, Handlers handlers);
  cMqttLink(const cMqttLink&) = delete;
  cMqttLink& operator=(const cMqttLink&) = delete;
  // Stops the network thread; the Last Will tells the broker's readers.
  ~cMqttLink();

  // Starts the network thread, which connects and keeps connecting.
  [[nodiscard]] Status Start();
  // Sends "offline" to the will topic (waiting up to a second for the broker to have it),
  // disconnects and joins the thread.
  void Stop();

  bool Connected() const { return connected_.load(); }
  // QoS 0 when retained, else 1 (see above). False when not connected (nothing is queued for later:
  // a new connection publishes the whole house again) or the library refused it.
  bool Publish(const std::string& topic, std::string_view payload, bool retain);
  bool Subscribe(const std::string& pattern);
  // Messages the broker does not have yet: QoS 0 ones not yet written to its connection, QoS 1
  // ones it has not acknowledged.
  uint32_t Unacknowledged() const {
    const int64_t count = unacknowledged_.load();
    return count > 0 ? static_cast<uint32_t>(count) : 0;
  }
  // Messages from the broker dropped because the event loop fell too far behind.
  uint64_t DroppedIncoming() const { return dropped_incoming_; }
  // The library's in-flight window: QoS 1 messages sent and not yet acknowledged.
  static constexpr uint32_t kMaxInFlight = 100;

 private:
  struct Event {
    enum class Kind { kConnected, kLost, kMessage } kind;
    std::string topic;  // kMessage
    std::string text;   // payload, or why it was lost
    bool retained = false;
  };
  static void OnConnect(mosquitto*, void* self, int rc);
  static void OnDisconnect(mosquitto*, void* self, int rc);
  static void OnMessage(mosquitto*, void* self, const mosquitto_message* message);
  static void OnPublish(mosquitto*, void* self, int mid);
  static void OnLog(mosquitto*, void* self, int level, const char* text);

  void NetworkThread();
  // Reads, writes what is left and keeps the connection alive until it ends (the library's
  // code) or the link stops (success).
  int Serve();
  // Wakes the network thread.
  void Kick();
  // Writes what the library has queued, on this thread when the network thread is not at the
  // connection just then, else by waking it.
  void Flush();
  // Why a try to connect failed, for people: the library's code says little about TLS, so the
  // reason OpenSSL gave is added, with where to look.
  std::string ConnectFailure(int rc, int error_number);
  // Waits `seconds` or until Stop, whichever is first; false when stopping.
  bool WaitBackoff(int seconds);
  void Post(Event event);
  void Deliver();

  cEventLoop& loop_;
  MqttSettings settings_;
  Handlers handlers_;
  mosquitto* mosq_ = nullptr;
  int wake_fd_ = -1;
  // Wakes the network thread: something to write, or stop.
  int kick_fd_ = -1;
  // Published since the network thread last wrote.
  std::atomic<bool> write_pending_{false};
  // The network thread's own: seconds before the next try, and whether the library's log
  // lines reach OnLog.
  int backoff_ = 1;
  bool listening_to_library_ = false;
  cEventLoop::WatchId watch_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  // Held by whichever thread reads, writes or (re)connects the library's connection.
  std::mutex serve_mutex_;
  std::condition_variable stop_signal_;
  bool stopping_ = false;
  std::deque<Event> events_;
  std::string first_library_error_;  // the library's first error line since the last try
  std::atomic<bool> connected_{false};
  std::atomic<bool> answered_{false};  // the broker answered this try's login
  // Published and not yet acknowledged. Signed: after a reconnect the library sends the
  // last connection's unacknowledged messages again, and their acknowledgements may outrun
  // the count that was reset.
  std::atomic<int64_t> unacknowledged_{0};
  std::atomic<int> will_mid_{-1};
  std::atomic<bool> will_sent_{false};
  uint64_t dropped_incoming_ = 0;
};

}  // namespace hv::bridge

#endif  // HV_TOOLS_HVBRIDGE_MQTT_LINK_H_
