#include "client/protocol/command_file_request.h"

#include "client/protocol/request_sender.h"
#include "core/wire/message_types.h"

namespace hv {

Status SendCommandFile(cRemoteClientSocket* socket, const char* command_path,
                       const char* response_path) {
  return SendRequest(socket, msg::kSendCommandFile, [&](cSocketMessageChannel& c) {
    int32_t rc = c.AppendString(command_path);
    if (rc >= 0) rc = c.AppendString(response_path != nullptr ? response_path : "");
    // 1 (an empty file) still ends with the final block that carries the two strings.
    if (rc >= 0) rc = c.AppendFile(command_path);
    return rc;
  });
}

}  // namespace hv
