#include "client/protocol/received_file_path.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "core/status.h"

namespace hv {

namespace {

// mkdir -p with owner-only folders; existing folders are fine.
bool MakeFolders(const std::string& folder) {
  if (folder.empty()) return false;
  struct stat st {};
  if (stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  for (size_t pos = 1; pos <= folder.size(); ++pos) {
    if (pos != folder.size() && folder[pos] != '/') continue;
    std::string prefix = folder.substr(0, pos);
    if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

swString ReceivedFilePart(const char* server_name) {
  if (server_name == nullptr) return swString();
  const char* part = server_name;
  for (const char* p = server_name; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/' || *p == ':') part = p + 1;
  }
  return swString(part);
}

Status ReceivedFilePath(const swString& data_folder, const char* server_name, swString* path) {
  if (server_name == nullptr || path == nullptr)
    return Status(Where::kProtocol, hv::kMissingArgument);
  swString part = ReceivedFilePart(server_name);
  if (part.GetLength() == 0 || part == "." || part == ".." || data_folder.GetLength() == 0) {
    return Status(Where::kProtocol, hv::kCannotOpenFile);
  }
  if (!MakeFolders(data_folder.CStr())) {
    return Status(Where::kProtocol, hv::kCannotOpenFile,
                  "cannot make the folder " + std::string(data_folder.CStr()));
  }
  *path = data_folder;
  if (data_folder.GetAt(data_folder.GetLength() - 1) != '/') path->AppendChar('/');
  path->Append(part);
  return Status::Ok();
}

}  // namespace hv
