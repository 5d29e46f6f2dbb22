// The kinds of named thing a house has, as the client's history keeps them and the bridge
// mirrors them. The numbers are stored (the history keeps every sample's kind as its number):
// a kind keeps its number, and a new kind takes the next.
#ifndef HV_CLIENT_PROTOCOL_ITEM_KIND_H_
#define HV_CLIENT_PROTOCOL_ITEM_KIND_H_

#include <cstdint>

namespace hv {

enum class ItemKind : int32_t {
  kSwitch = 1,
  kSensor = 2,
  kMacro = 3,
  kMode = 4,
  kLogName = 5,  // the name of activity entries, kept apart from items of the same name
  kCamera = 6,   // a video source
};

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_ITEM_KIND_H_
