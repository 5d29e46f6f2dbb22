#include "tools/hvbridge/discovery_record.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace hv::bridge {

DiscoveryRecord LoadDiscoveryRecord(const std::string& path) {
  DiscoveryRecord record;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    const size_t first = line.find('\t');
    const size_t second = first == std::string::npos ? first : line.find('\t', first + 1);
    if (second == std::string::npos || line.find('\t', second + 1) != std::string::npos) continue;
    RecordedEntity entity{line.substr(0, first), line.substr(first + 1, second - first - 1),
                          line.substr(second + 1)};
    if (entity.topic.empty() || entity.id.empty() || entity.platform.empty()) continue;
    record.push_back(std::move(entity));
  }
  return record;
}

Status SaveDiscoveryRecord(const std::string& path, const DiscoveryRecord& record) {
  std::string text;
  for (const RecordedEntity& entity : record) {
    text += entity.topic + "\t" + entity.id + "\t" + entity.platform + "\n";
  }
  const std::string temporary = path + ".new";
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) {
    return Status(Where::kBridge, kCannotOpenFile, temporary + ": " + std::strerror(errno));
  }
  size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = write(fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<size_t>(n);
  }
  const int saved_errno = errno;
  const bool synced = written == text.size() && fsync(fd) == 0;
  close(fd);
  if (!synced || std::rename(temporary.c_str(), path.c_str()) != 0) {
    const std::string why = std::strerror(written == text.size() ? errno : saved_errno);
    std::remove(temporary.c_str());
    return Status(Where::kBridge, kFailed, path + ": " + why);
  }
  return Status::Ok();
}

}  // namespace hv::bridge
