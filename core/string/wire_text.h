// Text as it travels to and from a server. Inside the programs, texts are UTF-8: what the
// toolkit gives, what house files and settings hold. A Windows server reads and writes its
// own 8-bit code page, Windows-1252, so text the user types goes out in that code page
// whenever every character has a form there, and as UTF-8 only when one has none (nothing is
// lost that way, and such a server could not have read it anyway). Names received from a
// server are not passed through here: they are sent back byte for byte, exactly as received.
#ifndef HV_CORE_STRING_WIRE_TEXT_H_
#define HV_CORE_STRING_WIRE_TEXT_H_

#include <string>
#include <string_view>

namespace hv {

// True when `text` is well-formed UTF-8: shortest forms only, no surrogates, nothing above
// U+10FFFF. Plain ASCII is UTF-8.
bool IsUtf8(std::string_view text);

// Every byte as its Windows-1252 character, in UTF-8. The five bytes the code page leaves
// undefined (81, 8D, 8F, 90, 9D) become the control characters of the same value, as Windows
// itself maps them, so every byte string converts and converts back unchanged.
std::string Windows1252ToUtf8(std::string_view bytes);

// UTF-8 text in Windows-1252. False, with *out untouched, when the text is not UTF-8 or a
// character has no form in the code page.
bool Utf8ToWindows1252(std::string_view text, std::string* out);

// A text of the program as it goes on the wire: Windows-1252 when every character has a form
// there, else the UTF-8 unchanged. Bytes that are not UTF-8 are already code-page text (an
// older settings file, say) and go out unchanged.
std::string TextToWire(std::string_view text);

// A text received from the wire in the program's form: UTF-8 stays as it is (a server that
// speaks UTF-8), anything else is read as Windows-1252.
std::string TextFromWire(std::string_view bytes);

}  // namespace hv

#endif  // HV_CORE_STRING_WIRE_TEXT_H_
