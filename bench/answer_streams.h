// The answer streams the receive benchmarks push through the client: many small Switch
// status answers, and large pictures (Thumbnail and Full picture answers) cut into blocks
// as the server cuts them. Each stream is one byte image of whole blocks, composed by
// housesim's own composer, so the client reads exactly what a server would write.
#ifndef HV_BENCH_ANSWER_STREAMS_H_
#define HV_BENCH_ANSWER_STREAMS_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "client/protocol/byte_stream.h"
#include "core/status.h"
#include "sim/answer_composer.h"

namespace hv {

namespace bench {

struct cAnswerStream {
  std::vector<uint8_t> bytes;
  size_t messages = 0;
  // The payload bytes of the pictures (0 for status answers): what MB/s counts for them.
  size_t picture_bytes = 0;
};

inline void AppendMessage(const hv::sim::EncodedMessage& message, cAnswerStream* stream) {
  for (const hv::sim::EncodedBlock& block : message) {
    stream->bytes.insert(stream->bytes.end(), block.begin(), block.end());
  }
  ++stream->messages;
}

// Hands out the bytes of a stream as fast as they are asked for, as a socket that always has
// the next bytes would: the stand-in for the network when only the client's side is timed.
// The bytes are not owned; they may grow between reads.
class cReplayStream : public cByteStream {
 public:
  explicit cReplayStream(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  void Rewind() { read_ = 0; }
  bool Finished() const { return read_ == bytes_.size(); }

  hv::Status Send(const uint8_t*, uint32_t) override { return hv::Status::Ok(); }
  hv::Status Receive(uint8_t* data, uint32_t n, uint32_t* received) override {
    const size_t count = std::min<size_t>(n, bytes_.size() - read_);
    *received = static_cast<uint32_t>(count);
    if (count == 0) return hv::Status(hv::Where::kSocket, hv::kReceiveFailed);
    std::memcpy(data, bytes_.data() + read_, count);
    read_ += count;
    return hv::Status::Ok();
  }
  void WaitReadable(uint32_t) override {}
  hv::Status PeekByte() override {
    return read_ < bytes_.size() ? hv::Status::Ok()
                                 : hv::Status(hv::Where::kSocket, hv::kReceiveFailed);
  }

 private:
  const std::vector<uint8_t>& bytes_;
  size_t read_ = 0;
};

// `count` Switch status answers spread over `rows` switch names ("Switch 00000"...).
inline cAnswerStream SwitchStatusStream(size_t count, size_t rows = 10000) {
  hv::sim::WireOptions wire;
  hv::sim::AnswerComposer composer(wire);
  cAnswerStream stream;
  for (size_t i = 0; i < count; ++i) {
    hv::sim::SwitchItem item;
    char name[32];
    std::snprintf(name, sizeof name, "Switch %05zu", (i * 7919) % rows);
    item.name = name;
    item.status = i % 3 == 0 ? 4 : (i % 2 == 0 ? 2 : 3);
    item.value = static_cast<double>(i % 100);
    AppendMessage(composer.SwitchStatus(item), &stream);
  }
  return stream;
}

// Bytes that look like a picture to nobody: the receive path never looks inside them.
inline std::vector<uint8_t> PictureBytes(size_t size) {
  std::vector<uint8_t> bytes(size);
  uint32_t state = 2463534242u;
  for (uint8_t& b : bytes) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    b = static_cast<uint8_t>(state);
  }
  return bytes;
}

// `count` pictures of `size` bytes each, as Thumbnail (full = false) or Full picture
// answers in blocks of the largest chunk the server sends.
inline cAnswerStream PictureStream(size_t count, size_t size, bool full) {
  hv::sim::WireOptions wire;
  wire.chunk_size = hv::sim::AnswerComposer::kMaxChunkSize;
  hv::sim::AnswerComposer composer(wire);
  const std::vector<uint8_t> picture = PictureBytes(size);
  cAnswerStream stream;
  for (size_t i = 0; i < count; ++i) {
    const std::string path = "C:\\Pictures\\Porch\\shot" + std::to_string(i % 8) + ".jpg";
    if (full) {
      AppendMessage(composer.FullPicture("Porch", path, 1700000000u, picture), &stream);
    } else {
      hv::sim::Snapshot shot;
      shot.source = "Porch";
      shot.picture_path = path;
      shot.time_stamp = 1700000000u;
      AppendMessage(composer.Thumbnail(shot, picture), &stream);
    }
    stream.picture_bytes += size;
  }
  return stream;
}

}  // namespace bench

}  // namespace hv

#endif  // HV_BENCH_ANSWER_STREAMS_H_
