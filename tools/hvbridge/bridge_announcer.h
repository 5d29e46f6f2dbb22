// cBridgeAnnouncer: the house's Home Assistant discovery on the broker. It announces the
// whole house (never one made of lists still arriving), takes away what an earlier
// announcement had and the house no longer has (kept in a record on disk, one per
// identity), takes away the configs of an identity this bridge had before, and remembers
// which identity it announced last.
#ifndef HV_TOOLS_HVBRIDGE_BRIDGE_ANNOUNCER_H_
#define HV_TOOLS_HVBRIDGE_BRIDGE_ANNOUNCER_H_

#include <functional>
#include <string>

#include "client/platform/event_loop.h"
#include "core/status.h"
#include "tools/hvbridge/discovery.h"
#include "tools/hvbridge/house_mirror.h"
#include "tools/hvbridge/topic_layout.h"

namespace hv::bridge {

class cBridgePublisher;

class cBridgeAnnouncer {
 public:
  using Logger = std::function<void(const std::string&)>;

  // Where the announcer keeps its records, and what makes an announcement possible now (the
  // house listed whole, the broker there).
  struct Setup {
    std::string state_folder;
    DiscoveryOptions options;
    std::function<bool()> ready;
    Logger log;
  };

  // All must outlive the announcer.
  cBridgeAnnouncer(cEventLoop& loop, const TopicLayout& layout, const cHouseMirror& house,
                   cBridgePublisher& publisher, Setup setup);
  ~cBridgeAnnouncer();
  cBridgeAnnouncer(const cBridgeAnnouncer&) = delete;
  cBridgeAnnouncer& operator=(const cBridgeAnnouncer&) = delete;

  // The house's device, and where this bridge's last identity is kept; an identity it had
  // before (`fallback` when none is kept) has its configs taken away at the next announcement.
  void Identify(HouseDevice device, std::string last_identity_path, const std::string& fallback);
  const HouseDevice& Device() const { return device_; }

  // Announces soon, gathering the changes of a moment into one announcement.
  void Schedule();
  // Announces now, when ready.
  void Announce();
  // Gives the announcement's memory back once the broker has acknowledged all of it.
  void Tick();

 private:
  // What the last announcement (and the identity before, if any) put on the broker.
  DiscoveryRecord Previous() const;
  // Publishes the messages; false when the broker did not take them all.
  bool Send(Announcement& announcement, const std::vector<const BridgeItem*>& items);
  // The record on disk follows the broker, once the broker has everything.
  void Commit(Status kept);

  cEventLoop& loop_;
  const TopicLayout& layout_;
  const cHouseMirror& house_;
  cBridgePublisher& publisher_;
  Setup setup_;
  HouseDevice device_;
  std::string record_path_;
  // The record of the identity this start of the bridge had before, when it changed; its
  // configs go with the next announcement.
  std::string old_record_path_;
  std::string last_identity_path_;
  cEventLoop::TimerId timer_ = 0;
  bool trim_when_acknowledged_ = false;  // an announcement's copies are still at the broker
};

}  // namespace hv::bridge

#endif  // HV_TOOLS_HVBRIDGE_BRIDGE_ANNOUNCER_H_
