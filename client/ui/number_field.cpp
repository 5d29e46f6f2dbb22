#include "client/ui/number_field.h"

#include <cerrno>
#include <cstdlib>

#include "client/ui/message_box.h"
#include "client/ui/window.h"

namespace hv {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool ParseNumberInRange(const char* text, int32_t minimum, int32_t maximum, int32_t* value) {
  if (text == nullptr || value == nullptr) return false;
  while (IsSpace(*text)) ++text;
  const char* digits = (*text == '+' || *text == '-') ? text + 1 : text;
  if (*digits < '0' || *digits > '9') return false;
  errno = 0;
  char* end = nullptr;
  const long long parsed = std::strtoll(text, &end, 10);
  if (errno == ERANGE) return false;
  while (IsSpace(*end)) ++end;
  if (*end != '\0' || parsed < minimum || parsed > maximum) return false;
  *value = static_cast<int32_t>(parsed);
  return true;
}

swString NumberRangeMessage(int32_t minimum, int32_t maximum) {
  swString message;
  message.Format("Please enter an integer between %d and %d.", minimum, maximum);
  return message;
}

bool ReadNumberField(cWindow& window, int32_t id, int32_t minimum, int32_t maximum,
                     cMessageBox& message_box, int32_t* value) {
  cControl* edit = window.Control(id);
  if (edit == nullptr) return false;
  if (ParseNumberInRange(edit->Text().CStr(), minimum, maximum, value)) return true;
  message_box.Show(NumberRangeMessage(minimum, maximum).CStr(), window.Title().CStr(),
                   cMessageBoxIcon::kWarning, cMessageBoxButtons::kOk, &window);
  edit->SetFocus();
  return false;
}

}  // namespace hv
