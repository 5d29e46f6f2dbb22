#include "client/protocol/video_requests.h"

#include "client/protocol/request_sender.h"
#include "core/wire/message_types.h"

namespace hv {

namespace {

int32_t SendSourceRequest(cRemoteClientSocket* socket, uint32_t type, const char* source) {
  return SendRequest(socket, type,
                     [&](cSocketMessageChannel& c) { return c.AppendString(source); });
}

}  // namespace

int32_t SendGetVideoSources(cRemoteClientSocket* socket) {
  return SendEmptyRequest(socket, msg::kGetVideoSources);
}

int32_t SendGetThumbnails(cRemoteClientSocket* socket, uint32_t max_snapshots) {
  return SendRequest(socket, msg::kGetThumbnails, [&](cSocketMessageChannel& c) {
    // 1 and 75 mean something to the server only; this client always asks with them.
    int32_t rc = c.AppendU32(max_snapshots);
    if (rc >= 0) rc = c.AppendU32(1);
    if (rc >= 0) rc = c.AppendU32(75);
    if (rc >= 0) rc = c.AppendU32(kThumbnailWidth);
    if (rc >= 0) rc = c.AppendU32(kThumbnailHeight);
    return rc;
  });
}

int32_t SendGetFullPicture(cRemoteClientSocket* socket, const char* source_name,
                           const char* picture_path, uint32_t time_stamp) {
  return SendRequest(socket, msg::kGetFullPicture, [&](cSocketMessageChannel& c) {
    int32_t rc = c.AppendString(source_name);
    if (rc >= 0) rc = c.AppendString(picture_path);
    if (rc >= 0) rc = c.AppendU32(time_stamp);
    return rc;
  });
}

int32_t SendSnapPicture(cRemoteClientSocket* socket, const char* source_name) {
  return SendSourceRequest(socket, msg::kSnapPicture, source_name);
}
int32_t SendStartRecord(cRemoteClientSocket* socket, const char* source_name) {
  return SendSourceRequest(socket, msg::kStartRecord, source_name);
}
int32_t SendStopRecord(cRemoteClientSocket* socket, const char* source_name) {
  return SendSourceRequest(socket, msg::kStopRecord, source_name);
}

int32_t SendVideoMotion(cRemoteClientSocket* socket, const char* source_name, uint32_t motion_code,
                        uint32_t repeat_count) {
  return SendRequest(socket, msg::kVideoMotion, [&](cSocketMessageChannel& c) {
    int32_t rc = c.AppendString(source_name);
    if (rc >= 0) rc = c.AppendU32(1);
    if (rc >= 0) rc = c.AppendU32(motion_code);
    if (rc >= 0) rc = c.AppendU32(repeat_count);
    return rc;
  });
}

}  // namespace hv
