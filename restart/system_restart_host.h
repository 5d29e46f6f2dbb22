// cSystemRestartHost: the real system under the restart program. Messages go to stderr as
// clear lines (and to the desktop as a notification where one can be shown); the beep is a
// BEL on stderr; the program is started directly, never through a shell.
#ifndef HV_RESTART_SYSTEM_RESTART_HOST_H_
#define HV_RESTART_SYSTEM_RESTART_HOST_H_

#include "restart/restart_host.h"

namespace hv {

class cSystemRestartHost : public cRestartHost {
 public:
  cSystemRestartHost() = default;
  cSystemRestartHost(const cSystemRestartHost&) = delete;
  cSystemRestartHost& operator=(const cSystemRestartHost&) = delete;
  ~cSystemRestartHost() override;

  uint32_t TickCount() override;
  void Pause(uint32_t ms) override;
  void Beep() override;
  void ShowMessage(const char* caption, const char* text) override;
  void Note(const char* text) override;
  bool ProcessRuns(int32_t pid) override;
  // A name with a `/` is started from that path (made absolute first, since the working
  // directory changes before it runs); a bare name is looked up on PATH. The program runs in
  // a session of its own with default signal handling, so it outlives us untouched by what
  // the updating client had set up.
  Status Launch(const swString& program, const swString& directory) override;
};

}  // namespace hv

#endif  // HV_RESTART_SYSTEM_RESTART_HOST_H_
