// Send command file (type 41): the command file's path, the response file's path (or
// empty), then the file's contents as blob chunks, one per block. The only request that
// can span several blocks.
#ifndef HV_CLIENT_PROTOCOL_COMMAND_FILE_REQUEST_H_
#define HV_CLIENT_PROTOCOL_COMMAND_FILE_REQUEST_H_

#include <cstdint>

#include "core/status.h"

namespace hv {

class cRemoteClientSocket;

// An empty file sends only the two strings. Ok or the first failure (kCannotOpenFile when
// the command file cannot be read); kMissingArgument without a socket or path; kBlockFull,
// with nothing sent, when the socket speaks the short header form and the file does not fit
// one block.
[[nodiscard]] Status SendCommandFile(cRemoteClientSocket* socket, const char* command_path,
                                     const char* response_path);

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_COMMAND_FILE_REQUEST_H_
