#include "sim/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace hv::sim {
namespace {

Status Refused(std::string why) { return Status(Where::kSim, kCannotOpenFile, std::move(why)); }

std::string Reason(int error) {
  std::string text = std::strerror(error);
  if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  return text;
}

}  // namespace

Status ReadTextFile(const std::string& path, size_t max_bytes, std::string* content) {
  // Non-blocking open: a FIFO without a writer would otherwise wait for one forever.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return Refused("cannot open it: " + Reason(errno));
  struct stat info {};
  Status result;
  if (fstat(fd, &info) != 0) {
    result = Refused("cannot read it: " + Reason(errno));
  } else if (S_ISDIR(info.st_mode)) {
    result = Refused("is a folder, not a file");
  } else if (!S_ISREG(info.st_mode) && !S_ISFIFO(info.st_mode)) {
    result = Refused("is not a regular file");
  }
  if (result.ok() && S_ISFIFO(info.st_mode)) {
    // With a writer, wait for what it writes.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  }
  std::string text;
  char buffer[65536];
  while (result.ok()) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) break;  // a FIFO whose writer has not opened it yet
    if (n < 0) {
      result = Refused("cannot read it: " + Reason(errno));
    } else if (n == 0) {
      break;
    } else if (text.size() + static_cast<size_t>(n) > max_bytes) {
      result = Refused("is larger than " + std::to_string(max_bytes) + " bytes");
    } else {
      text.append(buffer, static_cast<size_t>(n));
    }
  }
  ::close(fd);
  if (result.ok()) *content = std::move(text);
  return result;
}

}  // namespace hv::sim
