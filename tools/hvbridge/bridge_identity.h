// Who the bridge is on the broker: one identity per house, the same however its server's
// address was typed and on every start, and another for every other house. The server says
// nothing stable about itself beyond its control file's name, so the identity is the
// server's address in one canonical form with its port (or what --id names), and the house.
// Every key, topic level and the MQTT client id derive from it.
#ifndef HV_TOOLS_HVBRIDGE_BRIDGE_IDENTITY_H_
#define HV_TOOLS_HVBRIDGE_BRIDGE_IDENTITY_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace hv::bridge {

// The addresses a host name resolves to, numeric ("127.0.0.1", "::1"), in the resolver's
// order; empty when it does not resolve. Tests hand in their own.
using HostResolver = std::function<std::vector<std::string>(const std::string& host)>;
std::vector<std::string> ResolveHost(const std::string& host);

// "ADDRESS:PORT" for the server: the host resolved, its first IPv4 address preferred (a
// name that resolves to both families is reached through either), any loopback address as
// 127.0.0.1, IPv6 in brackets. A name that does not resolve (yet) stands as itself, in
// lower case.
std::string CanonicalServer(const std::string& host, uint32_t port, const HostResolver& resolve);

// The server part of every key: "id:NAME" when the user named the house's identity, else the
// canonical address.
std::string ServerIdentity(const std::string& id, const std::string& canonical_server);

// The MQTT client id of the house with this HouseKey: one per house, so two bridges of two
// houses never take each other's connection, and a bridge restarted is the same client.
std::string ClientIdFor(const std::string& house_key);

// Where the bridge notes the HouseKey it announced last, one file per way of starting it (its
// configuration file, or the server and user of its command line), so that a bridge whose
// identity changed finds what its old one announced and takes it away.
std::string LastIdentityPath(const std::string& state_folder, const std::string& config_file,
                             const std::string& typed_server, const std::string& user);
std::string ReadLastIdentity(const std::string& path);
void WriteLastIdentity(const std::string& path, const std::string& house_key);

}  // namespace hv::bridge

#endif  // HV_TOOLS_HVBRIDGE_BRIDGE_IDENTITY_H_
