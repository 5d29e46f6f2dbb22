// Where a file the server sends us is stored. The server names files with its own paths
// ("C:\Pictures\cam1.jpg"); only the file part is used, so nothing the server names is ever
// written outside the client's data folder.
#ifndef HV_CLIENT_PROTOCOL_RECEIVED_FILE_PATH_H_
#define HV_CLIENT_PROTOCOL_RECEIVED_FILE_PATH_H_

#include <cstdint>

#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

// The part of a server-named path after its last '\', '/' or ':'. "..\..\x", "../../x",
// "/etc/x" and "C:x" all give "x".
swString ReceivedFilePart(const char* server_name);

// data_folder + "/" + the file part of server_name, in *path. Ok; kCannotOpenFile when the
// file part is empty, "." or ".." (a file that cannot be created), or the data folder is
// empty or cannot be made; kMissingArgument for null arguments (all Where::kProtocol). The
// data folder is created when missing.
[[nodiscard]] Status ReceivedFilePath(const swString& data_folder, const char* server_name,
                                      swString* path);

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_RECEIVED_FILE_PATH_H_
