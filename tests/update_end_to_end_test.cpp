// The whole update, end to end: scripts/make-update-site makes the publisher's keys and
// publishes a newer build on a local web server (its default: files over the web), the version
// dialog runs "Update Now" against them, and the real restart program swaps the program file and
// starts the new build, which reports its build number. The helper waits for the client that handed
// over to end (here a stand-in process that lives a moment), not for its whole delay. The restart
// program comes from its own target; without it the test is skipped.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "client/platform/testing/fake_clock.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/ui/headless/headless_window.h"
#include "client/update/dlg_version_info.h"
#include "client/update/testing/local_servers.h"
#include "client/update/testing/update_site_builder.h"

namespace hv {

namespace fs = std::filesystem;

namespace {

// The helper waits 10 s for the client to end before it swaps the files.
constexpr auto kSwapDeadline = std::chrono::seconds(60);

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// Runs a command and returns what it printed; *status receives its exit status.
std::string RunCommand(const std::string& command, int* status) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    *status = -1;
    return output;
  }
  char buffer[256];
  while (fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  *status = pclose(pipe);
  while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
  return output;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

class UpdateEndToEndTest : public ::testing::Test {
 protected:
  // An installed build 186 with its helper, in a folder of its own; the settings go beside it.
  void SetUp() override {
    bin_ = Env("HV_BIN_DIR");
    ASSERT_FALSE(bin_.empty());
    if (!fs::exists(bin_ + "/restart")) {
      GTEST_SKIP() << "the restart program (" << bin_ << "/restart) is not built in this tree";
    }
    build_dir_ = fs::path(bin_).parent_path().string();
    probes_ = build_dir_ + "/tests";
    const std::string tmp = Env("TMPDIR").empty() ? "/tmp" : Env("TMPDIR");
    root_ = tmp + "/update-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(root_.data()), nullptr);
    // A folder name with a space, as people's program folders have.
    app_ = root_ + "/My Apps";
    fs::create_directories(app_);
    fs::copy_file(probes_ + "/update_probe_186", app_ + "/hearthview");
    fs::copy_file(bin_ + "/restart", app_ + "/restart");
    fs::create_directories(root_ + "/site/web");
    fs::create_directories(root_ + "/site/ftp");
    fs::create_directories(root_ + "/config");
    setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
  }

  void TearDown() override {
    web_.Stop();
    if (client_ > 0) waitpid(client_, nullptr, 0);
    std::error_code ignored;
    if (!root_.empty()) fs::remove_all(root_, ignored);
  }

  // The publisher's side, as scripts/make-update-site does it: three root keys (two of which
  // sign the key list), then build 187 with a data file, published on a local web server.
  // Returns the root keys as the cmake option that builds them into the client prints them.
  std::string PublishBuild187() {
    EXPECT_TRUE(web_.StartHttp(root_ + "/site/web"));
    const std::string script = Env("HV_SOURCE_DIR") + "/scripts/make-update-site";
    int status = 0;
    const std::string options = RunCommand(
        script + " --build-dir " + Quoted(build_dir_) + " --init-keys " + Quoted(root_ + "/keys"),
        &status);
    EXPECT_EQ(status, 0);
    const std::string keys_option = "-DHV_UPDATE_ROOT_KEYS=";
    if (options.rfind(keys_option, 0) != 0) {
      ADD_FAILURE() << "no root keys in: " << options;
      return "";
    }
    // A data file of the release: the client hands it to the helper, never puts it in place.
    WriteFileText(root_ + "/ReleaseNotes.txt", "What is new in 187.\n");
    RunCommand(script + " --build-dir " + Quoted(build_dir_) + " --keys " +
                   Quoted(root_ + "/keys") + " --out " + Quoted(root_ + "/site") + " --program " +
                   Quoted(probes_ + "/update_probe_187") +
                   " --extra ReleaseNotes.txt=" + Quoted(root_ + "/ReleaseNotes.txt") +
                   " --version 2.1 --build 187 --date 12/08/2026 --web-address " + WebAddress() +
                   " >/dev/null 2>&1",
               &status);
    EXPECT_EQ(status, 0);
    return options.substr(keys_option.size(), options.find(' ') - keys_option.size());
  }

  std::string WebAddress() const { return "http://127.0.0.1:" + std::to_string(web_.Port()); }

  // The client as built with the publisher's root keys, pointed at the local site. The client
  // that hands over ends a moment after the hand-off, and stays unreaped (a zombie) as a
  // client whose parent has not looked yet would.
  cVersionInfoServices ClientServices(const std::string& root_keys) {
    cVersionInfoServices services;
    services.toolkit = &toolkit_;
    services.clock = &clock_;
    services.program_path = (app_ + "/hearthview").c_str();
    services.site = BuiltInUpdateSite();
    services.site.web_address = WebAddress().c_str();
    EXPECT_TRUE(PublicKeysFromHex(root_keys.c_str(), &services.site.roots.keys));
    EXPECT_EQ(services.site.roots.keys.size(), 3u);
    services.site.roots.threshold = 2;
    services.site.download_folder = (root_ + "/downloads").c_str();
    client_ = fork();
    if (client_ == 0) {
      usleep(1500 * 1000);
      _exit(0);
    }
    EXPECT_GT(client_, 0);
    services.handed_over_pid = client_;
    return services;
  }

  // Waits for the build that came up to report itself; how long that took from the hand-off.
  std::chrono::steady_clock::duration WaitForReport() const {
    const auto handed_over = std::chrono::steady_clock::now();
    const auto deadline = handed_over + kSwapDeadline;
    while (!fs::exists(Report()) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    const auto took = std::chrono::steady_clock::now() - handed_over;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return took;
  }
  std::string Report() const { return app_ + "/reported-build.txt"; }

  std::string bin_;
  std::string build_dir_;
  std::string probes_;  // the stand-ins for client builds: test programs, built beside the tests
  std::string root_;
  std::string app_;
  cLocalServer web_;
  cHeadlessToolkit toolkit_;
  cFakeClock clock_;
  pid_t client_ = -1;
};

TEST_F(UpdateEndToEndTest, UpdateNowSwapsInTheNewBuildAndStartsIt) {
  const std::string root_keys = PublishBuild187();
  ASSERT_FALSE(HasFailure());
  CDlgVersionInfo dialog(ClientServices(root_keys), nullptr);
  ASSERT_FALSE(HasFailure());
  toolkit_.QueueModalScript(
      [](cHeadlessWindow& window) { ASSERT_TRUE(window.Click(kVersionUpdateNow)); });
  EXPECT_EQ(dialog.DoModal(), kResultOk);
  for (const auto& box : toolkit_.HeadlessMessageBox().Shown()) ADD_FAILURE() << box.text.CStr();
  ASSERT_TRUE(dialog.RestartStarted());
  // The client has handed over; from here on only the helper works.
  EXPECT_FALSE(fs::exists(app_ + "/ReleaseNotes.txt"));

  // Well before the helper's 10 s: it went on as soon as the client had ended.
  EXPECT_LT(WaitForReport(), std::chrono::seconds(8));
  EXPECT_EQ(ReadFileText(Report()), "187");
  EXPECT_EQ(ReadFileText(app_ + "/hearthview"), ReadFileText(probes_ + "/update_probe_187"));
  EXPECT_EQ(ReadFileText(app_ + "/hearthview.bak"), ReadFileText(probes_ + "/update_probe_186"));
  EXPECT_FALSE(fs::exists(app_ + "/hearthview.ex_"));
  EXPECT_EQ(fs::status(app_ + "/hearthview").permissions() & fs::perms::owner_exec,
            fs::perms::owner_exec);
  // The helper removed the staging folder it took over.
  for (const auto& entry : fs::directory_iterator(app_)) {
    EXPECT_NE(entry.path().filename().string().rfind(".update-", 0), 0u) << entry.path();
  }
}

}  // namespace

}  // namespace hv
