// housesim's side of the wire: the bytes one client sends, cut into blocks by the framer,
// gathered into requests by the assembler and read field by field. The blocks must not depend
// on how the bytes were split by the network, so the input is fed whole and in small pieces
// and both must give the same blocks.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/status.h"
#include "fuzz/fuzz_target.h"
#include "sim/block_framer.h"
#include "sim/request_reader.h"

namespace hv {

namespace {

using hv::sim::BlockFramer;
using hv::sim::ReceivedBlock;
using hv::sim::RequestAssembler;
using hv::sim::RequestReader;

struct Framing {
  std::vector<ReceivedBlock> blocks;
  bool broken = false;
};

void Drain(BlockFramer& framer, Framing* out) {
  for (;;) {
    ReceivedBlock block;
    const hv::Status next = framer.Next(&block);
    if (next.declined()) return;
    if (!next.ok()) {
      out->broken = true;
      return;
    }
    out->blocks.push_back(std::move(block));
  }
}

Framing FrameInPieces(const uint8_t* data, size_t size, size_t first_piece) {
  Framing out;
  BlockFramer framer;
  size_t piece = first_piece;
  for (size_t at = 0; at < size && !out.broken;) {
    size_t n = std::min(piece, size - at);
    framer.Feed(data + at, n);
    at += n;
    Drain(framer, &out);
    piece = piece % 7 + 1;
  }
  return out;
}

bool SameBlocks(const Framing& a, const Framing& b) {
  if (a.broken != b.broken || a.blocks.size() != b.blocks.size()) return false;
  for (size_t i = 0; i < a.blocks.size(); ++i) {
    const cBlockHeader& x = a.blocks[i].header;
    const cBlockHeader& y = b.blocks[i].header;
    if (x.version != y.version || x.type != y.type || x.guid != y.guid ||
        x.block_number != y.block_number || x.last_block != y.last_block ||
        x.payload_length != y.payload_length || a.blocks[i].payload != b.blocks[i].payload) {
      return false;
    }
  }
  return true;
}

// Reads a request's fields the way the handlers do, whatever its type claims.
void ReadRequest(const std::vector<ReceivedBlock>& message) {
  RequestReader first(message.front().payload);
  (void)first.String();
  (void)first.String();
  (void)first.U32(7);
  (void)first.U16(7);
  (void)first.F64(0.5);
  std::string text;
  bool whole = first.Chunk(&text);
  for (size_t i = 1; i < message.size() && whole; ++i) {
    RequestReader part(message[i].payload);
    whole = part.Chunk(&text);
  }
  if (text.size() > RequestAssembler::kMaxMessageBytes) {
    std::fprintf(stderr, "fuzz sim_framer: a request of %zu bytes got through\n", text.size());
    std::abort();
  }
}

}  // namespace

}  // namespace hv

using namespace hv;  // main() and the C entry points stand outside the namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Framing whole;
  {
    BlockFramer framer;
    framer.Feed(data, size);
    Drain(framer, &whole);
  }
  Framing pieces = FrameInPieces(data, size, size > 0 ? data[0] % 7 + 1 : 1);
  if (!SameBlocks(whole, pieces)) {
    std::fprintf(stderr, "fuzz sim_framer: blocks depend on how the bytes arrived\n");
    std::abort();
  }

  RequestAssembler assembler;
  for (ReceivedBlock& block : whole.blocks) {
    std::vector<ReceivedBlock> message;
    if (assembler.Add(std::move(block), &message).ok()) ReadRequest(message);
  }
  return 0;
}
