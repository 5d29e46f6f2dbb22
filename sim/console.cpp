#include "sim/console.h"

#include <cctype>
#include <cstdlib>
#include <vector>

#include "sim/command_language.h"
#include "sim/server.h"

namespace hv::sim {
namespace {

// Enough to keep a client busy for minutes.
constexpr unsigned long long kMaxFlood = 100000000;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Reached(int count, const char* what) {
  return std::string(what) + " sent to " + std::to_string(count) + " client" +
         (count == 1 ? "" : "s") + "\n";
}

}  // namespace

std::string RunConsoleCommand(Server& server, const std::string& line) {
  std::vector<std::string> words;
  const Status split = SplitWords(line, &words);
  if (words.empty()) return {};
  const std::string verb = Lower(words[0]);
  // Shown before any usage text: the usage would only hide what went wrong.
  if (!split.ok() && verb != "log") return split.message() + "\n";

  if (verb == "help" || verb == "?") {
    return "commands: message [--plain] TARGET CAPTION TEXT | launch TARGET FILE [PARAMETERS "
           "[DIRECTORY [VERB]]] | clients | unknown-block | garbage | flood COUNT | drop | "
           "shutdown | quit | "
           "any command-file command (switch, sensor, macro, mode, x10, snap, lightdark, "
           "pause, mute, log)\n";
  }
  if (verb == "message") {
    size_t first = 1;
    bool plain = false;
    if (words.size() > 1 && words[1] == "--plain") {
      plain = true;
      first = 2;
    }
    if (words.size() != first + 3) return "usage: message [--plain] TARGET CAPTION TEXT\n";
    return Reached(
        server.SendServerMessage(words[first], plain, words[first + 1], words[first + 2]),
        "server message");
  }
  if (verb == "launch") {
    if (words.size() < 3 || words.size() > 6) {
      return "usage: launch TARGET FILE [PARAMETERS [DIRECTORY [VERB]]]\n";
    }
    auto word = [&](size_t i, const char* fallback) {
      return i < words.size() ? words[i] : std::string(fallback);
    };
    return Reached(
        server.SendLaunchProgram(words[1], words[2], word(3, ""), word(4, ""), word(5, "open")),
        "launch program");
  }
  if (verb == "clients") {
    std::string out;
    for (const std::string& client : server.DescribeClients()) out += client + "\n";
    return out.empty() ? "no clients\n" : out;
  }
  if (verb == "unknown-block") return Reached(server.SendUnknownBlockToAll(), "unknown block");
  if (verb == "garbage") return Reached(server.SendGarbageToAll(), "garbage");
  if (verb == "flood") {
    const unsigned long long count =
        words.size() == 2 ? std::strtoull(words[1].c_str(), nullptr, 10) : 0;
    if (count == 0 || count > kMaxFlood) return "usage: flood COUNT (1 to 100000000)\n";
    return Reached(server.SendLogFloodToAll(count),
                   ("a flood of " + std::to_string(count) + " log items").c_str());
  }
  if (verb == "drop") {
    return "dropped " + std::to_string(server.DropAllWithoutGoodbye()) + " connections\n";
  }
  if (verb == "shutdown" || verb == "quit" || verb == "exit") {
    server.BeginShutdown();
    return "shutting down\n";
  }
  CommandResult result;
  if (!RunCommandLine(server.house(), line, "console", &result)) return {};
  return result.line + "\n";
}

}  // namespace hv::sim
