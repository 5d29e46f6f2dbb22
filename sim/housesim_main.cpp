// housesim: a home-automation server simulator. See HelpText() in options.cpp.
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/status.h"
#include "sim/house.h"
#include "sim/house_file.h"
#include "sim/options.h"
#include "sim/server.h"
#include "sim/sim_clock.h"

namespace hv {

namespace {

// Written beside the target and renamed into place, so a test polling for the file never
// reads half a number.
bool WritePortFile(const std::string& path, uint16_t port) {
  std::string temporary = path + ".tmp";
  {
    std::ofstream file(temporary, std::ios::trunc);
    file << port << "\n";
    if (!file.flush()) return false;
  }
  return std::rename(temporary.c_str(), path.c_str()) == 0;
}

}  // namespace

}  // namespace hv

using namespace hv;  // main() and the C entry points stand outside the namespace

int main(int argc, char** argv) {
  using namespace hv::sim;
  std::vector<std::string> args(argv + 1, argv + argc);
  Options options;
  std::string error;
  if (ParseOptions(args, &options, &error) != hv::kOk) {
    std::fprintf(stderr, "housesim: %s\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(HelpText().c_str(), stdout);
    return 0;
  }

  if (options.stream_faults.Any() && !options.seed_given) {
    options.stream_faults.seed = std::random_device()() % 1000000000u;
  }
  if (options.stream_faults.Any()) {
    // Printed even with --quiet: without it a failing random run cannot be replayed.
    std::fprintf(stderr, "housesim: random faults with --seed %llu\n",
                 static_cast<unsigned long long>(options.stream_faults.seed));
  }

  HouseData data;
  if (options.house_file.empty()) {
    data = DemoHouse();
  } else if (LoadHouseFile(options.house_file, &data, &error) != hv::kOk) {
    std::fprintf(stderr, "housesim: bad house file: %s\n", error.c_str());
    return 2;
  }

  // A client that goes away mid-write must not end the program.
  signal(SIGPIPE, SIG_IGN);
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  sigprocmask(SIG_BLOCK, &stop_signals, nullptr);
  int signal_fd = signalfd(-1, &stop_signals, SFD_CLOEXEC | SFD_NONBLOCK);
  if (signal_fd < 0) {
    std::perror("housesim: signalfd");
    return 1;
  }

  SystemSimClock clock;
  House house(std::move(data), clock, options.log_capacity);
  Server server(house, clock, options, [](const std::string& line) {
    std::fprintf(stderr, "housesim: %s\n", line.c_str());
  });
  if (server.Start(&error) != hv::kOk) {
    std::fprintf(stderr, "housesim: %s\n", error.c_str());
    return 1;
  }
  // The port file is in place before the line is printed, so either can be waited for.
  if (!options.port_file.empty() && !WritePortFile(options.port_file, server.port())) {
    std::fprintf(stderr, "housesim: cannot write the port file %s\n", options.port_file.c_str());
    return 1;
  }
  std::printf("housesim listening on %s:%u\n", options.listen_host.c_str(),
              static_cast<unsigned>(server.port()));
  if (server.control_port() != 0) {
    std::printf("housesim control port on %s:%u\n", options.control_host.c_str(),
                static_cast<unsigned>(server.control_port()));
  }
  std::fflush(stdout);

  server.WatchInput(signal_fd, [&]() {
    signalfd_siginfo info;
    while (read(signal_fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
    }
    server.BeginShutdown();
  });
  // Started in the background from a terminal ("housesim &"), reading the terminal would stop
  // the whole program; with SIGTTIN ignored such a read fails instead and the console ends.
  signal(SIGTTIN, SIG_IGN);
  bool in_background = isatty(STDIN_FILENO) && tcgetpgrp(STDIN_FILENO) != getpgrp();
  if (options.console && !in_background) server.AddConsole(STDIN_FILENO, STDOUT_FILENO);

  while (!server.Finished()) server.RunOnce(1000);
  close(signal_fd);
  return 0;
}
