// cProgramFlags: the program-wide flags of one run of the client, in one place that the
// application object owns, so that a test can build and tear down a whole client and find
// them fresh. The connection's own flags (HeardFromServer, the beginning and sending flags)
// are the protocol context's, which the application owns beside these.
#ifndef HV_CLIENT_SHELL_APP_PROGRAM_FLAGS_H_
#define HV_CLIENT_SHELL_APP_PROGRAM_FLAGS_H_

namespace hv {

struct cProgramFlags {
  // The frame's timer work sets it for the length of a tick; the send X10 code dialog sets it
  // while it sends. A tick that finds it set does nothing.
  bool app_busy = false;
  // The about box is open: a second request is ignored.
  bool about_open = false;
  // An exit was asked for (a signal, the restart of an update, the frame's Exit).
  bool exit_requested = false;
  // Start-up has been run (it runs once) and is still running.
  bool started = false;
  bool starting = false;
  // The end of the program has begun.
  bool ended = false;
  // An activity entry is being shown in the views: one a view reports meanwhile is turned
  // away instead of being shown inside the first.
  bool showing_log_entry = false;
};

}  // namespace hv

#endif  // HV_CLIENT_SHELL_APP_PROGRAM_FLAGS_H_
