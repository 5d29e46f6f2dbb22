#include "restart/restart_run.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "restart/restart_params.h"
#include "restart/staging_folder.h"
#include "restart/update_swap.h"

namespace hv {

namespace {

// The longest single pause of the wait: short enough that the end of the wait is met closely.
constexpr uint32_t kPollPause = 100;

// The parameters of the run, with bad ones shown to the user.
class cReportingRestartParams : public cRestartParams {
 public:
  explicit cReportingRestartParams(cRestartHost& host) : host_(host) {}

 protected:
  void ReportBadParameter(int, const swString& name, const swString& value) override {
    swString text;
    text.Format("Invalid parameter of \"%s\" with data of \"%s\"", name.CStr(), value.CStr());
    host_.ShowMessage("Bad command line parameter", text.CStr());
  }

 private:
  cRestartHost& host_;
};

// HV_THIS_VERSION and HV_THIS_BUILD come from the build (restart/CMakeLists.txt).
constexpr const char* kUsage =
    "Usage: restart [/F=\"PROGRAM\"] [/D=MILLISECONDS] [/C=\"NEW FILE\"] [/T=\"PROGRAM FILE\"]\n"
    "               [/P=PROCESS ID] [/L=\"LIST FILE\"] [/A=NAME] [/M]\n"
    "Swaps an update's files into place and starts the program again. Hearthview\n"
    "starts it on its way out; there is no need to run it by hand.\n"
    "\n"
    "  /F=PROGRAM       the program to start at the end (a first bare value means the same)\n"
    "  /D=MILLISECONDS  how long to wait first (default 2000); with /P, the longest wait\n"
    "  /C=NEW FILE      the new program file\n"
    "  /T=PROGRAM FILE  the program file it replaces (kept as a backup with .bak)\n"
    "  /P=PROCESS ID    the program that hands over: replace only once it has ended\n"
    "  /L=LIST FILE     the update's files with their SHA-256 (see man restart); every\n"
    "                   file must match before any is swapped in\n"
    "  /A=NAME, /M      accepted for compatibility; they change nothing\n"
    "  --help           show this text\n"
    "  --version        show the version\n"
    "\n"
    "Values that hold a space, /, - or @ go in double quotes. Exit status: 0 started (and\n"
    "replaced when asked), 1 could not start the program, 2 started but not replaced,\n"
    "3 the program still ran (or another restart was installing the update), so nothing\n"
    "was done.\n";

constexpr const char* kVersion =
    "restart (Varnholt (TM) Client) " HV_THIS_VERSION ", build " HV_THIS_BUILD "\n";

}  // namespace

const char* RestartInformation(const char* argument) {
  if (argument == nullptr) return nullptr;
  if (std::strcmp(argument, "--help") == 0) return kUsage;
  if (std::strcmp(argument, "--version") == 0) return kVersion;
  return nullptr;
}

swString ProgramDirectory(const swString& program) {
  const char* slash = std::strrchr(program.CStr(), '/');
  if (slash == nullptr) return swString();
  return program.Left(static_cast<uint32_t>(slash - program.CStr()) + 1);
}

void WaitMilliseconds(int32_t delay, cRestartHost& host) {
  if (delay <= 0) return;
  const uint32_t wanted = static_cast<uint32_t>(delay);
  const uint32_t start = host.TickCount();
  while (true) {
    uint32_t elapsed = host.TickCount() - start;
    if (elapsed >= wanted) return;
    host.Pause(std::min(wanted - elapsed, kPollPause));
  }
}

bool WaitForProcessEnd(int32_t pid, int32_t delay, cRestartHost& host) {
  const uint32_t wanted = delay > 0 ? static_cast<uint32_t>(delay) : 0;
  const uint32_t start = host.TickCount();
  while (host.ProcessRuns(pid)) {
    uint32_t elapsed = host.TickCount() - start;
    if (elapsed >= wanted) return false;
    host.Pause(std::min(wanted - elapsed, kPollPause));
  }
  return true;
}

int RunRestart(int argc, const char* const* argv, cRestartHost& host, cSwapFiles& files) {
  cReportingRestartParams params(host);
  params.SetValueLimit(kRestartValueLimit);
  uint32_t found = 0;
  if (!params.ApplyArguments(argc, argv, &found).ok()) {
    // Out of memory part-way: what was read stands, the rest keeps its defaults.
    host.Note("the command line could not be read to its end");
  }

  // The staging folder is this run's from the start: a client started while it waits or swaps
  // finds the folder locked and leaves it alone. A kill ends the lock with the process.
  std::string staging(params.list_file.CStr());
  staging = staging.substr(0, staging.rfind('/') == std::string::npos ? 0 : staging.rfind('/'));
  cFd working;
  if (!staging.empty()) {
    working = OpenFolderPath(staging);
    if (working.ok() && !LockStagingFolder(working.get())) {
      // That run swaps and starts the program; a second swap beside it could only undo it.
      host.Note(
          "another run of restart is installing this update already, so this one does nothing");
      return kRestartExitStillRunning;
    }
  }

  if (params.process_id == 0) {
    WaitMilliseconds(params.delay, host);
  } else if (!WaitForProcessEnd(params.process_id, params.delay, host)) {
    // Swapping under a running program would leave it running the old file while the new
    // one starts beside it; the next update tries again.
    swString text;
    text.Format(
        "The program \"%s\" (process %d) is still running, so the update was not "
        "installed.  Close it and update again.",
        params.copy_to.GetLength() > 0 ? params.copy_to.CStr() : params.program.CStr(),
        params.process_id);
    host.ShowMessage("Error", text.CStr());
    return kRestartExitStillRunning;
  }

  if (params.copy_to.GetLength() > 0) {
    // What a killed run left is settled before this one touches anything.
    CleanUpLeftovers(params.copy_to.CStr(), staging, files, host);
  }
  const cSwapResult swap =
      SwapInUpdate({params.copy_from, params.copy_to, params.list_file}, files, host);

  const Status launched = host.Launch(params.program, ProgramDirectory(params.program));
  if (!launched.ok()) {
    swString text;
    text.Format("Couldn't open \"%s\"", params.program.CStr());
    host.ShowMessage("Error", text.CStr());
    host.Note(("the program could not be started: " + launched.message()).c_str());
    return kRestartExitLaunchFailed;
  }
  bool swapped = swap == cSwapResult::kNotAsked || swap == cSwapResult::kReplaced;
  return swapped ? kRestartExitOk : kRestartExitNotReplaced;
}

}  // namespace hv
