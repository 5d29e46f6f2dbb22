// MakePicture: draws a camera picture for a video source and encodes it as a JPEG with
// libjpeg. The picture shows the source's colour, a bar that moves with time and the time
// stamp as digits, so two pictures taken at different moments always differ. Noise can be
// added so that larger pictures are large enough to travel over many blocks.
#ifndef HV_SIM_PICTURE_MAKER_H_
#define HV_SIM_PICTURE_MAKER_H_

#include <cstdint>
#include <vector>

namespace hv::sim {

struct PictureRequest {
  int width = 80;
  int height = 60;
  uint32_t source_number = 0;  // picks the colour
  uint32_t time_stamp = 0;     // seconds since 1970; shown as HH:MM:SS (UTC)
  bool is_clip = false;        // clips carry a frame border, like a film strip
  bool noise = false;
  int quality = 85;
};

// The JPEG file's bytes; empty when the size is out of range (1..4096 each way) or the
// encoder failed.
std::vector<uint8_t> MakePicture(const PictureRequest& request);

}  // namespace hv::sim

#endif  // HV_SIM_PICTURE_MAKER_H_
