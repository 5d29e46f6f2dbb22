#include "client/shell/setup/connect_failure.h"

#include "client/protocol/server_connection.h"
#include "client/shell/setup/client_settings.h"
#include "client/ui/message_box.h"
#include "client/ui/toolkit.h"

namespace hv {

std::string UnableToConnectText(const cClientSettings& settings, const std::string& reason) {
  std::string text = "Unable to connect to ";
  text += settings.address.CStr();
  text += ", port " + std::to_string(settings.port) + ", with user name of ";
  text += settings.user_name.CStr();
  if (!reason.empty()) {
    text += ": " + reason + ".\r\n\r\n";
    text += CannotConnectAdvice(reason);
  }
  return text;
}

void ShowUnableToConnect(cToolkit& toolkit, const cClientSettings& settings,
                         const cServerConnection& connection, cWindow* parent) {
  toolkit.MessageBox().Show(UnableToConnectText(settings, connection.ConnectFailure()).c_str(),
                            "Unable to Connect", cMessageBoxIcon::kWarning, cMessageBoxButtons::kOk,
                            parent);
}

}  // namespace hv
