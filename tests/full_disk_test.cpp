// A full disk during the settings save, a response file write, a received command response
// and an update download. The disk is made "full" for this process with a file size limit
// (writes past it fail as they would on a full file system), which needs no privileges; the
// old files must stay whole, nothing half-written may be left beside them, and the failure
// must be reported.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "client/cmdfile/client_storage.h"
#include "client/cmdfile/monitor_command_file.h"
#include "client/cmdfile/settings_file.h"
#include "client/cmdfile/testing/storage_watching.h"
#include "client/protocol/testing/memory_socket.h"
#include "client/protocol/testing/protocol_test_support.h"
#include "client/protocol/testing/recording_services.h"
#include "client/update/testing/local_servers.h"
#include "client/update/transfer.h"
#include "core/file/file_replace.h"
#include "core/testing/temp_folder.h"
#include "core/wire/message_types.h"

namespace hv {

namespace {

namespace fs = std::filesystem;

// While it lives, no file of this process may grow past `bytes`.
class FullDisk {
 public:
  explicit FullDisk(rlim_t bytes) {
    signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of ending the process
    getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit limit{bytes, saved_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FullDisk() { setrlimit(RLIMIT_FSIZE, &saved_); }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

 private:
  rlimit saved_{};
};

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> Entries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  return names;
}

TEST(FullDisk, SettingsSaveFailsAndKeepsTheOldFile) {
  hv::test::cTempFolder folder("full_settings");
  const fs::path path = fs::path(folder.path()) / "VHClientSettings.txt";
  ASSERT_EQ(SaveClientStorage(path.c_str(), *test::StorageWatching("/old"), nullptr).code(), 0);
  const std::string old_bytes = ReadText(path);
  auto larger = test::StorageWatching(("/new/" + std::string(4000, 'n')).c_str());
  for (rlim_t room : {rlim_t{0}, rlim_t{1}, rlim_t{64}, rlim_t{1000}, rlim_t{4000}}) {
    SCOPED_TRACE("room for " + std::to_string(room) + " bytes");
    hv::Status saved;
    {
      FullDisk full(room);
      saved = SaveClientStorage(path.c_str(), *larger, nullptr);
    }
    EXPECT_TRUE(saved.failed()) << "a save that did not fit was reported as done";
    // The user is told the system's reason, not only that the save failed.
    EXPECT_NE(saved.message().find(": File too large"), std::string::npos) << saved.message();
    EXPECT_EQ(ReadText(path), old_bytes);
    EXPECT_EQ(Entries(folder.path()), std::vector<std::string>{"VHClientSettings.txt"});
  }
  // With room again, the same save goes through.
  EXPECT_EQ(SaveClientStorage(path.c_str(), *larger, nullptr).code(), 0);
}

TEST(FullDisk, ResponseFileWriteFailsAndKeepsTheOldResponse) {
  hv::test::cTempFolder folder("full_response");
  const fs::path path = fs::path(folder.path()) / "VHCmdResponse.txt";
  WriteText(path, "OK the earlier response\r\n");
  const std::string response(10000, 'r');
  hv::Status written;
  {
    FullDisk full(5000);
    written = ReplaceFileWithBytes(path.c_str(), response.data(), response.size());
  }
  EXPECT_TRUE(written.failed());
  EXPECT_EQ(ReadText(path), "OK the earlier response\r\n");
  EXPECT_EQ(Entries(folder.path()), std::vector<std::string>{"VHCmdResponse.txt"});
}

TEST(FullDisk, ReceivedCommandResponseThatDoesNotFitIsReportedAndKeepsTheOldOne) {
  hv::test::cTempFolder folder("full_received");
  const fs::path stored = fs::path(folder.path()) / "VHCmdResponse.txt";
  WriteText(stored, "OK the earlier response\r\n");
  const std::string& data_folder = folder.path();

  hv::test::cRecordingServices recorders;
  recorders.services.data_folder = data_folder.c_str();
  hv::test::cMemorySocket wire(&recorders.services);
  const hv::test::Bytes text(8000, 'x');
  wire.stream.Feed(hv::test::BlockImage(3, msg::kCommandResponse,
                                        hv::test::Payload().Str("VHCmdResponse.txt").Chunk(text)));
  uint32_t type = 0;
  int32_t rc = 0;
  {
    FullDisk full(2000);
    rc = wire.socket.ProcessIncoming(&type).code();
  }
  EXPECT_LT(rc, 0) << "a response that could not be stored was taken as stored";
  EXPECT_TRUE(recorders.receiver.responses.empty());
  EXPECT_EQ(ReadText(stored), "OK the earlier response\r\n");
  EXPECT_EQ(Entries(folder.path()), std::vector<std::string>{"VHCmdResponse.txt"});
}

TEST(FullDisk, UpdateDownloadFailsAndKeepsTheOldFile) {
  hv::test::cTempFolder folder("full_download");
  const fs::path site = fs::path(folder.path()) / "site";
  const fs::path local = fs::path(folder.path()) / "local";
  fs::create_directories(site);
  fs::create_directories(local);
  WriteText(site / "hearthview", std::string(200000, 'p'));
  WriteText(local / "hearthview", "the program that runs now");
  cLocalServer http;
  // The server is started before the disk fills: it is another process with its own limits.
  if (!http.StartHttp(site.string())) GTEST_SKIP() << "no local HTTP server";
  const std::string url = "http://127.0.0.1:" + std::to_string(http.Port()) + "/hearthview";
  const std::string target = (local / "hearthview").string();
  cWebRequest request;
  request.url = url.c_str();
  request.local_path = target.c_str();
  hv::Status rc;
  {
    FullDisk full(50000);
    rc = FetchWebFile(request);
  }
  EXPECT_TRUE(rc.failed());
  EXPECT_FALSE(rc.message().empty()) << "the failure was not described";
  EXPECT_EQ(ReadText(local / "hearthview"), "the program that runs now");
  EXPECT_EQ(Entries(local), std::vector<std::string>{"hearthview"});
  // With room again, the download goes through.
  const hv::Status again = FetchWebFile(request);
  ASSERT_TRUE(again.ok()) << again.ToString();
  EXPECT_EQ(ReadText(local / "hearthview").size(), 200000u);
}

}  // namespace

}  // namespace hv
