// cLoginRefusedBox: tells the user, in a box, that the server ended the session right after
// the login, which a server does when it refuses the user name or the password, and offers
// Setup to put them right. The activity log holds the same, but a new user with a wrong
// password would otherwise see only two red rows.
//
// The box opens from the event loop once the socket is free (a box's wait inside the
// receive would hold the reading up). It is shown once for a run of refusals: the liveness
// check logs in again every two minutes with the same settings, and a box each time would
// only nag. It comes again after a session that was not refused, or once the user has gone
// to Setup from it.
#ifndef HV_CLIENT_SHELL_SETUP_LOGIN_REFUSED_BOX_H_
#define HV_CLIENT_SHELL_SETUP_LOGIN_REFUSED_BOX_H_

#include <functional>

#include "client/platform/event_loop.h"

namespace hv {

class cToolkit;

struct cLoginRefusedServices {
  cToolkit* toolkit = nullptr;
  cEventLoop* event_loop = nullptr;
  // True while the socket is being read or written.
  std::function<bool()> connection_busy;
  // True once the program is ending: no box then.
  std::function<bool()> ending;
  // Opens the setup dialog (making the main window first when there is none).
  std::function<void()> open_setup;
};

// What the box says; Yes opens Setup.
constexpr const char* kLoginRefusedCaption = "Login Refused";
constexpr const char* kLoginRefusedText =
    "The server ended the session right after the login: the user name or password was most "
    "likely refused.\r\n\r\nOpen Setup to check them?";

class cLoginRefusedBox {
 public:
  explicit cLoginRefusedBox(cLoginRefusedServices services);
  ~cLoginRefusedBox();
  cLoginRefusedBox(const cLoginRefusedBox&) = delete;
  cLoginRefusedBox& operator=(const cLoginRefusedBox&) = delete;

  // A connection has ended; `refused` when the server said Goodbye before anything else.
  void ConnectionEnded(bool refused);

 private:
  void ShowWhenFree();

  cLoginRefusedServices services_;
  cEventLoop::TimerId timer_ = 0;
  bool told_ = false;
};

}  // namespace hv

#endif  // HV_CLIENT_SHELL_SETUP_LOGIN_REFUSED_BOX_H_
