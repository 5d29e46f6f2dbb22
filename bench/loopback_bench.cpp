// loopback_bench: answers over real loopback TCP into the client. A sender thread writes a
// pre-encoded stream of answers (composed by housesim's composer) as fast as the socket
// takes it; the client's socket reads it block by block as the program does (peek, then
// one block at a time) and hands every record on. The reference, in the same run and from
// the same sender: a plain reader that only counts the bytes.
//
//   loopback_bench [--runs N] [--stream switch_status|thumbnail_256k|full_picture_2m]
//
// Small answers are Switch status answers that reach a switches view of 10,000 rows (the
// in-memory realisation); large answers are 256 KiB thumbnails and 2 MiB full pictures,
// counted as they complete. Prints one line per stream: the client's rate, the reader's,
// and their ratio (each the best of the runs), from the reading thread's CPU time, and the
// ratio of wall-clock times. For pictures a second reference follows: the plain reader that
// also writes what it reads into files as the client stores them (a new file for each full
// picture, one file written over for the thumbnails).
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "bench/answer_streams.h"
#include "bench/bench_options.h"
#include "bench/views/switches_view_host.h"
#include "client/platform/shell.h"
#include "client/platform/system_clock.h"
#include "client/protocol/answer_receiver.h"
#include "client/protocol/protocol_context.h"
#include "client/protocol/remote_client_socket.h"
#include "client/protocol/session_services.h"
#include "client/ui/headless/headless_toolkit.h"
#include "client/views/devices/dlg_child_switches.h"
#include "core/status.h"
#include "core/testing/temp_config_home.h"
#include "core/testing/temp_folder.h"

namespace hv {

namespace {

using Clock = std::chrono::steady_clock;

// Listens on a free loopback port; each Serve() accepts one connection and writes the image.
class cSender {
 public:
  cSender() {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listener_, 4) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      std::perror("loopback_bench: listen");
      std::exit(2);
    }
    port_ = ntohs(address.sin_port);
  }
  ~cSender() { close(listener_); }
  uint16_t port() const { return port_; }

  std::thread Serve(const std::vector<uint8_t>& image) {
    return std::thread([this, &image] {
      const int peer = accept(listener_, nullptr, nullptr);
      if (peer < 0) return;
      size_t sent = 0;
      while (sent < image.size()) {
        const size_t piece = std::min<size_t>(image.size() - sent, 1 << 16);
        const ssize_t n = send(peer, image.data() + sent, piece, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
      }
      // The reader closes first, once it has everything; then the sender goes.
      char drain = 0;
      while (recv(peer, &drain, 1, 0) > 0) {
      }
      close(peer);
    });
  }

 private:
  int listener_ = -1;
  uint16_t port_ = 0;
};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// CPU time of the calling thread: on a machine shared with other work, what the reading
// side itself spent, whatever share of a core it was given.
double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// One run's times; negative when the stream did not arrive whole.
struct cTimes {
  double wall = -1;
  double cpu = -1;
};

// The bytes a reader has read, written on into files of `file_bytes` each in `folder`, as
// the client stores pictures: each full picture in a new file made after the earlier one is
// removed; with `write_over`, every picture over the one before in the same file (as the
// client gathers thumbnails).
class cFileSink {
 public:
  cFileSink(const std::string& folder, size_t file_bytes, bool write_over)
      : path_(folder + "/reference.part"), file_bytes_(file_bytes), write_over_(write_over) {}
  ~cFileSink() {
    if (fd_ >= 0) close(fd_);
  }
  bool Write(const uint8_t* data, size_t n) {
    while (n > 0) {
      if (fd_ < 0) {
        unlink(path_.c_str());
        fd_ = open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd_ < 0) return false;
      }
      const size_t k = std::min(n, file_bytes_ - in_file_);
      if (write(fd_, data, k) != static_cast<ssize_t>(k)) return false;
      data += k;
      n -= k;
      in_file_ += k;
      if (in_file_ == file_bytes_) {
        in_file_ = 0;
        if (write_over_ && lseek(fd_, 0, SEEK_SET) == 0) continue;
        close(fd_);
        fd_ = -1;
      }
    }
    return true;
  }

 private:
  std::string path_;
  size_t file_bytes_;
  bool write_over_;
  size_t in_file_ = 0;
  int fd_ = -1;
};

// The reference: a blocking socket that reads 64 KiB at a time and counts; with a sink, it
// also writes what it reads into files, the least any reader must do that stores pictures.
cTimes PlainReaderSeconds(cSender& sender, const std::vector<uint8_t>& image,
                          cFileSink* sink = nullptr) {
  std::thread serving = sender.Serve(image);
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(sender.port());
  const Clock::time_point start = Clock::now();
  const double cpu_start = ThreadCpuSeconds();
  cTimes times;
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    std::vector<uint8_t> buffer(1 << 16);
    size_t total = 0;
    while (total < image.size()) {
      const ssize_t n = recv(fd, buffer.data(), buffer.size(), 0);
      if (n <= 0) break;
      if (sink != nullptr && !sink->Write(buffer.data(), static_cast<size_t>(n))) break;
      total += static_cast<size_t>(n);
    }
    if (total == image.size()) {
      times.wall = Seconds(Clock::now() - start);
      times.cpu = ThreadCpuSeconds() - cpu_start;
    }
  }
  close(fd);
  serving.join();
  return times;
}

// Switch status answers go to the switches view; pictures are counted as they complete.
class cViewRelay : public cAnswerReceiver {
 public:
  explicit cViewRelay(CDlgChildSwitches* view) : view_(view) {}
  Status Receive(const Answer& answer) override {
    if (const auto* item = std::get_if<SwitchRecord>(&answer)) {
      if (view_ == nullptr) return Status::Declined(Where::kUi);
      return view_->AddSwitch(*item);
    }
    if (const auto* status = std::get_if<SwitchStatusRecord>(&answer)) {
      ++records;
      return view_ != nullptr ? view_->SetSwitchStatus(*status) : Status::Ok();
    }
    if (std::holds_alternative<ThumbnailAnswer>(answer)) ++records;
    return Status::Ok();
  }
  size_t records = 0;

 private:
  CDlgChildSwitches* view_;
};

// A full picture ends by being opened: that is when it counts as received.
class cCountingShell : public cShell {
 public:
  explicit cCountingShell(size_t& records) : records_(records) {}
  hv::Status Open(const char*) override {
    ++records_;
    return hv::Status::Ok();
  }
  hv::Status Execute(const char*, const char*, const char*, const char*, int32_t) override {
    return hv::Status::Ok();
  }

 private:
  size_t& records_;
};

// A switches view of `rows` switches, filled as a login fills it.
bool MakeSwitchesView(hv::bench::cSwitchesViewHost& setup, cToolkit& toolkit, int rows) {
  if (!hv::bench::OpenSwitchesView(toolkit, &setup)) return false;
  for (int i = 0; i < rows; ++i) {
    SwitchRecord record;
    record.name = hv::bench::SwitchName(i).c_str();
    record.status = 3;
    if (setup.view->AddSwitch(record).failed()) return false;
  }
  SwitchRecord end;
  setup.view->AddSwitch(end).Ignore("the empty name only ends the list");
  return setup.view->RowCount() == rows;
}

// The client reads the whole stream.
cTimes ClientSeconds(cSender& sender, const hv::bench::cAnswerStream& stream,
                     CDlgChildSwitches* view, const std::string& folder) {
  std::thread serving = sender.Serve(stream.bytes);
  cSystemClock clock;
  cProtocolContext context(clock);
  cViewRelay relay(view);
  cCountingShell shell(relay.records);
  cSessionServices services;
  services.receiver = &relay;
  services.shell = &shell;
  services.data_folder = folder.c_str();
  cTimes times;
  {
    cRemoteClientSocket socket(nullptr, context, &services);
    const Clock::time_point start = Clock::now();
    const double cpu_start = ThreadCpuSeconds();
    if (socket.Connect("127.0.0.1", sender.port()).ok()) {
      bool failed = false;
      Clock::time_point last_progress = Clock::now();
      while (!failed && relay.records < stream.messages) {
        // As the connection's receive loop: wait for readiness, then read what is there.
        socket.WaitReadable(1000);
        const size_t before = relay.records;
        while (!failed && socket.PeekByte().ok()) {
          failed = socket.ProcessIncoming(nullptr).failed();
        }
        if (relay.records != before) last_progress = Clock::now();
        // A stream that stops short must end the run, not hang it.
        if (socket.Broken() || Clock::now() - last_progress > std::chrono::seconds(30)) break;
      }
      if (!failed && relay.records == stream.messages) {
        times.wall = Seconds(Clock::now() - start);
        times.cpu = ThreadCpuSeconds() - cpu_start;
      }
    }
  }
  serving.join();
  return times;
}

}  // namespace

}  // namespace hv

using namespace hv;  // main() and the C entry points stand outside the namespace

int main(int argc, char** argv) {
  int runs = 3;
  std::string only;  // one stream by name, to profile it alone
  bench::ParseBenchOptions(
      argc, argv, {{"--runs", bench::IntValue(&runs)}, {"--stream", bench::TextValue(&only)}},
      "[--runs N] [--stream NAME]");
  TempConfigHome config_home;
  hv::test::cTempFolder folder("hvbench");
  setenv("TMPDIR", folder.path().c_str(), 1);

  cHeadlessToolkit toolkit;
  hv::bench::cSwitchesViewHost setup;
  if (!MakeSwitchesView(setup, toolkit, 10000)) {
    std::fprintf(stderr, "loopback_bench: the switches view did not fill\n");
    return 2;
  }
  struct cCase {
    const char* name;
    hv::bench::cAnswerStream stream;
    bool to_view;
    bool one_file;  // pictures the client gathers in one file, each over the one before
  };
  std::vector<cCase> cases;
  cases.push_back({"switch_status", hv::bench::SwitchStatusStream(200000), true, false});
  cases.push_back({"thumbnail_256k", hv::bench::PictureStream(64, 256 * 1024, false), false, true});
  cases.push_back(
      {"full_picture_2m", hv::bench::PictureStream(8, 2 * 1024 * 1024, true), false, false});

  cSender sender;
  std::printf("%-16s %14s %12s %12s %8s %10s %12s %8s\n", "stream", "client msg/s", "client MB/s",
              "reader MB/s", "ratio", "wall ratio", "writer MB/s", "ratio");
  int exit_code = 0;
  for (const cCase& c : cases) {
    if (!only.empty() && only != c.name) continue;
    cTimes client;
    cTimes reader;
    cTimes writer;  // the reader that also writes the pictures into files
    const bool pictures = !c.to_view;
    cFileSink sink(folder.path(), c.stream.bytes.size() / c.stream.messages, c.one_file);
    // Interleaved, the best of each, so that a burst of other work hurts both alike.
    auto keep_best = [](const cTimes& run, cTimes* best) {
      if (run.cpu <= 0) return;
      if (best->cpu < 0 || run.cpu < best->cpu) best->cpu = run.cpu;
      if (best->wall < 0 || run.wall < best->wall) best->wall = run.wall;
    };
    for (int run = 0; run < runs; ++run) {
      keep_best(PlainReaderSeconds(sender, c.stream.bytes), &reader);
      if (pictures) keep_best(PlainReaderSeconds(sender, c.stream.bytes, &sink), &writer);
      keep_best(
          ClientSeconds(sender, c.stream, c.to_view ? setup.view.get() : nullptr, folder.path()),
          &client);
    }
    if (client.cpu < 0 || reader.cpu < 0 || (pictures && writer.cpu < 0)) {
      std::fprintf(stderr, "loopback_bench: %s did not arrive whole\n", c.name);
      exit_code = 2;
      continue;
    }
    // Rates from the reading thread's CPU time; the wall-clock ratio beside them says how
    // much the machine's other work got in the way.
    const double mb = static_cast<double>(c.stream.bytes.size()) / 1e6;
    std::printf("%-16s %14.0f %12.1f %12.1f %8.3f %10.3f", c.name,
                static_cast<double>(c.stream.messages) / client.cpu, mb / client.cpu,
                mb / reader.cpu, reader.cpu / client.cpu, reader.wall / client.wall);
    if (pictures) {
      std::printf(" %12.1f %8.3f\n", mb / writer.cpu, writer.cpu / client.cpu);
    } else {
      std::printf(" %12s %8s\n", "-", "-");
    }
  }
  return exit_code;
}
