#include "client/protocol/request_failures.h"

#include "client/protocol/activity_log.h"
#include "client/protocol/server_connection.h"
#include "core/status.h"

namespace hv {

const char* VideoMotionFailureMessage(uint32_t motion_code) {
  static const char* const kMessages[] = {
      "Video motion pan left command not sent successfully",
      "Video motion pan right command not sent successfully",
      "Video motion pan up command not sent successfully",
      "Video motion pan down command not sent successfully",
      "Video motion center command not sent successfully",
      "Video motion sweep command not sent successfully",
      "Video motion pos1 command not sent successfully",
      "Video motion pos2 command not sent successfully",
      "Video motion pos3 command not sent successfully",
      "Video motion pos4 command not sent successfully",
  };
  // The "Program" codes name the same motions: 10-13 positions, 14 center, 15 sweep.
  if (motion_code <= 9) return kMessages[motion_code];
  if (motion_code <= 13) return kMessages[motion_code - 4];
  if (motion_code == 14) return kMessages[4];
  return kMessages[5];
}

void ReportRequestFailure(cActivityLog* log, const char* message) {
  if (log == nullptr) return;
  ShowLogEntryOrDrop(*log, MakeClientError("Connection is lost", message));
}

void ReportUserMessageFailure(cActivityLog* log) {
  if (log == nullptr) return;
  ShowLogEntryOrDrop(*log, MakeClientEntry(kEntryUserMessage, 3, 5, "User Message",
                                           "Server not responding - Connection is lost"));
}

void ReportX10CodeFailure(cActivityLog* log, const char* address_text, int32_t function,
                          uint32_t dim_value) {
  if (log == nullptr) return;
  LogItemRecord entry =
      MakeClientEntry(kEntryError, 2, 1, "", "Server not responding.  Connection is lost");
  entry.path = address_text;
  entry.function_code = function;
  entry.value = static_cast<double>(dim_value);
  AddLogEntryOrDrop(*log, entry, true, true);
}

Status SendReportingFailure(cServerConnection& connection, cActivityLog* log,
                            const char* failure_message,
                            const std::function<Status(cRemoteClientSocket*)>& send) {
  cRemoteClientSocket* socket = connection.Socket();
  if (socket == nullptr) return Status(Where::kProtocol, hv::kNotConnected);
  Status status = send(socket);
  if (status.failed()) ReportRequestFailure(log, failure_message);
  return status;
}

}  // namespace hv
