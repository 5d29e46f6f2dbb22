// The names of X10 functions and security-sensor events, as the views, the history and the
// bridge show the codes the server sends.
#ifndef HV_CLIENT_PROTOCOL_X10_FUNCTION_NAME_H_
#define HV_CLIENT_PROTOCOL_X10_FUNCTION_NAME_H_

#include <cstdint>

namespace hv {

// The code views use for "no function"; no name belongs to it.
constexpr int32_t kNoX10Function = 254;

// The name of the function or event `code`; with short_form 1 its short name where it has
// one. The empty text for a code without a name (254, 18). Never null; the text is static.
const char* X10FunctionName(int32_t code, int32_t short_form);

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_X10_FUNCTION_NAME_H_
