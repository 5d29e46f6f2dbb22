// swRead: the character source of the command-line grammar, and its three readers. A reader
// hands out one character per call and NUL once its source is used up (and on every call
// after that), so the grammar needs no other end test.
#ifndef HV_RESTART_SW_READ_H_
#define HV_RESTART_SW_READ_H_

#include <cstdint>
#include <cstdio>
#include <string>

namespace hv {

class swRead {
 public:
  swRead() = default;
  swRead(const swRead&) = delete;
  swRead& operator=(const swRead&) = delete;
  virtual ~swRead() = default;

  // The next character; NUL at the end of the source.
  virtual char ReadChar() = 0;
};

// One command-line text, as a single string. The text must outlive the reader.
class swReadArgWin : public swRead {
 public:
  explicit swReadArgWin(const char* text) : next_(text != nullptr ? text : "") {}
  char ReadChar() override;

 private:
  const char* next_;
};

// An argument vector from index 1 (index 0 names the program): the characters of each
// argument, one space between arguments, NUL after the last. The vector must outlive the
// reader; null entries read as empty arguments.
//
// Whoever split the arguments (a shell, or the client's own splitting) has already taken
// their grouping quotes away, and on this platform every path holds `/`, which ends a value
// outside quotes. So an argument without a double quote of its own, whose value (after a
// switch's `=`, or the whole argument when it is no switch) holds a space, `/`, `-` or the
// response-file character, is handed out with that value in double quotes: the grammar then
// reads it whole and the cleaning of text values takes the quotes off again. Arguments that
// carry their own quotes, or need none, pass unchanged.
class swReadArg : public swRead {
 public:
  swReadArg(int count, const char* const* args, char file_char);
  char ReadChar() override;

 private:
  // Loads `current_` with argument `index_` as the grammar should see it.
  void LoadArgument();

  int count_;
  const char* const* args_;
  char file_char_;
  int index_ = 1;
  std::string current_;
  size_t position_ = 0;
  bool loaded_ = false;
};

// An open file, which the reader owns and closes. Its bytes up to the end of the file, a read
// error, a NUL byte or the first Ctrl-Z (byte 26, the old end-of-text mark), whichever comes
// first; line breaks and tabs read as spaces, since the grammar separates tokens by spaces
// only and a response file holds one token per line as often as not.
class swReadArgFile : public swRead {
 public:
  explicit swReadArgFile(std::FILE* file) : file_(file) {}
  ~swReadArgFile() override;
  char ReadChar() override;

 private:
  std::FILE* file_;
  bool ended_ = false;
};

}  // namespace hv

#endif  // HV_RESTART_SW_READ_H_
