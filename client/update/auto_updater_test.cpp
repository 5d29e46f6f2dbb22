#include "client/update/auto_updater.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "client/platform/testing/fake_clock.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/update/dlg_progress.h"
#include "client/update/file_time.h"
#include "client/update/testing/local_servers.h"
#include "client/update/testing/pump_hook_event_loop.h"
#include "client/update/testing/update_site_builder.h"
#include "client/update/update_codes.h"
#include "core/string/path_name.h"
#include "core/testing/temp_config_home.h"

namespace hv {

namespace fs = std::filesystem;

namespace {

using cCountingEventLoop = hv::cPumpHookEventLoop;

// What a version request answers.
struct cVersionAnswer {
  // Asks `updater` for the channel's latest version; the request's status.
  [[nodiscard]] int32_t Get(cAutoUpdater& updater, int32_t channel) {
    status = updater.GetVersionInfo(channel, &version, &build, &date, &notes);
    return status.code();
  }
  hv::Status status;  // the last request's, with its words
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
    services.clock = &clock_;
    services.utc_now = [this] { return now_; };
    services.limits = limits_;
    services.toolkit = &toolkit_;
    services.event_loop = &loop_;
    services.site = site_.Site();
    services.start_process = [this](const std::string& program,
                                    const std::vector<std::string>& arguments,
                                    const std::string& directory) {
      started_.push_back({program, arguments, directory});
      return hv::Status::Ok();
    };
    auto updater = std::make_unique<cAutoUpdater>(services);
    updater->Init(program_path_.c_str(), false, "", main_program_only);
    return updater;
  }

  // The dialog's two runs: the estimate, then the real one.
  UpdateResult RunUpdate(cAutoUpdater& updater, int32_t channel = kChannelRelease) {
    uint32_t estimate = 0;
    last_run_ = updater.Update(nullptr, false, channel, false, true, &estimate);
    if (last_run_.status.ok()) {
      last_run_ = updater.Update(nullptr, false, channel, false, false, &estimate);
    }
    return last_run_;
  }

  bool InProgram(const std::string& name) const {
    return fs::exists(site_.ProgramFolder() + "/" + name);
  }
  // The running program and its helper alone are in their folder, unchanged, and no restart
  // was started.
  void ExpectNothingInstalled() const {
    EXPECT_EQ(ProgramFolderFiles(), (std::vector<std::string>{"hearthview", "restart"}));
    EXPECT_EQ(ReadFileText(program_path_), "old program");
    EXPECT_TRUE(started_.empty());
  }
  // Runs the update, which must end with `code` having installed nothing and shown one box:
  // that box, or null when it showed another number of them.
  const cHeadlessMessageBox::cShown* RefusedWithOneBox(cAutoUpdater& updater, int32_t code) {
    EXPECT_EQ(RunUpdate(updater).status.code(), code);
    ExpectNothingInstalled();
    const auto& shown = toolkit_.HeadlessMessageBox().Shown();
    EXPECT_EQ(shown.size(), 1u);
    return shown.size() == 1 ? &shown[0] : nullptr;
  }
  // The one staging folder a run that handed over left for the helper; empty when none.
  std::string StagingFolder() const {
    for (const auto& entry : fs::directory_iterator(site_.ProgramFolder())) {
      if (entry.path().filename().string().rfind(".update-", 0) == 0) return entry.path().string();
    }
    return std::string();
  }
  std::vector<std::string> ProgramFolderFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(site_.ProgramFolder())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  TempConfigHome config_home_;  // the newest accepted publication is kept here
  cUpdateSiteBuilder site_;
  cHeadlessToolkit toolkit_;
  cCountingEventLoop loop_;
  cFakeClock clock_;
  cTransferLimits limits_;
  std::string program_path_;
  std::vector<cStartedProcess> started_;
  UpdateResult last_run_;  // what RunUpdate last ended with
  // The wall clock the releases' expiry is read against: an hour after the site's default
  // publication.
  int64_t now_ = 1796000000 + 3600;
};

TEST_F(AutoUpdaterTest, GetVersionInfoReadsTheSignedVersionFile) {
  site_.SetVersion("2.1", 187, "12/08/2026", "Line one\nLine two\n");
  site_.Publish(kChannelBeta, 2);
  auto updater = MakeUpdater();
  cVersionAnswer answer;
  ASSERT_EQ(answer.Get(*updater, kChannelBeta), 0) << answer.status.ToString();
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
  ASSERT_EQ(answer.Get(*updater, kChannelAlpha), 0) << answer.status.ToString();
  EXPECT_EQ(answer.build, 187);

  EXPECT_EQ(answer.Get(*updater, 7), hv::kMissingArgument);
}

TEST_F(AutoUpdaterTest, ControlFileFailures) {
  auto updater = MakeUpdater();
  cVersionAnswer answer;
  // No control file on the site: the web server's 404.
  EXPECT_EQ(answer.Get(*updater, kChannelRelease), hv::kHttpStatusNotOk);
  EXPECT_NE(answer.status.message().find("ERROR: Read failed while opening URL"),
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
  EXPECT_NE(answer.status.message().find("ERROR: Unable to open URL"), std::string::npos);

  // A download folder that cannot be made (below a plain file) is named as what failed.
  services.site = site_.Site();
  services.site.download_folder = (program_path_ + "/Updates").c_str();
  cAutoUpdater unwritable(services);
  EXPECT_EQ(answer.Get(unwritable, kChannelRelease), hv::kCannotOpenFile);
  EXPECT_NE(answer.status.message().find("Unable to make the folder"), std::string::npos);

  // A control file that cannot be read says which file and why, beside the engine's code.
  const std::string missing = program_path_ + "/NoSuchControl.txt";
  const hv::Status unread = updater->ReadControlFile(missing.c_str());
  EXPECT_TRUE(unread.Is(hv::Where::kUpdate, hv::kCannotOpenFile)) << unread.ToString();
  EXPECT_NE(unread.message().find("NoSuchControl.txt"), std::string::npos) << unread.ToString();
}

TEST_F(AutoUpdaterTest, MainProgramOnlyFetchesTheProgramAndStartsRestart) {
  site_.Publish(kChannelRelease, 2);
  auto updater = MakeUpdater(true);
  ASSERT_EQ(RunUpdate(*updater).outcome, UpdateOutcome::kRestartStarted)
      << last_run_.status.ToString();
  // Only the program came down, under its "ex_" name in the staging folder the helper takes
  // over, with the listed file time; nothing is in place before the hand-off.
  const std::string staging = StagingFolder();
  ASSERT_FALSE(staging.empty());
  EXPECT_EQ(ProgramFolderFiles(),
            (std::vector<std::string>{PosixFileName(staging).data(), "hearthview", "restart"}));
  const std::string fresh = staging + "/hearthview.ex_";
  EXPECT_EQ(ReadFileText(fresh), "new program build 187");
  EXPECT_EQ(ReadFileText(program_path_), "old program");
  struct stat info {};
  ASSERT_EQ(stat(fresh.c_str(), &info), 0);
  EXPECT_EQ(info.st_mtim.tv_sec, FileTimeToTimespec(0x01D9F000, 0x11111111).tv_sec);
  // The helper learns the file's signed hash from the list.
  EXPECT_EQ(ReadFileText(staging + "/restart.list"),
            "hearthview restart list 1\n"
            "389aebf924e22ff67c210729156354bd17d159dba867a2fe8c5a1244d919fe1d\thearthview.ex_"
            "\thearthview\n");

  ASSERT_EQ(started_.size(), 1u);
  EXPECT_EQ(started_[0].program, site_.ProgramFolder() + "/restart");
  EXPECT_EQ(started_[0].directory, site_.ProgramFolder());
  EXPECT_EQ(
      started_[0].arguments,
      (std::vector<std::string>{"/F=\"" + program_path_ + "\"", "/D=10000", "/C=\"" + fresh + "\"",
                                "/T=\"" + program_path_ + "\"", "/P=" + std::to_string(getpid()),
                                "/L=\"" + staging + "/restart.list\""}));
  EXPECT_GT(loop_.pumps, 0);
  EXPECT_TRUE(toolkit_.HeadlessMessageBox().Shown().empty());
}

// The backup copies the user asked for come before anything is replaced: when they cannot be
// made (a link planted as the Backup folder), nothing is installed and the box says why.
TEST_F(AutoUpdaterTest, ABackupThatCannotBeMadeInstallsNothing) {
  site_.Publish(kChannelRelease, 2);
  const std::string elsewhere = site_.ProgramFolder() + "/../elsewhere";
  fs::create_directories(elsewhere);
  fs::create_directory_symlink(elsewhere, site_.ProgramFolder() + "/Backup");
  auto updater = MakeUpdater();
  updater->Init(program_path_.c_str(), true, "", true);
  const UpdateResult run = RunUpdate(*updater);
  EXPECT_TRUE(IsUpdateCode(run.status, kCannotOpenFile)) << run.status.ToString();
  EXPECT_EQ(run.outcome, UpdateOutcome::kNothingInstalled);
  EXPECT_TRUE(started_.empty());
  EXPECT_EQ(ReadFileText(program_path_), "old program");
  EXPECT_EQ(StagingFolder(), "");
  EXPECT_TRUE(fs::is_empty(elsewhere));
  const auto& shown = toolkit_.HeadlessMessageBox().Shown();
  ASSERT_EQ(shown.size(), 1u);
  const std::string text = shown[0].text.CStr();
  EXPECT_NE(text.find("backup copies could not be made"), std::string::npos) << text;
}

TEST_F(AutoUpdaterTest, AProgramPathWithAQuoteIsNotHandedToRestart) {
  site_.Publish(kChannelRelease, 2);
  const std::string folder = site_.ProgramFolder() + "/say \"hi\"";
  fs::create_directories(folder);
  program_path_ = folder + "/hearthview";
  WriteFileText(program_path_, "old program");
  auto updater = MakeUpdater();
  EXPECT_EQ(RunUpdate(*updater).status.code(), hv::kRestartNotStarted);
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
    return hv::Status::Ok();
  };
  cAutoUpdater updater(services);
  const std::string program = other.ProgramFolder() + "/hearthview";
  WriteFileText(program, "old");
  updater.Init(program.c_str(), false, "", false);
  uint32_t estimate = 0;
  ASSERT_EQ(updater.Update(nullptr, false, kChannelRelease, false, true, &estimate).status.code(),
            0);
  // Before the release is proven, the control file's sizes plus 50 bytes for each of its five
  // items (the version file and its signature too).
  EXPECT_EQ(estimate, 10u + 7u + 12u + updater.Items().Find("version.txt")->size +
                          updater.Items().Find("version.txt.sig")->size + 5u * 50u);
  const UpdateResult placed =
      updater.Update(nullptr, false, kChannelRelease, false, false, &estimate);
  ASSERT_TRUE(placed.status.ok()) << placed.status.ToString();
  // Data files alone are put in place by the client, which goes on running.
  EXPECT_EQ(placed.outcome, UpdateOutcome::kInstalled);
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
  EXPECT_EQ(RunUpdate(*updater).status.code(), hv::kDeclined);
  ExpectNothingInstalled();
  EXPECT_EQ(updater->Progress(), nullptr);
}

TEST_F(AutoUpdaterTest, LockStopsTheRunBeforeAnythingComesDown) {
  site_.Publish(kChannelRelease, 2);
  site_.PutFtpFile("lock.dat", "publishing");
  auto updater = MakeUpdater();
  const auto* lock_box = RefusedWithOneBox(*updater, hv::kUpdatesLocked);
  ASSERT_NE(lock_box, nullptr);
  EXPECT_STREQ(lock_box->caption.CStr(), "Auto Update");

  // An empty lock file does not lock.
  site_.PutFtpFile("lock.dat", "");
  EXPECT_EQ(RunUpdate(*updater).outcome, UpdateOutcome::kRestartStarted)
      << last_run_.status.ToString();

  // A non-empty black list excludes, silently.
  toolkit_.HeadlessMessageBox().ClearShown();
  site_.PutFtpFile("BlackList.dat", "everyone");
  EXPECT_EQ(updater->CheckBlackList().code(), hv::kUpdatesLocked);
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
  ASSERT_EQ(answer.Get(*updater, kChannelRelease), 0) << answer.status.ToString();
  EXPECT_EQ(updater->FtpPassword(), served);

  // A fresh engine keeps its own default, which this server refuses. The number is also the
  // program's "not connected"; the status says it is the update's.
  auto fresh = MakeUpdater();
  swString ignored_text;
  int32_t ignored_build = 0;
  const hv::Status refused = fresh->GetVersionInfo(kChannelRelease, &ignored_text, &ignored_build,
                                                   &ignored_text, &ignored_text);
  EXPECT_TRUE(refused.Is(hv::Where::kUpdate, hv::kCannotOpenSession)) << refused.ToString();
  EXPECT_FALSE(refused.Is(hv::Where::kProgram, hv::kNotConnected));
}

TEST_F(AutoUpdaterTest, TamperedFileInstallsNothing) {
  site_.Publish(kChannelRelease, 2);
  site_.Tamper("hearthview.exe", "someone else's program");
  const auto* refusal = RefusedWithOneBox(*MakeUpdater(), hv::kNotAuthentic);
  ASSERT_NE(refusal, nullptr);
  EXPECT_NE(std::string(refusal->text.CStr()).find("Nothing was installed"), std::string::npos);
  EXPECT_NE(std::string(refusal->text.CStr())
                .find("\"hearthview.exe\" did not come down as the publisher released it"),
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
  all.Init((other.ProgramFolder() + "/hearthview").c_str(), false, "", false);
  uint32_t estimate = 0;
  EXPECT_EQ(all.Update(nullptr, false, kChannelRelease, true, false, &estimate).status.code(),
            hv::kNotAuthentic);
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
  EXPECT_EQ(RunUpdate(*updater).status.code(), hv::kNotAuthentic);
  ExpectNothingInstalled();

  // A build that trusts no key still shows what is available, and installs nothing.
  site_.Publish(kChannelRelease, 2);
  cAutoUpdaterServices services;
  services.site = site_.Site();
  services.site.roots.keys.clear();
  cAutoUpdater keyless(services);
  keyless.Init(program_path_.c_str(), false, "", true);
  ASSERT_EQ(answer.Get(keyless, kChannelRelease), 0);
  EXPECT_EQ(answer.build, 187);
  EXPECT_EQ(keyless.InstallBlock(), eInstallBlock::kNoPublisherKey);
  uint32_t estimate = 0;
  const UpdateResult keyless_run =
      keyless.Update(nullptr, false, kChannelRelease, true, false, &estimate);
  EXPECT_EQ(keyless_run.status.code(), hv::kCannotInstall);
  EXPECT_EQ(keyless_run.status.message(), "This build has no key to check updates with");
  ExpectNothingInstalled();

  // A site that publishes no signature, or no key list, proves nothing.
  fs::remove(site_.FtpFolder() + "/version.txt.sig");
  EXPECT_EQ(answer.Get(*updater, kChannelRelease), hv::kNotAuthentic);
  EXPECT_NE(answer.status.message().find("version.txt.sig"), std::string::npos);
  site_.Publish(kChannelRelease, 2);
  fs::remove(site_.FtpFolder() + "/keys.txt");
  EXPECT_EQ(answer.Get(*updater, kChannelRelease), hv::kNotAuthentic);
}

TEST_F(AutoUpdaterTest, ItemPathsCannotLeaveTheProgramFolder) {
  site_.AddItem({"../escape.txt", "outside"});
  site_.Publish(kChannelRelease, 1);
  auto updater = MakeUpdater(false);
  EXPECT_EQ(RunUpdate(*updater).outcome, UpdateOutcome::kRestartStarted);
  EXPECT_FALSE(fs::exists(site_.Root() + "/escape.txt"));
  EXPECT_TRUE(fs::exists(StagingFolder() + "/Help.chm"));

  cDownloadItem absolute("/etc/passwd");
  EXPECT_EQ(updater->DownloadItem(kChannelRelease, absolute, false, "", nullptr, nullptr).code(),
            hv::kDownloadFailed);
}

TEST_F(AutoUpdaterTest, OnlyANewerReleaseOfTheChannelAndTheOneShownIsInstalled) {
  site_.SetPublished(1796000000);
  site_.Publish(kChannelRelease, 2);
  auto updater = MakeUpdater();
  cVersionAnswer answer;
  ASSERT_EQ(answer.Get(*updater, kChannelRelease), 0);
  EXPECT_EQ(answer.build, 187);

  // Between the answer shown and the run, the site (or someone between) serves an older
  // signed release: the run refuses it.
  site_.SetVersion("1.9", 150, "01/01/2026", "Old.\n");
  site_.SetPublished(1796000100);
  site_.Publish(kChannelRelease, 2);
  EXPECT_EQ(RunUpdate(*updater).status.code(), hv::kRollbackRefused);
  ExpectNothingInstalled();
  // Shown and fetched alike, an older build is still no update.
  ASSERT_EQ(answer.Get(*updater, kChannelRelease), 0);
  updater->AllowReinstall(true);
  EXPECT_EQ(RunUpdate(*updater).status.code(), hv::kRollbackRefused);
  ExpectNothingInstalled();

  // A version file older than one already seen is refused outright, as is one of another
  // channel served as this one's.
  site_.SetVersion("2.2", 188, "01/02/2026", "Newer?\n");
  site_.SetPublished(1796000050);
  site_.Publish(kChannelRelease, 2);
  EXPECT_EQ(answer.Get(*updater, kChannelRelease), hv::kRollbackRefused);
  site_.SetPublished(1796000200);
  site_.Publish(kChannelBeta, 2);
  site_.WriteControlFile(kChannelRelease, ReadFileText(site_.Root() + "/web/betafiles.php"));
  EXPECT_EQ(answer.Get(*updater, kChannelRelease), hv::kRollbackRefused);
  ExpectNothingInstalled();

  // The running build again: only when the user chose to reinstall it.
  site_.SetVersion("2.0", 186, "01/03/2026", "Same.\n");
  site_.SetPublished(1796000300);
  site_.Publish(kChannelRelease, 2);
  ASSERT_EQ(answer.Get(*updater, kChannelRelease), 0);
  updater->AllowReinstall(false);
  EXPECT_EQ(RunUpdate(*updater).status.code(), hv::kRollbackRefused);
  updater->AllowReinstall(true);
  EXPECT_EQ(RunUpdate(*updater).outcome, UpdateOutcome::kRestartStarted)
      << last_run_.status.ToString();
}

TEST_F(AutoUpdaterTest, AFileLargerThanListedIsCutOffAndRefused) {
  site_.Publish(kChannelRelease, 2);
  site_.Tamper("hearthview.exe", std::string(200000, 'x'));
  auto updater = MakeUpdater();
  EXPECT_EQ(RunUpdate(*updater).status.code(), hv::kNotAuthentic);
  ExpectNothingInstalled();
  EXPECT_NE(last_run_.status.message().find("larger than the update lists it"), std::string::npos);
}

TEST_F(AutoUpdaterTest, ATricklingSiteIsCutOffAndCancelStopsAtOnce) {
  cLocalServer trickle;
  ASSERT_TRUE(trickle.StartTrickleHttp());
  limits_.deadline_ms = 30000;
  limits_.stall_ms = 5000;
  // Every look at the transfer moves the fake clock on by a second.
  loop_.on_pump = [&] { clock_.Advance(1000); };
  cAutoUpdaterServices services;
  services.event_loop = &loop_;
  services.clock = &clock_;
  services.limits = limits_;
  services.site = site_.Site();
  services.site.web_address = ("http://127.0.0.1:" + std::to_string(trickle.Port())).c_str();
  cAutoUpdater slow(services);
  cVersionAnswer answer;
  EXPECT_EQ(answer.Get(slow, kChannelRelease), hv::kTimedOut);
  EXPECT_NE(answer.status.message().find("stopped answering"), std::string::npos);

  // With a stall time past the deadline, the overall deadline ends the transfer.
  limits_.stall_ms = 60000;
  services.limits = limits_;
  cAutoUpdater dripping(services);
  EXPECT_EQ(answer.Get(dripping, kChannelRelease), hv::kTimedOut);

  // Cancel during the wait: the request ends on the next look, long before the server would.
  loop_.on_pump = [&] { slow.Cancel(); };
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(answer.Get(slow, kChannelRelease), hv::kDeclined);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(AutoUpdaterTest, AnExpiredSiteIsRefusedAsOutOfDate) {
  site_.SetExpires(1796000000 + 30 * 86400);
  site_.Publish(kChannelRelease, 2);
  auto updater = MakeUpdater();
  cVersionAnswer answer;
  now_ = 1796000000 + 29 * 86400;
  ASSERT_EQ(answer.Get(*updater, kChannelRelease), 0) << answer.status.ToString();
  // A mirror that keeps serving the same validly signed set: a month on, it is stale.
  now_ = 1796000000 + 31 * 86400;
  EXPECT_EQ(answer.Get(*updater, kChannelRelease), hv::kSiteExpired);
  EXPECT_NE(answer.status.message().find("The update site is out of date"), std::string::npos);
  EXPECT_EQ(RunUpdate(*updater).status.code(), hv::kSiteExpired);
  ExpectNothingInstalled();
}

TEST_F(AutoUpdaterTest, AWithheldProgramInstallsNothing) {
  site_.AddItem({"VH.BMP", "new picture"});
  site_.Publish(kChannelRelease, 2);
  WriteFileText(site_.ProgramFolder() + "/VH.BMP", "old picture");
  auto updater = MakeUpdater();
  cVersionAnswer answer;
  ASSERT_EQ(answer.Get(*updater, kChannelRelease), 0) << answer.status.ToString();
  // The FTP site refuses the program: the picture that came down is not put in place either.
  fs::remove(site_.FtpFolder() + "/hearthview.exe");
  EXPECT_EQ(RunUpdate(*updater).status.code(), hv::kDownloadFailed);
  EXPECT_EQ(ReadFileText(site_.ProgramFolder() + "/VH.BMP"), "old picture");
  EXPECT_EQ(ReadFileText(program_path_), "old program");
  EXPECT_TRUE(started_.empty());
  EXPECT_EQ(ProgramFolderFiles(), (std::vector<std::string>{"VH.BMP", "hearthview", "restart"}));
  const auto& shown = toolkit_.HeadlessMessageBox().Shown();
  ASSERT_EQ(shown.size(), 1u);
  const std::string text = shown[0].text.CStr();
  EXPECT_NE(text.find("\"hearthview.exe\" could not be downloaded"), std::string::npos) << text;
}

TEST_F(AutoUpdaterTest, OnlyWhatTheSignedListNamesIsRequestedAndForThisComputer) {
  ASSERT_TRUE(site_.RestartHttpWithLog());
  cPublishedItem extra{"extra.bin", std::string(3000, 'e')};
  extra.unsigned_extra = true;
  site_.AddItem(extra);
  cPublishedItem foreign{"other-machine.so", "for another machine"};
  foreign.platform = "linux-otherarch";
  site_.AddItem(foreign);
  site_.SetPlatform("hearthview.exe", ThisPlatform());
  site_.Publish(kChannelRelease, 1);
  auto updater = MakeUpdater(false);
  ASSERT_EQ(RunUpdate(*updater).outcome, UpdateOutcome::kRestartStarted)
      << last_run_.status.ToString();
  const std::string log = site_.RequestLog();
  EXPECT_NE(log.find("/files/Help.chm\n"), std::string::npos) << log;
  // Listed only by the control file, or for another computer: never asked for.
  EXPECT_EQ(log.find("extra.bin"), std::string::npos) << log;
  EXPECT_EQ(log.find("other-machine.so"), std::string::npos) << log;
  EXPECT_FALSE(InProgram("extra.bin"));
  EXPECT_FALSE(InProgram("other-machine.so"));

  // A set built only for another computer is refused as a whole.
  cUpdateSiteBuilder other;
  ASSERT_TRUE(other.Start());
  cPublishedItem program{"hearthview.exe", "arm program"};
  program.platform = "linux-otherarch";
  other.AddItem(program);
  other.Publish(kChannelRelease, 1);
  cAutoUpdaterServices services;
  services.site = other.Site();
  cAutoUpdater foreign_set(services);
  cVersionAnswer answer;
  EXPECT_EQ(answer.Get(foreign_set, kChannelRelease), hv::kWrongPlatform);
  EXPECT_NE(answer.status.message().find("another computer"), std::string::npos);
}

}  // namespace

}  // namespace hv
