// The records the server's answers carry, decoded field by field (see answer_decoders.h).
// Fields that older servers leave out carry their defaults: a value as integer of 0, and a
// value derived from the integer when the f64 is missing.
#ifndef HV_CLIENT_PROTOCOL_ANSWER_RECORDS_H_
#define HV_CLIENT_PROTOCOL_ANSWER_RECORDS_H_

#include <cstdint>

#include "core/string/sw_string.h"

namespace hv {

// Switch item (type 8) and Sensor item (type 10). An empty name ends a list.
struct SwitchRecord {
  swString name;
  swString description;
  uint32_t kind = 0;    // switch: 1 X10, 2 IO, 3 IO paddle; sensor: 1 X10, 2 IO
  uint32_t status = 0;  // an X10 function or sensor code
  int32_t value_as_integer = 0;
  double value = 0.0;
  uint32_t io_kind = 0;  // subtype of IO items; picks the icon
};
using SensorRecord = SwitchRecord;

// Macro item (type 12).
struct MacroRecord {
  swString name;
  swString description;
  uint32_t status = 0;  // 1 disabled, 2 monitoring, 3 in progress
  uint16_t startup = 0;
  uint32_t trigger_when = 0;  // 0 any active, 1 all active
  uint32_t trigger_quantity = 0;
  uint32_t action_quantity = 0;
  uint32_t stop_sensor_quantity = 0;
};

// Mode item (type 46).
struct ModeRecord {
  swString name;
  swString description;
  uint16_t state = 0;  // 1 active
};

// Switch status (type 15) and Sensor status (type 16).
struct StatusChangeRecord {
  swString name;
  uint32_t status = 0;
  int32_t value_as_integer = 0;
  uint32_t extra = 0;
  double value = 0.0;
};

// Macro status (type 17).
struct MacroStatusRecord {
  swString name;
  uint32_t status = 0;
};

// Mode status (type 47).
struct ModeStatusRecord {
  swString name;
  uint16_t state = 0;
};

// Video source (type 31). Its tab gets the view code 5 + source number.
struct VideoSourceRecord {
  swString name;
  uint32_t source_number = 0;
};

// Thumbnail (type 33): the fixed fields of block 0. is_clip and clip_path exist only in
// blocks with header version 3 or more; older servers give 0 and empty.
struct ThumbnailRecord {
  swString source_name;
  swString picture_path;  // as the server names it; sent back in Get full picture or video
  uint16_t is_clip = 0;
  swString clip_path;
  uint32_t time_stamp = 0;  // seconds since 1970
};

// The encoded picture of a Thumbnail answer, readable only during the call that hands it
// over. A picture that came in one block (every thumbnail of usual size) is the block's own
// bytes, decoded where they were received; one gathered from several blocks is the
// temporary file that holds them, which the next such answer writes over, so that a long
// answer is never held whole in memory.
struct ThumbnailPicture {
  const char* file = nullptr;  // the gathered file; null when the bytes are in memory
  const uint8_t* bytes = nullptr;
  uint32_t size = 0;
};

// Full picture or video (type 35): the fixed fields of block 0.
struct FullPictureRecord {
  swString source_name;
  swString file_path;  // as the server names it; only its file part is used
  uint32_t time_stamp = 0;
};

// Server message (type 38).
struct ServerMessageRecord {
  swString target;     // "All" or a user name
  uint32_t plain = 0;  // 0: shown with a warning icon
  swString caption;
  swString text;
};

// Launch program (type 43).
struct LaunchProgramRecord {
  swString file;
  swString verb;
  swString parameters;
  swString directory;
  uint32_t show_command = 0;
  swString target;  // "All" or a user name
};

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_ANSWER_RECORDS_H_
