// CDlgChildSensors: the sensors the server watches (X10 and security sensors, IO board
// inputs, thermometers), each with its last state and value; clicking a row's check box asks
// the server to set the sensor on or off. Built like the switches view; a sensor's status
// changes also bring its new value.
#ifndef HV_CLIENT_VIEWS_DEVICES_DLG_CHILD_SENSORS_H_
#define HV_CLIENT_VIEWS_DEVICES_DLG_CHILD_SENSORS_H_

#include <cstdint>

#include "client/views/devices/device_rows.h"
#include "client/views/devices/item_list_view.h"

namespace hv {

// Sensor types, as the server's Sensor items give them.
enum : uint32_t {
  kSensorTypeX10 = kDeviceTypeX10,
  kSensorTypeIo = kDeviceTypeIo,
};

class CDlgChildSensors : public cItemListView, public cSensorsFeed {
 public:
  CDlgChildSensors(int32_t placement, const cItemViewServices& services);

  // Empties the list and sends Get sensors. Always ok.
  Status RequestSensors() { return RequestItems(); }

  ViewFeeds Feeds() override { return {static_cast<cSensorsFeed*>(this), this}; }

  // cSensorsFeed
  // One Sensor item: a new row at the end, checked when the sensor is active. Declined when
  // the view takes no items now or the item ends the list; kOutOfMemory when the row is refused.
  Status AddSensor(const SensorRecord& record) override;
  // Every row of that exact name shows the new status and value, and is checked exactly
  // when the sensor is active. Declined when the view is not initialised; else ok.
  Status SetSensorStatus(const StatusChangeRecord& record) override;

  // The row's picture: 0 IO card, 1 IO module, 2 thermometer, 3 X10 sensor, 4 wired sensor.
  static int32_t ImageIndex(uint32_t type, uint32_t io_kind);
  static const char* TypeText(uint32_t type);
  // On, Dim, the two door/window opened codes, the two light-on codes and Motion.
  static bool IsActive(uint32_t status);
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_DEVICES_DLG_CHILD_SENSORS_H_
