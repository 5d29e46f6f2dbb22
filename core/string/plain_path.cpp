#include "core/string/plain_path.h"

namespace hv {

bool IsPlainRelativePath(std::string_view path) {
  if (path.empty() || path.front() == '/') return false;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view part = path.substr(start, end - start);
    if (part.empty() || part == "." || part == "..") return false;
    if (part.find('\0') != std::string_view::npos) return false;
    start = end + 1;
  }
  return true;
}

}  // namespace hv
