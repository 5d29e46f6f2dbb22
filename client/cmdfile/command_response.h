// Where a Command response lands. The protocol writes every response under the received
// name's file part in the data folder; a response to one of our command files (its file part
// is that of the monitor's response file name) is then moved to the path the user configured.
// A path chosen by the server is never written: only the configured one, or the data folder.
#ifndef HV_CLIENT_CMDFILE_COMMAND_RESPONSE_H_
#define HV_CLIENT_CMDFILE_COMMAND_RESPONSE_H_

#include <cstdint>

#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

// Ok when the response now is at `configured_response_name` (replacing an earlier one),
// declined when it stays at `stored_path` (another name, or no configured name),
// kCannotOpenFile when it could not be moved (it stays at `stored_path`; the message names the
// path and the system's reason), kMissingArgument
// without `stored_path`. *final_path (optional) receives where the response is.
[[nodiscard]] Status PlaceCommandResponse(const swString& received_name, const char* stored_path,
                                          const swString& configured_response_name,
                                          swString* final_path);

}  // namespace hv

#endif  // HV_CLIENT_CMDFILE_COMMAND_RESPONSE_H_
