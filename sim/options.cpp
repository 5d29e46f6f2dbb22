#include "sim/options.h"

#include <cstdlib>

#include "core/status.h"
#include "core/string/host_port.h"

namespace hv::sim {
namespace {

bool ParseUnsigned(const std::string& text, uint64_t low, uint64_t high, uint64_t* value) {
  if (text.empty() || text.size() > 12) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  uint64_t v = std::strtoull(text.c_str(), nullptr, 10);
  if (v < low || v > high) return false;
  *value = v;
  return true;
}

// "A:B" with A and B in their ranges, as in --trickle 3:20.
bool ParseUnsignedPair(const std::string& text, uint32_t low_a, uint32_t high_a, uint32_t low_b,
                       uint32_t high_b, uint32_t* a, uint32_t* b) {
  const size_t colon = text.find(':');
  uint64_t first = 0;
  uint64_t second = 0;
  if (colon == std::string::npos || !ParseUnsigned(text.substr(0, colon), low_a, high_a, &first) ||
      !ParseUnsigned(text.substr(colon + 1), low_b, high_b, &second)) {
    return false;
  }
  *a = static_cast<uint32_t>(first);
  *b = static_cast<uint32_t>(second);
  return true;
}

}  // namespace

namespace {

// The options that take no value, and what each sets.
struct FlagOption {
  const char* name;
  void (*set)(Options& o);
};
constexpr FlagOption kFlags[] = {
    {"--help", [](Options& o) { o.help = true; }},
    {"-h", [](Options& o) { o.help = true; }},
    {"--version", [](Options& o) { o.version = true; }},
    {"--old-server", [](Options& o) { o.wire.old_server = true; }},
    {"--out-of-order", [](Options& o) { o.wire.out_of_order = true; }},
    {"--no-goodbye", [](Options& o) { o.close_without_goodbye = true; }},
    {"--unknown-block", [](Options& o) { o.unknown_block_after_login = true; }},
    {"--garbage", [](Options& o) { o.garbage_after_login = true; }},
    {"--hostile", [](Options& o) { o.hostile = true; }},
    {"--animate", [](Options& o) { o.animate = true; }},
    {"--no-console", [](Options& o) { o.console = false; }},
    {"--quiet", [](Options& o) { o.quiet = true; }},
};

bool SetFlag(const std::string& name, Options& o) {
  for (const FlagOption& flag : kFlags) {
    if (name == flag.name) {
      flag.set(o);
      return true;
    }
  }
  return false;
}

// The options that take one whole number in a range, and what each sets.
struct NumberOption {
  const char* name;
  uint64_t low;
  uint64_t high;
  const char* expected;
  void (*set)(Options& o, uint64_t n);
};
constexpr NumberOption kNumbers[] = {
    {"--header-version", 1, 3, "expected 1, 2 or 3",
     [](Options& o, uint64_t n) { o.wire.version = static_cast<uint32_t>(n); }},
    {"--chunk-size", 1, AnswerComposer::kMaxChunkSize, "expected a size from 1 to 60000",
     [](Options& o, uint64_t n) { o.wire.chunk_size = static_cast<uint32_t>(n); }},
    {"--drop", 0, 100, "expected a percent from 0 to 100",
     [](Options& o, uint64_t n) { o.stream_faults.drop_percent = static_cast<uint32_t>(n); }},
    {"--seed", 0, 999999999999, "expected a number from 0 to 999999999999",
     [](Options& o, uint64_t n) {
       o.stream_faults.seed = n;
       o.seed_given = true;
     }},
    {"--animate-period", 10, 3600000, "expected 10 to 3600000 ms",
     [](Options& o, uint64_t n) {
       o.animate_period_ms = static_cast<uint32_t>(n);
       o.animate = true;
     }},
    {"--log-capacity", 1, 1000000, "expected 1 to 1000000",
     [](Options& o, uint64_t n) { o.log_capacity = static_cast<uint32_t>(n); }},
};

const NumberOption* FindNumberOption(const std::string& name) {
  for (const NumberOption& option : kNumbers) {
    if (name == option.name) return &option;
  }
  return nullptr;
}

}  // namespace

Status ParseOptions(const std::vector<std::string>& args, Options* options) {
  Options o;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::string value;
    bool has_value = false;
    size_t equals = name.find('=');
    if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
      has_value = true;
    }
    auto take_value = [&]() -> bool {
      if (has_value) return true;
      if (i + 1 >= args.size()) return false;
      value = args[++i];
      return true;
    };
    auto needs_value = [&]() {
      return Status(Where::kSim, kMissingArgument, name + " needs a value");
    };
    auto bad = [&](const char* what) {
      return Status(Where::kSim, kMissingArgument, name + ": " + what + " (got \"" + value + "\")");
    };
    uint64_t number = 0;
    if (SetFlag(name, o)) continue;
    if (const NumberOption* option = FindNumberOption(name)) {
      if (!take_value()) return needs_value();
      if (!ParseUnsigned(value, option->low, option->high, &number)) return bad(option->expected);
      option->set(o, number);
      continue;
    }
    if (name == "--listen") {
      if (!take_value()) return needs_value();
      if (!ParseHostPort(value, 0, &o.listen_host, &o.listen_port))
        return bad("expected ADDR:PORT");
    } else if (name == "--control") {
      if (!take_value()) return needs_value();
      if (!ParseHostPort(value, 0, &o.control_host, &o.control_port)) {
        return bad("expected ADDR:PORT");
      }
    } else if (name == "--house") {
      if (!take_value()) return needs_value();
      if (value.empty()) return bad("expected a file name");
      o.house_file = value;
    } else if (name == "--port-file") {
      if (!take_value()) return needs_value();
      if (value.empty()) return bad("expected a file name");
      o.port_file = value;
    } else if (name == "--trickle") {
      if (!take_value()) return needs_value();
      if (!ParseUnsignedPair(value, 1, 65536, 0, 10000, &o.trickle_bytes, &o.trickle_pause_ms)) {
        return bad("expected BYTES:MS, as in 3:20");
      }
    } else if (name == "--cut-after") {
      if (!take_value()) return needs_value();
      const size_t colon = value.find(':');
      uint64_t bytes = 0;
      const std::string how = colon == std::string::npos ? "" : value.substr(colon + 1);
      if (colon == std::string::npos ||
          !ParseUnsigned(value.substr(0, colon), 1, UINT32_MAX, &bytes) ||
          (how != "stall" && how != "close")) {
        return bad("expected BYTES:stall or BYTES:close, as in 100:stall");
      }
      o.cut_after_bytes = bytes;
      o.cut_closes = how == "close";
    } else if (name == "--stall-mid-block") {
      if (!take_value()) return needs_value();
      if (!ParseUnsignedPair(value, 0, 100, 1, 600000, &o.stream_faults.stall_percent,
                             &o.stream_faults.stall_max_ms)) {
        return bad("expected PERCENT:MAX_MS, as in 10:3000 (percent 0 to 100, 1 to 600000 ms)");
      }
    } else {
      return Status(Where::kSim, kMissingArgument, "unknown option " + args[i] + " (see --help)");
    }
  }
  *options = o;
  return Status::Ok();
}

std::string HelpText() {
  return R"(Usage: housesim [--listen ADDR:PORT] [--house FILE] [options]

A home-automation server simulator: it serves a live house to Hearthview clients over TCP,
several at once, and pushes every change to all of them.

  --listen ADDR:PORT     where to listen (default 127.0.0.1:1025; port 0 picks a free port,
                         which is printed as "housesim listening on ADDR:PORT")
  --port-file FILE       write the bound port number to FILE once listening
  --house FILE           serve the house described by FILE (JSON; see sim/demo-house.json);
                         without it the built-in demo house is served (user demo, password
                         demo). A bad house file is reported and housesim exits with code 2
  --animate              let the house live on its own: motion sensors trip and clear,
                         doors open and close, temperatures drift
  --animate-period MS    time between two animation steps (default 3000; implies --animate)
  --log-capacity N       activity entries kept for Get log items (default 1000)
  --control ADDR:PORT    also accept console commands on a loopback TCP port, one per line
  --no-console           do not read console commands from standard input
  --quiet                do not log each request on standard error
  --help                 show this text
  --version              show housesim's version and build

Faults, for testing clients:
  --header-version N     header version of every answer: 1 (12-byte short form, one block
                         per answer), 2 or 3 (38-byte long form; 3 adds the clip fields of
                         thumbnails). Default 3
  --old-server           leave out the fields older servers leave out (item and log values
                         as doubles, the IO kind, log details)
  --chunk-size N         picture bytes per block of thumbnails and full pictures (default 2048)
  --out-of-order         send the blocks of multi-block answers as 0, n-1, ..., 1
  --no-goodbye           close connections without a Goodbye (rejected logins, shutdown)
  --unknown-block        send a block of type 18 right after each accepted login
  --garbage              send garbage bytes right after each accepted login
  --trickle BYTES:MS     write the byte stream in pieces of BYTES with MS pauses
  --cut-after BYTES:stall|close
                         after BYTES bytes of answers on a connection (even mid-block), write
                         nothing more: stall keeps the connection open and silent, close
                         closes it without a Goodbye
  --hostile              after each accepted login, send what a hostile server would:
                         command responses named to leave the data folder, fields whose
                         length is 0xFFFFFFFF, a Launch program full of shell metacharacters
                         and a flood of 1000 Server messages; each login ends with the next
                         of eight answers a client must refuse
  --stall-mid-block PERCENT:MAX_MS
                         stop writing in the middle of PERCENT of the blocks, for a random
                         time of up to MAX_MS, then go on
  --drop PERCENT         close the connection without a Goodbye in the middle of a block,
                         with PERCENT chance for every block sent
  --seed N               seed of the random faults above; without it housesim picks one and
                         prints it on standard error, so a run can be replayed

Console commands (standard input, or the --control port):
  message [--plain] TARGET CAPTION TEXT   a Server message to a user or to "All"
  launch TARGET FILE [PARAMETERS [DIRECTORY [VERB]]]
                                          a Launch program (verb "open" by default)
  clients                                 list the connected clients
  unknown-block | garbage | drop          faults, to every logged-in client now
                                          (drop closes every connection without Goodbye)
  flood COUNT                             COUNT Log items to every client whose log
                                          feed is on, as fast as it reads them
  shutdown | quit                         send Goodbye to every client and stop
  help                                    list these commands
  Any command of the command-file language also works, for example:
  switch "Porch Light" on | switch NAME dim 40 | sensor NAME motion | macro NAME run|stop
  mode NAME on|off | x10 A1 on | snap SOURCE | lightdark night | pause on | mute off | log TEXT
Words with spaces go in double quotes.

SIGINT and SIGTERM stop housesim like "shutdown".
)";
}

}  // namespace hv::sim
