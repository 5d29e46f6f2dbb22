// cBridge: the house on the broker. Three parts do the work: the session keeps the server
// connection and the mirror of the house, the publisher tells the broker the house's states,
// and the announcer its Home Assistant discovery. The bridge itself decides who the house is
// (and so which client it is on the broker), keeps the broker connection, and passes the
// broker's commands to the session: a retained one is never run, and while the server is
// away they are answered "unavailable" on the errors topic and never queued.
//
// Everything runs on the event loop's thread; the broker's network thread only hands over.
#ifndef HV_TOOLS_HVBRIDGE_BRIDGE_H_
#define HV_TOOLS_HVBRIDGE_BRIDGE_H_

#include <functional>
#include <memory>
#include <string>

#include "client/platform/event_loop.h"
#include "tools/hvbridge/bridge_announcer.h"
#include "tools/hvbridge/bridge_options.h"
#include "tools/hvbridge/bridge_publisher.h"
#include "tools/hvbridge/bridge_session.h"
#include "tools/hvbridge/house_mirror.h"
#include "tools/hvbridge/mqtt_link.h"
#include "tools/hvbridge/topic_layout.h"

namespace hv {
class cClock;
}  // namespace hv

namespace hv::bridge {

struct BridgeSetup {
  BridgeOptions options;
  std::string server_password;
  std::string broker_password;
  std::string state_folder;  // the discovery records and the last identity
  std::string version;
  // Lines for people (the journal); the program writes them to standard error.
  std::function<void(const std::string&)> log;
};

class cBridge {
 public:
  // loop and clock must outlive the bridge.
  cBridge(cEventLoop& loop, cClock& clock, BridgeSetup setup);
  ~cBridge();
  cBridge(const cBridge&) = delete;
  cBridge& operator=(const cBridge&) = delete;

  // Logs in to the server (and keeps trying); the broker follows once the house is known.
  void Start();
  // Logs off, says "offline" on the broker and stops its thread.
  void Stop();

 private:
  void Log(const std::string& line) const;
  void Tick();
  // The server named its house: the first name makes the identity, unless --house did.
  void HouseNamed(const std::string& house);
  // The house is known (--house, or the server's control file): keys, topics, the broker.
  void Identify(const std::string& house);
  void StartBroker();
  void BrokerConnected();
  void BrokerMessage(const std::string& topic, const std::string& payload, bool retained);

  cEventLoop& loop_;
  BridgeSetup setup_;
  cHouseMirror house_;
  TopicLayout layout_;
  std::unique_ptr<cMqttLink> broker_;
  cBridgePublisher publisher_;
  cBridgeAnnouncer announcer_;
  cBridgeSession session_;
  std::string client_id_;
  bool house_known_ = false;
  cEventLoop::TimerId tick_timer_ = 0;
};

}  // namespace hv::bridge

#endif  // HV_TOOLS_HVBRIDGE_BRIDGE_H_
