// The "Unable to Connect" box, shown when a login the user asked for (the automatic one at
// start, or the one after Setup) cannot be made. It names the reason and where to look, so
// the user need not find the activity log's row for it.
#ifndef HV_CLIENT_SHELL_SETUP_CONNECT_FAILURE_H_
#define HV_CLIENT_SHELL_SETUP_CONNECT_FAILURE_H_

#include <string>

namespace hv {

class cClientSettings;
class cServerConnection;
class cToolkit;
class cWindow;

// "Unable to connect to <address>, port <port>, with user name of <user>", then, when the
// connection could not be made, ": <reason>." and what to check.
std::string UnableToConnectText(const cClientSettings& settings, const std::string& reason);

// The box for the connection's last Connect, over `parent` (null: without owner).
void ShowUnableToConnect(cToolkit& toolkit, const cClientSettings& settings,
                         const cServerConnection& connection, cWindow* parent);

}  // namespace hv

#endif  // HV_CLIENT_SHELL_SETUP_CONNECT_FAILURE_H_
