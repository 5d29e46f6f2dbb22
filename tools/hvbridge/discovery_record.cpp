#include "tools/hvbridge/discovery_record.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "core/file/write_all.h"
#include "core/system_error.h"

namespace hv::bridge {

void AppendRecordLine(std::string_view topic, std::string_view id, std::string_view platform,
                      std::string_view folder, std::string* text) {
  text->append(topic).append(1, '\t').append(id).append(1, '\t').append(platform);
  if (!folder.empty()) text->append(1, '\t').append(folder);
  text->append(1, '\n');
}

DiscoveryRecord ParseDiscoveryRecord(std::string_view text) {
  DiscoveryRecord record;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    const size_t first = line.find('\t');
    const size_t second = first == line.npos ? first : line.find('\t', first + 1);
    if (second == line.npos) continue;
    const size_t third = line.find('\t', second + 1);
    if (third != line.npos && line.find('\t', third + 1) != line.npos) continue;
    const size_t platform_end = third == line.npos ? line.size() : third;
    RecordedEntity entity{std::string(line.substr(0, first)),
                          std::string(line.substr(first + 1, second - first - 1)),
                          std::string(line.substr(second + 1, platform_end - second - 1)),
                          third == line.npos ? std::string() : std::string(line.substr(third + 1))};
    if (entity.topic.empty() || entity.id.empty() || entity.platform.empty()) continue;
    // A folder is only ever one of the bridge's item folders: a record changed by hand cannot
    // make the bridge clear topics that are not its own.
    if (!entity.folder.empty() &&
        (entity.folder.back() != '/' || entity.folder.find_first_of("+#") != std::string::npos)) {
      entity.folder.clear();
    }
    record.push_back(std::move(entity));
  }
  return record;
}

DiscoveryRecord LoadDiscoveryRecord(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return ParseDiscoveryRecord(text);
}

namespace {

// Written to the file in pieces of this size.
constexpr size_t kWriteBytes = 64 * 1024;

}  // namespace

cDiscoveryRecordWriter::cDiscoveryRecordWriter(const std::string& path)
    : temporary_(path + ".new") {
  fd_ = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd_ < 0) status_ = SystemError(Where::kBridge, temporary_, errno, kCannotOpenFile);
}

cDiscoveryRecordWriter::~cDiscoveryRecordWriter() {
  if (fd_ >= 0) {
    close(fd_);
    std::remove(temporary_.c_str());
  }
}

void cDiscoveryRecordWriter::Append(std::string_view text) {
  if (!status_.ok()) return;
  buffer_.append(text);
  if (buffer_.size() >= kWriteBytes) Flush();
}

void cDiscoveryRecordWriter::Flush() {
  if (status_.ok() && !buffer_.empty()) {
    status_ = WriteAll(fd_, buffer_.data(), buffer_.size(), temporary_);
  }
  buffer_.clear();
}

Status cDiscoveryRecordWriter::Finish() {
  Flush();
  std::string().swap(buffer_);
  if (status_.ok() && fsync(fd_) != 0) status_ = SystemError(Where::kBridge, temporary_, errno);
  if (fd_ >= 0) {
    close(fd_);
    fd_ = -1;
    if (!status_.ok()) std::remove(temporary_.c_str());
  }
  return status_;
}

Status WriteDiscoveryRecord(const std::string& path, std::string_view text) {
  cDiscoveryRecordWriter writer(path);
  writer.Append(text);
  return writer.Finish();
}

Status CommitDiscoveryRecord(const std::string& path) {
  const std::string temporary = path + ".new";
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    const std::string why = SystemReason(errno);
    std::remove(temporary.c_str());
    return Status(Where::kBridge, kFailed, path + ": " + why);
  }
  return Status::Ok();
}

void DropDiscoveryRecord(const std::string& path) { std::remove((path + ".new").c_str()); }

Status SaveDiscoveryRecord(const std::string& path, std::string_view text) {
  const Status written = WriteDiscoveryRecord(path, text);
  return written.ok() ? CommitDiscoveryRecord(path) : written;
}

}  // namespace hv::bridge
