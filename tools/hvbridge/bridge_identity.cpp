#include "tools/hvbridge/bridge_identity.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <algorithm>
#include <cctype>
#include <fstream>

#include "tools/hvbridge/discovery_record.h"
#include "tools/hvbridge/topic_names.h"

namespace hv::bridge {

namespace {

bool IsLoopback(const std::string& address) {
  return address.rfind("127.", 0) == 0 || address == "::1" || address.rfind("::ffff:127.", 0) == 0;
}

bool IsHexKey(const std::string& text) {
  return text.size() == 16 && std::all_of(text.begin(), text.end(), [](char c) {
           return std::isdigit(static_cast<unsigned char>(c)) || (c >= 'a' && c <= 'f');
         });
}

}  // namespace

std::vector<std::string> ResolveHost(const std::string& host) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0) return {};
  std::vector<std::string> addresses;
  for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
    char text[INET6_ADDRSTRLEN] = {};
    if (getnameinfo(a->ai_addr, a->ai_addrlen, text, sizeof text, nullptr, 0, NI_NUMERICHOST) ==
        0) {
      addresses.emplace_back(text);
    }
  }
  freeaddrinfo(found);
  return addresses;
}

std::string CanonicalServer(const std::string& host, uint32_t port, const HostResolver& resolve) {
  const std::vector<std::string> addresses = resolve(host);
  std::string address;
  for (const std::string& candidate : addresses) {
    if (IsLoopback(candidate)) {
      address = "127.0.0.1";
      break;
    }
    if (address.empty() ||
        (address.find(':') != std::string::npos && candidate.find(':') == std::string::npos)) {
      address = candidate;
    }
  }
  if (address.empty()) {
    address = host;
    for (char& c : address) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  if (address.find(':') != std::string::npos) address = "[" + address + "]";
  return address + ":" + std::to_string(port);
}

std::string ServerIdentity(const std::string& id, const std::string& canonical_server) {
  return id.empty() ? canonical_server : "id:" + id;
}

std::string ClientIdFor(const std::string& house_key) {
  // 23 bytes, the longest every broker must take (MQTT 3.1.1 lets them refuse longer ones).
  return "hvbridge-" + house_key.substr(0, 14);
}

std::string LastIdentityPath(const std::string& state_folder, const std::string& config_file,
                             const std::string& typed_server, const std::string& user) {
  const std::string start = config_file.empty() ? "command line" : config_file;
  return state_folder + "/hvbridge-identity-" +
         HouseKey(start, config_file.empty() ? typed_server + "\n" + user : "") + ".txt";
}

std::string ReadLastIdentity(const std::string& path) {
  std::string key;
  std::ifstream(path) >> key;
  return IsHexKey(key) ? key : "";
}

void WriteLastIdentity(const std::string& path, const std::string& house_key) {
  SaveDiscoveryRecord(path, house_key + "\n")
      .Ignore("a lost note only leaves an old identity's configs for the user to remove");
}

}  // namespace hv::bridge
