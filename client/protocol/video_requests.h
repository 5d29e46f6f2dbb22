// Requests about video sources, pictures, recordings and camera motion. Each returns ok or
// the first failure; kMissingArgument without a socket (or with a null text).
#ifndef HV_CLIENT_PROTOCOL_VIDEO_REQUESTS_H_
#define HV_CLIENT_PROTOCOL_VIDEO_REQUESTS_H_

#include <cstdint>

#include "core/status.h"

namespace hv {

class cRemoteClientSocket;

// The thumbnail size and the fixed values Get thumbnails always asks with.
constexpr uint32_t kThumbnailWidth = 80;
constexpr uint32_t kThumbnailHeight = 60;

// Get video sources (30): no payload.
[[nodiscard]] Status SendGetVideoSources(cRemoteClientSocket* socket);
// Get thumbnails (32): the most snapshots wanted ("Max Snapshots"), then 1, 75, 80, 60.
[[nodiscard]] Status SendGetThumbnails(cRemoteClientSocket* socket, uint32_t max_snapshots);
// Get full picture or video (34): source name, picture path and time stamp of a thumbnail.
[[nodiscard]] Status SendGetFullPicture(cRemoteClientSocket* socket, const char* source_name,
                                        const char* picture_path, uint32_t time_stamp);
// Snap picture (37), Start record (48), Stop record (49): the source name.
[[nodiscard]] Status SendSnapPicture(cRemoteClientSocket* socket, const char* source_name);
[[nodiscard]] Status SendStartRecord(cRemoteClientSocket* socket, const char* source_name);
[[nodiscard]] Status SendStopRecord(cRemoteClientSocket* socket, const char* source_name);
// Video motion (44): source name, 1, motion code (0-15), repeat count.
[[nodiscard]] Status SendVideoMotion(cRemoteClientSocket* socket, const char* source_name,
                                     uint32_t motion_code, uint32_t repeat_count);

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_VIDEO_REQUESTS_H_
