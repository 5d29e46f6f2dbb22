// Answers that reach the user's desktop: Server message (a message box) and Launch program
// (the shell). Both are acted on only when addressed to "All" or to this login's user.
#include "client/protocol/activity_log.h"
#include "client/protocol/answer_decoders.h"
#include "client/protocol/answer_dispatch.h"
#include "client/protocol/session_services.h"
#include "client/protocol/socket_message_block.h"
#include "client/ui/message_box.h"
#include "client/ui/shell.h"
#include "core/status.h"

int32_t HandleServerMessage(const cAnswerCall& call) {
  ServerMessageRecord record;
  int32_t rc = DecodeServerMessageRecord(call.block, &record);
  if (rc < 0) return rc;
  if (call.services.message_box == nullptr || !AddressedToUs(record.target, call.user_name)) {
    return hv::kOk;
  }
  call.services.message_box->Show(record.text.CStr(), record.caption.CStr(),
                                  record.plain == 0 ? cMessageBoxIcon::kWarning
                                                    : cMessageBoxIcon::kNone,
                                  cMessageBoxButtons::kOk, nullptr);
  return hv::kOk;
}

int32_t HandleLaunchProgram(const cAnswerCall& call) {
  LaunchProgramRecord record;
  int32_t rc = DecodeLaunchProgramRecord(call.block, &record);
  if (rc < 0) return rc;
  if (call.services.shell == nullptr || !AddressedToUs(record.target, call.user_name)) {
    return hv::kOk;
  }
  rc = call.services.shell->Execute(record.verb.CStr(), record.file.CStr(),
                                    record.parameters.CStr(), record.directory.CStr(),
                                    static_cast<int32_t>(record.show_command));
  // A program that cannot be started is the user's to know about, not a broken connection.
  if (rc < 0 && call.services.activity_log != nullptr) {
    swString text;
    if (rc == hv::kUnexpectedType) {
      text.Format("Cannot perform \"%s\" on %s", record.verb.CStr(), record.file.CStr());
    } else {
      text.Format("Unable to start %s", record.file.CStr());
    }
    call.services.activity_log->ShowLogEntry(
        MakeClientEntry(kEntryError, 0, 5, "Launch program", text.CStr()));
  }
  return hv::kOk;
}
