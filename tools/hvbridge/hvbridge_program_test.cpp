// hvbridge as users run it: the real program between a real housesim and a real mosquitto
// broker, each on a free loopback port, watched through the broker by a client of the
// test's own. These run on real time (three programs of their own); every wait is bounded.
#include <arpa/inet.h>
#include <fcntl.h>
#include <mosquitto.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/testing/program_run.h"
#include "core/testing/temp_folder.h"
#include "tools/hvbridge/discovery.h"
#include "tools/hvbridge/topic_names.h"

extern char** environ;

namespace hv::bridge {
namespace {

using nlohmann::json;
using Clock = std::chrono::steady_clock;

std::string Built(const char* name) {
  const char* bin = std::getenv("HV_BIN_DIR");
  return std::string(bin != nullptr ? bin : ".") + "/" + name;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& text, mode_t mode = 0600) {
  std::ofstream(path, std::ios::binary) << text;
  chmod(path.c_str(), mode);
}

uint16_t FreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

bool Eventually(const std::function<bool()>& done, int seconds = 15) {
  const auto deadline = Clock::now() + std::chrono::seconds(seconds);
  while (Clock::now() < deadline) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return done();
}

// A program started in the background, its standard error in a file; killed at the end.
class cChild {
 public:
  cChild(std::vector<std::string> args, std::string log, std::vector<std::string> env = {})
      : log_(std::move(log)) {
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment = hv::test::EnvironmentWith({}, env);
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~cChild() { Stop(SIGKILL); }
  cChild(const cChild&) = delete;
  cChild& operator=(const cChild&) = delete;

  // The exit code, or -signal when it ended by a signal.
  int Stop(int signal_number) {
    if (pid_ <= 0) return code_;
    kill(pid_, signal_number);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    return code_;
  }
  // A stopped program keeps its connections but reads nothing.
  void Pause(bool paused) {
    if (pid_ > 0) kill(pid_, paused ? SIGSTOP : SIGCONT);
  }
  bool Running() const { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }
  std::string Log() const { return ReadFile(log_); }

 private:
  std::string log_;
  pid_t pid_ = -1;
  int code_ = -1;
};

// The test's own view of the broker: every message it sees, and a way to publish.
class cWatcher {
 public:
  explicit cWatcher(uint16_t port) {
    mosquitto_lib_init();
    mosq_ = mosquitto_new(nullptr, true, this);
    mosquitto_message_callback_set(mosq_, [](mosquitto*, void* self, const mosquitto_message* m) {
      auto* watcher = static_cast<cWatcher*>(self);
      std::lock_guard<std::mutex> lock(watcher->mutex_);
      std::string payload(static_cast<const char*>(m->payload), static_cast<size_t>(m->payloadlen));
      watcher->all_.emplace_back(m->topic, payload);
      watcher->last_[m->topic] = payload;
      watcher->last_qos_[m->topic] = m->qos;
    });
    Eventually([&] { return mosquitto_connect(mosq_, "127.0.0.1", port, 30) == MOSQ_ERR_SUCCESS; });
    mosquitto_subscribe(mosq_, nullptr, "#", 1);
    mosquitto_loop_start(mosq_);
  }
  ~cWatcher() {
    mosquitto_disconnect(mosq_);
    mosquitto_loop_stop(mosq_, true);
    mosquitto_destroy(mosq_);
  }
  void Publish(const std::string& topic, const std::string& payload, bool retain = false) {
    mosquitto_publish(mosq_, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                      payload.data(), 1, retain);
  }
  // Whether `payload` was ever seen on `topic`.
  bool Seen(const std::string& topic, const std::string& payload) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& [t, p] : all_) {
      if (t == topic && p == payload) return true;
    }
    return false;
  }
  // The device config topics whose last message is a config (not emptied).
  std::set<std::string> DeviceTopics() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::set<std::string> topics;
    for (const auto& [topic, payload] : last_) {
      if (topic.rfind("homeassistant/device/", 0) == 0 && !payload.empty()) topics.insert(topic);
    }
    return topics;
  }
  // The QoS the last message on `topic` came with (the watcher asks for 1, so this is the
  // publisher's), or -1.
  int LastQos(const std::string& topic) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = last_qos_.find(topic);
    return it == last_qos_.end() ? -1 : it->second;
  }
  std::string Last(const std::string& topic) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = last_.find(topic);
    return it == last_.end() ? "\x01none" : it->second;
  }
  bool WaitFor(const std::string& topic, const std::string& payload, int seconds = 15) {
    return Eventually([&] { return Last(topic) == payload; }, seconds);
  }
  // Messages seen on topics that start with `prefix`.
  size_t Count(const std::string& prefix) {
    std::lock_guard<std::mutex> lock(mutex_);
    size_t count = 0;
    for (const auto& [topic, payload] : all_) count += topic.rfind(prefix, 0) == 0;
    return count;
  }
  std::vector<std::pair<std::string, std::string>> All() {
    std::lock_guard<std::mutex> lock(mutex_);
    return all_;
  }
  // The last device config seen (there is one per house).
  json Device() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& [topic, payload] : last_) {
      if (topic.rfind("homeassistant/device/", 0) == 0 && !payload.empty()) {
        return json::parse(payload);
      }
    }
    return json();
  }

 private:
  mosquitto* mosq_ = nullptr;
  std::mutex mutex_;
  std::vector<std::pair<std::string, std::string>> all_;
  std::map<std::string, std::string> last_;
  std::map<std::string, int> last_qos_;
};

// mosquitto, housesim and hvbridge in one folder.
class HvbridgeProgramTest : public ::testing::Test {
 protected:
  HvbridgeProgramTest() : broker_port_(FreePort()), server_port_(FreePort()) {
    // The watcher must see every message: by default the broker drops what a subscriber that
    // falls behind has queued beyond 1,000, which a loaded machine reaches with a big house.
    WriteFile(folder_.File("mosquitto.conf"), "listener " + std::to_string(broker_port_) +
                                                  " 127.0.0.1\nallow_anonymous true\n"
                                                  "max_queued_messages 0\n");
    broker_ = std::make_unique<cChild>(
        std::vector<std::string>{"/usr/sbin/mosquitto", "-c", folder_.File("mosquitto.conf")},
        folder_.File("mosquitto.log"));
    WriteFile(folder_.File("password"), "demo\n");
  }

  void StartServer(std::vector<std::string> options = {}) {
    std::vector<std::string> args = {
        Built("housesim"), "--listen",  "127.0.0.1:" + std::to_string(server_port_), "--quiet",
        "--no-console",    "--control", "127.0.0.1:" + std::to_string(control_port_)};
    args.insert(args.end(), options.begin(), options.end());
    server_ = std::make_unique<cChild>(args, folder_.File("housesim.log"));
  }
  // Console commands to housesim, one per line, over its control port: all of them written,
  // and its answers read, so that housesim never waits on the test.
  void Console(const std::string& lines) {
    int fd = -1;
    ASSERT_TRUE(Eventually([&] {
      fd = socket(AF_INET, SOCK_STREAM, 0);
      sockaddr_in address{};
      address.sin_family = AF_INET;
      address.sin_port = htons(control_port_);
      address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return true;
      close(fd);
      return false;
    }));
    std::thread reader([fd] {
      char buffer[65536];
      while (read(fd, buffer, sizeof buffer) > 0) {
      }
    });
    const std::string text = lines + "\n";
    for (size_t written = 0; written < text.size();) {
      const ssize_t n = write(fd, text.data() + written, text.size() - written);
      if (n <= 0) break;
      written += static_cast<size_t>(n);
    }
    shutdown(fd, SHUT_WR);
    reader.join();
    close(fd);
  }
  void StartBridge(std::vector<std::string> options = {},
                   const std::string& server_host = "127.0.0.1") {
    bridge_ = StartAnotherBridge(options, server_host, server_port_, "hvbridge.log");
  }
  std::unique_ptr<cChild> StartAnotherBridge(std::vector<std::string> options,
                                             const std::string& server_host, uint16_t server_port,
                                             const std::string& log) {
    std::vector<std::string> args = {Built("hvbridge"),
                                     "--server",
                                     server_host + ":" + std::to_string(server_port),
                                     "--user",
                                     "demo",
                                     "--password-file",
                                     folder_.File("password"),
                                     "--broker",
                                     "127.0.0.1:" + std::to_string(broker_port_)};
    args.insert(args.end(), options.begin(), options.end());
    return std::make_unique<cChild>(
        args, folder_.File(log),
        std::vector<std::string>{"XDG_STATE_HOME=" + folder_.File("state"),
                                 "XDG_CONFIG_HOME=" + folder_.File("config")});
  }
  // The component whose name is `name`, with its id in "id".
  json Component(const json& device, const std::string& name, const std::string& platform) {
    if (!device.contains("cmps")) return json();
    for (const auto& [id, component] : device["cmps"].items()) {
      if (component.value("name", "") == name && component.value("p", "") == platform) {
        json found = Expanded(component);
        found["id"] = id;
        return found;
      }
    }
    return json();
  }
  json WaitForComponent(cWatcher& watcher, const std::string& name, const std::string& platform) {
    json found;
    Eventually([&] { return !(found = Component(watcher.Device(), name, platform)).is_null(); });
    return found;
  }

  hv::test::cTempFolder folder_{"hvbridge"};
  uint16_t broker_port_;
  uint16_t server_port_;
  uint16_t control_port_ = FreePort();
  std::unique_ptr<cChild> broker_;
  std::unique_ptr<cChild> server_;
  std::unique_ptr<cChild> bridge_;
};

TEST_F(HvbridgeProgramTest, AnnouncesEveryKindAndSwitchesBothWays) {
  StartServer();
  cWatcher watcher(broker_port_);
  StartBridge();
  const json lamp = WaitForComponent(watcher, "Living Room Lamp", "light");
  ASSERT_FALSE(lamp.is_null()) << bridge_->Log();
  const json device = watcher.Device();
  EXPECT_EQ(device["dev"]["name"], "Maple Street");
  EXPECT_EQ(device["o"]["name"], "hvbridge");
  EXPECT_EQ(lamp["brightness_scale"], 100);
  const std::string prefix = "hearthview/maple_street";
  EXPECT_TRUE(watcher.WaitFor(prefix + "/availability", "online"));
  EXPECT_TRUE(watcher.WaitFor(prefix + "/server/availability", "online"));
  // Every kind of item, with what Home Assistant reads to show it.
  EXPECT_FALSE(Component(device, "Garage Door", "switch").is_null());
  EXPECT_EQ(Component(device, "Hall Motion", "binary_sensor")["device_class"], "motion");
  EXPECT_EQ(Component(device, "Front Door", "binary_sensor")["device_class"], "door");
  EXPECT_EQ(Component(device, "Living Room Temp", "sensor")["device_class"], "temperature");
  EXPECT_FALSE(Component(device, "Good Night", "button").is_null());
  EXPECT_FALSE(Component(device, "Good Night running", "binary_sensor").is_null());
  EXPECT_FALSE(Component(device, "Away", "switch").is_null());
  EXPECT_FALSE(WaitForComponent(watcher, "Front Porch", "image").is_null());
  const json announced = watcher.Device();  // the loop must not walk a temporary
  for (const auto& [id, component] : announced.at("cmps").items()) {
    EXPECT_EQ(Expanded(component)["unique_id"], id);
  }
  EXPECT_TRUE(watcher.WaitFor(lamp["brightness_state_topic"], "40"));
  // A command on a switch's set topic switches it in the server; the state follows.
  const json porch = Component(device, "Porch Light", "light");
  ASSERT_FALSE(porch.is_null());
  EXPECT_TRUE(watcher.WaitFor(porch["state_topic"], "OFF"));
  watcher.Publish(porch["command_topic"], "ON");
  EXPECT_TRUE(watcher.WaitFor(porch["state_topic"], "ON")) << bridge_->Log();
  watcher.Publish(porch["command_topic"], "25");
  EXPECT_TRUE(watcher.WaitFor(porch["brightness_state_topic"], "25")) << bridge_->Log();
  // A change made at the server reaches the state topic.
  const json hall = Component(device, "Hall Light", "light");
  EXPECT_TRUE(watcher.WaitFor(hall["state_topic"], "ON"));
  Console("switch \"Hall Light\" off");
  EXPECT_TRUE(watcher.WaitFor(hall["state_topic"], "OFF")) << server_->Log();
  const json away = Component(device, "Away", "switch");
  watcher.Publish(away["command_topic"], "ACTIVE");
  EXPECT_TRUE(watcher.WaitFor(away["state_topic"], "ON"));
  // Bad commands are refused with a reason and never reach the server.
  watcher.Publish(porch["command_topic"], "101");
  watcher.Publish(prefix + "/switch/no_such_item/set", "ON");
  EXPECT_TRUE(Eventually(
      [&] { return watcher.Last(prefix + "/errors").find("no such item") != std::string::npos; }));
  EXPECT_NE(bridge_->Log().find("refused"), std::string::npos);
  EXPECT_EQ(watcher.Last(porch["brightness_state_topic"]), "25");
  // The activity log is a stream of JSON entries; cameras' thumbnails are JPEG bytes.
  EXPECT_TRUE(Eventually([&] { return json::accept(watcher.Last(prefix + "/log")); }));
  // Events cannot be said again, so the broker acknowledges them (and the library sends them
  // again after a reconnect); retained states are said again at every connection instead.
  EXPECT_EQ(watcher.LastQos(prefix + "/log"), 1);
  EXPECT_EQ(watcher.LastQos(prefix + "/errors"), 1);
  EXPECT_EQ(watcher.LastQos(porch["state_topic"]), 0);
  const json camera = WaitForComponent(watcher, "Front Porch", "image");
  EXPECT_TRUE(
      Eventually([&] { return watcher.Last(camera["image_topic"]).rfind("\xff\xd8", 0) == 0; }));
  // Home Assistant starting again is told the whole house again.
  const size_t configs = watcher.Count("homeassistant/device/");
  watcher.Publish("homeassistant/status", "online");
  EXPECT_TRUE(Eventually([&] { return watcher.Count("homeassistant/device/") > configs; }));
  EXPECT_EQ(bridge_->Stop(SIGTERM), 0);
  EXPECT_TRUE(watcher.WaitFor(prefix + "/availability", "offline"));
}

TEST_F(HvbridgeProgramTest, AvailabilityFollowsTheServerAndTheBridge) {
  StartServer();
  cWatcher watcher(broker_port_);
  StartBridge();
  const std::string prefix = "hearthview/maple_street";
  ASSERT_TRUE(watcher.WaitFor(prefix + "/server/availability", "online")) << bridge_->Log();
  const json porch = WaitForComponent(watcher, "Porch Light", "light");
  server_->Stop(SIGTERM);
  EXPECT_TRUE(watcher.WaitFor(prefix + "/server/availability", "offline"));
  EXPECT_EQ(watcher.Last(prefix + "/availability"), "online");
  // Commands while the server is away are answered, never kept for later.
  watcher.Publish(porch["command_topic"], "ON");
  EXPECT_TRUE(Eventually(
      [&] { return watcher.Last(prefix + "/errors").find("unavailable") != std::string::npos; }));
  StartServer();  // back on the same port: the quick tries find it within seconds
  EXPECT_TRUE(watcher.WaitFor(prefix + "/server/availability", "online", 20)) << bridge_->Log();
  EXPECT_EQ(watcher.Last(porch["state_topic"]), "OFF");  // not switched by the stale command
  // A broker that goes away is found again, and told everything again (it kept nothing).
  broker_->Stop(SIGTERM);
  broker_ = std::make_unique<cChild>(
      std::vector<std::string>{"/usr/sbin/mosquitto", "-c", folder_.File("mosquitto.conf")},
      folder_.File("mosquitto2.log"));
  cWatcher again(broker_port_);
  EXPECT_TRUE(again.WaitFor(prefix + "/server/availability", "online", 20)) << bridge_->Log();
  EXPECT_TRUE(again.WaitFor(porch["state_topic"], "OFF"));
  EXPECT_NE(bridge_->Log().find("broker"), std::string::npos);
  // A bridge that vanishes is reported by its Last Will.
  bridge_->Stop(SIGKILL);
  EXPECT_TRUE(again.WaitFor(prefix + "/availability", "offline", 60));
}

TEST_F(HvbridgeProgramTest, TwoHousesOfOneUserKeepTheirOwnBrokerConnections) {
  StartServer();
  const uint16_t second_port = FreePort();
  cChild second_server({Built("housesim"), "--listen", "127.0.0.1:" + std::to_string(second_port),
                        "--quiet", "--no-console"},
                       folder_.File("housesim2.log"));
  cWatcher watcher(broker_port_);
  StartBridge();
  std::unique_ptr<cChild> second = StartAnotherBridge({"--prefix", "hearthview/cottage"},
                                                      "127.0.0.1", second_port, "hvbridge2.log");
  ASSERT_TRUE(watcher.WaitFor("hearthview/maple_street/server/availability", "online"))
      << bridge_->Log();
  ASSERT_TRUE(watcher.WaitFor("hearthview/cottage/server/availability", "online")) << second->Log();
  EXPECT_TRUE(Eventually([&] { return watcher.DeviceTopics().size() == 2; }));
  // A while later each is still on its first connection: no takeover, no Last Will.
  std::this_thread::sleep_for(std::chrono::seconds(3));
  for (const cChild* bridge : {bridge_.get(), second.get()}) {
    const std::string log = bridge->Log();
    const size_t connected = log.find("connected to the broker");
    ASSERT_NE(connected, std::string::npos) << log;
    EXPECT_EQ(log.find("connected to the broker", connected + 1), std::string::npos) << log;
  }
  EXPECT_FALSE(watcher.Seen("hearthview/maple_street/availability", "offline"));
  EXPECT_FALSE(watcher.Seen("hearthview/cottage/availability", "offline"));
}

TEST_F(HvbridgeProgramTest, OneServerTypedTwoWaysIsOneHouseAndRetainedCommandsNeverRun) {
  StartServer();
  cWatcher watcher(broker_port_);
  StartBridge({}, "127.0.0.1");
  const json porch = WaitForComponent(watcher, "Porch Light", "light");
  ASSERT_FALSE(porch.is_null()) << bridge_->Log();
  ASSERT_TRUE(watcher.WaitFor(porch["state_topic"], "OFF"));
  const std::set<std::string> devices = watcher.DeviceTopics();
  ASSERT_EQ(devices.size(), 1u);
  ASSERT_EQ(bridge_->Stop(SIGTERM), 0);
  const std::string first_log = bridge_->Log();
  const std::string client_id = first_log.substr(first_log.find(" as hvbridge-") + 4, 23);

  // Someone left a retained ON on the command topic; the bridge starts again with the
  // server written as a name. A bridge from before identities were kept had announced the
  // house under that spelling: its config goes.
  watcher.Publish(porch["command_topic"], "ON", true);
  const std::string typed = "localhost:" + std::to_string(server_port_);
  const std::string old_record = folder_.File("state") + "/hearthview/hvbridge-discovery-" +
                                 HouseKey(typed, "Maple Street") + ".txt";
  WriteFile(old_record, "homeassistant/switch/hv_old/config\thv_old\tswitch\n");
  watcher.Publish("homeassistant/switch/hv_old/config", R"({"name":"ghost"})", true);
  ASSERT_TRUE(watcher.WaitFor("homeassistant/switch/hv_old/config", R"({"name":"ghost"})"));
  StartBridge({}, "localhost");
  EXPECT_TRUE(watcher.WaitFor("homeassistant/switch/hv_old/config", "")) << bridge_->Log();
  EXPECT_TRUE(Eventually([&] { return access(old_record.c_str(), F_OK) != 0; }));
  EXPECT_TRUE(Eventually([&] {
    return bridge_->Log().find("ignored the retained command ON") != std::string::npos;
  })) << bridge_->Log();
  EXPECT_TRUE(watcher.WaitFor(porch["command_topic"], ""));  // cleared at the broker
  EXPECT_TRUE(Eventually([&] { return watcher.Count("homeassistant/device/") >= 2; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(watcher.Last(porch["state_topic"]), "OFF");
  // The same device, topics and client id; no second house at the broker.
  EXPECT_EQ(watcher.DeviceTopics(), devices);
  EXPECT_NE(bridge_->Log().find(" as " + client_id), std::string::npos) << bridge_->Log();
  // A command sent now runs once.
  watcher.Publish(porch["command_topic"], "ON");
  EXPECT_TRUE(watcher.WaitFor(porch["state_topic"], "ON")) << bridge_->Log();
}

TEST_F(HvbridgeProgramTest, AFrozenServerIsFoundWithinHalfAMinute) {
  StartServer();
  cWatcher watcher(broker_port_);
  StartBridge();
  const std::string prefix = "hearthview/maple_street";
  const json porch = WaitForComponent(watcher, "Porch Light", "light");
  ASSERT_TRUE(watcher.WaitFor(prefix + "/server/availability", "online")) << bridge_->Log();
  // The server stops reading but keeps its connection; a command goes to it meanwhile.
  server_->Pause(true);
  const auto frozen_at = Clock::now();
  watcher.Publish(porch["command_topic"], "ON");
  EXPECT_TRUE(watcher.WaitFor(prefix + "/server/availability", "offline", 40)) << bridge_->Log();
  EXPECT_LE(Clock::now() - frozen_at, std::chrono::seconds(32));
  EXPECT_TRUE(Eventually([&] {
    return watcher.Last(prefix + "/errors").find("stopped answering") != std::string::npos;
  })) << bridge_->Log();
  server_->Pause(false);
  EXPECT_TRUE(watcher.WaitFor(prefix + "/server/availability", "online", 40)) << bridge_->Log();
}

TEST_F(HvbridgeProgramTest, HostileNamesStayInsideThePrefixesAndRemovedItemsGoAway) {
  // Names with every character a topic must not carry, the longest a house file takes, and
  // text the server sends in its code page.
  json house =
      json::parse(ReadFile(std::string(std::getenv("HV_SOURCE_DIR")) + "/sim/demo-house.json"),
                  nullptr, false, true);
  ASSERT_TRUE(house.is_object());
  const std::vector<std::string> hostile = {
      "a/b", "+", "#", "../../x", std::string(1000, 'n'), "Caf\xc3\xa9 \xe2\x82\xac"};
  for (const std::string& name : hostile) {
    house["switches"].push_back({{"name", name}, {"kind", "io"}, {"status", "off"}});
  }
  WriteFile(folder_.File("house.json"), house.dump());
  StartServer({"--house", folder_.File("house.json")});
  cWatcher watcher(broker_port_);
  StartBridge();
  ASSERT_FALSE(WaitForComponent(watcher, "a/b", "switch").is_null()) << bridge_->Log();
  const json device = watcher.Device();
  EXPECT_FALSE(Component(device, "Caf\xc3\xa9 \xe2\x82\xac", "switch").is_null());
  const json slash = Component(device, "a/b", "switch");
  watcher.Publish(slash["command_topic"], "ON");
  EXPECT_TRUE(watcher.WaitFor(slash["state_topic"], "ON")) << bridge_->Log();
  for (const auto& [topic, payload] : watcher.All()) {
    EXPECT_TRUE(topic.rfind("hearthview/maple_street/", 0) == 0 ||
                topic.rfind("homeassistant/", 0) == 0)
        << topic;
  }
  ASSERT_EQ(bridge_->Stop(SIGTERM), 0);

  // The server drops an item while the bridge is away: the next start takes it away.
  server_->Stop(SIGTERM);
  house["switches"].erase(house["switches"].size() - 1);
  WriteFile(folder_.File("house.json"), house.dump());
  StartServer({"--house", folder_.File("house.json")});
  const json euro = Component(device, "Caf\xc3\xa9 \xe2\x82\xac", "switch");
  const std::string id = euro["id"];
  ASSERT_TRUE(watcher.WaitFor(euro["state_topic"], "OFF"));
  StartBridge();
  // Home Assistant is told to drop it (its platform alone), then the device config kept at
  // the broker leaves it out, and its retained state is cleared.
  const auto stub_seen = [&] {
    for (const auto& [topic, payload] : watcher.All()) {
      if (topic.rfind("homeassistant/device/", 0) != 0 || payload.empty()) continue;
      const json config = json::parse(payload);
      if (config["cmps"].contains(id) && config["cmps"][id] == json({{"p", "switch"}})) return true;
    }
    return false;
  };
  EXPECT_TRUE(Eventually(stub_seen)) << bridge_->Log();
  EXPECT_TRUE(Eventually([&] {
    const json now = watcher.Device();
    return now.contains("cmps") && !now["cmps"].contains(id) &&
           now["cmps"].contains(slash["id"].get<std::string>());
  })) << bridge_->Log();
  EXPECT_TRUE(watcher.WaitFor(euro["state_topic"], ""));
  EXPECT_EQ(watcher.Last(slash["state_topic"]), "OFF");  // kept: the server started afresh
}

// A big house's config goes out behind the house's states, so that the broker's library does
// not build its packet while the bridge still holds its own copy: it still arrives whole, the
// states all come, and it is announced again when Home Assistant comes back.
TEST_F(HvbridgeProgramTest, ABigHouseIsAnnouncedWholeWithEveryState) {
  json house = json::parse(R"({"users": [{"name": "demo", "password": "demo"}], "switches": []})");
  constexpr size_t kSwitches = 2000;  // a config of more than half a megabyte
  for (size_t i = 0; i < kSwitches; ++i) {
    house["switches"].push_back({{"name", "Hall light " + std::to_string(i)},
                                 {"kind", "io"},
                                 {"status", i % 2 == 0 ? "on" : "off"}});
  }
  WriteFile(folder_.File("big.json"), house.dump());
  StartServer({"--house", folder_.File("big.json")});
  cWatcher watcher(broker_port_);
  StartBridge();
  ASSERT_TRUE(Eventually([&] { return watcher.Device()["cmps"].size() >= kSwitches; }, 30))
      << bridge_->Log();
  const auto states = [&] {
    std::set<std::string> topics;
    for (const auto& [topic, payload] : watcher.All()) {
      if (topic.find("/switch/") != std::string::npos && topic.size() > 6 &&
          topic.compare(topic.size() - 6, 6, "/state") == 0) {
        topics.insert(topic);
      }
    }
    return topics.size();
  };
  EXPECT_TRUE(Eventually([&] { return states() == kSwitches; }, 30)) << states();
  const json lamp = Component(watcher.Device(), "Hall light 7", "switch");
  EXPECT_EQ(watcher.Last(lamp["state_topic"]), "OFF");
  const size_t configs = watcher.Count("homeassistant/device/");
  watcher.Publish("homeassistant/status", "online");
  EXPECT_TRUE(Eventually([&] { return watcher.Count("homeassistant/device/") > configs; }, 30))
      << bridge_->Log();
  EXPECT_GE(watcher.Device()["cmps"].size(), kSwitches);
  EXPECT_EQ(bridge_->Stop(SIGTERM), 0);
}

TEST_F(HvbridgeProgramTest, SurvivesAHostileServer) {
  // Files named to leave the data folder, lengths of 0xFFFFFFFF, a program to launch, a flood
  // of messages, and every login ended by an answer a client must refuse.
  StartServer({"--hostile"});
  cWatcher watcher(broker_port_);
  StartBridge({"--house", "Hostile"});
  EXPECT_TRUE(Eventually([&] {
    return bridge_->Log().find("connection ended") != std::string::npos;
  })) << bridge_->Log();
  std::this_thread::sleep_for(std::chrono::seconds(3));  // the next quick try, and its end
  EXPECT_TRUE(bridge_->Running()) << bridge_->Log();
  for (const auto& [topic, payload] : watcher.All()) {
    EXPECT_TRUE(topic.rfind("hearthview/hostile/", 0) == 0 || topic.rfind("homeassistant/", 0) == 0)
        << topic;
  }
  for (const char* escaped : {"hostile-escape.txt", "hostile-ran", "state/hostile-escape.txt"}) {
    EXPECT_FALSE(std::ifstream(folder_.File(escaped)).good()) << escaped;
  }
  EXPECT_FALSE(std::ifstream("hostile-ran").good());
  EXPECT_EQ(bridge_->Stop(SIGTERM), 0);
}

TEST_F(HvbridgeProgramTest, AFloodWhileTheBrokerStallsEndsInTheLastStates) {
  StartServer();
  cWatcher watcher(broker_port_);
  StartBridge();
  const json porch = WaitForComponent(watcher, "Porch Light", "light");
  const json fan = WaitForComponent(watcher, "Attic Fan", "switch");
  ASSERT_TRUE(watcher.WaitFor(fan["state_topic"], "ON")) << bridge_->Log();
  // The broker stops reading; the server keeps changing two switches, ending with the
  // Porch Light on and the Attic Fan off. States go out unacknowledged, into the socket's
  // buffers, so it is the activity entries that the bridge holds in the end: more changes
  // than it will hold of those.
  broker_->Pause(true);
  std::string commands;
  for (int i = 0; i < 16000; ++i) {
    commands += i % 2 == 0 ? "switch \"Porch Light\" on\nswitch \"Attic Fan\" off\n"
                           : "switch \"Porch Light\" off\nswitch \"Attic Fan\" on\n";
  }
  Console(commands + "switch \"Porch Light\" on\nswitch \"Attic Fan\" off");
  // The bridge notices that the broker is behind and holds back instead of queueing.
  EXPECT_TRUE(
      Eventually([&] { return bridge_->Log().find("broker is behind") != std::string::npos; }, 30))
      << bridge_->Log();
  broker_->Pause(false);
  EXPECT_TRUE(watcher.WaitFor(porch["state_topic"], "ON", 30)) << bridge_->Log();
  EXPECT_TRUE(watcher.WaitFor(fan["state_topic"], "OFF", 30)) << bridge_->Log();
  EXPECT_TRUE(bridge_->Running());
}

TEST_F(HvbridgeProgramTest, ABrokerThatRefusesTheLoginIsNamedAndTriedAgain) {
  broker_->Stop(SIGTERM);
  WriteFile(folder_.File("closed.conf"),
            "listener " + std::to_string(broker_port_) + " 127.0.0.1\nallow_anonymous false\n");
  broker_ = std::make_unique<cChild>(
      std::vector<std::string>{"/usr/sbin/mosquitto", "-c", folder_.File("closed.conf")},
      folder_.File("mosquitto.log"));
  StartServer();
  StartBridge({"--broker-user", "nobody", "--broker-password-file", folder_.File("password")});
  EXPECT_TRUE(Eventually([&] {
    const std::string log = bridge_->Log();
    const size_t first = log.find("refused the login");
    return first != std::string::npos &&
           log.find("refused the login", first + 1) != std::string::npos;
  })) << bridge_->Log();
  EXPECT_EQ(bridge_->Stop(SIGTERM), 0);
}

// A CA of the test's own, a broker certificate for 127.0.0.1 and a client certificate signed
// by it, and a second CA that signed neither.
bool MakeCertificates(const hv::test::cTempFolder& folder) {
  const std::string script = R"(set -e
cd "$1"
ec="-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2"
openssl req -x509 $ec -keyout ca.key -out ca.pem -subj /CN=hvbridge-test-ca
openssl req -x509 $ec -keyout other-ca.key -out other-ca.pem -subj /CN=someone-else
for who in broker client; do
  openssl req -new $ec -keyout $who.key -out $who.csr -subj /CN=$who
done
printf 'subjectAltName=IP:127.0.0.1\n' > broker.ext
openssl x509 -req -in broker.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
  -extfile broker.ext -out broker.pem
openssl x509 -req -in client.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -out client.pem
)";
  const hv::test::cProgramEnd end =
      hv::test::RunProgram({.program = "/bin/sh",
                            .arguments = {"-c", script, "sh", folder.path()},
                            .output = folder.File("openssl.out"),
                            .errors = folder.File("openssl.err")});
  return end.exited && end.code == 0;
}

TEST_F(HvbridgeProgramTest, TalksTlsWithAClientCertificateAndSaysWhyAHandshakeFails) {
  ASSERT_TRUE(MakeCertificates(folder_)) << ReadFile(folder_.File("openssl.err"));
  // One broker, two doors: plain for the test's watcher, TLS with client certificates for the
  // bridge. Run as root, mosquitto would read the keys only after it dropped to its own user.
  const uint16_t tls_port = FreePort();
  WriteFile(folder_.File("tls.conf"),
            "user root\nper_listener_settings false\nallow_anonymous true\n"
            "listener " +
                std::to_string(broker_port_) +
                " 127.0.0.1\n"
                "listener " +
                std::to_string(tls_port) +
                " 127.0.0.1\n"
                "cafile " +
                folder_.File("ca.pem") + "\ncertfile " + folder_.File("broker.pem") + "\nkeyfile " +
                folder_.File("broker.key") + "\nrequire_certificate true\n");
  broker_->Stop(SIGTERM);
  broker_ = std::make_unique<cChild>(
      std::vector<std::string>{"/usr/sbin/mosquitto", "-c", folder_.File("tls.conf")},
      folder_.File("mosquitto-tls.log"));
  StartServer();
  cWatcher watcher(broker_port_);
  const auto tls_options = [&](const std::string& ca, bool client_certificate = true) {
    std::vector<std::string> options = {"--broker", "127.0.0.1:" + std::to_string(tls_port),
                                        "--tls", "--ca", folder_.File(ca)};
    if (client_certificate) {
      options.insert(options.end(),
                     {"--cert", folder_.File("client.pem"), "--key", folder_.File("client.key")});
    }
    return options;
  };
  // Each failure is said, the same way each time the bridge tries again.
  const auto said_twice = [&](const std::string& why) {
    return Eventually([&] {
      const std::string log = bridge_->Log();
      const size_t first = log.find(why);
      return first != std::string::npos && log.find(why, first + 1) != std::string::npos;
    });
  };
  StartBridge(tls_options("ca.pem"));
  const json porch = WaitForComponent(watcher, "Porch Light", "light");
  ASSERT_FALSE(porch.is_null()) << bridge_->Log() << ReadFile(folder_.File("mosquitto-tls.log"));
  EXPECT_TRUE(watcher.WaitFor(porch["state_topic"], "OFF"));
  watcher.Publish(porch["command_topic"], "ON");
  EXPECT_TRUE(watcher.WaitFor(porch["state_topic"], "ON")) << bridge_->Log();
  EXPECT_EQ(bridge_->Stop(SIGTERM), 0);

  // A broker whose certificate the given CA did not sign is refused, said why, and tried again.
  StartBridge(tls_options("other-ca.pem"));
  EXPECT_TRUE(said_twice("certificate verify failed")) << bridge_->Log();
  EXPECT_TRUE(bridge_->Running());
  EXPECT_EQ(bridge_->Stop(SIGTERM), 0);
  // A broker that wants a client certificate and is given none closes the connection; the
  // bridge says so rather than wait in silence.
  StartBridge(tls_options("ca.pem", false));
  EXPECT_TRUE(said_twice("requires a client certificate")) << bridge_->Log();
  EXPECT_EQ(bridge_->Stop(SIGTERM), 0);
}

TEST_F(HvbridgeProgramTest, RefusesBadOptionsAndOpenPasswordFiles) {
  const auto run = [&](std::vector<std::string> arguments) {
    return hv::test::RunProgram(
        {.program = Built("hvbridge"),
         .arguments = std::move(arguments),
         .environment = hv::test::EnvironmentWith({}, {"XDG_CONFIG_HOME=" + folder_.File("none")}),
         .output = folder_.File("out"),
         .errors = folder_.File("err")});
  };
  EXPECT_EQ(run({"--help"}).code, 0);
  EXPECT_NE(ReadFile(folder_.File("out")).find("--password-file"), std::string::npos);
  EXPECT_EQ(run({"--version"}).code, 0);
  EXPECT_EQ(run({"--user", "demo"}).code, 2);
  EXPECT_NE(ReadFile(folder_.File("err")).find("--server"), std::string::npos);
  EXPECT_EQ(run({"--server", "host:99999", "--user", "u", "--password-file", "p"}).code, 2);
  EXPECT_EQ(run({"--server", "h:1", "--user", "u", "--password-file", "p", "--prefix", "a/#"}).code,
            2);
  WriteFile(folder_.File("open"), "secret\n", 0644);
  EXPECT_EQ(run({"--server", "h:1", "--user", "u", "--password-file", folder_.File("open")}).code,
            2);
  EXPECT_NE(ReadFile(folder_.File("err")).find("chmod 600"), std::string::npos);
  EXPECT_EQ(run({"--server", "h:1", "--user", "u", "--password-file", folder_.File("password"),
                 "--tls", "--ca", folder_.File("no-ca.pem")})
                .code,
            2);
  EXPECT_NE(ReadFile(folder_.File("err")).find("--ca " + folder_.File("no-ca.pem")),
            std::string::npos);
  WriteFile(folder_.File("bad.conf"), "server = h:1\nnonsense\n");
  EXPECT_EQ(run({"--config", folder_.File("bad.conf")}).code, 2);
  EXPECT_NE(ReadFile(folder_.File("err")).find("bad.conf:2"), std::string::npos);
}

// The keyring is asked through the helper installed beside the bridge; what it says when no
// keyring answers reaches the bridge's own error line.
TEST_F(HvbridgeProgramTest, WaitsForTheKeyringAndSaysWhy) {
  // Started before the session's keyring: the bridge says why it waits, and stops cleanly.
  cChild bridge({Built("hvbridge"), "--server", "h", "--user", "u", "--password-from-keyring"},
                folder_.File("err"),
                {"XDG_CONFIG_HOME=" + folder_.File("none"),
                 "DBUS_SESSION_BUS_ADDRESS=unix:path=" + folder_.File("no-bus")});
  EXPECT_TRUE(Eventually([&] {
    return bridge.Log().find(
               "password: no keyring answers on the session bus; waiting for the "
               "keyring") != std::string::npos;
  })) << bridge.Log();
  EXPECT_TRUE(bridge.Running());
  EXPECT_EQ(bridge.Stop(SIGTERM), 0);
}

}  // namespace
}  // namespace hv::bridge
