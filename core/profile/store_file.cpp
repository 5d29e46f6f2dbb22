#include "core/profile/store_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

namespace hv {

namespace {

std::string AsideName(const std::string& path) {
  char stamp[32];
  time_t now = time(nullptr);
  struct tm local;
  localtime_r(&now, &local);
  strftime(stamp, sizeof(stamp), "%Y%m%d-%H%M%S", &local);
  std::string base = path + ".corrupt-" + stamp;
  std::string name = base;
  for (int n = 2; access(name.c_str(), F_OK) == 0; ++n) name = base + "-" + std::to_string(n);
  return name;
}

}  // namespace

bool PreparePrivateFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  struct stat st;
  if (fstat(fd, &st) == 0 && (st.st_mode & 077) != 0) fchmod(fd, 0600);
  ::close(fd);
  return true;
}

bool MoveStoreAside(const std::string& path, std::string* aside) {
  *aside = AsideName(path);
  if (rename(path.c_str(), aside->c_str()) != 0) return false;
  for (const char* suffix : {"-journal", "-wal", "-shm"}) {
    rename((path + suffix).c_str(), (*aside + suffix).c_str());
  }
  return true;
}

}  // namespace hv
