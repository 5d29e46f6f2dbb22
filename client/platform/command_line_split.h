// Splits a Windows-style parameter string into arguments, so a program the server asks us
// to launch gets the arguments its author meant without any shell seeing the text.
#ifndef HV_CLIENT_PLATFORM_COMMAND_LINE_SPLIT_H_
#define HV_CLIENT_PLATFORM_COMMAND_LINE_SPLIT_H_

#include <string>
#include <vector>

namespace hv {

// Whitespace separates arguments; double quotes group; 2n backslashes before a quote give n
// backslashes and a quote that toggles grouping; 2n+1 give n backslashes and a literal
// quote; other backslashes are literal. Null or blank text gives no arguments.
std::vector<std::string> SplitCommandLine(const char* text);

}  // namespace hv

#endif  // HV_CLIENT_PLATFORM_COMMAND_LINE_SPLIT_H_
