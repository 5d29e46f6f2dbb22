#include "client/update/control_file.h"

#include <cerrno>
#include <cstdlib>
#include <string>

#include "client/update/update_codes.h"

namespace hv {

namespace {

constexpr size_t kMaxField = 1023;

// What follows a field the reader took: more fields on its line, or its line's end; or there
// was no field, the text having ended.
enum class FieldEnd : uint8_t { kMore, kLineEnd, kNone };

// A cursor over the text with the two readers of the format.
class cControlReader {
 public:
  explicit cControlReader(const std::string& text) : text_(text) {}

  // One value up to the line end; then spaces, ';', CR and LF are skipped. False when the
  // text ended before it.
  bool ReadValue(swString* value) {
    if (pos_ >= text_.size()) return false;
    const size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] != '\r' && text_[pos_] != '\n' &&
           pos_ - start < kMaxField) {
      ++pos_;
    }
    *value = swString(text_.data() + start, static_cast<uint32_t>(pos_ - start));
    SkipSeparators();
    return true;
  }

  // One field up to ';' or the line end.
  FieldEnd ReadField(swString* field) {
    if (pos_ >= text_.size()) return FieldEnd::kNone;
    const size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] != ';' && text_[pos_] != '\r' &&
           text_[pos_] != '\n' && pos_ - start < kMaxField) {
      ++pos_;
    }
    *field = swString(text_.data() + start, static_cast<uint32_t>(pos_ - start));
    return SkipSeparators() ? FieldEnd::kLineEnd : FieldEnd::kMore;
  }

 private:
  // True when the run held a line end.
  bool SkipSeparators() {
    bool line_end = false;
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == '\r' || c == '\n') {
        line_end = true;
      } else if (c != ' ' && c != ';') {
        break;
      }
      ++pos_;
    }
    return line_end;
  }

  const std::string& text_;
  size_t pos_ = 0;
};

// Leading decimal digits as a 32-bit number: anything else reads as 0, and more than fits
// is held at the largest value rather than wrapping into a different number.
uint32_t DecimalField(const swString& field) {
  const char* text = field.CStr();
  while (*text == ' ' || *text == '\t') ++text;
  if (*text == '-' || *text == '+') return 0;
  errno = 0;
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (end == text) return 0;
  if (errno == ERANGE || value > UINT32_MAX) return UINT32_MAX;
  return static_cast<uint32_t>(value);
}

int32_t SignedField(const swString& field) {
  const long value = std::strtol(field.CStr(), nullptr, 10);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

}  // namespace

Status ParseControlFile(const std::string& content, cControlFileHeader* header,
                        cDownloadItemList* items, int32_t* failed_line) {
  cControlReader reader(content);
  swString values[kControlFileHeaderLines];
  for (int32_t line = 0; line < kControlFileHeaderLines; ++line) {
    if (!reader.ReadValue(&values[line])) {
      if (failed_line != nullptr) *failed_line = line + 1;
      return Status(Where::kUpdate, kNoValue,
                    "the control file ends before header line " + std::to_string(line + 1));
    }
    // Each value is taken as soon as it is read, as a reader that stops half-way would.
    switch (line) {
      case 0: header->file_version = values[0]; break;
      case 1: header->download_type = SignedField(values[1]); break;
      case 2: header->main_source_path = values[2]; break;
      case 3: header->ftp_site = values[3]; break;
      case 4: header->ftp_main_dir = values[4]; break;
      case 5: header->ftp_port = SignedField(values[5]); break;
      case 6: header->ftp_user = values[6]; break;
      case 7: header->ftp_password_index = SignedField(values[7]); break;
      default: break;
    }
  }

  for (;;) {
    swString fields[6];
    bool complete = true;
    for (int32_t i = 0; i < 6 && complete; ++i) {
      const FieldEnd end = reader.ReadField(&fields[i]);
      // Fields 1-5 must be followed by more on the same line; the sixth by a line end.
      complete = end == (i == 5 ? FieldEnd::kLineEnd : FieldEnd::kMore);
    }
    if (!complete || DecimalField(fields[0]) == 0) break;
    auto* item = new cDownloadItem(fields[1].CStr());
    item->file_time_high = DecimalField(fields[2]);
    item->file_time_low = DecimalField(fields[3]);
    item->unused = DecimalField(fields[4]);
    item->size = DecimalField(fields[5]);
    const Status added = items->Add(item);
    if (!added.ok()) {
      return Status(Where::kUpdate, hv::kOutOfMemory,
                    "the control file's items cannot be listed: " + added.message());
    }
  }
  return Status::Ok();
}

swString ControlFileErrorText(int32_t line, const char* path, int32_t status) {
  static const char* const kFormats[kControlFileHeaderLines] = {
      "Failed to get the version number of the control file %s (%lx)",
      "Failed to get the download type from the control file %s (%lx)",
      "Failed to get the main source path from the control file %s (%lx)",
      "Failed to get the FTP site from the control file %s (%lx)",
      "Failed to get the m_FtpMainDir from the control file %s (%lx)",
      "Failed to get the FTP port from the control file %s (%lx)",
      "Failed to get the FTP user from the control file %s (%lx)",
      "Failed to get the FTP password from the control file %s (%lx)",
  };
  swString text;
  if (line < 1 || line > kControlFileHeaderLines) return text;
  text.Format(kFormats[line - 1], path != nullptr ? path : "",
              static_cast<unsigned long>(static_cast<uint32_t>(status)));
  return text;
}

}  // namespace hv
