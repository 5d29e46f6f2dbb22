#include "restart/restart_list.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <set>

#include "restart/swap_files.h"

namespace hv {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ReadHash(std::string_view hex, std::array<uint8_t, 32>* hash) {
  if (hex.size() != 64) return false;
  for (size_t i = 0; i < 32; ++i) {
    const int high = HexDigit(hex[2 * i]);
    const int low = HexDigit(hex[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    (*hash)[i] = static_cast<uint8_t>(high * 16 + low);
  }
  return true;
}

// Splits `line` at its tabs.
std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  while (true) {
    const size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

// The whole of a small file, read through `fd`; false past `limit` bytes.
bool ReadAll(int fd, size_t limit, std::string* text) {
  char buffer[65536];
  while (text->size() <= limit) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    text->append(buffer, static_cast<size_t>(got));
  }
  return false;
}

// A list that cannot be used, and why.
Status Refused(std::string why) { return Status::Failure(Where::kRestart, std::move(why)); }

}  // namespace

Status ParseRestartList(std::string_view text, std::vector<cListedFile>* files) {
  files->clear();
  if (text.size() > kMaxRestartListBytes) {
    return Refused("the list is larger than any update");
  }
  std::set<std::string_view> targets;
  size_t start = 0;
  int number = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      return Refused("the list ends in the middle of a line");
    }
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++number;
    const std::string where = "line " + std::to_string(number) + " of the list ";
    if (number == 1) {
      if (line != kRestartListHeader) {
        return Refused(where + "is not \"" + std::string(kRestartListHeader) + "\"");
      }
      continue;
    }
    const std::vector<std::string_view> fields = Fields(line);
    cListedFile file;
    if (fields.size() != 3 || !ReadHash(fields[0], &file.sha256)) {
      return Refused(where + "is not a SHA-256, a staged path and a target path");
    }
    if (!IsPlainRelativePath(fields[1]) || !IsPlainRelativePath(fields[2])) {
      return Refused(where + "names a file outside its folder");
    }
    if (!targets.insert(fields[2]).second || files->size() >= kMaxRestartListFiles) {
      return Refused(where + (files->size() >= kMaxRestartListFiles
                                  ? "is one file too many"
                                  : "names a target a second time"));
    }
    file.staged = std::string(fields[1]);
    file.target = std::string(fields[2]);
    files->push_back(std::move(file));
  }
  if (number == 0) {
    return Refused("the list is empty");
  }
  return Status::Ok();
}

Status ReadRestartListAt(int folder, const std::string& name, std::vector<cListedFile>* files) {
  const cFd list = OpenFileAt(folder, name);
  struct stat info {};
  std::string text;
  if (!list.ok() || fstat(list.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
      info.st_uid != geteuid() || !ReadAll(list.get(), kMaxRestartListBytes, &text)) {
    return Refused("it is not a file of this user that can be read");
  }
  return ParseRestartList(text, files);
}

}  // namespace hv
