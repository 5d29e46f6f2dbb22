#include "tools/hvbridge/bridge_announcer.h"

#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <iterator>
#include <utility>

#include "tools/hvbridge/bridge_identity.h"
#include "tools/hvbridge/bridge_publisher.h"

namespace hv::bridge {

namespace {

// Answers that settle the lists (the cameras follow the modes) are gathered this long before
// the house is announced, so one login makes one announcement.
constexpr uint32_t kAnnounceDelayMs = 200;

std::string RecordPath(const std::string& state_folder, const std::string& house_key) {
  return state_folder + "/hvbridge-discovery-" + house_key + ".txt";
}

}  // namespace

cBridgeAnnouncer::cBridgeAnnouncer(cEventLoop& loop, const TopicLayout& layout,
                                   const cHouseMirror& house, cBridgePublisher& publisher,
                                   Setup setup)
    : loop_(loop),
      layout_(layout),
      house_(house),
      publisher_(publisher),
      setup_(std::move(setup)) {}

cBridgeAnnouncer::~cBridgeAnnouncer() {
  if (timer_ != 0) loop_.StopTimer(timer_);
}

void cBridgeAnnouncer::Identify(HouseDevice device, std::string last_identity_path,
                                const std::string& fallback) {
  device_ = std::move(device);
  last_identity_path_ = std::move(last_identity_path);
  record_path_ = RecordPath(setup_.state_folder, device_.key);
  std::string last = ReadLastIdentity(last_identity_path_);
  if (last.empty()) last = fallback;
  if (!last.empty() && last != device_.key) {
    old_record_path_ = RecordPath(setup_.state_folder, last);
    if (access(old_record_path_.c_str(), F_OK) == 0) {
      setup_.log(
          "this bridge announced the house under another identity before; its entities are "
          "taken away");
    } else {
      old_record_path_.clear();
    }
  }
}

void cBridgeAnnouncer::Schedule() {
  if (timer_ != 0) return;
  timer_ = loop_.StartTimer(kAnnounceDelayMs, [this] {
    loop_.StopTimer(timer_);
    timer_ = 0;
    Announce();
  });
}

void cBridgeAnnouncer::Tick() {
  if (trim_when_acknowledged_ && (!publisher_.IsConnected() || publisher_.Unacknowledged() == 0)) {
    trim_when_acknowledged_ = false;
    malloc_trim(0);
  }
}

DiscoveryRecord cBridgeAnnouncer::Previous() const {
  DiscoveryRecord previous = LoadDiscoveryRecord(record_path_);
  if (!old_record_path_.empty()) {
    DiscoveryRecord old = LoadDiscoveryRecord(old_record_path_);
    previous.insert(previous.end(), std::make_move_iterator(old.begin()),
                    std::make_move_iterator(old.end()));
  }
  return previous;
}

void cBridgeAnnouncer::Announce() {
  // Only a whole house is announced: an announcement made from lists still arriving would
  // take away every item not yet listed.
  if (device_.key.empty() || !setup_.ready()) return;
  // This one covers whatever a pending announcement would have said.
  if (timer_ != 0) {
    loop_.StopTimer(timer_);
    timer_ = 0;
  }
  const std::vector<const BridgeItem*> items = house_.Items();
  // The new record goes to disk as it is made, and waits there, not beside the messages, until
  // the broker has them all.
  cDiscoveryRecordWriter record(record_path_);
  Announcement announcement = [&] {
    const DiscoveryRecord previous = Previous();
    return hv::bridge::Announce(layout_, device_, items, setup_.options, previous,
                                [&record](std::string_view line) { record.Append(line); });
  }();
  const Status kept = record.Finish();
  // The last record, read back to be compared, was thousands of small blocks; their pages go
  // back before the broker's library makes its copies of the new config, not after.
  malloc_trim(0);
  // The record changes only once the broker has it all; otherwise the next announcement
  // takes away the same ghosts again.
  if (!Send(announcement, items)) {
    DropDiscoveryRecord(record_path_);
    return;
  }
  Commit(kept);
  const size_t entities = announcement.entities;
  // The announcement of a big house is megabytes that are not needed again until the next
  // one; give them back rather than keep them in the allocator's free lists.
  announcement = Announcement();
  malloc_trim(0);
  // The broker's library frees its own copies only as the broker acknowledges them, after
  // this; the tick gives those back too once the last is acknowledged.
  trim_when_acknowledged_ = true;
  setup_.log("announced " + std::to_string(house_.Count()) + " items (" + std::to_string(entities) +
             " entities)");
}

bool cBridgeAnnouncer::Send(Announcement& announcement,
                            const std::vector<const BridgeItem*>& items) {
  bool all_sent = true;
  for (DiscoveryMessage& message : announcement.messages) {
    // Made now, after the first config's text is freed, so the two are never held at once.
    if (message.follow_up) message.payload = DeviceConfig(layout_, device_, items, setup_.options);
    // A config is retained, so it goes at QoS 0: the broker's library makes its packet, the
    // one copy it keeps, at once, and ours goes right after, so a config of megabytes is
    // never held three times.
    all_sent = publisher_.Publish(message.topic, message.payload, true) && all_sent;
    std::string().swap(message.payload);  // the broker's library holds its own copy now
  }
  return all_sent;
}

void cBridgeAnnouncer::Commit(Status kept) {
  if (kept.ok()) kept = CommitDiscoveryRecord(record_path_);
  if (!kept.ok()) {
    setup_.log("cannot keep the record of announced entities: " + kept.ToString());
    return;
  }
  // The old identity's configs are gone from the broker with this announcement.
  if (!old_record_path_.empty()) std::remove(old_record_path_.c_str());
  old_record_path_.clear();
  WriteLastIdentity(last_identity_path_, device_.key);
}

}  // namespace hv::bridge
