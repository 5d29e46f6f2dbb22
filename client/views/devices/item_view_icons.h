// The pictures of the switches and sensors lists, kept inside the program as PNG files
// (drawn by scripts/make-view-icons into client/resources/icons), so that nothing has to be
// found on disk at run time.
#ifndef HV_CLIENT_VIEWS_DEVICES_ITEM_VIEW_ICONS_H_
#define HV_CLIENT_VIEWS_DEVICES_ITEM_VIEW_ICONS_H_

#include <cstddef>
#include <cstdint>

namespace hv {

enum class eItemViewIcon {
  kIoCard,        // an IO expansion card
  kIoModule,      // an external IO module
  kX10Switch,     // an X10 wall switch
  kWiredSwitch,   // a wired wall switch
  kPaddleSwitch,  // a paddle switch
  kThermometer,
  kX10Sensor,
  kWiredSensor,
};

struct cEmbeddedFile {
  const uint8_t* data;
  size_t size;
};

// The PNG file of an icon.
cEmbeddedFile ItemViewIconFile(eItemViewIcon icon);

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_DEVICES_ITEM_VIEW_ICONS_H_
