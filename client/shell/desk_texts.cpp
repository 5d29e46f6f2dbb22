#include "client/shell/desk_texts.h"

#include <cstring>
#include <ctime>

namespace hv {

namespace {

swString FormatLocal(int64_t seconds, const char* format) {
  const time_t when = static_cast<time_t>(seconds);
  tm fields{};
  if (localtime_r(&when, &fields) == nullptr) return swString();
  char text[64];
  const size_t n = strftime(text, sizeof text, format, &fields);
  return swString(text, static_cast<uint32_t>(n));
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
  if (!connected) {
    title.Append(" - ");
    title.Append(kNotConnectedText);
  }
  return title;
}

swString ConnectionText(const swString& address, int32_t port) {
  swString text;
  text.Format("%s:%d", address.CStr(), port);
  return text;
}

swString ConnectionText(const swString& address, int32_t port, const swString& control_file) {
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
