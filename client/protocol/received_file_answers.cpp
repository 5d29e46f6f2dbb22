// Answers that deliver a file: Full picture or video (type 35, any number of blocks, opened
// once complete) and Command response (type 42, one block). Both are written under the
// received name's file part in the data folder and nowhere else.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <variant>

#include "client/platform/shell.h"
#include "client/protocol/activity_log.h"
#include "client/protocol/answer_decoders.h"
#include "client/protocol/answer_dispatch.h"
#include "client/protocol/received_file_path.h"
#include "client/protocol/session_services.h"
#include "client/protocol/socket_message.h"
#include "client/protocol/socket_message_block.h"
#include "core/status.h"
#include "core/system_error.h"

namespace hv {

namespace {

// The received part is removed after a failed step; the system's reason for the step
// (`reason`, read before anything else could change errno) goes into the message.
Status PartDropped(const std::string& part, int reason, const std::string& doing) {
  unlink(part.c_str());
  return SystemError(Where::kProtocol, doing, reason, hv::kCannotOpenFile);
}

}  // namespace

Status HandleFullPicture(const cAnswerCall& call) {
  cSocketMessage& message = *call.message;
  cSocketMessageBlock& block = call.block;

  if (block.block_number == 0) {
    FullPictureRecord record;
    Status status = DecodeFullPictureRecord(block, &record);
    if (status.failed()) return status;
    message.scratch = block.type;
    message.source_name = record.source_name;
    message.file_path = record.file_path;
    message.time_stamp = record.time_stamp;
  } else if (message.scratch != block.type) {
    return Status(Where::kProtocol, hv::kUnexpectedType);
  }

  // Recomputed for every block from the name as received, so whatever a context holds,
  // the file written is always inside the data folder.
  swString target;
  if (Status placed =
          ReceivedFilePath(call.services.data_folder, message.file_path.CStr(), &target);
      placed.failed()) {
    return placed;
  }
  // The blocks gather beside the target, which is replaced only once the file is whole: a
  // transfer that fails half-way never leaves a cut-off picture under the real name, where
  // "Display" would take it for the finished file and an earlier picture would be lost.
  const std::string part = std::string(target.CStr()) + ".part";
  Status status;
  if (block.block_number == 0) status = message.gathered_file.CreateFresh(part.c_str());
  if (status.ok()) status = block.ReadFileChunk(message.gathered_file);
  if (status.ok() && block.last_block == 1) status = message.gathered_file.Close();
  if (status.failed()) {
    message.gathered_file.Discard();  // already failed: the part goes anyway
    unlink(part.c_str());
    return status;
  }
  if (block.last_block != 1) return Status::Ok();
  // The earlier picture goes by name before the new one takes its place: renaming over an
  // existing file makes ext4 push the new file's blocks to disk there and then (its guard
  // for programs that never sync), which took two thirds of a large picture's time. Once
  // this returns the name holds the whole new picture either way; only a power cut in the
  // next half minute could leave it empty, and the server can send a picture again.
  if (unlink(target.CStr()) != 0 && errno != ENOENT) {
    const int reason = errno;
    return PartDropped(part, reason, "cannot replace " + std::string(target.CStr()));
  }
  if (rename(part.c_str(), target.CStr()) != 0) {
    const int reason = errno;
    return PartDropped(part, reason, "cannot write " + std::string(target.CStr()));
  }

  if (call.services.shell != nullptr && call.services.shell->Open(target.CStr()).failed() &&
      call.services.activity_log != nullptr) {
    swString text;
    text.Format("Unable to open %s", target.CStr());
    ShowLogEntryOrDrop(*call.services.activity_log,
                       MakeClientError("Full picture or video", text.CStr()));
  }
  return Status::Ok();
}

Status HandleCommandResponse(const cAnswerCall& call) {
  cSocketMessageBlock& block = call.block;
  Answer answer(std::in_place_type<CommandResponseStoredRecord>);
  CommandResponseStoredRecord& stored = std::get<CommandResponseStoredRecord>(answer);
  const swString& name = stored.received_name;
  Status status = block.ReadString(&stored.received_name);
  if (status.failed()) return status;
  swString target;
  status = ReceivedFilePath(call.services.data_folder, name.CStr(), &target);
  if (status.failed()) return status;
  // The response is written beside its target and replaces it only once whole, so a full
  // disk never leaves a cut-off response where the previous one was.
  const std::string part = std::string(target.CStr()) + ".part";
  unlink(part.c_str());
  status = block.ReadFileChunk(part.c_str(), true);
  if (status.ok() && rename(part.c_str(), target.CStr()) != 0) {
    status = Status(Where::kProtocol, hv::kCannotOpenFile);
  }
  if (status.failed()) {
    unlink(part.c_str());
    return status;
  }
  stored.stored_path = target.CStr();
  return DeliverAnswer(call, answer);
}

}  // namespace hv
