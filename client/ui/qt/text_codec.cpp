#include "client/ui/qt/text_codec.h"

#include <QStringDecoder>

#include <cstring>

namespace {

// Windows-1252 differs from Latin-1 only in 0x80-0x9F. The five bytes it leaves undefined
// map to the control characters of the same value, as Windows itself maps them. Qt's own
// converters offer no Windows-1252 without ICU, so the 32 entries are spelled out here.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString DecodeCp1252(const char* text, size_t length) {
  QString result;
  result.reserve(static_cast<qsizetype>(length));
  for (size_t i = 0; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    result.append(QChar(byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80]
                                                    : static_cast<char16_t>(byte)));
  }
  return result;
}

QString Decode(const char* text, size_t length) {
  QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  QString decoded = utf8(QByteArrayView(text, static_cast<qsizetype>(length)));
  if (!utf8.hasError()) return decoded;
  return DecodeCp1252(text, length);
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
