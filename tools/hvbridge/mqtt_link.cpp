#include "tools/hvbridge/mqtt_link.h"

#include <mosquitto.h>
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

std::once_flag library_once;

}  // namespace

cMqttLink::cMqttLink(cEventLoop& loop, MqttSettings settings, Handlers handlers)
    : loop_(loop), settings_(std::move(settings)), handlers_(std::move(handlers)) {}

cMqttLink::~cMqttLink() {
  Stop();
  if (mosq_ != nullptr) mosquitto_destroy(mosq_);
  if (watch_ != 0) loop_.RemoveWatch(watch_);
  if (wake_fd_ >= 0) close(wake_fd_);
}

Status cMqttLink::Start() {
  std::call_once(library_once, [] { mosquitto_lib_init(); });
  wake_fd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (wake_fd_ < 0)
    return Status::Failure(Where::kBridge, std::string("eventfd: ") + std::strerror(errno));
  mosq_ = mosquitto_new(settings_.client_id.c_str(), true, this);
  if (mosq_ == nullptr) return Status(Where::kBridge, kOutOfMemory, "mosquitto_new failed");
  // The network thread is ours, not the library's: a publish only wakes it.
  mosquitto_threaded_set(mosq_, true);
  mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
  // A status change is one small packet; waiting to gather more would only delay it.
  mosquitto_int_option(mosq_, MOSQ_OPT_TCP_NODELAY, 1);
  // Enough messages in flight that a burst of status changes is not held back waiting for
  // acknowledgements one round trip at a time.
  mosquitto_max_inflight_messages_set(mosq_, 1000);
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
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
      while (!will_sent_.load() && connected_.load() &&
             std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    }
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  stop_signal_.notify_all();
  mosquitto_disconnect(mosq_);
  thread_.join();
  connected_ = false;
}

bool cMqttLink::Publish(std::string_view topic, std::string_view payload, bool retain) {
  if (!connected_.load()) return false;
  const std::string topic_text(topic);
  const int rc = mosquitto_publish(mosq_, nullptr, topic_text.c_str(),
                                   static_cast<int>(payload.size()), payload.data(), 1, retain);
  if (rc != MOSQ_ERR_SUCCESS) return false;
  ++sent_;
  return true;
}

bool cMqttLink::Subscribe(const std::string& pattern) {
  return connected_.load() &&
         mosquitto_subscribe(mosq_, nullptr, pattern.c_str(), 1) == MOSQ_ERR_SUCCESS;
}

void cMqttLink::NetworkThread() {
  int backoff = kFirstBackoffSeconds;
  bool first = true;
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stopping_) return;
    }
    const int rc = first ? mosquitto_connect(mosq_, settings_.host.c_str(),
                                             static_cast<int>(settings_.port), kKeepAliveSeconds)
                         : mosquitto_reconnect(mosq_);
    first = false;
    if (rc != MOSQ_ERR_SUCCESS) {
      const std::string why = rc == MOSQ_ERR_ERRNO ? std::strerror(errno) : mosquitto_strerror(rc);
      Post(Event{Event::Kind::kLost, "",
                 "cannot connect to " + settings_.host + ":" + std::to_string(settings_.port) +
                     ": " + why});
      if (!WaitBackoff(backoff)) return;
      backoff = std::min(backoff * 2, kLongestBackoffSeconds);
      continue;
    }
    int loop_rc = MOSQ_ERR_SUCCESS;
    while (loop_rc == MOSQ_ERR_SUCCESS) {
      loop_rc = mosquitto_loop(mosq_, 1000, 1);
      if (connected_.load()) backoff = kFirstBackoffSeconds;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stopping_) return;
    }
    if (connected_.exchange(false)) {
      Post(Event{Event::Kind::kLost, "",
                 std::string("connection to the broker lost: ") + mosquitto_strerror(loop_rc)});
    }
    if (!WaitBackoff(backoff)) return;
    backoff = std::min(backoff * 2, kLongestBackoffSeconds);
  }
}

bool cMqttLink::WaitBackoff(int seconds) {
  std::unique_lock<std::mutex> lock(mutex_);
  return !stop_signal_.wait_for(lock, std::chrono::seconds(seconds), [this] { return stopping_; });
}

void cMqttLink::OnConnect(mosquitto*, void* self, int rc) {
  cMqttLink* link = static_cast<cMqttLink*>(self);
  if (rc != 0) {
    link->Post(Event{Event::Kind::kLost, "",
                     std::string("the broker refused the login: ") + mosquitto_connack_string(rc)});
    return;
  }
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
  link->Post(Event{Event::Kind::kMessage, message->topic, std::move(payload)});
}

void cMqttLink::OnPublish(mosquitto*, void* self, int mid) {
  cMqttLink* link = static_cast<cMqttLink*>(self);
  ++link->acknowledged_;
  if (mid == link->will_mid_.load()) link->will_sent_ = true;
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
        if (handlers_.message) handlers_.message(event.topic, event.text);
        break;
    }
  }
}

}  // namespace hv::bridge
