// The "HOST:PORT" form in which our programs take a server's, a broker's or their own listening
// address on the command line and in configuration files.
#ifndef HV_CORE_STRING_HOST_PORT_H_
#define HV_CORE_STRING_HOST_PORT_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace hv {

// Splits `text` into the host (an IPv6 address written "[::1]" loses its brackets) and the port,
// a decimal number from `min_port` to 65535. False, leaving both untouched, for anything else,
// among it a bare IPv6 address such as "::1:80", where nobody can tell where the port begins.
bool ParseHostPort(std::string_view text, uint16_t min_port, std::string* host, uint16_t* port);

}  // namespace hv

#endif  // HV_CORE_STRING_HOST_PORT_H_
