// The housesim program itself, started as a subprocess from $HV_BIN_DIR.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
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

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

// Whatever it is given, housesim ends with a line of its own and its documented status.
TEST(HousesimProgramTest, EveryInputEndsWithItsOwnMessageAndStatus) {
  const std::string dir = TempDir();
  const std::string bad_house = dir + "/bad-house.json";
  std::ofstream(bad_house)
      << R"({"users": [{"name": "a"}], "modes": [{"name": "Home", "active": 1}]})";
  const std::string broken_json = dir + "/broken-house.json";
  std::ofstream(broken_json) << "{\n  \"users\": [{\"name\": \"a\"}]\n  \"modes\": []\n}\n";
  const std::string fifo = dir + "/house-fifo";
  std::remove(fifo.c_str());
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    std::vector<std::string> args;
    int status;
    std::string first_line;  // of standard output for status 0, else of standard error
  } kCases[] = {
      {{"--help"}, 0, "Usage: housesim [--listen ADDR:PORT] [--house FILE] [options]"},
      {{"--version"}, 0, "housesim (Varnholt (TM) server simulator) "},
      {{"--frobnicate"}, 2, "housesim: unknown option --frobnicate (see --help)"},
      {{"--house", bad_house},
       2,
       "housesim: bad house file: " + bad_house + ": modes[0].active: expected true or false"},
      {{"--house", broken_json},
       2,
       "housesim: bad house file: " + broken_json +
           ": not valid JSON at line 3, column 9: found a text in double quotes where ',' or "
           "'}' was expected"},
      {{"--house", dir}, 2, "housesim: bad house file: \"" + dir + "\" is a folder, not a file"},
      {{"--house", dir + "/none.json"},
       2,
       "housesim: bad house file: \"" + dir + "/none.json\" does not exist"},
      // A FIFO could keep it waiting for ever.
      {{"--house", fifo}, 2, "housesim: bad house file: \"" + fifo + "\" is not a regular file"},
  };
  for (const auto& c : kCases) {
    Housesim sim(c.args);
    const int status = sim.Wait();
    EXPECT_EQ(status, c.status) << c.args[0];
    const std::string text = status == 0 ? sim.ReadOutputUntil("\n") : sim.ReadAllErrors();
    EXPECT_EQ(FirstLine(text).substr(0, c.first_line.size()), c.first_line);
  }
  // Permissions do not hold back root, so this case needs an ordinary user.
  if (geteuid() != 0) {
    chmod(bad_house.c_str(), 0);
    Housesim locked({"--house", bad_house});
    EXPECT_EQ(locked.Wait(), 2);
    EXPECT_EQ(FirstLine(locked.ReadAllErrors()), "housesim: bad house file: \"" + bad_house +
                                                     "\" cannot be opened: Permission denied");
  }
  std::remove(bad_house.c_str());
  std::remove(broken_json.c_str());
  std::remove(fifo.c_str());
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

  // A quote left open is named, not answered with the usage.
  sim.Type("switch \"Porch Light on\n");
  EXPECT_NE(sim.ReadOutputUntil("missing closing quote\n").find("missing closing quote\n"),
            std::string::npos);

  sim.Signal(SIGTERM);
  ASSERT_TRUE(client.WaitFor([&] { return client.closed; }));
  EXPECT_EQ(client.blocks.back().header.type, static_cast<uint32_t>(msg::kGoodbye));
  EXPECT_EQ(sim.Wait(), 0);
  std::remove(port_file.c_str());
}

}  // namespace
}  // namespace hv::sim
