#include "restart/cmd_param.h"

#include <algorithm>
#include <new>
#include <vector>

namespace hv {

namespace {

bool StartsSwitch(char c) { return c == '/' || c == '-'; }

// A work buffer that reports a failed allocation instead of throwing.
class cWorkBuffer {
 public:
  explicit cWorkBuffer(uint32_t size) : text_(new (std::nothrow) char[size]), size_(size) {}
  bool ok() const { return text_ != nullptr; }
  char* data() { return text_.get(); }
  uint32_t size() const { return size_; }

 private:
  std::unique_ptr<char[]> text_;
  uint32_t size_;
};

}  // namespace

swCmdParam::~swCmdParam() {
  cursor_.Attach(nullptr);
  ClearPairs();
}

void swCmdParam::ClearPairs() {
  swListIterator walk(&pairs_);
  while (walk.Next()) {
    delete static_cast<swParamPair*>(walk.Current());
    walk.RemoveCurrent();
  }
}

int32_t swCmdParam::ParseCommandLine(const char* text, uint16_t name_limit, uint16_t value_limit,
                                     char file_char) {
  name_limit_ = std::max(name_limit, kMinNameLimit);
  value_limit_ = std::max<uint16_t>(value_limit, 1);
  file_char_ = file_char;
  swReadArgWin reader(text);
  response_files_read_ = 0;
  return Parse(reader, 0);
}

int32_t swCmdParam::ParseArgs(int count, const char* const* args, uint16_t name_limit,
                              uint16_t value_limit, char file_char) {
  name_limit_ = std::max(name_limit, kMinNameLimit);
  value_limit_ = std::max<uint16_t>(value_limit, 1);
  file_char_ = file_char;
  swReadArg reader(count, args, file_char);
  response_files_read_ = 0;
  return Parse(reader, 0);
}

int32_t swCmdParam::AddPair(const char* name, uint32_t name_length, const char* value,
                            uint32_t value_length) {
  auto* pair =
      new (std::nothrow) swParamPair(swString(name, name_length), swString(value, value_length));
  if (pair == nullptr) return -1;
  // A string that could not take its text reads shorter than it should.
  if (pair->name.GetLength() != name_length || pair->value.GetLength() != value_length ||
      !pairs_.AddTail(pair).ok()) {
    delete pair;
    return -1;
  }
  return 0;
}

int32_t swCmdParam::Parse(swRead& reader, int depth) {
  // The name buffer also holds response-file names.
  cWorkBuffer name(std::max<uint32_t>(name_limit_, kMaxFileNameLength) + 1);
  cWorkBuffer value(static_cast<uint32_t>(value_limit_) + 1);
  if (!name.ok() || !value.ok()) return -1;
  const char file_char = file_char_;
  auto ends_token = [file_char](char c) {
    return c == '\0' || c == ' ' || StartsSwitch(c) || (file_char != '\0' && c == file_char);
  };

  int32_t added = 0;
  char c = reader.ReadChar();
  while (true) {
    while (c == ' ') c = reader.ReadChar();
    if (c == '\0') break;

    if (file_char != '\0' && c == file_char) {
      uint32_t length = 0;
      c = reader.ReadChar();
      while (!ends_token(c) && length < kMaxFileNameLength) {
        name.data()[length++] = c;
        c = reader.ReadChar();
      }
      // Past the limits the token is dropped, as a file that is not opened would be.
      if (depth + 1 >= kMaxResponseDepth || response_files_read_ >= kMaxResponseFiles) continue;
      if (OpenResponseFile(swString(name.data(), length)).ok() && response_reader_ != nullptr) {
        // The file is read in place; taking the reader lets a nested file open its own.
        std::unique_ptr<swRead> file = std::move(response_reader_);
        ++response_files_read_;
        int32_t nested = Parse(*file, depth + 1);
        if (nested < 0) return -1;
        added += nested;
      }
      continue;
    }

    uint32_t name_length = 0;
    uint32_t value_length = 0;
    if (StartsSwitch(c)) {
      c = reader.ReadChar();
      while (c != '\0' && c != '=' && c != '"' && !ends_token(c) && name_length < name_limit_) {
        name.data()[name_length++] = c;
        c = reader.ReadChar();
      }
      if (c == '=') {
        c = reader.ReadChar();
      } else {
        // No `=`: the value starts with the name after its first character.
        for (uint32_t i = 1; i < name_length && value_length < value_limit_; ++i) {
          value.data()[value_length++] = name.data()[i];
        }
      }
    }

    bool quoted = false;
    while (c != '\0' && value_length < value_limit_) {
      if (!quoted && (StartsSwitch(c) || (file_char != '\0' && c == file_char))) break;
      if (c == '"') quoted = !quoted;
      value.data()[value_length++] = c;
      c = reader.ReadChar();
    }
    while (value_length > 0 && value.data()[value_length - 1] == ' ') --value_length;

    if (AddPair(name.data(), name_length, value.data(), value_length) != 0) return -1;
    ++added;
  }
  return added;
}

Status swCmdParam::FirstPair(swString& name, swString& value) {
  cursor_.Attach(&pairs_);
  return NextPair(name, value);
}

Status swCmdParam::NextPair(swString& name, swString& value) {
  if (!cursor_.Next()) return Status::Declined(Where::kRestart);
  const auto* pair = static_cast<const swParamPair*>(cursor_.Current());
  name = pair->name;
  value = pair->value;
  return Status::Ok();
}

Status swCmdParam::OpenResponseFile(const swString&) {
  response_reader_.reset();
  return Status::Declined(Where::kRestart);
}

void swCmdParam::ReportBadParameter(int, const swString&, const swString&) {}

}  // namespace hv
