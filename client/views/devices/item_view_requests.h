// cItemViewRequests: what the switches, sensors, macros and modes views send to the server.
// The program realises it over the one connection (cConnectionItemViewRequests); tests use a
// recording double. Names are sent exactly as the server listed them, byte for byte.
#ifndef HV_CLIENT_VIEWS_DEVICES_ITEM_VIEW_REQUESTS_H_
#define HV_CLIENT_VIEWS_DEVICES_ITEM_VIEW_REQUESTS_H_

#include <cstdint>

#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

class cServerConnection;

class cItemViewRequests {
 public:
  virtual ~cItemViewRequests() = default;

  // Whether there is a connection to send on; without one the views send nothing.
  virtual bool IsConnected() const = 0;

  // Each returns ok when sent, or the failure (kNotConnected without a connection).
  [[nodiscard]] virtual Status GetSwitches() = 0;
  [[nodiscard]] virtual Status GetSensors() = 0;
  [[nodiscard]] virtual Status GetMacros() = 0;
  [[nodiscard]] virtual Status GetModes() = 0;
  // status: 2 On, 3 Off.
  [[nodiscard]] virtual Status SetSwitchStatus(const swString& name, uint32_t status) = 0;
  [[nodiscard]] virtual Status SetSensorStatus(const swString& name, uint32_t status) = 0;
  // status: 2 back to monitoring (stop), 3 in progress (start).
  [[nodiscard]] virtual Status SetMacroStatus(const swString& name, uint32_t status) = 0;
  // state: 1 active, 0 inactive.
  [[nodiscard]] virtual Status SetModeStatus(const swString& name, uint16_t state) = 0;
};

// The requests on the current socket of a connection (not owned; it must outlive this).
class cConnectionItemViewRequests : public cItemViewRequests {
 public:
  explicit cConnectionItemViewRequests(cServerConnection& connection) : connection_(connection) {}

  bool IsConnected() const override;
  Status GetSwitches() override;
  Status GetSensors() override;
  Status GetMacros() override;
  Status GetModes() override;
  Status SetSwitchStatus(const swString& name, uint32_t status) override;
  Status SetSensorStatus(const swString& name, uint32_t status) override;
  Status SetMacroStatus(const swString& name, uint32_t status) override;
  Status SetModeStatus(const swString& name, uint16_t state) override;

 private:
  cServerConnection& connection_;
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_DEVICES_ITEM_VIEW_REQUESTS_H_
