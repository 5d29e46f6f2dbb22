// The housesim program itself, started as a subprocess from $HV_BIN_DIR.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "core/wire/message_types.h"
#include "sim/loopback_client_testutil.h"

extern char** environ;

namespace hv::sim {
namespace {

std::string TempDir() {
  const char* dir = std::getenv("TMPDIR");
  return dir != nullptr ? dir : "/tmp";
}

// A running housesim with pipes to its standard input, output and error.
class Housesim {
 public:
  explicit Housesim(const std::vector<std::string>& args) {
    const char* bin = std::getenv("HV_BIN_DIR");
    std::string program = std::string(bin != nullptr ? bin : ".") + "/housesim";
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
      return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    std::vector<char*> argv{program.data()};
    std::vector<std::string> copies = args;
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
      pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    stdin_ = in[1];
    stdout_ = out[0];
    stderr_ = err[0];
  }
  ~Housesim() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    for (int fd : {stdin_, stdout_, stderr_}) {
      if (fd >= 0) close(fd);
    }
  }

  // Reads standard output until it holds `text` (or 10 s pass); returns what was read.
  std::string ReadOutputUntil(const std::string& text) {
    for (int waited = 0; waited < 10000 && output_.find(text) == std::string::npos;) {
      pollfd entry{stdout_, POLLIN, 0};
      if (poll(&entry, 1, 100) <= 0) {
        waited += 100;
        continue;
      }
      char buffer[512];
      ssize_t n = read(stdout_, buffer, sizeof buffer);
      if (n <= 0) break;
      output_.append(buffer, static_cast<size_t>(n));
    }
    return output_;
  }
  std::string ReadAllErrors() {
    std::string all;
    char buffer[512];
    ssize_t n;
    while ((n = read(stderr_, buffer, sizeof buffer)) > 0)
      all.append(buffer, static_cast<size_t>(n));
    return all;
  }
  void Type(const std::string& line) { (void)!write(stdin_, line.data(), line.size()); }
  void Signal(int signal_number) { kill(pid_, signal_number); }
  // The exit code, or -1 when it did not end normally.
  int Wait() {
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int stdin_ = -1;
  int stdout_ = -1;
  int stderr_ = -1;
  std::string output_;
};

TEST(HousesimProgramTest, HelpAndABadHouseFile) {
  Housesim help({"--help"});
  EXPECT_NE(help.ReadOutputUntil("SIGTERM").find("--no-goodbye"), std::string::npos);
  EXPECT_EQ(help.Wait(), 0);

  std::string path = TempDir() + "/bad-house.json";
  std::ofstream(path) << R"({"users": [{"name": "a"}], "modes": [{"name": "Home", "active": 1}]})";
  Housesim bad({"--house", path});
  EXPECT_EQ(bad.Wait(), 2);
  EXPECT_NE(bad.ReadAllErrors().find("modes[0].active: expected true or false"), std::string::npos);
  std::remove(path.c_str());
}

TEST(HousesimProgramTest, ServesAFreePortTakesConsoleCommandsAndSaysGoodbyeOnSigterm) {
  std::string port_file = TempDir() + "/housesim-port";
  std::remove(port_file.c_str());
  Housesim sim({"--listen", "127.0.0.1:0", "--port-file", port_file, "--quiet"});
  std::string output = sim.ReadOutputUntil("\n");
  size_t colon = output.rfind(':');
  ASSERT_NE(colon, std::string::npos) << output;
  int port = std::atoi(output.c_str() + colon + 1);
  ASSERT_GT(port, 0);
  int from_file = 0;
  std::ifstream(port_file) >> from_file;
  EXPECT_EQ(from_file, port);

  LoopbackClient client(static_cast<uint16_t>(port));
  ASSERT_TRUE(client.connected());
  client.Login("demo", "demo");
  ASSERT_TRUE(client.WaitFor([&] { return !client.OfType(msg::kClientQty).empty(); }));

  sim.Type("message All Note \"The doorbell rang\"\n");
  ASSERT_TRUE(client.WaitFor([&] { return !client.OfType(msg::kServerMessage).empty(); }));
  EXPECT_NE(sim.ReadOutputUntil("server message sent to 1 client").find("sent to 1 client"),
            std::string::npos);

  sim.Signal(SIGTERM);
  ASSERT_TRUE(client.WaitFor([&] { return client.closed; }));
  EXPECT_EQ(client.blocks.back().header.type, static_cast<uint32_t>(msg::kGoodbye));
  EXPECT_EQ(sim.Wait(), 0);
  std::remove(port_file.c_str());
}

}  // namespace
}  // namespace hv::sim
