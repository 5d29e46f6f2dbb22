// cVideoRequestPort: the two requests the video view and its camera motion dialog send
// themselves, behind a small interface so that the views can be tested without a socket.
// The program's realisation sends them on the connection (cConnectionVideoRequests).
#ifndef HV_CLIENT_VIEWS_VIDEO_VIDEO_REQUESTS_PORT_H_
#define HV_CLIENT_VIEWS_VIDEO_VIDEO_REQUESTS_PORT_H_

#include <cstdint>

#include "core/status.h"

namespace hv {

class cServerConnection;

class cVideoRequestPort {
 public:
  virtual ~cVideoRequestPort() = default;
  // Whether there is a connection to send on; without one nothing is sent or reported.
  virtual bool IsConnected() const = 0;
  // Get full picture or video (34). Ok, or the send's failure.
  [[nodiscard]] virtual Status GetFullPicture(const char* source_name, const char* picture_path,
                                              uint32_t time_stamp) = 0;
  // Video motion (44). Ok, or the send's failure.
  [[nodiscard]] virtual Status VideoMotion(const char* source_name, uint32_t motion_code,
                                           uint32_t repeat_count) = 0;
};

// Sends on the connection's current socket. The connection must outlive it.
class cConnectionVideoRequests : public cVideoRequestPort {
 public:
  explicit cConnectionVideoRequests(cServerConnection& connection) : connection_(connection) {}
  bool IsConnected() const override;
  Status GetFullPicture(const char* source_name, const char* picture_path,
                        uint32_t time_stamp) override;
  Status VideoMotion(const char* source_name, uint32_t motion_code, uint32_t repeat_count) override;

 private:
  cServerConnection& connection_;
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_VIDEO_VIDEO_REQUESTS_PORT_H_
