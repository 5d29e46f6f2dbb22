// The "Unable to Connect" box, shown when a login the user asked for (the automatic one at
// start, or the one after Setup) cannot be made.
#ifndef HV_CLIENT_SHELL_CONNECT_FAILURE_H_
#define HV_CLIENT_SHELL_CONNECT_FAILURE_H_

#include <string>

class cClientSettings;
class cToolkit;
class cWindow;

namespace hv {

// "Unable to connect to <address>, port <port>, with user name of <user>".
std::string UnableToConnectText(const cClientSettings& settings);

// The box, over `parent` (null: without owner).
void ShowUnableToConnect(cToolkit& toolkit, const cClientSettings& settings, cWindow* parent);

}  // namespace hv

#endif  // HV_CLIENT_SHELL_CONNECT_FAILURE_H_
