#include "client/cmdfile/command_response.h"

#include <cstring>

#include "core/file/file_replace.h"
#include "client/protocol/received_file_path.h"
#include "core/status.h"

namespace hv {

int32_t PlaceCommandResponse(const swString& received_name, const char* stored_path,
                             const swString& configured_response_name, swString* final_path) {
  if (stored_path == nullptr) return hv::kMissingArgument;
  if (final_path != nullptr) *final_path = stored_path;
  if (configured_response_name.GetLength() == 0) return hv::kDeclined;
  swString received_part = ReceivedFilePart(received_name.CStr());
  swString configured_part = ReceivedFilePart(configured_response_name.CStr());
  if (received_part.GetLength() == 0 ||
      std::strcmp(received_part.CStr(), configured_part.CStr()) != 0) {
    return hv::kDeclined;
  }
  const char* target = configured_response_name.CStr();
  if (!SameFile(stored_path, target)) {
    bool copied_only = false;
    int32_t rc = MoveFileReplacing(stored_path, target, &copied_only);
    // A copy that is complete at the target is a delivered response, even if the data
    // folder keeps a spare.
    if (rc < 0 && !copied_only) return rc;
  }
  if (final_path != nullptr) *final_path = configured_response_name;
  return hv::kOk;
}

}  // namespace hv
