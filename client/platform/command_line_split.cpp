#include "client/platform/command_line_split.h"

namespace hv {

std::vector<std::string> SplitCommandLine(const char* text) {
  std::vector<std::string> args;
  if (text == nullptr) return args;
  const char* p = text;
  auto is_space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  while (true) {
    while (is_space(*p)) ++p;
    if (*p == '\0') break;
    std::string arg;
    bool quoted = false;
    while (*p != '\0' && (quoted || !is_space(*p))) {
      if (*p == '\\') {
        size_t slashes = 0;
        while (*p == '\\') {
          ++slashes;
          ++p;
        }
        if (*p == '"') {
          arg.append(slashes / 2, '\\');
          if (slashes % 2 == 1) {
            arg.push_back('"');
            ++p;
          }
          // An even count leaves the quote to toggle grouping below.
        } else {
          arg.append(slashes, '\\');
        }
        continue;
      }
      if (*p == '"') {
        // Inside quotes, "" is a literal quote (the common Windows convention).
        if (quoted && p[1] == '"') {
          arg.push_back('"');
          p += 2;
          continue;
        }
        quoted = !quoted;
        ++p;
        continue;
      }
      arg.push_back(*p++);
    }
    args.push_back(std::move(arg));
  }
  return args;
}

}  // namespace hv
