// housesim's command line: where to listen, which house to serve, and the faults a client's
// tests can ask for. HelpText() is what --help prints, and documents the console as well.
#ifndef HV_SIM_OPTIONS_H_
#define HV_SIM_OPTIONS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "core/status.h"
#include "sim/answer_composer.h"
#include "sim/stream_faults.h"

namespace hv::sim {

struct Options {
  std::string listen_host = "127.0.0.1";
  uint16_t listen_port = 1025;
  std::string house_file;  // empty: the built-in demo house
  std::string port_file;   // written with the bound port once listening
  WireOptions wire;

  // Faults.
  bool close_without_goodbye = false;  // rejections and shutdown just close the connection
  bool unknown_block_after_login = false;
  bool garbage_after_login = false;
  uint32_t trickle_bytes = 0;  // 0: write whole blocks at once
  uint32_t trickle_pause_ms = 0;
  // After this many bytes of answers on a connection, write nothing more: the connection then
  // stays open and silent (stall) or is closed without a Goodbye. 0: never.
  uint64_t cut_after_bytes = 0;
  bool cut_closes = false;
  // After each accepted login, send what a hostile server would (see HelpText).
  bool hostile = false;
  // Random stalls in mid-block and dropped connections, from a seeded generator.
  StreamFaultOptions stream_faults;
  bool seed_given = false;  // without --seed the program picks one and prints it

  bool animate = false;
  uint32_t animate_period_ms = 3000;
  std::string control_host;  // loopback control port for console commands; empty: none
  uint16_t control_port = 0;
  bool console = true;  // read console commands from stdin
  uint32_t log_capacity = 1000;
  bool quiet = false;  // no request log on stderr
  bool help = false;
  bool version = false;
};

// Ok with *options filled; else kMissingArgument (Where::kSim) with a message that names the
// bad argument (*options is then left alone).
Status ParseOptions(const std::vector<std::string>& args, Options* options);

std::string HelpText();

}  // namespace hv::sim

#endif  // HV_SIM_OPTIONS_H_
