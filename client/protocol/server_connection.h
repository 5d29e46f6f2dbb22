// cServerConnection: the program's one connection to the server. It owns at most one
// socket; "connected" everywhere means that it has one. Connect logs in without waiting for
// an answer (a rejected login shows as the server's Goodbye); OnDataArrived is the receive
// loop the socket's readability runs; the end of a connection is reported as an activity
// entry "Connection terminated".
//
// A socket is never destroyed while a receive on it is still running further up the stack
// (a message box or a blocking read pumps events, and an event may reconnect): it is let
// go of at once and freed when the outermost receive returns.
//
// One pass of the receive loop runs for at most kReceiveSliceMs by the context's clock. A
// server that keeps sending (a hundred thousand log items) would otherwise hold the loop
// for as long as bytes keep coming, with no repaint, no timer and no SIGTERM in between;
// so when the slice is used up and bytes are still waiting, the loop hands back to the
// event loop and resumes from a zero-delay timer once the pending events have run.
#ifndef HV_CLIENT_PROTOCOL_SERVER_CONNECTION_H_
#define HV_CLIENT_PROTOCOL_SERVER_CONNECTION_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "client/platform/event_loop.h"
#include "client/protocol/remote_client_socket.h"
#include "client/protocol/session_services.h"
#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

class cProtocolContext;

// What to check when a connection cannot be made, by the reason the socket gave ("host not
// found ...", "connection refused", "timed out", or anything else).
const char* CannotConnectAdvice(const std::string& reason);

class cServerConnection {
 public:
  // context must outlive the connection; services are copied (their pointers not owned).
  cServerConnection(cProtocolContext& context, const cSessionServices& services);
  cServerConnection(const cServerConnection&) = delete;
  cServerConnection& operator=(const cServerConnection&) = delete;
  ~cServerConnection();

  // Drops any current socket (no Logoff or Goodbye), connects to address:port and sends
  // Login. Ok or Login's failure; kCannotConnect (from the socket) when the TCP connection
  // cannot be made (no socket is kept then).
  [[nodiscard]] Status Connect(const char* address, uint32_t port, const char* user_name,
                               const char* password);
  // Sends Logoff and Goodbye as far as the socket takes them at once (their failures
  // ignored), shuts down the sending side and drops the socket; a send or receive still
  // waiting on it further up the stack fails at once. Ok; kNotConnected without a socket.
  [[nodiscard]] Status Disconnect();
  // The longest one pass of the receive loop runs while bytes keep arriving.
  static constexpr uint32_t kReceiveSliceMs = 20;

  // The receive loop: handles every block that is waiting (for up to kReceiveSliceMs, then
  // again from a zero-delay timer while bytes remain), then either keeps the connection (ok,
  // or declined when a receive further up the stack reads what is waiting) or ends it with an
  // activity entry when a block failed (its status is returned), the server said Goodbye (ok)
  // or closed its end (ok). An ended connection clears HeardFromServer and tells the receiver
  // (ConnectionEndedRecord). kNotConnected without a socket. Without an event loop there is
  // nothing to hand back to: it reads all there is.
  [[nodiscard]] Status OnDataArrived();

  // True while the receive loop has handed back to the event loop with bytes still waiting.
  bool ResumePending() const { return resume_timer_ != 0; }

  cRemoteClientSocket* Socket() const { return socket_.get(); }
  bool IsConnected() const { return socket_ != nullptr; }
  // How many times Connect has run: what is received after a new one is a new session (the
  // server sends its log again), which the history tells from entries it already keeps.
  uint32_t Logins() const { return logins_; }
  // The user name of the last Connect (answers addressed to one user compare with it).
  const swString& UserName() const { return user_name_; }
  // The server answered something other than a Goodbye since the last Connect. After the
  // connection has ended, false means the server turned the login down.
  bool HeardSinceLogin() const { return heard_since_login_; }
  // The last connection said Goodbye before answering anything else: the server turned the
  // login down (most likely the user name or the password).
  bool LoginRefused() const { return goodbye_seen_ && !heard_since_login_; }
  const cSessionServices& Services() const { return services_; }
  cProtocolContext& Context() const { return context_; }

 private:
  // Lets go of the current socket: stops watching it and frees it now, or, while a send or
  // a receive on it is still running, as soon as nothing uses it any more.
  void DropSocket();
  void WatchSocket();
  void SetWatchEnabled(bool enabled);
  // Runs the receive loop again once the events pending now have run.
  void ScheduleResume();
  void CancelResume();
  void ReportTerminated(const Status& result, bool goodbye_seen);
  // The socket is gone for good: HeardFromServer cleared, the receiver told.
  void AnnounceEnded();
  // An activity entry for a connection that could not be made, with its reason and what to
  // check.
  void ReportCannotConnect(const char* address, uint32_t port, const std::string& reason);
  [[nodiscard]] Status ReceiveLoop();
  // Frees let-go-of sockets that nothing uses any more.
  void ReleaseRetired();

  cProtocolContext& context_;
  cSessionServices services_;
  std::unique_ptr<cRemoteClientSocket> socket_;
  cEventLoop::WatchId watch_ = 0;
  cEventLoop::TimerId resume_timer_ = 0;
  swString user_name_;
  // Whether the server answered anything but a Goodbye since the last login.
  bool heard_since_login_ = false;
  uint32_t logins_ = 0;
  // Whether the current socket's server said Goodbye (the loop may take several passes to
  // finish what it sent before).
  bool goodbye_seen_ = false;
  std::vector<std::unique_ptr<cRemoteClientSocket>> retired_;
};

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_SERVER_CONNECTION_H_
