// The command file monitor's handling of what other programs drop and what the server answers.
// The input is: one byte of switches (connected or not, move or delete, response file wanted),
// the name the server gives a Command response up to the first NUL, and the command file's
// content. Whatever it holds, a handled file is gone from the monitored folder (moved to the
// processed folder when asked), its content goes out whole, a file that was not sent says so
// in the response file, and a response lands only at the configured name or in the data folder.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "client/cmdfile/command_response.h"
#include "client/cmdfile/monitor_poll.h"
#include "client/platform/testing/fake_clock.h"
#include "client/protocol/activity_log.h"
#include "client/protocol/protocol_context.h"
#include "client/protocol/remote_client_socket.h"
#include "client/protocol/session_services.h"
#include "client/protocol/testing/memory_byte_stream.h"
#include "fuzz/fuzz_target.h"
#include "fuzz/scratch_folder.h"

namespace hv {

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail = "") {
  std::fprintf(stderr, "fuzz command_file: %s %s\n", what, detail.c_str());
  std::abort();
}

struct Folders {
  std::string root, watch, processed, data, responses;
};

const Folders& TheFolders() {
  static const Folders folders = [] {
    Folders f;
    f.root = hv::fuzz::ScratchSubfolder("cmdfile");
    f.watch = hv::fuzz::ScratchSubfolder("cmdfile/watch");
    f.processed = hv::fuzz::ScratchSubfolder("cmdfile/processed");
    f.data = hv::fuzz::ScratchSubfolder("cmdfile/data");
    f.responses = hv::fuzz::ScratchSubfolder("cmdfile/responses");
    return f;
  }();
  return folders;
}

class CountingLog : public cActivityLog {
 public:
  hv::Status ShowLogEntry(const LogItemRecord&) override { return hv::Status::Ok(); }
  hv::Status AddLogEntry(const LogItemRecord&, bool, bool) override {
    ++entries;
    return hv::Status::Ok();
  }
  int entries = 0;
};

std::string ReadFile(const std::string& path) {
  std::string text;
  if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    std::fclose(file);
  }
  return text;
}

bool Contains(const std::vector<uint8_t>& bytes, const std::string& part) {
  if (part.empty()) return true;
  const std::string all(bytes.begin(), bytes.end());
  return all.find(part) != std::string::npos;
}

void CheckOnly(const std::string& folder, const std::vector<std::string>& allowed) {
  for (const std::string& name : hv::fuzz::FolderEntries(folder)) {
    bool known = false;
    for (const std::string& ok : allowed) known = known || name == ok;
    if (!known) Fail("an unexpected file", std::string(folder).append("/").append(name));
  }
}

}  // namespace

}  // namespace hv

using namespace hv;  // main() and the C entry points stand outside the namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const Folders& folders = TheFolders();
  const bool connected = (data[0] & 1) != 0;
  const bool move = (data[0] & 2) != 0;
  const bool want_response = (data[0] & 4) != 0;
  const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const size_t nul = rest.find('\0');
  const std::string received_name = nul == std::string::npos ? rest : rest.substr(0, nul);
  const std::string content = nul == std::string::npos ? std::string() : rest.substr(nul + 1);

  cCommandFileWatch watch;
  watch.monitored_directory = folders.watch.c_str();
  watch.file_name = "VHCmd.txt";
  watch.move_to_processed = move;
  watch.processed_directory = folders.processed.c_str();
  watch.create_response_file = want_response;
  const std::string response_path = folders.responses + "/VHCmdResponse.txt";
  watch.response_file_name = response_path.c_str();
  const std::string command_path = folders.watch + "/VHCmd.txt";
  hv::fuzz::WriteWholeFile(command_path, content.data(), content.size());

  CountingLog log;
  cFakeClock clock;
  cProtocolContext context(clock);
  cMemoryByteStream stream(clock);
  cSessionServices services;
  services.activity_log = &log;
  services.data_folder = folders.data.c_str();
  cRemoteClientSocket socket(nullptr, context, &services);
  socket.Channel()->SetStream(&stream);

  cCommandFilePoller poller;
  if (!poller.Poll(watch, connected ? &socket : nullptr, &log).declined())
    Fail("a new file was taken");
  if (!poller.Poll(watch, connected ? &socket : nullptr, &log).ok()) Fail("a settled file was not");
  if (!hv::fuzz::FolderEntries(folders.watch).empty()) Fail("the handled file stayed");
  if (move && ReadFile(folders.processed + "/VHCmd.txt") != content) Fail("the moved file changed");
  if (!move && !hv::fuzz::FolderEntries(folders.processed).empty()) Fail("a deleted file was kept");
  if (connected) {
    // Content beyond one block is split by block headers; the whole of it must still go.
    if (content.size() <= 1024 ? !Contains(stream.Sent(), content)
                               : stream.Sent().size() < content.size()) {
      Fail("the content did not go out whole");
    }
  } else {
    if (log.entries == 0) Fail("an unsent file was not reported");
    if (want_response && ReadFile(response_path).compare(0, 6, "ERROR ") != 0) {
      Fail("an unsent file has no error response");
    }
  }
  if (!want_response) CheckOnly(folders.responses, {});

  // The server answers under a name of its choosing; it is stored in the data folder first.
  const std::string stored = folders.data + "/stored-response";
  hv::fuzz::WriteWholeFile(stored, content.data(), content.size());
  swString final_path;
  const int32_t placed = PlaceCommandResponse(received_name.c_str(), stored.c_str(),
                                              response_path.c_str(), &final_path)
                             .code();
  const std::string landed = final_path.CStr();
  if (placed == 0) {
    if (landed != response_path) Fail("a placed response is elsewhere", landed);
    if (ReadFile(response_path) != content) Fail("a placed response changed");
  } else if (landed != stored || ReadFile(stored) != content) {
    Fail("a response left in the data folder changed", landed);
  }
  CheckOnly(folders.data, {"stored-response"});
  CheckOnly(folders.responses, {"VHCmdResponse.txt"});
  CheckOnly(folders.root, {"data", "processed", "responses", "watch"});
  for (const char* folder : {"data", "processed", "responses"}) {
    hv::fuzz::EmptyFolder(folders.root + "/" + folder);
  }
  return 0;
}
