// cFakeRestartHost: a host whose clock moves only when the run pauses, that records every
// beep, message and note, and that launches nothing (the launch result is chosen by the test).
#ifndef HV_RESTART_TESTING_FAKE_RESTART_HOST_H_
#define HV_RESTART_TESTING_FAKE_RESTART_HOST_H_

#include <cstdint>
#include <string>
#include <vector>

#include "restart/restart_host.h"
#include "restart/swap_files.h"

namespace hv {

class cFakeRestartHost : public cRestartHost {
 public:
  struct Message {
    std::string caption;
    std::string text;
  };
  struct LaunchCall {
    std::string program;
    std::string directory;
    uint32_t at = 0;  // the clock when it was started
  };

  explicit cFakeRestartHost(uint32_t start_tick = 5000)
      : tick(start_tick), start_tick(start_tick) {}

  uint32_t TickCount() override { return tick; }
  void Pause(uint32_t ms) override {
    tick += ms;
    paused += ms;
  }
  void Beep() override { ++beeps; }
  void ShowMessage(const char* caption, const char* text) override {
    messages.push_back({caption, text});
  }
  void Note(const char* text) override { notes.emplace_back(text); }
  // The watched process runs for `process_runs_for` ms from the start.
  bool ProcessRuns(int32_t pid) override {
    process_checks.push_back(pid);
    return tick - start_tick < process_runs_for;
  }
  Status Launch(const swString& program, const swString& directory) override {
    launches.push_back({program.CStr(), directory.CStr(), tick});
    return launch_error == 0 ? Status::Ok() : SystemFailure(launch_error);
  }

  uint32_t tick;
  uint32_t start_tick;
  uint32_t process_runs_for = 0;  // ms from the start
  std::vector<int32_t> process_checks;
  uint64_t paused = 0;
  int beeps = 0;
  int launch_error = 0;  // the errno a launch fails with; 0 for none
  std::vector<Message> messages;
  std::vector<std::string> notes;
  std::vector<LaunchCall> launches;
};

}  // namespace hv

#endif  // HV_RESTART_TESTING_FAKE_RESTART_HOST_H_
