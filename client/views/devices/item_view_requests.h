// cItemViewRequests: what the switches, sensors, macros and modes views send to the server.
// The program realises it over the one connection (cConnectionItemViewRequests); tests use a
// recording double. Names are sent exactly as the server listed them, byte for byte.
#ifndef HV_CLIENT_VIEWS_ITEM_VIEW_REQUESTS_H_
#define HV_CLIENT_VIEWS_ITEM_VIEW_REQUESTS_H_

#include <cstdint>

#include "core/string/sw_string.h"

namespace hv {

class cServerConnection;

class cItemViewRequests {
 public:
  virtual ~cItemViewRequests() = default;

  // Whether there is a connection to send on; without one the views send nothing.
  virtual bool IsConnected() const = 0;

  // Each returns 0 when sent, or the failure (kNotConnected without a connection).
  [[nodiscard]] virtual int32_t GetSwitches() = 0;
  [[nodiscard]] virtual int32_t GetSensors() = 0;
  [[nodiscard]] virtual int32_t GetMacros() = 0;
  [[nodiscard]] virtual int32_t GetModes() = 0;
  // status: 2 On, 3 Off.
  [[nodiscard]] virtual int32_t SetSwitchStatus(const swString& name, uint32_t status) = 0;
  [[nodiscard]] virtual int32_t SetSensorStatus(const swString& name, uint32_t status) = 0;
  // status: 2 back to monitoring (stop), 3 in progress (start).
  [[nodiscard]] virtual int32_t SetMacroStatus(const swString& name, uint32_t status) = 0;
  // state: 1 active, 0 inactive.
  [[nodiscard]] virtual int32_t SetModeStatus(const swString& name, uint16_t state) = 0;
};

// The requests on the current socket of a connection (not owned; it must outlive this).
class cConnectionItemViewRequests : public cItemViewRequests {
 public:
  explicit cConnectionItemViewRequests(cServerConnection& connection) : connection_(connection) {}

  bool IsConnected() const override;
  int32_t GetSwitches() override;
  int32_t GetSensors() override;
  int32_t GetMacros() override;
  int32_t GetModes() override;
  int32_t SetSwitchStatus(const swString& name, uint32_t status) override;
  int32_t SetSensorStatus(const swString& name, uint32_t status) override;
  int32_t SetMacroStatus(const swString& name, uint32_t status) override;
  int32_t SetModeStatus(const swString& name, uint16_t state) override;

 private:
  cServerConnection& connection_;
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_ITEM_VIEW_REQUESTS_H_
