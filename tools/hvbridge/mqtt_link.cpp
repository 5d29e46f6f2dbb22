#include "tools/hvbridge/mqtt_link.h"
#include "core/system_error.h"

#include <mosquitto.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <utility>
#include <vector>

namespace hv::bridge {

namespace {

constexpr int kKeepAliveSeconds = 30;
constexpr int kFirstBackoffSeconds = 1;
constexpr int kLongestBackoffSeconds = 60;
// Messages from the broker waiting for the event loop; beyond this a flood is dropped
// rather than held (each one is a command that would go stale anyway).
constexpr size_t kMaxPendingEvents = 10000;
// The longest the network thread sleeps: the keep-alive is checked at least this often.
constexpr int kServeWaitMs = 1000;

std::once_flag library_once;

}  // namespace

cMqttLink::cMqttLink(cEventLoop& loop, MqttSettings settings, Handlers handlers)
    : loop_(loop), settings_(std::move(settings)), handlers_(std::move(handlers)) {}

cMqttLink::~cMqttLink() {
  Stop();
  if (mosq_ != nullptr) mosquitto_destroy(mosq_);
  if (watch_ != 0) loop_.RemoveWatch(watch_);
  if (wake_fd_ >= 0) close(wake_fd_);
  if (kick_fd_ >= 0) close(kick_fd_);
}

Status cMqttLink::Start() {
  std::call_once(library_once, [] { mosquitto_lib_init(); });
  wake_fd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  kick_fd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (wake_fd_ < 0 || kick_fd_ < 0)
    return Status::Failure(Where::kBridge, std::string("eventfd: ") + SystemReason(errno));
  mosq_ = mosquitto_new(settings_.client_id.c_str(), true, this);
  if (mosq_ == nullptr) return Status(Where::kBridge, kOutOfMemory, "mosquitto_new failed");
  // The library never writes on its own: a publish is written by Flush, under serve_mutex_.
  mosquitto_threaded_set(mosq_, true);
  mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
  // A status change is one small packet; waiting to gather more would only delay it.
  mosquitto_int_option(mosq_, MOSQ_OPT_TCP_NODELAY, 1);
  // Enough messages in flight that a burst of status changes is not held back waiting for
  // acknowledgements one round trip at a time, and few enough that the library's walk of its
  // in-flight list, made on every publish and every acknowledgement, stays short.
  mosquitto_max_inflight_messages_set(mosq_, kMaxInFlight);
  mosquitto_connect_callback_set(mosq_, &cMqttLink::OnConnect);
  mosquitto_disconnect_callback_set(mosq_, &cMqttLink::OnDisconnect);
  mosquitto_message_callback_set(mosq_, &cMqttLink::OnMessage);
  mosquitto_publish_callback_set(mosq_, &cMqttLink::OnPublish);
  int rc = mosquitto_will_set(mosq_, settings_.will_topic.c_str(), 7, "offline", 1, true);
  if (rc == MOSQ_ERR_SUCCESS && !settings_.user.empty()) {
    rc = mosquitto_username_pw_set(mosq_, settings_.user.c_str(), settings_.password.c_str());
  }
  if (rc == MOSQ_ERR_SUCCESS && !settings_.ca_file.empty()) {
    rc = mosquitto_tls_set(mosq_, settings_.ca_file.c_str(), nullptr,
                           settings_.cert_file.empty() ? nullptr : settings_.cert_file.c_str(),
                           settings_.key_file.empty() ? nullptr : settings_.key_file.c_str(),
                           nullptr);
  }
  if (rc != MOSQ_ERR_SUCCESS) {
    return Status::Failure(Where::kBridge,
                           std::string("broker settings: ") + mosquitto_strerror(rc));
  }
  watch_ = loop_.WatchReadable(wake_fd_, [this] { Deliver(); });
  thread_ = std::thread([this] { NetworkThread(); });
  return Status::Ok();
}

void cMqttLink::Stop() {
  if (!thread_.joinable()) return;
  if (connected_.load()) {
    // A clean stop sends no Last Will, so the bridge says it is going itself.
    int mid = 0;
    if (mosquitto_publish(mosq_, &mid, settings_.will_topic.c_str(), 7, "offline", 1, true) ==
        MOSQ_ERR_SUCCESS) {
      will_mid_ = mid;
      Flush();
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
      while (!will_sent_.load() && connected_.load() &&
             std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    }
  }
  // The goodbye is queued first, so the network thread writes it before it sees the stop.
  mosquitto_disconnect(mosq_);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  stop_signal_.notify_all();
  Kick();
  thread_.join();
  connected_ = false;
}

bool cMqttLink::Publish(const std::string& topic, std::string_view payload, bool retain) {
  if (!connected_.load()) return false;
  // Counted first: a QoS 0 message counts as acknowledged once written, which may be before
  // the library's call returns.
  ++unacknowledged_;
  const int rc = mosquitto_publish(mosq_, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                                   payload.data(), retain ? 0 : 1, retain);
  if (rc != MOSQ_ERR_SUCCESS) {
    --unacknowledged_;
    return false;
  }
  Flush();
  return true;
}

void cMqttLink::Flush() {
  std::unique_lock<std::mutex> serving(serve_mutex_, std::try_to_lock);
  if (serving.owns_lock()) {
    // A connection being made or replaced is the network thread's alone (it holds the lock
    // then); a connection that breaks under this write is found by its next poll.
    const int rc = connected_.load() ? mosquitto_loop_write(mosq_, 1) : MOSQ_ERR_NO_CONN;
    const bool left = mosquitto_want_write(mosq_);
    serving.unlock();
    // What the socket did not take waits for the network thread's poll to say it can.
    if (rc == MOSQ_ERR_SUCCESS && !left) return;
  }
  // One wake-up for a whole burst: the first publish after the network thread's last write
  // wakes it, the ones after that find it woken already.
  if (!write_pending_.exchange(true)) Kick();
}

void cMqttLink::Kick() {
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = write(kick_fd_, &one, sizeof one);
}

int cMqttLink::Serve() {
  for (;;) {
    const int sock = mosquitto_socket(mosq_);
    if (sock < 0) return MOSQ_ERR_NO_CONN;
    const short events = static_cast<short>(POLLIN | (mosquitto_want_write(mosq_) ? POLLOUT : 0));
    pollfd fds[2] = {{sock, events, 0}, {kick_fd_, POLLIN, 0}};
    if (poll(fds, 2, kServeWaitMs) < 0 && errno != EINTR) return MOSQ_ERR_ERRNO;
    if ((fds[1].revents & POLLIN) != 0) {
      uint64_t count = 0;
      [[maybe_unused]] const ssize_t n = read(kick_fd_, &count, sizeof count);
    }
    std::unique_lock<std::mutex> serving(serve_mutex_);
    // Cleared before the write, so a publish made while it runs wakes the thread again.
    write_pending_ = false;
    int rc = MOSQ_ERR_SUCCESS;
    if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
      // The library stops reading when errno says EAGAIN, even one left over from an earlier
      // call; cleared, it reads every acknowledgement waiting, not one a pass.
      errno = 0;
      rc = mosquitto_loop_read(mosq_, 1);
    }
    if (rc == MOSQ_ERR_SUCCESS && mosquitto_want_write(mosq_)) rc = mosquitto_loop_write(mosq_, 1);
    if (rc == MOSQ_ERR_SUCCESS) rc = mosquitto_loop_misc(mosq_);
    serving.unlock();
    if (rc != MOSQ_ERR_SUCCESS) return rc;
    if (connected_.load()) backoff_ = kFirstBackoffSeconds;
    if (connected_.load() && listening_to_library_) {
      mosquitto_log_callback_set(mosq_, nullptr);
      listening_to_library_ = false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) return MOSQ_ERR_SUCCESS;
  }
}

bool cMqttLink::Subscribe(const std::string& pattern) {
  if (!connected_.load() ||
      mosquitto_subscribe(mosq_, nullptr, pattern.c_str(), 1) != MOSQ_ERR_SUCCESS) {
    return false;
  }
  Flush();
  return true;
}

void cMqttLink::NetworkThread() {
  backoff_ = kFirstBackoffSeconds;
  bool first = true;
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stopping_) return;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      first_library_error_.clear();
    }
    answered_ = false;
    // The library's lines say why a try failed; once connected they are only a formatted line
    // for every message, which a flood pays for, so they are heard while connecting alone.
    mosquitto_log_callback_set(mosq_, &cMqttLink::OnLog);
    listening_to_library_ = true;
    std::unique_lock<std::mutex> serving(serve_mutex_);
    const int rc = first ? mosquitto_connect(mosq_, settings_.host.c_str(),
                                             static_cast<int>(settings_.port), kKeepAliveSeconds)
                         : mosquitto_reconnect(mosq_);
    const int error_number = errno;
    serving.unlock();
    first = false;
    if (rc != MOSQ_ERR_SUCCESS) {
      Post(Event{Event::Kind::kLost, "",
                 "cannot connect to " + settings_.host + ":" + std::to_string(settings_.port) +
                     ": " + ConnectFailure(rc, error_number)});
      if (!WaitBackoff(backoff_)) return;
      backoff_ = std::min(backoff_ * 2, kLongestBackoffSeconds);
      continue;
    }
    const int loop_rc = Serve();
    const int loop_errno = errno;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stopping_) return;
    }
    if (connected_.exchange(false)) {
      Post(Event{Event::Kind::kLost, "",
                 std::string("connection to the broker lost: ") + mosquitto_strerror(loop_rc)});
    } else if (!answered_.load()) {
      // Connected, and closed before the login was answered. Over TLS 1.3 that is how a
      // broker turns away a client certificate it does not take, or a missing one: the
      // handshake ends before the broker has looked at it.
      const std::string broker = settings_.host + ":" + std::to_string(settings_.port);
      std::string why = ConnectFailure(loop_rc, loop_errno);
      if (loop_rc == MOSQ_ERR_TLS) {
        // The library may finish a handshake on its first read rather than in the connect.
        why = "cannot connect to " + broker + ": " + why;
      } else {
        why =
            "the broker " + broker + " closed the connection before it answered the login: " + why;
        if (!settings_.ca_file.empty()) {
          why +=
              " (a broker that requires a client certificate does this when it does not "
              "take the one of --cert and --key, or none was given)";
        }
      }
      Post(Event{Event::Kind::kLost, "", why});
    }
    if (!WaitBackoff(backoff_)) return;
    backoff_ = std::min(backoff_ * 2, kLongestBackoffSeconds);
  }
}

std::string cMqttLink::ConnectFailure(int rc, int error_number) {
  if (rc == MOSQ_ERR_ERRNO) return SystemReason(error_number);
  if (rc != MOSQ_ERR_TLS) return mosquitto_strerror(rc);
  std::string detail;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    detail = first_library_error_;
  }
  // "OpenSSL Error[0]: error:0A000086:SSL routines::certificate verify failed": the reason
  // is what follows the last colon.
  const size_t colon = detail.rfind(':');
  if (colon != std::string::npos) detail = detail.substr(colon + 1);
  while (!detail.empty() && detail.front() == ' ') detail.erase(0, 1);
  return "the TLS handshake failed" + (detail.empty() ? std::string() : " (" + detail + ")") +
         "; check that the broker's certificate is signed by the CA of --ca and names this "
         "host, and that the broker takes the certificate of --cert";
}

bool cMqttLink::WaitBackoff(int seconds) {
  std::unique_lock<std::mutex> lock(mutex_);
  return !stop_signal_.wait_for(lock, std::chrono::seconds(seconds), [this] { return stopping_; });
}

void cMqttLink::OnConnect(mosquitto*, void* self, int rc) {
  cMqttLink* link = static_cast<cMqttLink*>(self);
  link->answered_ = true;
  if (rc != 0) {
    link->Post(Event{Event::Kind::kLost, "",
                     std::string("the broker refused the login: ") + mosquitto_connack_string(rc)});
    return;
  }
  // What the last connection left unacknowledged is gone with it; the count starts afresh.
  link->unacknowledged_.store(0);
  link->connected_ = true;
  link->Post(Event{Event::Kind::kConnected, "", ""});
}

void cMqttLink::OnDisconnect(mosquitto*, void* self, int rc) {
  cMqttLink* link = static_cast<cMqttLink*>(self);
  if (link->connected_.exchange(false)) {
    link->Post(Event{Event::Kind::kLost, "",
                     std::string("connection to the broker lost: ") + mosquitto_strerror(rc)});
  }
}

void cMqttLink::OnMessage(mosquitto*, void* self, const mosquitto_message* message) {
  cMqttLink* link = static_cast<cMqttLink*>(self);
  std::string payload;
  if (message->payloadlen > 0) {
    payload.assign(static_cast<const char*>(message->payload),
                   static_cast<size_t>(message->payloadlen));
  }
  link->Post(Event{Event::Kind::kMessage, message->topic, std::move(payload), message->retain});
}

void cMqttLink::OnPublish(mosquitto*, void* self, int mid) {
  cMqttLink* link = static_cast<cMqttLink*>(self);
  --link->unacknowledged_;
  if (mid == link->will_mid_.load()) link->will_sent_ = true;
}

void cMqttLink::OnLog(mosquitto*, void* self, int level, const char* text) {
  if (level != MOSQ_LOG_ERR || text == nullptr) return;
  cMqttLink* link = static_cast<cMqttLink*>(self);
  std::lock_guard<std::mutex> lock(link->mutex_);
  if (link->first_library_error_.empty()) link->first_library_error_ = text;
}

void cMqttLink::Post(Event event) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (event.kind == Event::Kind::kMessage && events_.size() >= kMaxPendingEvents) {
      ++dropped_incoming_;
      return;
    }
    events_.push_back(std::move(event));
  }
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = write(wake_fd_, &one, sizeof one);
}

void cMqttLink::Deliver() {
  uint64_t count = 0;
  [[maybe_unused]] const ssize_t n = read(wake_fd_, &count, sizeof count);
  std::deque<Event> events;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    events.swap(events_);
  }
  for (Event& event : events) {
    switch (event.kind) {
      case Event::Kind::kConnected:
        if (handlers_.connected) handlers_.connected();
        break;
      case Event::Kind::kLost:
        if (handlers_.lost) handlers_.lost(event.text);
        break;
      case Event::Kind::kMessage:
        if (handlers_.message) handlers_.message(event.topic, event.text, event.retained);
        break;
    }
  }
}

}  // namespace hv::bridge
