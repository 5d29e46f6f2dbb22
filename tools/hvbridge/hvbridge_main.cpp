// hvbridge: keeps the house of a home-automation server on an MQTT broker, announced to
// Home Assistant. `hvbridge --help` tells how; it logs to standard error for the journal.
#include <fcntl.h>
#include <malloc.h>
#include <signal.h>
#include <spawn.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "client/platform/poll_event_loop.h"
#include "client/platform/system_clock.h"
#include "core/file/running_program.h"
#include "core/system_error.h"
#include "tools/hvbridge/bridge.h"
#include "tools/hvbridge/bridge_options.h"

namespace hv {

#ifndef HV_THIS_VERSION
#define HV_THIS_VERSION "0"
#endif
#ifndef HV_THIS_BUILD
#define HV_THIS_BUILD "0"
#endif

namespace {

constexpr int kBadSetup = 2;

void LogLine(const std::string& line) { std::fprintf(stderr, "hvbridge: %s\n", line.c_str()); }

// $XDG_STATE_HOME/hearthview (~/.local/state when unset), made if missing, the user's alone.
bool MakeStateFolder(std::string* folder) {
  using hv::bridge::XdgFolder;
  const std::string base = XdgFolder("XDG_STATE_HOME", ".local/state");
  if (base.empty()) return false;
  *folder = base + "/hearthview";
  for (size_t slash = 1; slash != std::string::npos;) {
    slash = folder->find('/', slash + 1);
    const std::string part = folder->substr(0, slash);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

// hvbridge-keyring: beside this program in a build, in ../libexec/hearthview when installed.
std::string KeyringHelper() {
  const std::string program = RunningProgramPath();
  if (program.empty()) return "";
  const std::string folder = program.substr(0, program.rfind('/'));
  for (const std::string& candidate :
       {folder + "/hvbridge-keyring", folder + "/../libexec/hearthview/hvbridge-keyring"}) {
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

// The password the desktop client filed in the keyring for its own login, asked of the
// helper, which alone loads the keyring's libraries.
hv::Status KeyringPassword(std::string* password) {
  const auto failure = [](const std::string& why) {
    return hv::Status::Failure(hv::Where::kBridge, why);
  };
  const std::string helper = KeyringHelper();
  if (helper.empty()) return failure("hvbridge-keyring is not installed beside hvbridge");
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return failure(std::string("pipe: ") + SystemReason(errno));
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  std::string program = helper;
  char* arguments[] = {program.data(), nullptr};
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, helper.c_str(), &actions, nullptr, arguments, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) {
    close(out[0]);
    return failure(helper + ": " + SystemReason(spawned));
  }
  // A password, or why there is none: either is short.
  constexpr size_t kMaxAnswer = 64 * 1024;
  std::string answer;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(out[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    answer.append(buffer, static_cast<size_t>(n));
    if (answer.size() > kMaxAnswer) break;
  }
  close(out[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && answer.size() <= kMaxAnswer) {
    *password = std::move(answer);
    return hv::Status::Ok();
  }
  return failure(answer.empty() || answer.size() > kMaxAnswer ? helper + " failed" : answer);
}

// The keyring's password, waited for: a bridge started with the session (or before the
// desktop client has filed its password) finds the keyring a little later. Each new reason
// is logged once; the wait grows from 5 s to a minute. False when SIGTERM or SIGINT came.
bool WaitForKeyringPassword(std::string* password, const sigset_t& stop_signals) {
  std::string last_reason;
  int wait_seconds = 5;
  for (;;) {
    const hv::Status status = KeyringPassword(password);
    if (status.ok()) {
      if (!last_reason.empty()) LogLine("the keyring has the password now");
      return true;
    }
    if (status.message() != last_reason) {
      last_reason = status.message();
      LogLine("password: " + last_reason + "; waiting for the keyring (trying again every " +
              std::to_string(wait_seconds) + " s or so)");
    }
    timespec timeout{wait_seconds, 0};
    if (sigtimedwait(&stop_signals, nullptr, &timeout) > 0) return false;
    wait_seconds = std::min(wait_seconds * 2, 60);
  }
}

}  // namespace

}  // namespace hv

using namespace hv;  // main() and the C entry points stand outside the namespace

int main(int argc, char** argv) {
  using namespace hv::bridge;
  // Big blocks (a large house's discovery config, and the broker library's copies of it) get
  // pages of their own, which go back to the system when freed. Left to itself the allocator
  // raises this bound to the size of the biggest block freed, and the next config of that size
  // lands in the heap, where freed pages stay resident.
  mallopt(M_MMAP_THRESHOLD, 256 * 1024);
  const std::vector<std::string> args(argv + 1, argv + argc);
  const ParsedOptions parsed = ParseBridgeOptions(args, DefaultConfigPath());
  if (parsed.options.help) {
    std::fputs(BridgeUsage(), stdout);
    return 0;
  }
  if (parsed.options.version) {
    std::printf("hvbridge (Varnholt (TM) Client) %s, build %s\n", HV_THIS_VERSION, HV_THIS_BUILD);
    return 0;
  }
  if (!parsed.error.empty()) {
    LogLine(parsed.error + " (see hvbridge --help)");
    return kBadSetup;
  }
  BridgeSetup setup;
  setup.options = parsed.options;
  setup.version = std::string(HV_THIS_VERSION) + " build " + HV_THIS_BUILD;
  setup.log = LogLine;
  // SIGTERM (systemd) and SIGINT end the loop from within, so the bridge says goodbye; they
  // also end a wait for the keyring.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGTERM);
  sigaddset(&stop_signals, SIGINT);
  sigprocmask(SIG_BLOCK, &stop_signals, nullptr);
  hv::Status status = hv::Status::Ok();
  if (setup.options.password_from_keyring) {
    if (!WaitForKeyringPassword(&setup.server_password, stop_signals)) return 0;
  } else {
    status = ReadPasswordFile(setup.options.password_file, &setup.server_password);
  }
  if (status.ok() && !setup.options.broker_password_file.empty()) {
    status = ReadPasswordFile(setup.options.broker_password_file, &setup.broker_password);
  }
  if (!status.ok()) {
    LogLine(
        "password: " + status.message() + " (" +
        (setup.options.config_file.empty()
             ? std::string("--password-file")
             : "\"password-file\" or \"broker-password-file\" in " + setup.options.config_file) +
        ")");
    return kBadSetup;
  }
  if (const hv::Status tls = CheckTlsFiles(setup.options); !tls.ok()) {
    LogLine(tls.message());
    return kBadSetup;
  }
  if (!MakeStateFolder(&setup.state_folder)) {
    LogLine("cannot make the state folder $XDG_STATE_HOME/hearthview: " +
            std::string(SystemReason(errno)));
    return kBadSetup;
  }

  signal(SIGPIPE, SIG_IGN);
  const int signal_fd = signalfd(-1, &stop_signals, SFD_CLOEXEC | SFD_NONBLOCK);
  if (signal_fd < 0) {
    LogLine(std::string("signalfd: ") + SystemReason(errno));
    return 1;
  }

  cSystemClock clock;
  cPollEventLoop loop(clock);
  loop.WatchReadable(signal_fd, [&loop, signal_fd] {
    signalfd_siginfo info;
    if (read(signal_fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
      LogLine(std::string("stopping on ") + strsignal(static_cast<int>(info.ssi_signo)));
    }
    loop.Quit();
  });
  cBridge bridge(loop, clock, std::move(setup));
  bridge.Start();
  loop.Run();
  bridge.Stop();
  close(signal_fd);
  return 0;
}
