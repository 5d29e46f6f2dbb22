#include "client/views/video/video_requests_port.h"

#include "client/protocol/server_connection.h"
#include "client/protocol/video_requests.h"

namespace hv {

bool cConnectionVideoRequests::IsConnected() const { return connection_.IsConnected(); }

Status cConnectionVideoRequests::GetFullPicture(const char* source_name, const char* picture_path,
                                                uint32_t time_stamp) {
  return SendGetFullPicture(connection_.Socket(), source_name, picture_path, time_stamp);
}

Status cConnectionVideoRequests::VideoMotion(const char* source_name, uint32_t motion_code,
                                             uint32_t repeat_count) {
  return SendVideoMotion(connection_.Socket(), source_name, motion_code, repeat_count);
}

}  // namespace hv
