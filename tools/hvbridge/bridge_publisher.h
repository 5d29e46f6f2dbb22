// cBridgePublisher: what the broker is told of the house apart from its discovery: the
// items' retained states and attributes, the two availabilities, the server's facts and
// controls, the activity log as a stream, the cameras' pictures and the errors topic.
//
// It paces itself by the broker: while the broker is far behind, a changed item is only
// marked and published once it has caught up, with whatever its state is by then; the whole
// house goes out a window of messages at a time.
#ifndef HV_TOOLS_HVBRIDGE_BRIDGE_PUBLISHER_H_
#define HV_TOOLS_HVBRIDGE_BRIDGE_PUBLISHER_H_

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "client/platform/event_loop.h"
#include "core/status.h"
#include "tools/hvbridge/house_mirror.h"
#include "tools/hvbridge/refusal_log.h"
#include "tools/hvbridge/topic_layout.h"

namespace hv {
class cClock;
struct LogItemRecord;
}  // namespace hv

namespace hv::bridge {

class cMqttLink;

// The server's own controls, as the desktop window's boxes show them.
enum class HouseControl { kNight, kPause, kMute };

class cBridgePublisher {
 public:
  using Logger = std::function<void(const std::string&)>;
  // Log entries are a stream nobody can ask for again; while the broker is this far behind,
  // new ones are dropped (and counted) rather than held without bound.
  static constexpr uint32_t kMaxUnacknowledged = 20000;

  // All must outlive the publisher; the layout is read at every publish, so it may be set
  // after this is made.
  cBridgePublisher(cEventLoop& loop, cClock& clock, const TopicLayout& layout,
                   const cHouseMirror& house, Logger log);
  ~cBridgePublisher();
  cBridgePublisher(const cBridgePublisher&) = delete;
  cBridgePublisher& operator=(const cBridgePublisher&) = delete;

  // The broker connection (made once the house is known); nullptr before.
  void Attach(cMqttLink* broker) { broker_ = broker; }
  // The broker connected: both availabilities are said again.
  void Connected();
  void Lost() { connected_ = false; }
  bool IsConnected() const { return connected_; }

  // Retained or not; false when the broker is away or its library refused the message.
  bool Publish(const std::string& topic, std::string_view payload, bool retain);
  uint32_t Unacknowledged() const;

  void SetServerOnline(bool online);
  // One item's state, attributes and brightness; a camera has none.
  void PublishItem(const BridgeItem& item);
  // A macro that started or finished.
  void PublishMacroEvent(const BridgeItem& macro);
  [[nodiscard]] Status PublishLogEntry(const LogItemRecord& entry);
  void SetServerTime(int64_t seconds);
  void SetDawnDusk(int64_t dawn, int64_t dusk);
  void SetControl(HouseControl control, bool on);
  // A camera's latest picture: published, and kept (within a budget) for a broker that
  // connects later.
  void SetThumbnail(const std::string& camera, std::string bytes);
  // The camera list was replaced: the pictures of cameras no longer listed go.
  void ForgetRemovedCameras();
  // A command that was refused or could not be passed on: once a second in the log (with a
  // count), each on the errors topic.
  void Refuse(const std::string& topic, const std::string& why);

  // Everything, the house's items a window at a time (the broker's library keeps every
  // message until it is acknowledged).
  void PublishAll();

 private:
  const char* ControlName(HouseControl control) const;
  void PublishControl(HouseControl control);
  void PublishServerAvailability();
  void PublishThumbnail(const std::string& camera, const std::string& bytes);
  void PublishTimestamp(const char* fact, int64_t seconds);
  // Publishes the items marked while the broker was behind, and the rest of the house while
  // it is published whole, as far as the broker keeps up.
  void CatchUp();
  void KeepCatchingUp();
  // Publishes the house's next items, while it is published whole, until this many messages
  // wait for the broker.
  void PublishHouseUpTo(uint32_t unacknowledged);

  cEventLoop& loop_;
  cClock& clock_;
  const TopicLayout& layout_;
  const cHouseMirror& house_;
  Logger log_;
  cMqttLink* broker_ = nullptr;
  bool connected_ = false;
  bool server_online_ = false;
  int64_t server_time_ = 0;
  int64_t dawn_ = 0;
  int64_t dusk_ = 0;
  std::optional<bool> controls_[3];                    // by HouseControl
  std::map<std::string, std::string> thumbnails_;      // camera name -> its latest picture
  std::set<std::pair<ItemKind, std::string>> behind_;  // (kind, name) not yet published
  cEventLoop::TimerId catch_up_timer_ = 0;
  // The house is being published whole, in the mirror's order; the last item published.
  bool publishing_all_ = false;
  std::optional<std::pair<ItemKind, std::string>> published_up_to_;
  uint64_t dropped_log_entries_ = 0;
  cRefusalLog refusals_;
  std::string item_topic_;  // PublishItem's topics, built in place
  std::string log_topic_;   // the log stream's, made at the connection
};

}  // namespace hv::bridge

#endif  // HV_TOOLS_HVBRIDGE_BRIDGE_PUBLISHER_H_
