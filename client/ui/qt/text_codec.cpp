#include "client/ui/qt/text_codec.h"

#include <cstring>
#include <string_view>

#include "core/string/wire_text.h"

namespace hv {

namespace {

QString Decode(const char* text, size_t length) {
  // Qt offers no Windows-1252 without ICU; the core library's table is the one the wire uses.
  const std::string utf8 = TextFromWire(std::string_view(text, length));
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace

QString DecodeText(const char* text) {
  if (text == nullptr) return QString();
  return Decode(text, std::strlen(text));
}

QString DecodeText(const swString& text) { return Decode(text.CStr(), text.GetLength()); }

swString EncodeText(const QString& text) {
  const QByteArray bytes = text.toUtf8();
  return swString(bytes.constData(), static_cast<uint32_t>(bytes.size()));
}

}  // namespace hv
