// Status codes shared by every layer. Operations return a signed 32-bit status:
// 0 success, 1 declined or nothing to do, negative failure. No exceptions cross modules.
#ifndef HV_CORE_STATUS_H_
#define HV_CORE_STATUS_H_

#include <cstdint>

namespace hv {

[[nodiscard]] constexpr int32_t Code(uint32_t bits) { return static_cast<int32_t>(bits); }

constexpr int32_t kOk = 0;
constexpr int32_t kDeclined = 1;

constexpr int32_t kNotConnected = Code(0x80041001);  // no socket, or no protocol channel
constexpr int32_t kNoPayload = Code(0x80041020);     // read from a block without payload
constexpr int32_t kReceiveFailed = Code(0x8004102c);
constexpr int32_t kSendFailed = Code(0x8004102d);
constexpr int32_t kBlockFull = Code(0x80041032);
constexpr int32_t kNotFound = Code(0x80041033);        // item or message not found
constexpr int32_t kCannotOpenFile = Code(0x8004105b);  // also a picture that does not load
constexpr int32_t kSettingsOpenFailed = Code(0x8004105c);
constexpr int32_t kSettingsReadFailed = Code(0x8004105d);
constexpr int32_t kSettingsPrefaceFailed = Code(0x8004105f);
constexpr int32_t kMissingArgument = Code(0x80041060);  // a required argument is null
constexpr int32_t kUnexpectedType = Code(0x80041063);
constexpr int32_t kAlreadyBeginning = Code(0x80041076);
constexpr int32_t kNoOpener = Code(0x80041065);  // no program opens files and web pages
constexpr int32_t kCannotConnect = Code(0x8004107c);
constexpr int32_t kTimedOut = Code(0x80042001);
constexpr int32_t kOutOfMemory = Code(0x80042003);

}  // namespace hv

#endif  // HV_CORE_STATUS_H_
