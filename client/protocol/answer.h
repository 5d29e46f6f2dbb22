// Answer: one decoded answer of the server, as the record of its kind. The decoder makes
// one per answer and hands it to the session's receiver in a single call; the shell routes
// it by kind (std::visit) to what shows it. A new answer is one more record here, its
// decoder, and the view that shows it.
#ifndef HV_CLIENT_PROTOCOL_ANSWER_H_
#define HV_CLIENT_PROTOCOL_ANSWER_H_

#include <cstdint>
#include <string>
#include <variant>

#include "client/protocol/answer_records.h"
#include "client/protocol/log_item_record.h"
#include "core/string/sw_string.h"

namespace hv {

// Answers that share a record's shape still need types of their own, or the variant could
// not tell a sensor from a switch.
struct SensorItemRecord : SensorRecord {};          // Sensor item (type 10)
struct SwitchStatusRecord : StatusChangeRecord {};  // Switch status (type 15)
struct SensorStatusRecord : StatusChangeRecord {};  // Sensor status (type 16)

// Server facts, one field each.
struct ControlFileNameRecord {
  swString name;
};
struct ClientQtyRecord {
  uint32_t quantity = 0;
};
struct LightDarkRecord {
  uint16_t dark = 0;  // nonzero: dark
};
struct PauseStateRecord {
  uint16_t paused = 0;
};
struct MuteStateRecord {
  uint16_t muted = 0;
};
// Seconds since 1970-01-01 00:00 UTC; 0 means the server does not know.
struct ServerTimeRecord {
  int32_t seconds = 0;
};
struct DawnDuskRecord {
  uint32_t dawn = 0;
  uint32_t dusk = 0;
};

// Thumbnail (type 33) once its whole picture has arrived. The picture only points at bytes
// the connection still owns (the block, or the gathered file it writes over next): it can be
// read during the receiving call and never after, so a receiver decodes it there or not at
// all, and a copy of this record keeps the fields but not the picture.
struct ThumbnailAnswer {
  ThumbnailRecord record;
  ThumbnailPicture picture;
};

// Command response (type 42): the server's answer to a command file was written to
// `stored_path` (the received name's file part in the data folder); `received_name` is the
// name as the server sent it.
struct CommandResponseStoredRecord {
  swString received_name;
  std::string stored_path;
};

// The connection ended on its own (the server's Goodbye, the server closing, a read error):
// the socket is gone and HeardFromServer is 0 by the time it arrives, so a window can show
// at once that it is no longer connected.
struct ConnectionEndedRecord {};

using Answer =
    std::variant<LogItemRecord, SwitchRecord, SensorItemRecord, MacroRecord, ModeRecord,
                 SwitchStatusRecord, SensorStatusRecord, MacroStatusRecord, ModeStatusRecord,
                 ControlFileNameRecord, ClientQtyRecord, LightDarkRecord, PauseStateRecord,
                 MuteStateRecord, ServerTimeRecord, DawnDuskRecord, VideoSourceRecord,
                 ThumbnailAnswer, ServerMessageRecord, LaunchProgramRecord,
                 CommandResponseStoredRecord, ConnectionEndedRecord>;

// Lambdas joined into one visitor: std::visit(AnswerVisitor{[](const A&) {...}, ...}, answer).
// Name each kind by its exact type, and write no catch-all (const auto&): a visitor that names
// every kind fails to compile when a kind is added to Answer, so the compiler lists every
// place that must decide what the new kind does there. Kinds a visitor lets pass share one
// handler through AnswerKinds.
template <class... Handlers>
struct AnswerVisitor : Handlers... {
  using Handlers::operator()...;
};
template <class... Handlers>
AnswerVisitor(Handlers...) -> AnswerVisitor<Handlers...>;

// The handler `handle` for exactly the kinds named, each by its own overload:
// AnswerKinds<MacroRecord, ModeRecord>([](const auto&) { return Status::Declined(); }).
template <class Kind, class Handle>
struct AnswerKind {
  Handle handle;
  decltype(auto) operator()(const Kind& answer) const { return handle(answer); }
};
template <class Handle, class... Kinds>
struct AnswerKindSet : AnswerKind<Kinds, Handle>... {
  using AnswerKind<Kinds, Handle>::operator()...;
};
template <class... Kinds, class Handle>
[[nodiscard]] AnswerKindSet<Handle, Kinds...> AnswerKinds(Handle handle) {
  return AnswerKindSet<Handle, Kinds...>{AnswerKind<Kinds, Handle>{handle}...};
}

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_ANSWER_H_
