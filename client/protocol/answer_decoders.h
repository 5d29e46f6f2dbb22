// Decoders of the answers' records. Each reads its fields in wire order from the block's
// read position, setting every field to its default first, so a payload that stops early
// (an older server) still yields a whole record. Returns 0 or the first read failure.
#ifndef HV_CLIENT_PROTOCOL_ANSWER_DECODERS_H_
#define HV_CLIENT_PROTOCOL_ANSWER_DECODERS_H_

#include <cstdint>

#include "client/protocol/answer_records.h"
#include "client/protocol/log_item_record.h"

namespace hv {

class cSocketMessageBlock;
class swString;

[[nodiscard]] int32_t DecodeSwitchRecord(cSocketMessageBlock& block, SwitchRecord* record);
[[nodiscard]] int32_t DecodeMacroRecord(cSocketMessageBlock& block, MacroRecord* record);
[[nodiscard]] int32_t DecodeModeRecord(cSocketMessageBlock& block, ModeRecord* record);
[[nodiscard]] int32_t DecodeStatusChangeRecord(cSocketMessageBlock& block,
                                               StatusChangeRecord* record);
[[nodiscard]] int32_t DecodeMacroStatusRecord(cSocketMessageBlock& block,
                                              MacroStatusRecord* record);
[[nodiscard]] int32_t DecodeModeStatusRecord(cSocketMessageBlock& block, ModeStatusRecord* record);
[[nodiscard]] int32_t DecodeLogItemRecord(cSocketMessageBlock& block, LogItemRecord* record);
[[nodiscard]] int32_t DecodeVideoSourceRecord(cSocketMessageBlock& block,
                                              VideoSourceRecord* record);
// The fixed fields of a Thumbnail's block 0; is clip and clip path only when the block's
// header version is 3 or more. The picture chunk that follows is left unread.
[[nodiscard]] int32_t DecodeThumbnailRecord(cSocketMessageBlock& block, ThumbnailRecord* record);
// The fixed fields of a Full picture or video's block 0; the chunk is left unread.
[[nodiscard]] int32_t DecodeFullPictureRecord(cSocketMessageBlock& block,
                                              FullPictureRecord* record);
[[nodiscard]] int32_t DecodeServerMessageRecord(cSocketMessageBlock& block,
                                                ServerMessageRecord* record);
[[nodiscard]] int32_t DecodeLaunchProgramRecord(cSocketMessageBlock& block,
                                                LaunchProgramRecord* record);
// Server time: the signed seconds since 1970 (the u16 after it is read and dropped).
[[nodiscard]] int32_t DecodeServerTime(cSocketMessageBlock& block, int32_t* time);

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_ANSWER_DECODERS_H_
