#include "core/testing/program_run.h"
#include "core/system_error.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <thread>

extern char** environ;

namespace hv {

namespace test {

namespace {

std::string VariableName(const std::string& entry) { return entry.substr(0, entry.find('=')); }

// Null-terminated pointers into `texts`, which must outlive them.
std::vector<char*> PointerList(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  pointers.reserve(texts.size() + 1);
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

std::vector<std::string> EnvironmentWith(const std::vector<std::string>& drop,
                                         const std::vector<std::string>& set) {
  std::vector<std::string> names = drop;
  for (const std::string& entry : set) names.push_back(VariableName(entry));
  std::vector<std::string> environment;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    if (std::find(names.begin(), names.end(), VariableName(entry)) == names.end()) {
      environment.push_back(entry);
    }
  }
  environment.insert(environment.end(), set.begin(), set.end());
  return environment;
}

cProgramEnd RunProgram(const cProgramRun& run) {
  std::vector<std::string> argv_text{run.program};
  argv_text.insert(argv_text.end(), run.arguments.begin(), run.arguments.end());
  std::vector<char*> argv = PointerList(argv_text);
  std::vector<std::string> environment_text;
  std::vector<char*> environment;
  if (run.environment.has_value()) {
    environment_text = *run.environment;
    environment = PointerList(environment_text);
  }

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, run.input.c_str(), O_RDONLY, 0);
  const int kWritten = O_WRONLY | O_CREAT | O_TRUNC;
  if (!run.output.empty()) {
    posix_spawn_file_actions_addopen(&actions, 1, run.output.c_str(), kWritten, 0600);
  }
  if (!run.errors.empty()) {
    posix_spawn_file_actions_addopen(&actions, 2, run.errors.c_str(), kWritten, 0600);
  }
  cProgramEnd end;
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, run.program.c_str(), &actions, nullptr, argv.data(),
                                  run.environment.has_value() ? environment.data() : environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    end.start_error = SystemReason(spawned);
    return end;
  }
  end.started = true;

  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + run.limit;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      end.hung = true;
      return end;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  end.exited = WIFEXITED(status);
  end.code = end.exited ? WEXITSTATUS(status) : -1;
  return end;
}

}  // namespace test

}  // namespace hv
