#include "tools/hvbridge/bridge_publisher.h"

#include <ctime>
#include <nlohmann/json.hpp>
#include <utility>

#include "client/platform/clock.h"
#include "client/protocol/log_item_record.h"
#include "tools/hvbridge/log_entry_json.h"
#include "tools/hvbridge/mqtt_link.h"

namespace hv::bridge {

namespace {

// Publishing the whole house keeps at most this many messages with the broker's library (and
// a config announced meanwhile waits behind no more than these).
constexpr uint32_t kPublishAllWindow = 400;
// How often the publisher looks whether the broker has caught up while it holds messages
// back.
constexpr uint32_t kCatchUpPeriodMs = 10;
// All the cameras' latest pictures together; a house with more is published as it comes.
constexpr size_t kMaxKeptThumbnailBytes = 8u << 20;

std::string Iso8601(int64_t seconds) {
  const time_t t = static_cast<time_t>(seconds);
  struct tm utc;
  if (gmtime_r(&t, &utc) == nullptr) return "";
  char text[40];
  if (std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S+00:00", &utc) == 0) return "";
  return text;
}

}  // namespace

cBridgePublisher::cBridgePublisher(cEventLoop& loop, cClock& clock, const TopicLayout& layout,
                                   const cHouseMirror& house, Logger log)
    : loop_(loop), clock_(clock), layout_(layout), house_(house), log_(std::move(log)) {}

cBridgePublisher::~cBridgePublisher() {
  if (catch_up_timer_ != 0) loop_.StopTimer(catch_up_timer_);
}

void cBridgePublisher::Connected() {
  connected_ = true;
  log_topic_ = layout_.Log();
  Publish(layout_.BridgeAvailability(), "online", true);
  PublishServerAvailability();
}

bool cBridgePublisher::Publish(const std::string& topic, std::string_view payload, bool retain) {
  return connected_ && broker_ != nullptr && broker_->Publish(topic, payload, retain);
}

uint32_t cBridgePublisher::Unacknowledged() const {
  return broker_ != nullptr ? broker_->Unacknowledged() : 0;
}

void cBridgePublisher::SetServerOnline(bool online) {
  server_online_ = online;
  if (!online) server_time_ = 0;
  PublishServerAvailability();
}

void cBridgePublisher::PublishServerAvailability() {
  Publish(layout_.ServerAvailability(), server_online_ ? "online" : "offline", true);
}

// --- The items -------------------------------------------------------------------------

void cBridgePublisher::PublishItem(const BridgeItem& item) {
  if (!connected_ || item.kind == ItemKind::kCamera) return;
  if (Unacknowledged() > kMaxUnacknowledged) {
    // The broker is behind: the item is marked and published once it has caught up, with
    // whatever its state is by then, so a flood costs one mark per item, not one message
    // per change.
    behind_.insert({item.kind, item.name});
    KeepCatchingUp();
    return;
  }
  std::string& topic = item_topic_;
  layout_.KindFolder(item.kind, &topic);
  AppendItemSegment(item.name, item.key, &topic);
  topic.append(1, '/');
  const size_t folder = topic.size();
  Publish(topic.append("state"), StateText(item), true);
  topic.resize(folder);
  Publish(topic.append("attributes"), AttributesJson(item), true);
  if (IsDimmer(item)) {
    topic.resize(folder);
    Publish(topic.append("brightness"), std::to_string(BrightnessOf(item)), true);
  }
}

void cBridgePublisher::PublishMacroEvent(const BridgeItem& macro) {
  const nlohmann::json event = {{"event_type", IsOn(macro) ? "started" : "finished"}};
  Publish(layout_.Item(macro.kind, SegmentOf(macro), "event"), event.dump(), false);
}

void cBridgePublisher::KeepCatchingUp() {
  if (catch_up_timer_ == 0) {
    catch_up_timer_ = loop_.StartTimer(kCatchUpPeriodMs, [this] { CatchUp(); });
  }
}

void cBridgePublisher::CatchUp() {
  while (!behind_.empty() && connected_ && Unacknowledged() <= kMaxUnacknowledged / 2) {
    const auto [kind, name] = *behind_.begin();
    behind_.erase(behind_.begin());
    if (const BridgeItem* item = house_.Find(kind, name)) PublishItem(*item);
  }
  // The whole house goes out a window at a time: the broker's library keeps every message
  // until it is acknowledged, and 10,000 items' states handed over at once are megabytes.
  PublishHouseUpTo(kPublishAllWindow);
  if (!connected_) {
    // A new broker connection publishes everything anyway.
    behind_.clear();
    publishing_all_ = false;
  }
  if (behind_.empty() && !publishing_all_) {
    if (catch_up_timer_ != 0) loop_.StopTimer(catch_up_timer_);
    catch_up_timer_ = 0;
  } else {
    KeepCatchingUp();
  }
}

void cBridgePublisher::PublishHouseUpTo(uint32_t unacknowledged) {
  while (publishing_all_ && connected_ && Unacknowledged() < unacknowledged) {
    const BridgeItem* item =
        published_up_to_ ? house_.ItemAfter(*published_up_to_) : house_.FirstItem();
    if (item == nullptr) {
      publishing_all_ = false;
      break;
    }
    published_up_to_ = {item->kind, item->name};
    PublishItem(*item);
  }
}

void cBridgePublisher::PublishAll() {
  publishing_all_ = true;
  published_up_to_.reset();
  for (const auto& [camera, bytes] : thumbnails_) PublishThumbnail(camera, bytes);
  PublishTimestamp("time", server_time_);
  PublishTimestamp("dawn", dawn_);
  PublishTimestamp("dusk", dusk_);
  for (const HouseControl control :
       {HouseControl::kNight, HouseControl::kPause, HouseControl::kMute}) {
    PublishControl(control);
  }
  CatchUp();
}

// --- The server's facts and the log ----------------------------------------------------

Status cBridgePublisher::PublishLogEntry(const LogItemRecord& entry) {
  if (!connected_) return Status::Declined(Where::kBridge);
  if (Unacknowledged() > kMaxUnacknowledged) {
    if (dropped_log_entries_++ % 1000 == 0) {
      log_("the broker is behind: activity entries are being dropped (" +
           std::to_string(dropped_log_entries_) + " so far)");
    }
    return Status::Declined(Where::kBridge);
  }
  Publish(log_topic_, LogEntryJson(entry), false);
  return Status::Ok();
}

void cBridgePublisher::PublishTimestamp(const char* fact, int64_t seconds) {
  if (seconds > 0) Publish(layout_.ServerFact(fact), Iso8601(seconds), true);
}

void cBridgePublisher::SetServerTime(int64_t seconds) {
  server_time_ = seconds;
  PublishTimestamp("time", seconds);
}

void cBridgePublisher::SetDawnDusk(int64_t dawn, int64_t dusk) {
  dawn_ = dawn;
  dusk_ = dusk;
  PublishTimestamp("dawn", dawn);
  PublishTimestamp("dusk", dusk);
}

const char* cBridgePublisher::ControlName(HouseControl control) const {
  switch (control) {
    case HouseControl::kNight: return "night";
    case HouseControl::kPause: return "pause";
    case HouseControl::kMute: return "mute";
  }
  return "";
}

void cBridgePublisher::SetControl(HouseControl control, bool on) {
  controls_[static_cast<size_t>(control)] = on;
  PublishControl(control);
}

void cBridgePublisher::PublishControl(HouseControl control) {
  const std::optional<bool>& state = controls_[static_cast<size_t>(control)];
  if (state) Publish(layout_.ServerFact(ControlName(control)), *state ? "ON" : "OFF", true);
}

// --- Pictures and errors ---------------------------------------------------------------

void cBridgePublisher::SetThumbnail(const std::string& camera, std::string bytes) {
  // The latest picture of each camera is kept for a broker that connects later (the
  // pictures come right after the login, often before the broker is there).
  size_t kept = 0;
  for (const auto& [name, picture] : thumbnails_) kept += name == camera ? 0 : picture.size();
  if (kept + bytes.size() <= kMaxKeptThumbnailBytes) {
    std::string& slot = thumbnails_[camera];
    slot = std::move(bytes);
    PublishThumbnail(camera, slot);
  } else {
    thumbnails_.erase(camera);
    PublishThumbnail(camera, bytes);
  }
}

void cBridgePublisher::ForgetRemovedCameras() {
  std::erase_if(thumbnails_, [this](const auto& kept) {
    return house_.Find(ItemKind::kCamera, kept.first) == nullptr;
  });
}

void cBridgePublisher::PublishThumbnail(const std::string& camera, const std::string& bytes) {
  const BridgeItem* item = house_.Find(ItemKind::kCamera, camera);
  if (item == nullptr) item = house_.FindStaged(ItemKind::kCamera, camera);
  if (item != nullptr) {
    Publish(layout_.Item(ItemKind::kCamera, SegmentOf(*item), "thumbnail"), bytes, true);
  }
}

void cBridgePublisher::Refuse(const std::string& topic, const std::string& why) {
  const std::string line =
      refusals_.Line(clock_.TickCount(), "refused " + DisplayText(topic, 300) + ": " + why);
  if (!line.empty()) log_(line);
  const nlohmann::json error = {{"topic", topic}, {"error", why}};
  Publish(layout_.Errors(), error.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace),
          false);
}

}  // namespace hv::bridge
