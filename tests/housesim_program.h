// housesim as a program of its own, for the tests whose client runs on a real event loop and
// clock: the server must answer while the client waits, so it cannot share the test's thread.
#ifndef HV_TESTS_HOUSESIM_PROGRAM_H_
#define HV_TESTS_HOUSESIM_PROGRAM_H_

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/testing/text_file.h"

extern char** environ;

namespace hv {

namespace test {

// The program `name` of the build's bin folder ($HV_BIN_DIR, which ctest sets).
inline std::string BuiltProgram(const char* name) {
  const char* bin = std::getenv("HV_BIN_DIR");
  return std::string(bin != nullptr ? bin : ".") + "/" + name;
}

// housesim from $HV_BIN_DIR on a free loopback port, its port and log (what it writes on its
// standard error) in `folder`. `options` follow the listening ones (--quiet, a fault mode).
// With a console it takes console commands from Command(); without, it runs --no-console.
class cHousesimProgram {
 public:
  enum class eConsole { kNone, kCommands };

  explicit cHousesimProgram(const std::filesystem::path& folder,
                            std::vector<std::string> options = {},
                            eConsole console = eConsole::kNone)
      : port_file_(folder / "housesim.port"), log_file_(folder / "housesim.log") {
    const std::string program = BuiltProgram("housesim");
    std::vector<std::string> args = {program, "--listen", "127.0.0.1:0", "--port-file",
                                     port_file_.string()};
    if (console == eConsole::kNone) args.emplace_back("--no-console");
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    // The test's end of the pipe stays out of every program it starts.
    int commands[2] = {-1, -1};
    if (console == eConsole::kCommands && pipe2(commands, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (commands[0] >= 0) {
      posix_spawn_file_actions_adddup2(&actions, commands[0], 0);
    } else {
      posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    }
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, log_file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    if (commands[0] >= 0) close(commands[0]);
    commands_ = commands[1];
    if (pid_ <= 0) return;
    // Real time is what a separate program runs on; the wait is bounded.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (ReadText(port_file_).find('\n') == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    port_ = static_cast<uint32_t>(std::atoi(ReadText(port_file_).c_str()));
  }
  ~cHousesimProgram() {
    if (commands_ >= 0) close(commands_);
    Stop(SIGKILL);
  }
  cHousesimProgram(const cHousesimProgram&) = delete;
  cHousesimProgram& operator=(const cHousesimProgram&) = delete;

  // SIGTERM: housesim says Goodbye to every client and ends.
  void Stop(int signal_number) {
    if (pid_ <= 0) return;
    kill(pid_, signal_number);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  // One console command, as the operator types it.
  void Command(const std::string& line) {
    ASSERT_GE(commands_, 0) << "housesim was started without a console";
    const std::string text = line + "\n";
    ASSERT_EQ(write(commands_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }

  // The port it listens on; 0 when it did not start.
  uint32_t Port() const { return port_; }
  std::string Log() const { return ReadText(log_file_); }

 private:
  std::filesystem::path port_file_;
  std::filesystem::path log_file_;
  pid_t pid_ = -1;
  int commands_ = -1;
  uint32_t port_ = 0;
};

}  // namespace test

}  // namespace hv

#endif  // HV_TESTS_HOUSESIM_PROGRAM_H_
