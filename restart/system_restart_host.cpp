#include "restart/system_restart_host.h"

#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

#include "restart/desktop_notice.h"
#include "restart/swap_files.h"

extern char** environ;

namespace hv {

namespace {

std::string Absolute(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  std::string folder(4096, '\0');
  if (getcwd(folder.data(), folder.size()) == nullptr) return path;
  folder.resize(folder.find('\0'));
  return folder + "/" + path;
}

}  // namespace

cSystemRestartHost::~cSystemRestartHost() { ReapDesktopNotices(); }

uint32_t cSystemRestartHost::TickCount() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  uint64_t ms =
      static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

void cSystemRestartHost::Pause(uint32_t ms) {
  timespec span{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&span, &span) != 0 && errno == EINTR) {
  }
}

void cSystemRestartHost::Beep() {
  std::fputc('\a', stderr);
  std::fflush(stderr);
}

void cSystemRestartHost::ShowMessage(const char* caption, const char* text) {
  std::fprintf(stderr, "restart: %s: %s\n", caption, text);
  std::fflush(stderr);
  ShowDesktopNotice(caption, text);
}

void cSystemRestartHost::Note(const char* text) {
  std::fprintf(stderr, "restart: %s\n", text);
  std::fflush(stderr);
}

bool cSystemRestartHost::ProcessRuns(int32_t pid) {
  if (pid <= 0) return false;
  if (kill(pid, 0) != 0 && errno == ESRCH) return false;
  // A client that has ended stays a zombie until its parent reaps it; it holds no file.
  std::ifstream stat_file("/proc/" + std::to_string(pid) + "/stat");
  std::string text;
  std::getline(stat_file, text);
  const size_t paren = text.rfind(')');
  return !(paren != std::string::npos && paren + 2 < text.size() && text[paren + 2] == 'Z');
}

Status cSystemRestartHost::Launch(const swString& program, const swString& directory) {
  if (program.GetLength() == 0) return SystemFailure(ENOENT);
  const bool has_path = std::string(program.CStr()).find('/') != std::string::npos;
  std::string path = has_path ? Absolute(program.CStr()) : std::string(program.CStr());
  std::string folder = directory.GetLength() > 0 ? Absolute(directory.CStr()) : std::string();

  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int signal_number : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTERM, SIGCHLD, SIGUSR1, SIGUSR2}) {
    sigaddset(&defaults, signal_number);
  }
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  // Descriptors the updating client left open to us are none of the new program's business.
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);

  char* argv[] = {path.data(), nullptr};
  pid_t child = 0;
  int error = has_path ? posix_spawn(&child, path.c_str(), &actions, &attributes, argv, environ)
                       : posix_spawnp(&child, path.c_str(), &actions, &attributes, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  return error == 0 ? Status::Ok() : SystemFailure(error);
}

}  // namespace hv
