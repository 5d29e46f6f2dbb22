// cSessionServices: what the connection and the answer handlers hand their results to.
// Every pointer is optional and not owned: an answer whose receiver is missing is read and
// dropped; an entry without an activity log is not shown. All must outlive the connection.
#ifndef HV_CLIENT_PROTOCOL_SESSION_SERVICES_H_
#define HV_CLIENT_PROTOCOL_SESSION_SERVICES_H_

#include "core/string/sw_string.h"

namespace hv {

class cActivityLog;
class cAnswerReceiver;
class cEventLoop;
class cShell;

struct cSessionServices {
  cAnswerReceiver* receiver = nullptr;
  cActivityLog* activity_log = nullptr;
  cShell* shell = nullptr;  // opens Full picture answers
  // Delivers the socket's data-arrived notification and runs pending events while the
  // socket waits. Without one the owner calls OnDataArrived itself.
  cEventLoop* event_loop = nullptr;
  // Where received files (full pictures, clips, command responses) are written:
  // $XDG_DATA_HOME/Varnholt in the program.
  swString data_folder;
};

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_SESSION_SERVICES_H_
