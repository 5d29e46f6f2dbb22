#include "core/string/utf16_text.h"
#include "core/system_error.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace hv {

Status Utf16ToUtf8(const void* bytes, size_t units, bool little_endian, std::string* out) {
  out->clear();
  if (units == 0) return Status::Ok();
  const char* input = static_cast<const char*>(bytes);
  // A NUL unit ends the text, as it would end a wide C string.
  size_t length = 0;
  while (length < units && (input[2 * length] != 0 || input[2 * length + 1] != 0)) ++length;
  if (length == 0) return Status::Ok();

  iconv_t converter = iconv_open("UTF-8", little_endian ? "UTF-16LE" : "UTF-16BE");
  // iconv_open reports failure as (iconv_t)-1; the cast is its documented error value.
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    return SystemError(Where::kString, "no UTF-16 converter", errno);
  }

  // One unit never needs more than 3 bytes of UTF-8 (a surrogate pair: 4 bytes for 2 units).
  std::string buffer(3 * length, '\0');
  char* in = const_cast<char*>(input);
  size_t in_left = 2 * length;
  char* put = buffer.data();
  size_t put_left = buffer.size();
  while (in_left > 0) {
    size_t rc = iconv(converter, &in, &in_left, &put, &put_left);
    if (rc != static_cast<size_t>(-1)) break;
    if (errno == EILSEQ && in_left >= 2 && put_left >= 1) {
      // A lone surrogate: mark it and carry on with the next unit.
      *put++ = '?';
      --put_left;
      in += 2;
      in_left -= 2;
    } else if (errno == EINVAL && put_left >= 1) {
      // A high surrogate cut off at the end of the text.
      *put++ = '?';
      --put_left;
      break;
    } else {
      break;
    }
  }
  iconv_close(converter);
  buffer.resize(buffer.size() - put_left);
  *out = std::move(buffer);
  return Status::Ok();
}

}  // namespace hv
