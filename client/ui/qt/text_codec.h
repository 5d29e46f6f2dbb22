// The program's 8-bit texts as Qt shows them, and back. Texts that are valid UTF-8 are read
// as UTF-8; anything else is read as Windows-1252, the code page older servers and settings
// files use. What the user types comes back as UTF-8, the program's own form (file names and
// settings need it so); the requests that carry typed text put it in the server's code page
// as they send it.
#ifndef HV_CLIENT_UI_QT_TEXT_CODEC_H_
#define HV_CLIENT_UI_QT_TEXT_CODEC_H_

#include <QString>

#include "core/string/sw_string.h"

namespace hv {

// Null reads as empty.
QString DecodeText(const char* text);
QString DecodeText(const swString& text);
swString EncodeText(const QString& text);

}  // namespace hv

#endif  // HV_CLIENT_UI_QT_TEXT_CODEC_H_
