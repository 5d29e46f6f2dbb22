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

TEST(UpdateEndToEndTest, UpdateNowSwapsInTheNewBuildAndStartsIt) {
  const std::string bin = Env("HV_BIN_DIR");
  const std::string source = Env("HV_SOURCE_DIR");
  ASSERT_FALSE(bin.empty());
  if (!fs::exists(bin + "/restart")) {
    GTEST_SKIP() << "the restart program (" << bin << "/restart) is not built in this tree";
  }
  const std::string build_dir = fs::path(bin).parent_path().string();
  // The stand-ins for client builds are test programs, built beside the tests.
  const std::string probes = build_dir + "/tests";

  const std::string tmp = Env("TMPDIR").empty() ? "/tmp" : Env("TMPDIR");
  std::string root = tmp + "/update-e2e-XXXXXX";
  ASSERT_NE(mkdtemp(root.data()), nullptr);
  // A folder name with a space, as people's program folders have.
  const std::string app = root + "/My Apps";
  fs::create_directories(app);
  fs::copy_file(probes + "/update_probe_186", app + "/hearthview");
  fs::copy_file(bin + "/restart", app + "/restart");
  fs::create_directories(root + "/site/web");
  fs::create_directories(root + "/site/ftp");
  fs::create_directories(root + "/config");
  setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);

  const cUpdateSite built_in = BuiltInUpdateSite();
  cLocalServer web;
  ASSERT_TRUE(web.StartHttp(root + "/site/web"));

  // The publisher's keys: three root keys, two of which sign the key list. The script prints
  // the cmake options that build the root keys into the client.
  const std::string script = source + "/scripts/make-update-site";
  int status = 0;
  const std::string options = RunCommand(
      script + " --build-dir " + Quoted(build_dir) + " --init-keys " + Quoted(root + "/keys"),
      &status);
  ASSERT_EQ(status, 0);
  const std::string keys_option = "-DHV_UPDATE_ROOT_KEYS=";
  ASSERT_EQ(options.rfind(keys_option, 0), 0u) << options;
  const std::string root_keys =
      options.substr(keys_option.size(), options.find(' ') - keys_option.size());
  const std::string web_address = "http://127.0.0.1:" + std::to_string(web.Port());
  // A data file of the release: the client hands it to the helper, never puts it in place.
  WriteFileText(root + "/ReleaseNotes.txt", "What is new in 187.\n");
  RunCommand(script + " --build-dir " + Quoted(build_dir) + " --keys " + Quoted(root + "/keys") +
                 " --out " + Quoted(root + "/site") + " --program " +
                 Quoted(probes + "/update_probe_187") +
                 " --extra ReleaseNotes.txt=" + Quoted(root + "/ReleaseNotes.txt") +
                 " --version 2.1 --build 187 --date 12/08/2026 --web-address " + web_address +
                 " >/dev/null 2>&1",
             &status);
  ASSERT_EQ(status, 0);

  cHeadlessToolkit toolkit;
  cFakeClock clock;
  cVersionInfoServices services;
  services.toolkit = &toolkit;
  services.clock = &clock;
  services.program_path = (app + "/hearthview").c_str();
  services.site = built_in;
  services.site.web_address = web_address.c_str();
  ASSERT_TRUE(PublicKeysFromHex(root_keys.c_str(), &services.site.roots.keys));
  ASSERT_EQ(services.site.roots.keys.size(), 3u);
  services.site.roots.threshold = 2;
  services.site.download_folder = (root + "/downloads").c_str();
  // The client that hands over: it ends a moment after the hand-off, and stays unreaped (a
  // zombie) as a client whose parent has not looked yet would.
  const pid_t client = fork();
  if (client == 0) {
    usleep(1500 * 1000);
    _exit(0);
  }
  ASSERT_GT(client, 0);
  services.handed_over_pid = client;

  CDlgVersionInfo dialog(services, nullptr);
  toolkit.QueueModalScript(
      [](cHeadlessWindow& window) { ASSERT_TRUE(window.Click(kVersionUpdateNow)); });
  int32_t result = -1;
  ASSERT_TRUE(dialog.DoModal(&result).ok());
  EXPECT_EQ(result, kResultOk);
  for (const auto& box : toolkit.HeadlessMessageBox().Shown()) ADD_FAILURE() << box.text.CStr();
  ASSERT_TRUE(dialog.RestartStarted());
  // The client has handed over; from here on only the helper works.
  const auto handed_over = std::chrono::steady_clock::now();
  EXPECT_FALSE(fs::exists(app + "/ReleaseNotes.txt"));

  const std::string report = app + "/reported-build.txt";
  const auto deadline = std::chrono::steady_clock::now() + kSwapDeadline;
  while (!fs::exists(report) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  // Well before the helper's 10 s: it went on as soon as the client had ended.
  EXPECT_LT(std::chrono::steady_clock::now() - handed_over, std::chrono::seconds(8));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  waitpid(client, nullptr, 0);
  EXPECT_EQ(ReadFileText(report), "187");
  EXPECT_EQ(ReadFileText(app + "/hearthview"), ReadFileText(probes + "/update_probe_187"));
  EXPECT_EQ(ReadFileText(app + "/hearthview.bak"), ReadFileText(probes + "/update_probe_186"));
  EXPECT_FALSE(fs::exists(app + "/hearthview.ex_"));
  EXPECT_EQ(fs::status(app + "/hearthview").permissions() & fs::perms::owner_exec,
            fs::perms::owner_exec);
  // The helper removed the staging folder it took over.
  for (const auto& entry : fs::directory_iterator(app)) {
    EXPECT_NE(entry.path().filename().string().rfind(".update-", 0), 0u) << entry.path();
  }

  web.Stop();
  std::error_code ignored;
  fs::remove_all(root, ignored);
}

}  // namespace

}  // namespace hv
