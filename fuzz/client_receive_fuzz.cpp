// The client's receive path with a hostile server on the other end: the input is everything the
// server sends, read block by block through the real channel and answer dispatcher until the
// stream is exhausted or the connection would be dropped.
//
// Checks beyond "no crash, no hang": files the server names land only in the data folder; the
// shell is only ever asked to open files there; no temporary file, named or not, outlives the
// socket.
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <variant>

#include "client/picture/bitmap.h"
#include "client/picture/picture_loader.h"
#include "client/platform/testing/fake_clock.h"
#include "client/protocol/activity_log.h"
#include "client/protocol/answer_receiver.h"
#include "client/protocol/protocol_context.h"
#include "client/protocol/remote_client_socket.h"
#include "client/protocol/scratch_files.h"
#include "client/protocol/session_services.h"
#include "client/protocol/testing/memory_byte_stream.h"
#include "client/protocol/testing/protocol_test_support.h"
#include "core/system_error.h"
#include "fuzz/fuzz_target.h"
#include "fuzz/scratch_folder.h"

namespace hv {

namespace {

// Blocks a single input may make the client read; far more than any seed needs, and it keeps
// a stream of tiny blocks from running for long.
constexpr int kMaxBlocks = 4096;

[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "fuzz client_receive: %s: %s\n", what, detail.c_str());
  std::abort();
}

struct Folders {
  std::string data;
  std::string tmp;
};

const Folders& TheFolders() {
  static const Folders folders = [] {
    Folders f;
    f.data = hv::fuzz::ScratchSubfolder("data");
    // Without links on the way, so that it matches what a descriptor's link names.
    char* real = realpath(hv::fuzz::ScratchSubfolder("tmp").c_str(), nullptr);
    if (real == nullptr) Fail("cannot resolve the scratch folder", hv::SystemReason(errno));
    f.tmp = real;
    std::free(real);
    // Thumbnails of several blocks are gathered in scratch files in $TMPDIR: keep them where
    // we can see them.
    setenv("TMPDIR", f.tmp.c_str(), 1);
    return f;
  }();
  return folders;
}

bool InsideFolder(const std::string& path, const std::string& folder) {
  return path.size() > folder.size() + 1 && path.compare(0, folder.size(), folder) == 0 &&
         path[folder.size()] == '/' && path.find('/', folder.size() + 1) == std::string::npos;
}

// Where a gathered thumbnail really is. An unnamed scratch file is read back through the
// process's link to its descriptor, which names the folder it was made in (and a name the
// kernel made up, marked deleted); a named one is where its name says.
std::string ThumbnailFileLocation(const char* file) {
  if (!cScratchFiles::IsUnnamed(file)) return file;
  char target[4096];
  const ssize_t length = readlink(file, target, sizeof target - 1);
  if (length <= 0) Fail("thumbnail descriptor has no link", file);
  std::string location(target, static_cast<size_t>(length));
  static constexpr char kDeleted[] = " (deleted)";
  if (location.ends_with(kDeleted)) location.resize(location.size() - (sizeof kDeleted - 1));
  return location;
}

// Takes every answer as the main window would: thumbnails are decoded by the picture layer
// while their file exists; command responses must have been stored in the data folder.
class LoadingReceiver : public cAnswerReceiver {
 public:
  hv::Status Receive(const Answer& answer) override {
    if (const auto* thumbnail = std::get_if<ThumbnailAnswer>(&answer)) Load(thumbnail->picture);
    if (const auto* stored = std::get_if<CommandResponseStoredRecord>(&answer)) {
      const char* path = stored->stored_path.c_str();
      if (!InsideFolder(path, TheFolders().data)) Fail("response stored outside", path);
    }
    return hv::Status::Ok();
  }

 private:
  static void Load(const ThumbnailPicture& encoded) {
    // Only that decoding hostile bytes is safe matters here, not whether it succeeds.
    cBitmap picture;
    if (encoded.file == nullptr) {
      LoadPictureFromMemory(encoded.bytes, encoded.size, &picture)
          .Ignore("only that decoding is safe matters, not whether it succeeds");
      return;
    }
    if (!InsideFolder(ThumbnailFileLocation(encoded.file), TheFolders().tmp))
      Fail("thumbnail file outside TMPDIR", encoded.file);
    LoadPictureFile(encoded.file, &picture)
        .Ignore("only that decoding is safe matters, not whether it succeeds");
  }
};

class CheckingShell : public cShell {
 public:
  hv::Status Open(const char* file_or_url) override {
    if (!InsideFolder(file_or_url, TheFolders().data))
      Fail("opened outside the data folder", file_or_url);
    return hv::Status::Ok();
  }
  // Launch program answers start what the server names by design; here nothing is started.
  hv::Status Execute(const char*, const char*, const char*, const char*, int32_t) override {
    return hv::Status::Ok();
  }
};

class SilentActivityLog : public cActivityLog {
 public:
  hv::Status ShowLogEntry(const LogItemRecord&) override { return hv::Status::Ok(); }
  hv::Status AddLogEntry(const LogItemRecord&, bool, bool) override { return hv::Status::Ok(); }
};

void CheckNothingLeftBehind(const Folders& folders) {
  auto top = hv::fuzz::FolderEntries(hv::fuzz::ScratchFolder());
  for (const std::string& name : top) {
    if (name != "data" && name != "tmp") Fail("file written outside its folders", name);
  }
  auto temporaries = hv::fuzz::FolderEntries(folders.tmp);
  if (!temporaries.empty()) Fail("temporary file outlived the socket", temporaries.front());
  hv::fuzz::EmptyFolder(folders.data);
}

}  // namespace

}  // namespace hv

using namespace hv;  // main() and the C entry points stand outside the namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Folders& folders = TheFolders();
  // Unnamed scratch files leave no entry in a folder; one left open shows as a descriptor.
  const size_t descriptors_before = hv::fuzz::OpenDescriptorCount();
  {
    LoadingReceiver receiver;
    CheckingShell shell;
    SilentActivityLog log;
    cSessionServices services;
    services.receiver = &receiver;
    services.activity_log = &log;
    services.shell = &shell;
    services.data_folder = folders.data.c_str();

    cFakeClock clock;
    cProtocolContext context(clock);
    cMemoryByteStream stream(clock);
    stream.Feed(data, size);
    stream.Close();
    cRemoteClientSocket socket(nullptr, context, &services);
    socket.Channel()->SetStream(&stream);
    // The log feed is on, as it is once the main window has asked for log items.
    socket.SetLogFeedOn(1);

    for (int i = 0; i < kMaxBlocks && stream.PendingBytes() > 0; ++i) {
      uint32_t type = 0;
      // Any failure drops the connection in the program, so reading stops there too.
      if (!socket.ProcessIncoming(&type).ok()) break;
    }
  }
  CheckNothingLeftBehind(folders);
  if (hv::fuzz::OpenDescriptorCount() != descriptors_before)
    Fail("descriptor outlived the socket", std::to_string(descriptors_before));
  return 0;
}
