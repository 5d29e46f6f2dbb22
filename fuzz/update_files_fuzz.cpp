// What an update site serves before anything is downloaded: the channel's control file and
// the release's version file. The input is read as both. A control file's header values and
// items never hold a line break or a field longer than the reader takes, and its items print
// back to a file that reads to the same items; a version file's hashes are whole SHA-256
// values and its notes have CR LF line ends only.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "client/update/control_file.h"
#include "client/update/download_item.h"
#include "client/update/version_file.h"
#include "fuzz/fuzz_target.h"

namespace hv {

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "fuzz update_files: %s\n", what);
  std::abort();
}

void CheckValue(const swString& value) {
  const std::string text(value.CStr(), value.GetLength());
  if (text.find_first_of("\r\n") != std::string::npos) Fail("a value holds a line break");
  if (text.size() > 1023) Fail("a value longer than the reader takes");
}

struct Item {
  std::string path;
  uint32_t high, low, unused, size;
  bool operator==(const Item&) const = default;
};

std::vector<Item> ItemsOf(cDownloadItemList& list) {
  std::vector<Item> items;
  list.ForEach([&](cDownloadItem& item) {
    items.push_back({std::string(item.CStr(), item.GetLength()), item.file_time_high,
                     item.file_time_low, item.unused, item.size});
  });
  return items;
}

void CheckControlFile(const std::string& text) {
  cControlFileHeader header;
  cDownloadItemList list;
  int32_t failed_line = 0;
  const Status status = ParseControlFile(text, &header, &list, &failed_line);
  if (!status.ok()) {
    if (failed_line < 1 || failed_line > kControlFileHeaderLines) Fail("no failed header line");
    if (list.GetCount() != 0) Fail("items read after a bad header");
    (void)ControlFileErrorText(failed_line, "/fuzz/VHControl.txt", status.code());
    return;
  }
  for (const swString* value : {&header.file_version, &header.main_source_path, &header.ftp_site,
                                &header.ftp_main_dir, &header.ftp_user}) {
    CheckValue(*value);
  }
  const std::vector<Item> items = ItemsOf(list);
  std::string printed = "1\n1\nsource\nsite\ndir\n21\nuser\n4\n";
  for (const Item& item : items) {
    const std::string path(item.path.c_str());  // the reader keeps what comes before a NUL
    if (path.find_first_of(";\r\n") != std::string::npos) Fail("an item path holds a separator");
    if (path.size() > 1023) Fail("an item path longer than the reader takes");
    // Items with leading spaces or empty paths cannot be printed back faithfully.
    if (path.empty() || path.front() == ' ' || path.back() == ' ') return;
    printed += "1;" + path + ";" + std::to_string(item.high) + ";" + std::to_string(item.low) +
               ";" + std::to_string(item.unused) + ";" + std::to_string(item.size) + "\r\n";
  }
  cControlFileHeader again_header;
  cDownloadItemList again;
  if (!ParseControlFile(printed, &again_header, &again, &failed_line).ok()) {
    Fail("printed items do not read");
  }
  std::vector<Item> expected;
  expected.reserve(items.size());
  for (const Item& item : items)
    expected.push_back({item.path.c_str(), item.high, item.low, item.unused, item.size});
  if (ItemsOf(again) != expected) Fail("items changed when printed and read back");
}

void CheckVersionFile(const std::string& text) {
  cVersionInfo info;
  ParseVersionFile(text, &info);
  for (const auto& [path, entry] : info.files) {
    if (path.empty()) Fail("a file without a path");
    if (path.find('\n') != std::string::npos) Fail("an item path holds a line break");
    if (entry.sha256.size() != 32) Fail("a hash that is not 32 bytes");
    if (entry.platform.empty()) Fail("a file for no platform");
  }
  const std::string notes(info.notes.CStr(), info.notes.GetLength());
  for (size_t i = 0; i < notes.size(); ++i) {
    if (notes[i] == '\n' && (i == 0 || notes[i - 1] != '\r')) Fail("a bare line feed in notes");
  }
}

}  // namespace

}  // namespace hv

using namespace hv;  // main() and the C entry points stand outside the namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CheckControlFile(text);
  CheckVersionFile(text);
  return 0;
}
