#include "client/shell/desk/desk_texts.h"

#include <cstring>
#include <string>

#include "core/string/clock_text.h"

namespace hv {

namespace {

swString FormatLocal(int64_t seconds, const char* format) {
  const std::string text = hv::FormatLocalClock(seconds, format);
  return swString(text.data(), static_cast<uint32_t>(text.size()));
}

}  // namespace

swString ComposeDeskTitle(const swString& traffic, const swString& connection_text,
                          bool connected) {
  const char* connection = connection_text.CStr();
  const char* separator = std::strstr(connection, " - ");
  const uint32_t length = separator != nullptr && separator != connection
                              ? static_cast<uint32_t>(separator - connection)
                              : connection_text.GetLength();
  swString title;
  title.Format("%s - %s%s", "Varnholt (TM) Client", traffic.CStr(),
               swString(connection, length).CStr());
  // "Not set up yet" already says that there is no connection.
  if (!connected && connection_text != kNotSetUpText) {
    title.Append(" - ");
    title.Append(kNotConnectedText);
  }
  return title;
}

swString ConnectionText(const swString& address, int32_t port) {
  // A bare ":1025" reads like an address that went missing; before the first setup there
  // simply is none.
  if (address.GetLength() == 0) return swString(kNotSetUpText);
  swString text;
  text.Format("%s:%d", address.CStr(), port);
  return text;
}

swString ConnectionText(const swString& address, int32_t port, const swString& control_file) {
  if (address.GetLength() == 0) return ConnectionText(address, port);
  swString text;
  text.Format("%s:%d - %s", address.CStr(), port, control_file.CStr());
  return text;
}

swString FormatServerClock(int64_t seconds_since_1970) {
  return FormatLocal(seconds_since_1970, "%m/%d/%Y - %I:%M:%S %p");
}

swString ServerTimeText(bool heard_from_server, int64_t server_clock) {
  if (!heard_from_server) return swString(kNotConnectedText);
  if (server_clock != 0) return FormatServerClock(server_clock);
  return swString(kNoServerTimeText);
}

swString DawnDuskText(uint32_t dawn, uint32_t dusk) {
  swString text;
  text.Format("Dawn: %s, Dusk: %s", FormatLocal(dawn, "%I:%M %p").CStr(),
              FormatLocal(dusk, "%I:%M %p").CStr());
  return text;
}

}  // namespace hv
