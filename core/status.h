// Status codes shared by every layer, and the one status type that carries them.
//
// A failing operation returns a hv::Status: where it failed (the module), the code, and an
// optional message for people. The codes are the system's own numbers (0 success, 1 declined
// or nothing to do, negative failure) and stay exactly as they are wherever they are shown,
// stored or sent; two failures that share a number are told apart by where they come from.
// No exceptions cross modules.
#ifndef HV_CORE_STATUS_H_
#define HV_CORE_STATUS_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>

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
// A failure that has no number of the system's own (a bad command line, a malformed file of
// our own programs): the message says what it was.
constexpr int32_t kFailed = -1;

// The module a status comes from.
enum class Where : uint8_t {
  kProgram,      // the program-wide codes above, with no module of their own
  kString,       // core/string
  kFile,         // files (the file class's own failures are positive numbers)
  kArchive,      // the archive format (its failures are positive numbers too)
  kRegistry,     // the registry store
  kSettings,     // the settings file
  kKeyring,      // the desktop's keyring, which keeps the passwords
  kProfile,      // profile values (a failed write keeps its positive number)
  kSocket,       // the connection to the server
  kProtocol,     // blocks, requests and answers
  kPicture,      // picture decoding
  kCommandFile,  // the command file monitor
  kUpdate,       // the update engine
  kUi,           // the window, views and dialogs
  kRestart,      // the restart helper
  kSim,          // housesim
  kTool,         // hvreg, hvsign
  kHistory,      // the history store
  kBridge,       // hvbridge
};

[[nodiscard]] constexpr const char* WhereName(Where where) {
  switch (where) {
    case Where::kProgram: return "program";
    case Where::kString: return "string";
    case Where::kFile: return "file";
    case Where::kArchive: return "archive";
    case Where::kRegistry: return "registry";
    case Where::kSettings: return "settings";
    case Where::kKeyring: return "keyring";
    case Where::kProfile: return "profile";
    case Where::kSocket: return "socket";
    case Where::kProtocol: return "protocol";
    case Where::kPicture: return "picture";
    case Where::kCommandFile: return "command file";
    case Where::kUpdate: return "update";
    case Where::kUi: return "window";
    case Where::kRestart: return "restart";
    case Where::kSim: return "housesim";
    case Where::kTool: return "tool";
    case Where::kHistory: return "history";
    case Where::kBridge: return "bridge";
  }
  return "program";
}

// Modules whose failures have always carried positive numbers (the file class, the archive,
// profile writes): there 1 is a failure like any other, never "declined".
[[nodiscard]] constexpr bool FailsPositive(Where where) {
  return where == Where::kFile || where == Where::kArchive || where == Where::kProfile;
}

// The outcome of an operation that may fail. Cheap to copy when it carries no message; a
// default-made Status is success.
class [[nodiscard]] Status {
 public:
  constexpr Status() = default;
  constexpr Status(Where where, int32_t code) : code_(code), where_(where) {}
  Status(Where where, int32_t code, std::string message)
      : code_(code), where_(where), message_(std::move(message)) {}

  [[nodiscard]] static constexpr Status Ok() { return Status(); }
  [[nodiscard]] static constexpr Status Declined(Where where = Where::kProgram) {
    return Status(where, kDeclined);
  }
  // A failure with no number of the system's own, told by its message alone.
  [[nodiscard]] static Status Failure(Where where, std::string message) {
    return Status(where, kFailed, std::move(message));
  }

  [[nodiscard]] constexpr bool ok() const { return code_ == kOk; }
  [[nodiscard]] constexpr bool declined() const {
    return code_ == kDeclined && !FailsPositive(where_);
  }
  [[nodiscard]] constexpr bool failed() const {
    return code_ < 0 || (code_ > 0 && FailsPositive(where_));
  }
  // The system's number: what is shown, stored or sent.
  [[nodiscard]] constexpr int32_t code() const { return code_; }
  [[nodiscard]] constexpr Where where() const { return where_; }
  [[nodiscard]] const std::string& message() const { return message_; }
  // True for this failure of this module; a code alone does not tell two modules apart.
  [[nodiscard]] constexpr bool Is(Where where, int32_t code) const {
    return where_ == where && code_ == code;
  }

  // "update 0x80042003: no progress dialog", for logs and messages to people.
  [[nodiscard]] std::string ToString() const {
    char head[48];
    std::snprintf(head, sizeof head, "%s 0x%08X", WhereName(where_), static_cast<unsigned>(code_));
    std::string text = head;
    if (!message_.empty()) text += ": " + message_;
    return text;
  }

  // A failure the caller deliberately lets go; `why` says, at the call, why nothing is lost.
  constexpr void Ignore(const char* why) const { static_cast<void>(why); }

 private:
  int32_t code_ = kOk;
  Where where_ = Where::kProgram;
  std::string message_;
};

}  // namespace hv

#endif  // HV_CORE_STATUS_H_
