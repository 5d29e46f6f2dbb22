#include "client/update/auto_updater.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "client/platform/event_loop.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/update/dlg_progress.h"
#include "client/update/file_time.h"
#include "client/update/testing/update_site_builder.h"
#include "client/update/update_codes.h"

namespace hv {

namespace fs = std::filesystem;

namespace {

// Counts the pumps a transfer makes: the window's only chance to stay alive.
class cCountingEventLoop : public cEventLoop {
 public:
  TimerId StartTimer(uint32_t, std::function<void()>) override { return 1; }
  void StopTimer(TimerId) override {}
  WatchId WatchReadable(int, std::function<void()>) override { return 1; }
  void SetWatchEnabled(WatchId, bool) override {}
  void RemoveWatch(WatchId) override {}
  void Pump(uint32_t) override {
    ++pumps;
    if (on_pump) on_pump();
  }
  int pumps = 0;
  std::function<void()> on_pump;
};

// What a version request answers.
struct cVersionAnswer {
  // Asks `updater` for the channel's latest version; the request's status.
  [[nodiscard]] int32_t Get(cAutoUpdater& updater, int32_t channel) {
    return updater.GetVersionInfo(channel, &version, &build, &date, &notes);
  }
  swString version, date, notes;
  int32_t build = 0;
};

struct cStartedProcess {
  std::string program;
  std::vector<std::string> arguments;
  std::string directory;
};

class AutoUpdaterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(site_.Start());
    program_path_ = site_.ProgramFolder() + "/hearthview";
    WriteFileText(program_path_, "old program");
    site_.AddItem({"hearthview.exe", "new program build 187", 0x01D9F000, 0x11111111});
    site_.AddItem({"Help.chm", "help pages"});
    site_.AddItem({"plugin.dll", "a library"});
  }

  std::unique_ptr<cAutoUpdater> MakeUpdater(bool main_program_only = true) {
    cAutoUpdaterServices services;
    services.toolkit = &toolkit_;
    services.event_loop = &loop_;
    services.site = site_.Site();
    services.start_process = [this](const std::string& program,
                                    const std::vector<std::string>& arguments,
                                    const std::string& directory) {
      started_.push_back({program, arguments, directory});
      return 0;
    };
    auto updater = std::make_unique<cAutoUpdater>(services);
    (void)updater->Init(program_path_.c_str(), false, "", main_program_only);
    return updater;
  }

  // The dialog's two runs: the estimate, then the real one.
  int32_t RunUpdate(cAutoUpdater& updater, int32_t channel = kChannelRelease) {
    uint32_t estimate = 0;
    int32_t status = updater.Update(nullptr, false, channel, false, true, &estimate);
    if (status != 0) return status;
    return updater.Update(nullptr, false, channel, false, false, &estimate);
  }

  bool InProgram(const std::string& name) const {
    return fs::exists(site_.ProgramFolder() + "/" + name);
  }
  // The running program alone is in its folder, unchanged, and no restart was started.
  void ExpectNothingInstalled() const {
    EXPECT_EQ(ProgramFolderFiles(), (std::vector<std::string>{"hearthview"}));
    EXPECT_EQ(ReadFileText(program_path_), "old program");
    EXPECT_TRUE(started_.empty());
  }
  std::vector<std::string> ProgramFolderFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(site_.ProgramFolder())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  cUpdateSiteBuilder site_;
  cHeadlessToolkit toolkit_;
  cCountingEventLoop loop_;
  std::string program_path_;
  std::vector<cStartedProcess> started_;
};

TEST_F(AutoUpdaterTest, GetVersionInfoReadsTheSignedVersionFile) {
  site_.SetVersion("2.1", 187, "12/08/2026", "Line one\nLine two\n");
  site_.Publish(kChannelBeta, 2);
  auto updater = MakeUpdater();
  cVersionAnswer answer;
  ASSERT_EQ(answer.Get(*updater, kChannelBeta), 0) << updater->LastError().CStr();
  EXPECT_STREQ(answer.version.CStr(), "2.1");
  EXPECT_EQ(answer.build, 187);
  EXPECT_STREQ(answer.date.CStr(), "12/08/2026");
  EXPECT_STREQ(answer.notes.CStr(), "Line one\r\nLine two\r\n");
  EXPECT_TRUE(updater->ChannelLoaded(kChannelBeta));
  EXPECT_FALSE(updater->ChannelLoaded(kChannelRelease));
  EXPECT_GT(loop_.pumps, 0);
  EXPECT_EQ(toolkit_.WaitCursorDepth(), 0);
  // The control file stays where it was fetched.
  EXPECT_TRUE(fs::exists(std::string(updater->DownloadFolder().CStr()) + "/betafiles.php"));

  // Over the web instead of FTP, the same.
  site_.Publish(kChannelAlpha, 1);
  answer.build = 0;
  ASSERT_EQ(answer.Get(*updater, kChannelAlpha), 0) << updater->LastError().CStr();
  EXPECT_EQ(answer.build, 187);

  EXPECT_EQ(answer.Get(*updater, 7), hv::kMissingArgument);
}

TEST_F(AutoUpdaterTest, ControlFileFailures) {
  auto updater = MakeUpdater();
  cVersionAnswer answer;
  // No control file on the site: the web server's 404.
  EXPECT_EQ(answer.Get(*updater, kChannelRelease), hv::kHttpStatusNotOk);
  EXPECT_NE(std::string(updater->LastError().CStr()).find("ERROR: Read failed while opening URL"),
            std::string::npos);

  // The eight header lines and no items: read, but the version file is not among them.
  site_.WriteControlFile(kChannelRelease,
                         "1\r\n1\r\nhttp://x\r\n127.0.0.1\r\n/HouseDesk\r\n21\r\nu\r\n2\r\n");
  EXPECT_EQ(answer.Get(*updater, kChannelRelease), hv::kNotFound);
  EXPECT_EQ(updater->Items().GetCount(), 0u);

  // A site nobody listens on.
  cAutoUpdaterServices services;
  services.site = site_.Site();
  services.site.web_address = "http://127.0.0.1:1";
  cAutoUpdater nowhere(services);
  EXPECT_EQ(answer.Get(nowhere, kChannelRelease), hv::kNotFound);
  EXPECT_NE(std::string(nowhere.LastError().CStr()).find("ERROR: Unable to open URL"),
            std::string::npos);
}

TEST_F(AutoUpdaterTest, MainProgramOnlyFetchesTheProgramAndStartsRestart) {
  site_.Publish(kChannelRelease, 2);
  auto updater = MakeUpdater(true);
  ASSERT_EQ(RunUpdate(*updater), hv::kRestartStarted) << updater->LastError().CStr();
  // Only the program came down, under its "ex_" name, with the listed file time.
  EXPECT_EQ(ProgramFolderFiles(), (std::vector<std::string>{"hearthview", "hearthview.ex_"}));
  EXPECT_EQ(ReadFileText(program_path_ + ".ex_"), "new program build 187");
  EXPECT_EQ(ReadFileText(program_path_), "old program");
  struct stat info {};
  ASSERT_EQ(stat((program_path_ + ".ex_").c_str(), &info), 0);
  EXPECT_EQ(info.st_mtim.tv_sec, FileTimeToTimespec(0x01D9F000, 0x11111111).tv_sec);

  ASSERT_EQ(started_.size(), 1u);
  EXPECT_EQ(started_[0].program, site_.ProgramFolder() + "/restart");
  EXPECT_EQ(started_[0].directory, site_.ProgramFolder());
  EXPECT_EQ(started_[0].arguments,
            (std::vector<std::string>{"/F=\"" + program_path_ + "\"", "/D=10000",
                                      "/C=\"" + program_path_ + ".ex_\"",
                                      "/T=\"" + program_path_ + "\""}));
  EXPECT_GT(loop_.pumps, 0);
  EXPECT_TRUE(toolkit_.HeadlessMessageBox().Shown().empty());
}

TEST_F(AutoUpdaterTest, AProgramPathWithAQuoteIsNotHandedToRestart) {
  site_.Publish(kChannelRelease, 2);
  const std::string folder = site_.ProgramFolder() + "/say \"hi\"";
  fs::create_directories(folder);
  program_path_ = folder + "/hearthview";
  WriteFileText(program_path_, "old program");
  auto updater = MakeUpdater();
  EXPECT_EQ(RunUpdate(*updater), hv::kRestartNotStarted);
  EXPECT_TRUE(started_.empty());
  EXPECT_EQ(ReadFileText(program_path_), "old program");
}

TEST_F(AutoUpdaterTest, ListWithoutTheProgramFetchesTheRestAndDoesNotRestart) {
  cUpdateSiteBuilder other;
  ASSERT_TRUE(other.Start());
  other.AddItem({"Help.chm", "help pages", 0x01D00000, 0x22222222});
  other.AddItem({"docs/guide.txt", "a guide"});
  other.AddItem({"System32/x.dll", "windows only"});
  other.Publish(kChannelRelease, 1);
  cAutoUpdaterServices services;
  services.toolkit = &toolkit_;
  services.site = other.Site();
  services.start_process = [this](const std::string& program, const std::vector<std::string>& a,
                                  const std::string& d) {
    started_.push_back({program, a, d});
    return 0;
  };
  cAutoUpdater updater(services);
  const std::string program = other.ProgramFolder() + "/hearthview";
  WriteFileText(program, "old");
  (void)updater.Init(program.c_str(), false, "", false);
  uint32_t estimate = 0;
  ASSERT_EQ(updater.Update(nullptr, false, kChannelRelease, false, true, &estimate), 0);
  // Sizes plus 50 bytes for each of the five items (the version file and its signature too).
  EXPECT_EQ(estimate, 10u + 7u + 12u + updater.Items().Find("version.txt")->size + 64u + 5u * 50u);
  ASSERT_EQ(updater.Update(nullptr, false, kChannelRelease, false, false, &estimate), 0)
      << updater.LastError().CStr();
  EXPECT_TRUE(started_.empty());
  EXPECT_EQ(ReadFileText(other.ProgramFolder() + "/Help.chm"), "help pages");
  EXPECT_EQ(ReadFileText(other.ProgramFolder() + "/docs/guide.txt"), "a guide");
  EXPECT_FALSE(fs::exists(other.ProgramFolder() + "/System32"));
  struct stat info {};
  ASSERT_EQ(stat((other.ProgramFolder() + "/Help.chm").c_str(), &info), 0);
  EXPECT_EQ(info.st_mtim.tv_sec, FileTimeToTimespec(0x01D00000, 0x22222222).tv_sec);
  // No staging folder or half file is left behind.
  for (const auto& entry : fs::directory_iterator(other.ProgramFolder())) {
    EXPECT_EQ(entry.path().filename().string().find(".update-"), std::string::npos);
  }
}

TEST_F(AutoUpdaterTest, CancelStopsTheRunAndInstallsNothing) {
  site_.Publish(kChannelRelease, 2);
  auto updater = MakeUpdater();
  // The user presses Cancel while the window is pumped during the download.
  loop_.on_pump = [&] {
    if (CDlgProgress* progress = updater->Progress()) {
      progress->OnCommand(kResultCancel, eCommandEvent::kClicked);
    }
  };
  EXPECT_EQ(RunUpdate(*updater), hv::kDeclined);
  ExpectNothingInstalled();
  EXPECT_EQ(updater->Progress(), nullptr);
}

TEST_F(AutoUpdaterTest, LockStopsTheRunBeforeAnythingComesDown) {
  site_.Publish(kChannelRelease, 2);
  site_.PutFtpFile("lock.dat", "publishing");
  auto updater = MakeUpdater();
  EXPECT_EQ(RunUpdate(*updater), hv::kUpdatesLocked);
  ExpectNothingInstalled();
  ASSERT_EQ(toolkit_.HeadlessMessageBox().Shown().size(), 1u);
  EXPECT_STREQ(toolkit_.HeadlessMessageBox().Shown()[0].caption.CStr(), "Auto Update");

  // An empty lock file does not lock.
  site_.PutFtpFile("lock.dat", "");
  EXPECT_EQ(RunUpdate(*updater), hv::kRestartStarted);

  // A non-empty black list excludes, silently.
  toolkit_.HeadlessMessageBox().ClearShown();
  site_.PutFtpFile("BlackList.dat", "everyone");
  EXPECT_EQ(updater->CheckBlackList(), hv::kUpdatesLocked);
  EXPECT_TRUE(toolkit_.HeadlessMessageBox().Shown().empty());
}

TEST_F(AutoUpdaterTest, PasswordIndexPastTheTableKeepsThePasswordInUse) {
  site_.Publish(kChannelRelease, 2, cUpdateSiteBuilder::kServedPasswordIndex);
  auto updater = MakeUpdater();
  cVersionAnswer answer;
  ASSERT_EQ(answer.Get(*updater, kChannelRelease), 0);
  const swString served = updater->FtpPassword();
  site_.Publish(kChannelRelease, 2, 7);
  updater->Close();
  ASSERT_EQ(answer.Get(*updater, kChannelRelease), 0) << updater->LastError().CStr();
  EXPECT_EQ(updater->FtpPassword(), served);

  // A fresh engine keeps its own default, which this server refuses.
  auto fresh = MakeUpdater();
  EXPECT_EQ(answer.Get(*fresh, kChannelRelease), hv::kCannotOpenSession);
}

TEST_F(AutoUpdaterTest, TamperedFileInstallsNothing) {
  site_.Publish(kChannelRelease, 2);
  site_.Tamper("hearthview.exe", "someone else's program");
  auto updater = MakeUpdater();
  EXPECT_EQ(RunUpdate(*updater), hv::kNotAuthentic);
  ExpectNothingInstalled();
  ASSERT_EQ(toolkit_.HeadlessMessageBox().Shown().size(), 1u);
  EXPECT_NE(std::string(toolkit_.HeadlessMessageBox().Shown()[0].text.CStr())
                .find("nothing was installed"),
            std::string::npos);

  // One bad file among good ones: none of them is installed.
  cUpdateSiteBuilder other;
  ASSERT_TRUE(other.Start());
  other.AddItem({"a.txt", "first"});
  other.AddItem({"b.txt", "second"});
  other.Publish(kChannelRelease, 2);
  other.Tamper("b.txt", "changed");
  cAutoUpdaterServices services;
  services.site = other.Site();
  cAutoUpdater all(services);
  (void)all.Init((other.ProgramFolder() + "/hearthview").c_str(), false, "", false);
  uint32_t estimate = 0;
  EXPECT_EQ(all.Update(nullptr, false, kChannelRelease, true, false, &estimate), hv::kNotAuthentic);
  EXPECT_FALSE(fs::exists(other.ProgramFolder() + "/a.txt"));
  EXPECT_FALSE(fs::exists(other.ProgramFolder() + "/b.txt"));
}

TEST_F(AutoUpdaterTest, BadSignatureOrNoKeyRefusesTheVersionFile) {
  site_.Publish(kChannelRelease, 2);
  site_.SignWithStrangerKey();
  auto updater = MakeUpdater();
  cVersionAnswer answer;
  EXPECT_EQ(answer.Get(*updater, kChannelRelease), hv::kNotAuthentic);
  // The refused files are deleted.
  EXPECT_FALSE(fs::exists(std::string(updater->DownloadFolder().CStr()) + "/version.txt"));
  EXPECT_EQ(RunUpdate(*updater), hv::kNotAuthentic);
  ExpectNothingInstalled();

  // A good signature, but a build that trusts no key.
  site_.Publish(kChannelRelease, 2);
  cAutoUpdaterServices services;
  services.site = site_.Site();
  services.site.public_key.clear();
  cAutoUpdater keyless(services);
  EXPECT_EQ(answer.Get(keyless, kChannelRelease), hv::kNotAuthentic);
  EXPECT_STREQ(keyless.LastError().CStr(), "This build has no key to check updates with");

  // A control file that does not list the signature.
  site_.WriteControlFile(kChannelRelease,
                         "1\r\n1\r\nhttp://x\r\n127.0.0.1\r\n/HouseDesk\r\n21\r\nu\r\n2\r\n"
                         "1;version.txt;1;2;0;10\r\n");
  EXPECT_EQ(answer.Get(*updater, kChannelRelease), hv::kNotAuthentic);
}

TEST_F(AutoUpdaterTest, ItemPathsCannotLeaveTheProgramFolder) {
  site_.AddItem({"../escape.txt", "outside"});
  site_.Publish(kChannelRelease, 1);
  auto updater = MakeUpdater(false);
  EXPECT_EQ(RunUpdate(*updater), hv::kRestartStarted);
  EXPECT_FALSE(fs::exists(site_.Root() + "/escape.txt"));
  EXPECT_TRUE(InProgram("Help.chm"));

  cDownloadItem absolute("/etc/passwd");
  EXPECT_EQ(updater->DownloadItem(kChannelRelease, absolute, false, "", nullptr, nullptr),
            hv::kDownloadFailed);
}

}  // namespace

}  // namespace hv
