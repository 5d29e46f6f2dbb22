// How fast answers go from received bytes to records: a byte stream of answers is read by
// the client's socket (block by block, exact reads, reassembly, dispatch, decoding) and
// each record handed to a receiver that only counts it. Beside each stream, the reference:
// a plain memcpy of the same bytes, measured in the same run, so that the ratio means
// something on a busy machine. items_per_second is answers per second; bytes_per_second
// counts the whole stream.
//
// Pictures go where the client puts them (temporary files for thumbnails, the data folder
// for full pictures), both in a folder of the benchmark's own.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "bench/answer_streams.h"
#include "client/platform/system_clock.h"
#include "client/protocol/answer_receiver.h"
#include "client/protocol/gathered_file.h"
#include "client/protocol/protocol_context.h"
#include "client/protocol/remote_client_socket.h"
#include "client/protocol/session_services.h"
#include "core/status.h"
#include "core/testing/temp_folder.h"

namespace hv {

namespace {

class cCountingReceiver : public cAnswerReceiver {
 public:
  Status Receive(const Answer& answer) override {
    if (const auto* status = std::get_if<SwitchStatusRecord>(&answer)) {
      benchmark::DoNotOptimize(status->status);
      ++records;
    } else if (std::holds_alternative<ThumbnailAnswer>(answer)) {
      ++records;
    }
    return Status::Ok();
  }
  size_t records = 0;
};

// One folder for the whole run, made current for TMPDIR before the first thumbnail.
const hv::test::cTempFolder& BenchFolder() {
  static hv::test::cTempFolder folder("hvbench");
  static const bool set = setenv("TMPDIR", folder.path().c_str(), 1) == 0;
  (void)set;
  return folder;
}

void RunStream(benchmark::State& state, const hv::bench::cAnswerStream& stream) {
  cSystemClock clock;
  cProtocolContext context(clock);
  cCountingReceiver receiver;
  cSessionServices services;
  services.receiver = &receiver;
  services.data_folder = BenchFolder().path().c_str();
  cRemoteClientSocket socket(nullptr, context, &services);
  hv::bench::cReplayStream bytes(stream.bytes);
  socket.Channel()->SetStream(&bytes);
  for (auto _ : state) {
    bytes.Rewind();
    while (!bytes.Finished()) {
      if (socket.ProcessIncoming(nullptr).failed()) {
        state.SkipWithError("the client failed to read the stream");
        return;
      }
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * stream.messages));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.bytes.size()));
}

void RunMemcpy(benchmark::State& state, const hv::bench::cAnswerStream& stream) {
  std::vector<uint8_t> target(stream.bytes.size());
  for (auto _ : state) {
    std::memcpy(target.data(), stream.bytes.data(), stream.bytes.size());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * stream.messages));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.bytes.size()));
}

// What the client cannot do without for a stream of pictures: each picture's bytes written
// to a new file in runs of the client's write unit, the earlier one removed first, as the
// client does. Beside the decoding, it shows how much of the gap to memcpy is the file
// system's.
void RunFileWrites(benchmark::State& state, const hv::bench::cAnswerStream& stream) {
  const size_t size = stream.picture_bytes / stream.messages;
  const std::vector<uint8_t> picture(size, 0x5A);
  const std::string path = BenchFolder().path() + "/written.jpg";
  constexpr size_t kChunk = cGatheredFile::kWriteUnit;
  for (auto _ : state) {
    for (size_t i = 0; i < stream.messages; ++i) {
      ::unlink(path.c_str());
      const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
      bool written = fd >= 0;
      for (size_t at = 0; written && at < size; at += kChunk) {
        const size_t n = std::min(kChunk, size - at);
        written = ::write(fd, picture.data() + at, n) == static_cast<ssize_t>(n);
      }
      if (fd >= 0) ::close(fd);
      if (!written) {
        state.SkipWithError("the picture was not written");
        return;
      }
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * stream.messages));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.bytes.size()));
}

const hv::bench::cAnswerStream& SmallStream() {
  static const hv::bench::cAnswerStream stream = hv::bench::SwitchStatusStream(100000);
  return stream;
}
// A large thumbnail: 256 KiB, five blocks.
const hv::bench::cAnswerStream& ThumbnailStream() {
  static const hv::bench::cAnswerStream stream = hv::bench::PictureStream(32, 256 * 1024, false);
  return stream;
}
// A full picture of 2 MiB, thirty-five blocks.
const hv::bench::cAnswerStream& FullPictureStream() {
  static const hv::bench::cAnswerStream stream = hv::bench::PictureStream(4, 2 * 1024 * 1024, true);
  return stream;
}

void BM_SwitchStatusDecode(benchmark::State& state) { RunStream(state, SmallStream()); }
void BM_SwitchStatusMemcpy(benchmark::State& state) { RunMemcpy(state, SmallStream()); }
void BM_ThumbnailDecode(benchmark::State& state) { RunStream(state, ThumbnailStream()); }
void BM_ThumbnailMemcpy(benchmark::State& state) { RunMemcpy(state, ThumbnailStream()); }
void BM_FullPictureDecode(benchmark::State& state) { RunStream(state, FullPictureStream()); }
void BM_FullPictureMemcpy(benchmark::State& state) { RunMemcpy(state, FullPictureStream()); }
void BM_FullPictureFilesOnly(benchmark::State& state) { RunFileWrites(state, FullPictureStream()); }

// Each measurement beside its reference, the best of a few repetitions.
BENCHMARK(BM_SwitchStatusDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SwitchStatusMemcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThumbnailDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThumbnailMemcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullPictureDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullPictureMemcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullPictureFilesOnly)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace hv
