// Thumbnail (type 33): block 0 carries the fixed fields; every block carries one chunk of
// the picture. A picture that comes in a single block is decoded straight from that block's
// payload: writing it to a file only to read it back cost a quarter of a thumbnail's time.
// The chunks of a longer answer are gathered in one of the socket's scratch files, so that
// no answer is ever held whole in memory; the file is given back once the last block has
// been handed on, for the next answer to write over.
#include "client/protocol/answer_decoders.h"
#include "client/protocol/answer_dispatch.h"
#include "client/protocol/gathered_file.h"
#include "client/protocol/remote_client_socket.h"
#include "client/protocol/scratch_files.h"
#include "client/protocol/socket_message.h"
#include "client/protocol/socket_message_block.h"
#include "core/status.h"

namespace hv {

Status HandleThumbnail(const cAnswerCall& call) {
  cSocketMessage& message = *call.message;
  cSocketMessageBlock& block = call.block;

  if (block.block_number == 0) {
    ThumbnailAnswer answer;
    Status status = DecodeThumbnailRecord(block, &answer.record);
    if (status.failed()) return status;
    if (block.last_block == 1) {
      ThumbnailPicture& picture = answer.picture;
      status = block.ReadChunkInPlace(&picture.bytes, &picture.size);
      if (status.failed()) return status;
      return DeliverAnswer(call, answer);
    }
    const ThumbnailRecord& record = answer.record;
    message.scratch = block.type;
    message.source_name = record.source_name;
    message.file_path = record.picture_path;
    message.is_clip = record.is_clip;
    message.clip_path = record.clip_path;
    message.time_stamp = record.time_stamp;
    status = call.socket.ScratchFiles().Take(&message.temp_file_name, &message.gathered_file);
    if (status.failed()) return status;
  } else if (message.scratch != block.type || message.temp_file_name.GetLength() == 0) {
    // A later block must continue the same kind of answer it claims to belong to.
    return Status(Where::kProtocol, hv::kUnexpectedType);
  }

  const char* temp = message.temp_file_name.CStr();
  Status status = block.ReadFileChunk(message.gathered_file);
  // The picture is whole, and read back by name, once its file is closed.
  if (status.ok() && block.last_block == 1) status = message.gathered_file.Close();
  if (status.ok() && block.last_block == 1) {
    ThumbnailAnswer answer;
    ThumbnailRecord& record = answer.record;
    record.source_name = message.source_name;
    record.picture_path = message.file_path;
    record.is_clip = message.is_clip;
    record.clip_path = message.clip_path;
    record.time_stamp = message.time_stamp;
    answer.picture.file = temp;
    status = DeliverAnswer(call, answer);
  }
  if (status.failed() || block.last_block == 1) {
    message.gathered_file.Discard();  // already failed, or closed
    call.socket.ScratchFiles().GiveBack(temp);
    message.temp_file_name = "";
  }
  return status;
}

}  // namespace hv
