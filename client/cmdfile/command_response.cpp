#include "client/cmdfile/command_response.h"

#include <cstring>

#include "client/protocol/received_file_path.h"
#include "core/file/file_replace.h"
#include "core/status.h"

namespace hv {

Status PlaceCommandResponse(const swString& received_name, const char* stored_path,
                            const swString& configured_response_name, swString* final_path) {
  if (stored_path == nullptr) return Status(Where::kCommandFile, hv::kMissingArgument);
  if (final_path != nullptr) *final_path = stored_path;
  const Status stays = Status::Declined(Where::kCommandFile);
  if (configured_response_name.GetLength() == 0) return stays;
  swString received_part = ReceivedFilePart(received_name.CStr());
  swString configured_part = ReceivedFilePart(configured_response_name.CStr());
  if (received_part.GetLength() == 0 ||
      std::strcmp(received_part.CStr(), configured_part.CStr()) != 0) {
    return stays;
  }
  const char* target = configured_response_name.CStr();
  if (!SameFile(stored_path, target)) {
    bool copied_only = false;
    const Status moved = MoveFileReplacing(stored_path, target, &copied_only);
    // A copy that is complete at the target is a delivered response, even if the data
    // folder keeps a spare.
    if (moved.failed() && !copied_only) {
      return Status(Where::kCommandFile, moved.code(), moved.message());
    }
  }
  if (final_path != nullptr) *final_path = configured_response_name;
  return Status::Ok();
}

}  // namespace hv
