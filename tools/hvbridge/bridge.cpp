#include "tools/hvbridge/bridge.h"

#include <cstdio>
#include <utility>

#include "client/platform/clock.h"
#include "tools/hvbridge/bridge_identity.h"

namespace hv::bridge {

namespace {

DiscoveryOptions DiscoveryOptionsOf(const BridgeSetup& setup) {
  DiscoveryOptions options;
  options.per_entity = setup.options.per_entity;
  options.off_delay_seconds = setup.options.off_delay_seconds;
  options.temperature_unit = setup.options.temperature_unit;
  options.version = setup.version;
  return options;
}

}  // namespace

cBridge::cBridge(cEventLoop& loop, cClock& clock, BridgeSetup setup)
    : loop_(loop),
      setup_(std::move(setup)),
      publisher_(loop, clock, layout_, house_, [this](const std::string& line) { Log(line); }),
      announcer_(loop, layout_, house_, publisher_,
                 {setup_.state_folder, DiscoveryOptionsOf(setup_),
                  [this] { return session_.HouseListed() && publisher_.IsConnected(); },
                  [this](const std::string& line) { Log(line); }}),
      session_(loop, clock, house_, publisher_,
               {&setup_.options, setup_.server_password, setup_.state_folder,
                [this](const std::string& line) { Log(line); },
                [this](const std::string& house) { HouseNamed(house); },
                [this] { announcer_.Schedule(); }}) {
  layout_.discovery_prefix = setup_.options.discovery_prefix;
  // Before every house had its own client id, one id was kept per state folder.
  std::remove((setup_.state_folder + "/hvbridge-client-id").c_str());
}

cBridge::~cBridge() {
  if (tick_timer_ != 0) loop_.StopTimer(tick_timer_);
}

void cBridge::Log(const std::string& line) const {
  if (setup_.log) setup_.log(line);
}

void cBridge::Start() {
  // A named house is on the broker at once, unless its server's name does not resolve yet:
  // then the identity waits for the login, so that it never depends on the network's state.
  const BridgeOptions& o = setup_.options;
  if (!o.house.empty() && (!o.id.empty() || !ResolveHost(o.server_host).empty())) {
    Identify(o.house);
  }
  tick_timer_ = loop_.StartTimer(500, [this] { Tick(); });
  session_.Start();
}

void cBridge::Stop() {
  session_.Stop();
  if (broker_) broker_->Stop();
}

void cBridge::Tick() {
  announcer_.Tick();
  session_.Tick();
}

void cBridge::HouseNamed(const std::string& house) {
  if (!house_known_) {
    Identify(setup_.options.house.empty() ? house : setup_.options.house);
  } else if (setup_.options.house.empty() && house != house_.House()) {
    Log("the server now serves \"" + DisplayText(house, kMaxDisplayBytes) +
        "\"; the bridge goes on as \"" + announcer_.Device().display + "\" until it is restarted");
  }
}

// --- Identity and the broker -----------------------------------------------------------

void cBridge::Identify(const std::string& house) {
  const BridgeOptions& o = setup_.options;
  // However the address was typed ("localhost", "127.0.0.1", a name or its address), one
  // server is one identity, and so one device in Home Assistant.
  const std::string server = ServerIdentity(
      o.id, o.id.empty() ? CanonicalServer(o.server_host, o.server_port, ResolveHost) : "");
  const std::string typed_server = o.server_host + ":" + std::to_string(o.server_port);
  house_.SetIdentity(server, house);
  HouseDevice device;
  device.key = HouseKey(server, house);
  device.display = DisplayText(house, kMaxDisplayBytes);
  client_id_ = ClientIdFor(device.key);
  // A bridge from before identities were kept used the address as it was typed.
  announcer_.Identify(device,
                      LastIdentityPath(setup_.state_folder, o.config_file, typed_server, o.user),
                      HouseKey(typed_server, house));
  layout_.prefix = o.prefix.empty() ? "hearthview/" + TopicSafe(house, 64) : o.prefix;
  house_known_ = true;
  Log("house \"" + device.display + "\" on topics " + layout_.prefix + "/#");
  StartBroker();
}

void cBridge::StartBroker() {
  const BridgeOptions& o = setup_.options;
  MqttSettings settings;
  settings.host = o.broker_host;
  settings.port = o.broker_port;
  settings.client_id = client_id_;
  settings.user = o.broker_user;
  settings.password = setup_.broker_password;
  if (o.tls) {
    settings.ca_file = o.ca_file;
    settings.cert_file = o.cert_file;
    settings.key_file = o.key_file;
  }
  settings.will_topic = layout_.BridgeAvailability();
  cMqttLink::Handlers handlers;
  handlers.connected = [this] { BrokerConnected(); };
  handlers.lost = [this](std::string why) {
    publisher_.Lost();
    if (!why.empty() && why.back() == '.') why.pop_back();  // the library's texts end in one
    Log(why + "; trying again");
  };
  handlers.message = [this](const std::string& topic, const std::string& payload, bool retained) {
    BrokerMessage(topic, payload, retained);
  };
  broker_ = std::make_unique<cMqttLink>(loop_, settings, std::move(handlers));
  publisher_.Attach(broker_.get());
  const Status started = broker_->Start();
  if (!started.ok()) Log("the broker connection cannot start: " + started.ToString());
}

void cBridge::BrokerConnected() {
  Log("connected to the broker " + setup_.options.broker_host + ":" +
      std::to_string(setup_.options.broker_port) + " as " + client_id_);
  publisher_.Connected();
  for (const std::string& pattern :
       {layout_.ItemCommands(), layout_.CameraSnaps(), layout_.X10Send(), layout_.ControlCommands(),
        setup_.options.status_topic}) {
    if (!broker_->Subscribe(pattern)) Log("cannot subscribe to " + pattern);
  }
  if (session_.HouseListed() && session_.Online()) {
    // The states first: a big announcement goes out behind them (see cBridgeAnnouncer).
    publisher_.PublishAll();
    announcer_.Announce();
  }
}

// --- Commands --------------------------------------------------------------------------

void cBridge::BrokerMessage(const std::string& topic, const std::string& payload, bool retained) {
  if (topic == setup_.options.status_topic) {
    if (payload == "online" && session_.HouseListed() && house_known_) {
      Log("Home Assistant is online: announcing the house again");
      announcer_.Announce();
    }
    return;
  }
  // An empty message clears a retained one (ours below, or anyone's); it asks for nothing,
  // not even a snapshot.
  if (payload.empty()) return;
  if (retained) {
    // A retained command would run again at every start and every reconnect: the lights
    // that come on at a restart. It is not run, and taken off the broker.
    Log("ignored the retained command " + DisplayText(payload, 40) + " on " +
        DisplayText(topic, 300) + " (commands run only when sent) and cleared it");
    publisher_.Publish(topic, "", true);
    return;
  }
  const ParsedCommand parsed = ParseCommand(layout_.prefix, topic, payload);
  if (!parsed.ok) {
    publisher_.Refuse(topic, parsed.problem);
    return;
  }
  session_.Send(parsed.command, topic);
}

}  // namespace hv::bridge
