// cAnswerReceiver: where decoded answers go, one operation per answer. The main window
// realises it and hands each record to the views of the matching kind. Every operation
// returns 0, 1 when it dropped the record (window not ready, no such view), or a negative
// failure, which ends the connection. The defaults drop everything, so a receiver only
// overrides what it shows.
#ifndef HV_CLIENT_PROTOCOL_ANSWER_RECEIVER_H_
#define HV_CLIENT_PROTOCOL_ANSWER_RECEIVER_H_

#include <cstdint>

#include "client/protocol/answer_records.h"
#include "client/protocol/log_item_record.h"
#include "core/status.h"

namespace hv {

class cAnswerReceiver {
 public:
  virtual ~cAnswerReceiver() = default;

  // Log item (type 6): stored and shown (AddLogEntry with both flags).
  [[nodiscard]] virtual int32_t AddLogEntry(const LogItemRecord&) { return hv::kDeclined; }

  // Item answers; an empty name ends the list the view asked for.
  [[nodiscard]] virtual int32_t AddSwitch(const SwitchRecord&) { return hv::kDeclined; }
  [[nodiscard]] virtual int32_t AddSensor(const SensorRecord&) { return hv::kDeclined; }
  [[nodiscard]] virtual int32_t AddMacro(const MacroRecord&) { return hv::kDeclined; }
  [[nodiscard]] virtual int32_t AddMode(const ModeRecord&) { return hv::kDeclined; }

  // Status answers, for the item of the same name.
  [[nodiscard]] virtual int32_t SetSwitchStatus(const StatusChangeRecord&) { return hv::kDeclined; }
  [[nodiscard]] virtual int32_t SetSensorStatus(const StatusChangeRecord&) { return hv::kDeclined; }
  [[nodiscard]] virtual int32_t SetMacroStatus(const MacroStatusRecord&) { return hv::kDeclined; }
  [[nodiscard]] virtual int32_t SetModeStatus(const ModeStatusRecord&) { return hv::kDeclined; }

  // Server facts.
  [[nodiscard]] virtual int32_t SetControlFileName(const swString&) { return hv::kDeclined; }
  [[nodiscard]] virtual int32_t SetClientQty(uint32_t) { return hv::kDeclined; }
  [[nodiscard]] virtual int32_t SetLightDark(uint16_t) { return hv::kDeclined; }  // nonzero: dark
  [[nodiscard]] virtual int32_t SetPauseState(uint16_t) {
    return hv::kDeclined;
  }                                                                               // nonzero: paused
  [[nodiscard]] virtual int32_t SetMuteState(uint16_t) { return hv::kDeclined; }  // nonzero: muted
  // Seconds since 1970-01-01 00:00 UTC; 0 means the server does not know.
  [[nodiscard]] virtual int32_t UpdateServerTime(int32_t) { return hv::kDeclined; }
  [[nodiscard]] virtual int32_t SetDawnDusk(uint32_t /*dawn*/, uint32_t /*dusk*/) {
    return hv::kDeclined;
  }
  [[nodiscard]] virtual int32_t AddVideoSource(const VideoSourceRecord&) { return hv::kDeclined; }

  // Thumbnail (type 33): the whole picture has arrived, in memory or in a temporary file
  // (see ThumbnailPicture); neither outlives this call, so the receiver decodes it now (the
  // picture layer recognises the format from the content). kOutOfMemory when it cannot be
  // kept.
  [[nodiscard]] virtual int32_t AddThumbnail(const ThumbnailRecord&, const ThumbnailPicture&) {
    return hv::kDeclined;
  }

  // Server message (type 38) addressed to this login: the desktop shows it in a message box.
  // Whatever it answers, the connection goes on.
  [[nodiscard]] virtual int32_t ShowServerMessage(const ServerMessageRecord&) {
    return hv::kDeclined;
  }
  // Launch program (type 43) addressed to this login: the desktop starts the program.
  // A program that cannot be started never ends the connection.
  [[nodiscard]] virtual int32_t LaunchProgram(const LaunchProgramRecord&) { return hv::kDeclined; }

  // Command response (type 42): the server's answer to a command file was written to
  // `stored_path` (the received name's file part in the data folder). `received_name` is
  // the name as the server sent it.
  [[nodiscard]] virtual int32_t CommandResponseStored(const swString& /*received_name*/,
                                                      const char* /*stored_path*/) {
    return hv::kDeclined;
  }

  // The connection ended on its own (the server's Goodbye, the server closing, a read
  // error): the socket is gone and HeardFromServer is 0 by the time this is called, so a
  // window can show at once that it is no longer connected.
  virtual void ConnectionEnded() {}
};

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_ANSWER_RECEIVER_H_
