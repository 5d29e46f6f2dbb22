#include "client/protocol/server_connection.h"

#include <utility>

#include "client/platform/clock.h"
#include "client/protocol/activity_log.h"
#include "client/protocol/answer_receiver.h"
#include "client/protocol/protocol_context.h"
#include "client/protocol/session_requests.h"
#include "core/status.h"
#include "core/wire/message_types.h"

namespace hv {

cServerConnection::cServerConnection(cProtocolContext& context, const cSessionServices& services)
    : context_(context), services_(services) {}

cServerConnection::~cServerConnection() {
  CancelResume();
  if (watch_ != 0 && services_.event_loop != nullptr) services_.event_loop->RemoveWatch(watch_);
  watch_ = 0;
  socket_.reset();
  retired_.clear();
}

void cServerConnection::ReleaseRetired() {
  for (size_t i = 0; i < retired_.size();) {
    if (retired_[i]->InUse()) {
      ++i;
    } else {
      retired_.erase(retired_.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
}

void cServerConnection::WatchSocket() {
  if (services_.event_loop == nullptr || socket_ == nullptr) return;
  watch_ = services_.event_loop->WatchReadable(socket_->Descriptor(), [this] {
    OnDataArrived().Ignore("a failure has ended the connection with an activity entry already");
  });
}

void cServerConnection::SetWatchEnabled(bool enabled) {
  if (watch_ != 0 && services_.event_loop != nullptr) {
    services_.event_loop->SetWatchEnabled(watch_, enabled);
  }
}

void cServerConnection::ScheduleResume() {
  if (resume_timer_ != 0 || services_.event_loop == nullptr) return;
  // A zero-delay timer fires after the events already waiting (paints, input, the
  // termination signal's pipe), which is the point of handing back.
  resume_timer_ = services_.event_loop->StartTimer(0, [this] {
    CancelResume();  // one-shot
    OnDataArrived().Ignore("a failure has ended the connection with an activity entry already");
  });
}

void cServerConnection::CancelResume() {
  if (resume_timer_ != 0 && services_.event_loop != nullptr) {
    services_.event_loop->StopTimer(resume_timer_);
  }
  resume_timer_ = 0;
}

void cServerConnection::DropSocket() {
  CancelResume();
  if (watch_ != 0 && services_.event_loop != nullptr) services_.event_loop->RemoveWatch(watch_);
  watch_ = 0;
  if (socket_ == nullptr) return;
  if (socket_->InUse()) {
    socket_->Abandon();
    retired_.push_back(std::move(socket_));
  }
  socket_.reset();
}

Status cServerConnection::Connect(const char* address, uint32_t port, const char* user_name,
                                  const char* password) {
  DropSocket();  // a previous connection ends without Logoff or Goodbye
  ReleaseRetired();
  ++logins_;
  user_name_ = user_name != nullptr ? user_name : "";

  auto socket = std::make_unique<cRemoteClientSocket>(this, context_, &services_);
  if (services_.event_loop != nullptr) {
    cEventLoop* loop = services_.event_loop;
    socket->SetPumpHook([loop] { loop->Pump(0); });
  }
  Status connected = socket->Connect(address, port);
  if (connected.failed()) {
    ReportCannotConnect(address, port, connected.message());
    return connected;
  }
  // A nested Connect may have run while this one waited; the later one wins.
  DropSocket();
  socket_ = std::move(socket);
  heard_since_login_ = false;
  goodbye_seen_ = false;
  WatchSocket();
  return SendLogin(socket_.get(), user_name, password);
}

Status cServerConnection::Disconnect() {
  ReleaseRetired();
  if (socket_ == nullptr) return Status(Where::kProtocol, hv::kNotConnected);
  // Leaving never waits on the server: a server that has stopped reading (or stopped in the
  // middle of a block we are reading) gets what its socket takes at once, and no more.
  socket_->StopWaiting();
  SendLogoff(socket_.get()).Ignore("leaving: a server that does not take it is gone already");
  SendGoodbye(socket_.get()).Ignore("leaving: a server that does not take it is gone already");
  if (socket_ != nullptr) {
    socket_->ShutdownSending();
    DropSocket();
  }
  return Status();
}

const char* CannotConnectAdvice(const std::string& reason) {
  // What went wrong decides where to look: a name that does not resolve is a typing
  // matter, a refusal means nothing listens at that port.
  if (reason.rfind("host not found", 0) == 0) return "Check the address in Setup.";
  if (reason == "connection refused") {
    return "Check the port in Setup and that the server is running.";
  }
  if (reason == "timed out") {
    return "Check the address in Setup and that the server's computer is on and reachable.";
  }
  return "Check the address and port in Setup.";
}

void cServerConnection::ReportCannotConnect(const char* address, uint32_t port,
                                            const std::string& reason) {
  if (services_.activity_log == nullptr) return;
  swString message;
  message.Format("%s, port %lu: %s. %s", address != nullptr ? address : "",
                 static_cast<unsigned long>(port), reason.c_str(), CannotConnectAdvice(reason));
  // Stored, so that a failure at start-up is still there when the window opens.
  AddLogEntryOrDrop(*services_.activity_log,
                    MakeClientEntry(kEntryError, 0, 0, "Unable to Connect", message.CStr()), true,
                    true);
}

void cServerConnection::ReportTerminated(const Status& result, bool goodbye_seen) {
  if (services_.activity_log == nullptr) return;
  swString message;
  if (result.failed()) {
    message.Format("Read error: %d", result.code());
  } else if (goodbye_seen && !heard_since_login_) {
    message = "The server rejected the login";
  } else if (goodbye_seen) {
    // A server going down says Goodbye to every client.
    message = "The server was shut down";
  } else if (heard_since_login_) {
    // The login was taken, so this is the server or the line going away.
    message = "The server was shut down or the connection was lost";
  } else {
    message = "The server was shut down or login was rejected";
  }
  ShowLogEntryOrDrop(*services_.activity_log,
                     MakeClientError("Connection terminated", message.CStr()));
  // A server that turns a login down says Goodbye before answering anything; one that just
  // goes away (a crash, a dropped line) says nothing and is no sign of a wrong password.
  if (!result.failed() && goodbye_seen && !heard_since_login_) {
    ShowLogEntryOrDrop(
        *services_.activity_log,
        MakeClientEntry(
            kEntryError, 0, 5, "Login",
            "The server ended the session right after the login: the user name or password may "
            "be wrong. Check them in Setup."));
  }
}

Status cServerConnection::OnDataArrived() {
  Status result = ReceiveLoop();
  ReleaseRetired();
  return result;
}

Status cServerConnection::ReceiveLoop() {
  if (socket_ == nullptr) return Status(Where::kProtocol, hv::kNotConnected);
  cRemoteClientSocket* socket = socket_.get();
  cRemoteClientSocket::cUse use(*socket);
  // Readiness is level-triggered: while a block is read (and the read pumps events) the
  // socket's own readiness must not run this loop again.
  SetWatchEnabled(false);
  CancelResume();

  const cClock& clock = context_.Clock();
  const uint32_t slice_start = clock.TickCount();
  Status result;
  bool peer_gone = false;
  bool resume_later = false;
  while (true) {
    const Status peek = socket->PeekByte();
    if (!peek.ok()) {
      peer_gone = peek.failed();
      break;
    }
    // Bytes are waiting, but this pass has had its time: the event loop runs first.
    if (services_.event_loop != nullptr && clock.TickCount() - slice_start >= kReceiveSliceMs) {
      resume_later = true;
      break;
    }
    uint32_t type = 0;
    Status received = socket->ProcessIncoming(&type);
    // Declined: a receive on this socket is already under way further up the stack and
    // will read what is waiting; going round again would only spin.
    if (received.declined()) break;
    result = std::move(received);
    if (type == msg::kGoodbye) {
      goodbye_seen_ = true;
    } else if (!result.failed() && type != 0) {
      heard_since_login_ = true;
    }
    if (result.failed() || socket_.get() != socket) break;
  }

  if (socket_.get() != socket) {
    // Replaced or dropped while a block was handled; whoever did that has dealt with it.
    return result;
  }
  if (!result.failed() && resume_later) {
    // The watch stays paused while a resume is pending: the timer reads what is left (also
    // after a Goodbye, whose connection ends once the bytes before its end are handled).
    ScheduleResume();
    return result;
  }
  if (!result.failed() && !goodbye_seen_ && !peer_gone) {
    SetWatchEnabled(true);
    return result;
  }
  // A Goodbye, a failed block, or the server closing its end (or a broken socket): the
  // connection is known to be gone, so it ends now rather than at the next liveness check,
  // and the window can say so at once.
  ReportTerminated(result, goodbye_seen_);
  socket->ShutdownSending();
  DropSocket();
  AnnounceEnded();
  return result;
}

void cServerConnection::AnnounceEnded() {
  context_.SetHeardFromServer(0);
  if (services_.receiver != nullptr) {
    services_.receiver->Receive(ConnectionEndedRecord{})
        .Ignore(
            "the connection has ended already; a receiver that cannot show it has lost nothing");
  }
}

}  // namespace hv
