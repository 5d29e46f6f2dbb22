#include "client/protocol/video_requests.h"

#include "client/protocol/request_sender.h"
#include "core/wire/message_types.h"

namespace hv {

Status SendGetVideoSources(cRemoteClientSocket* socket) {
  return SendFields(socket, msg::kGetVideoSources);
}

Status SendGetThumbnails(cRemoteClientSocket* socket, uint32_t max_snapshots) {
  // 1 and 75 mean something to the server only; this client always asks with them.
  return SendFields(socket, msg::kGetThumbnails, max_snapshots, uint32_t{1}, uint32_t{75},
                    kThumbnailWidth, kThumbnailHeight);
}

Status SendGetFullPicture(cRemoteClientSocket* socket, const char* source_name,
                          const char* picture_path, uint32_t time_stamp) {
  return SendFields(socket, msg::kGetFullPicture, source_name, picture_path, time_stamp);
}

Status SendSnapPicture(cRemoteClientSocket* socket, const char* source_name) {
  return SendFields(socket, msg::kSnapPicture, source_name);
}
Status SendStartRecord(cRemoteClientSocket* socket, const char* source_name) {
  return SendFields(socket, msg::kStartRecord, source_name);
}
Status SendStopRecord(cRemoteClientSocket* socket, const char* source_name) {
  return SendFields(socket, msg::kStopRecord, source_name);
}

Status SendVideoMotion(cRemoteClientSocket* socket, const char* source_name, uint32_t motion_code,
                       uint32_t repeat_count) {
  return SendFields(socket, msg::kVideoMotion, source_name, uint32_t{1}, motion_code, repeat_count);
}

}  // namespace hv
