// Decoders of the answers' records. Each reads its fields in wire order from the block's
// read position, setting every field to its default first, so a payload that stops early
// (an older server) still yields a whole record. Returns ok or the first read failure.
#ifndef HV_CLIENT_PROTOCOL_ANSWER_DECODERS_H_
#define HV_CLIENT_PROTOCOL_ANSWER_DECODERS_H_

#include <cstdint>

#include "client/protocol/answer.h"
#include "core/status.h"

namespace hv {

class cSocketMessageBlock;
class swString;

[[nodiscard]] Status DecodeSwitchRecord(cSocketMessageBlock& block, SwitchRecord* record);
[[nodiscard]] Status DecodeMacroRecord(cSocketMessageBlock& block, MacroRecord* record);
[[nodiscard]] Status DecodeModeRecord(cSocketMessageBlock& block, ModeRecord* record);
[[nodiscard]] Status DecodeStatusChangeRecord(cSocketMessageBlock& block,
                                              StatusChangeRecord* record);
[[nodiscard]] Status DecodeMacroStatusRecord(cSocketMessageBlock& block, MacroStatusRecord* record);
[[nodiscard]] Status DecodeModeStatusRecord(cSocketMessageBlock& block, ModeStatusRecord* record);
[[nodiscard]] Status DecodeLogItemRecord(cSocketMessageBlock& block, LogItemRecord* record);
[[nodiscard]] Status DecodeVideoSourceRecord(cSocketMessageBlock& block, VideoSourceRecord* record);
// The fixed fields of a Thumbnail's block 0; is clip and clip path only when the block's
// header version is 3 or more. The picture chunk that follows is left unread.
[[nodiscard]] Status DecodeThumbnailRecord(cSocketMessageBlock& block, ThumbnailRecord* record);
// The fixed fields of a Full picture or video's block 0; the chunk is left unread.
[[nodiscard]] Status DecodeFullPictureRecord(cSocketMessageBlock& block, FullPictureRecord* record);
[[nodiscard]] Status DecodeServerMessageRecord(cSocketMessageBlock& block,
                                               ServerMessageRecord* record);
[[nodiscard]] Status DecodeLaunchProgramRecord(cSocketMessageBlock& block,
                                               LaunchProgramRecord* record);
// Server time: the signed seconds since 1970 (the u16 after it is read and dropped).
[[nodiscard]] Status DecodeServerTimeRecord(cSocketMessageBlock& block, ServerTimeRecord* record);
[[nodiscard]] Status DecodeControlFileNameRecord(cSocketMessageBlock& block,
                                                 ControlFileNameRecord* record);
[[nodiscard]] Status DecodeClientQtyRecord(cSocketMessageBlock& block, ClientQtyRecord* record);
[[nodiscard]] Status DecodeLightDarkRecord(cSocketMessageBlock& block, LightDarkRecord* record);
[[nodiscard]] Status DecodePauseStateRecord(cSocketMessageBlock& block, PauseStateRecord* record);
[[nodiscard]] Status DecodeMuteStateRecord(cSocketMessageBlock& block, MuteStateRecord* record);
[[nodiscard]] Status DecodeDawnDuskRecord(cSocketMessageBlock& block, DawnDuskRecord* record);

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_ANSWER_DECODERS_H_
