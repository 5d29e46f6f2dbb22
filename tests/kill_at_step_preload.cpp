// Preloaded into a program under test, this ends the process right before its Nth call that
// changes a folder (a mode set, a folder made, a link, a rename, a removal, a file created),
// as a kill at that moment would: HV_KILL_AT_STEP=N, counting from 0. The program runs its
// own code unchanged; only the moment of the kill is chosen.
#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The exit status of a process ended here.
constexpr int kKilled = 77;

long kill_at = -1;
long steps = 0;

__attribute__((constructor)) void ReadKillStep() {
  if (const char* text = getenv("HV_KILL_AT_STEP")) kill_at = strtol(text, nullptr, 10);
  // What the program starts is not under test: it runs whole.
  unsetenv("LD_PRELOAD");
  unsetenv("HV_KILL_AT_STEP");
}

void Step() {
  if (steps++ == kill_at) _exit(kKilled);
}

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

int fchmod(int fd, mode_t mode) {
  Step();
  return Next<int (*)(int, mode_t)>("fchmod")(fd, mode);
}

int mkdirat(int folder, const char* name, mode_t mode) {
  Step();
  return Next<int (*)(int, const char*, mode_t)>("mkdirat")(folder, name, mode);
}

int linkat(int from_folder, const char* from, int to_folder, const char* to, int flags) {
  Step();
  return Next<int (*)(int, const char*, int, const char*, int)>("linkat")(from_folder, from,
                                                                          to_folder, to, flags);
}

int renameat(int from_folder, const char* from, int to_folder, const char* to) {
  Step();
  return Next<int (*)(int, const char*, int, const char*)>("renameat")(from_folder, from, to_folder,
                                                                       to);
}

int unlinkat(int folder, const char* name, int flags) {
  Step();
  return Next<int (*)(int, const char*, int)>("unlinkat")(folder, name, flags);
}

int openat(int folder, const char* name, int flags, ...) {
  mode_t mode = 0;
  if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
    va_list arguments;
    va_start(arguments, flags);
    mode = static_cast<mode_t>(va_arg(arguments, unsigned int));
    va_end(arguments);
    Step();
  }
  return Next<int (*)(int, const char*, int, ...)>("openat")(folder, name, flags, mode);
}

}  // extern "C"
