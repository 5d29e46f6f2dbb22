#include "restart/sw_read.h"

#include <cstring>

namespace hv {

namespace {

constexpr char kCtrlZ = 26;

// True for the characters that end an unquoted value in the grammar.
bool EndsValue(char c, char file_char) {
  return c == ' ' || c == '/' || c == '-' || (file_char != '\0' && c == file_char);
}

bool NeedsQuotes(const char* text, char file_char) {
  for (const char* p = text; *p != '\0'; ++p) {
    if (EndsValue(*p, file_char)) return true;
  }
  return false;
}

}  // namespace

char swReadArgWin::ReadChar() {
  if (*next_ == '\0') return '\0';
  return *next_++;
}

swReadArg::swReadArg(int count, const char* const* args, char file_char)
    : count_(args != nullptr ? count : 0), args_(args), file_char_(file_char) {}

void swReadArg::LoadArgument() {
  const char* arg = args_[index_] != nullptr ? args_[index_] : "";
  current_.assign(arg);
  position_ = 0;
  loaded_ = true;
  if (std::strchr(arg, '"') != nullptr) return;  // the caller quoted it itself
  if (file_char_ != '\0' && arg[0] == file_char_) return;

  if (arg[0] == '/' || arg[0] == '-') {
    size_t i = 1;
    while (arg[i] != '\0' && arg[i] != '=' && !EndsValue(arg[i], file_char_)) ++i;
    if (arg[i] == '\0') return;  // a switch without a value, such as /M
    if (arg[i] == '=' && i > 1) {
      const char* value = arg + i + 1;
      if (!NeedsQuotes(value, file_char_)) return;
      current_.assign(arg, i + 1);
      current_.push_back('"');
      current_.append(value);
      current_.push_back('"');
      return;
    }
    // Not a switch the grammar could read (an absolute path, say): a bare value.
  }
  if (!NeedsQuotes(arg, file_char_)) return;
  current_.assign("\"");
  current_.append(arg);
  current_.push_back('"');
}

char swReadArg::ReadChar() {
  while (index_ < count_) {
    if (!loaded_) LoadArgument();
    if (position_ < current_.size()) return current_[position_++];
    // The argument is used up: a space separates it from the next one.
    loaded_ = false;
    ++index_;
    if (index_ < count_) return ' ';
  }
  return '\0';
}

swReadArgFile::~swReadArgFile() {
  if (file_ != nullptr) std::fclose(file_);
}

char swReadArgFile::ReadChar() {
  if (ended_ || file_ == nullptr) return '\0';
  int c = std::fgetc(file_);
  if (c == EOF || c == '\0' || c == kCtrlZ) {
    ended_ = true;
    return '\0';
  }
  if (c == '\r' || c == '\n' || c == '\t') return ' ';
  return static_cast<char>(c);
}

}  // namespace hv
