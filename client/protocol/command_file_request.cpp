#include "client/protocol/command_file_request.h"

#include "client/protocol/request_sender.h"
#include "core/wire/message_types.h"

namespace hv {

Status SendCommandFile(cRemoteClientSocket* socket, const char* command_path,
                       const char* response_path) {
  return SendRequest(socket, msg::kSendCommandFile, [&](cSocketMessageChannel& c) {
    Status status = c.AppendString(command_path);
    if (!status.failed()) status = c.AppendString(response_path != nullptr ? response_path : "");
    // An empty file (declined) still ends with the final block that carries the two strings.
    if (!status.failed()) status = c.AppendFile(command_path);
    return status;
  });
}

}  // namespace hv
