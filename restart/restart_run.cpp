#include "restart/restart_run.h"

#include <algorithm>
#include <cstring>

#include "restart/program_swap.h"
#include "restart/restart_params.h"

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
    (void)text.Format("Invalid parameter of \"%s\" with data of \"%s\"", name.CStr(), value.CStr());
    host_.ShowMessage("Bad command line parameter", text.CStr());
  }

 private:
  cRestartHost& host_;
};

}  // namespace

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

int RunRestart(int argc, const char* const* argv, cRestartHost& host, cProgramFiles& files) {
  cReportingRestartParams params(host);
  params.SetValueLimit(kRestartValueLimit);
  uint32_t found = 0;
  if (params.ApplyArguments(argc, argv, &found) != 0) {
    // Out of memory part-way: what was read stands, the rest keeps its defaults.
    host.Note("the command line could not be read to its end");
  }

  WaitMilliseconds(params.delay, host);

  cSwapResult swap = ReplaceProgramFile(params.copy_from, params.copy_to, files, host);

  int error = host.Launch(params.program, ProgramDirectory(params.program));
  if (error != 0) {
    swString text;
    (void)text.Format("Couldn't open \"%s\"", params.program.CStr());
    host.ShowMessage("Error", text.CStr());
    host.Note((swString("the program could not be started: ") + std::strerror(error)).CStr());
    return kRestartExitLaunchFailed;
  }
  bool swapped = swap == cSwapResult::kNotAsked || swap == cSwapResult::kReplaced;
  return swapped ? kRestartExitOk : kRestartExitNotReplaced;
}

}  // namespace hv
