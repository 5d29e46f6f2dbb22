#include "sim/request_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hv::sim {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(RequestReaderTest, FieldsDecodeLittleEndianAndTextsFromWindows1252) {
  const Bytes payload = {0x00, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 'C',  'a',
                         'f',  0xE9, 0x00, 0x02, 0x01, 0x04, 0x03, 0x02, 0x01, 0x00,
                         0x00, 0x00, 0x00, 0x00, 0x00, 0x49, 0xC0, 0x00, 0x00, 0x00,
                         0x00, 0x02, 0x00, 0x00, 0x00, 0x07, 0x08};
  RequestReader in(payload);
  EXPECT_EQ(in.String(), "Caf\xC3\xA9");
  EXPECT_EQ(in.U16(), 0x0102);
  EXPECT_EQ(in.U32(), 0x01020304u);
  EXPECT_EQ(in.F64(0), -50.0);
  std::string chunk;
  EXPECT_TRUE(in.Chunk(&chunk));
  EXPECT_EQ(chunk, "\x07\x08");
  EXPECT_EQ(in.Remaining(), 0u);
  // Past the end every field keeps its fallback.
  EXPECT_EQ(in.U32(9), 9u);
  EXPECT_EQ(in.String("none"), "none");
}

TEST(RequestReaderTest, AShortOrLyingPayloadYieldsDefaultsNeverMore) {
  // A string whose count runs past the payload reads as empty, and the next field decodes
  // from just after the count.
  const Bytes lying = {0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x2A, 0x00};
  RequestReader in(lying);
  EXPECT_EQ(in.String("x"), "");
  EXPECT_EQ(in.U32(7), 7u);  // two bytes left: the field is left out and nothing is used
  EXPECT_EQ(in.U16(), 0x2A);

  // Text stops at its first NUL and never runs past its count when the NUL is missing.
  const Bytes unterminated = {0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 'a', 'b', 'c'};
  RequestReader text(unterminated);
  EXPECT_EQ(text.RawString(), "ab");
  EXPECT_EQ(text.Remaining(), 1u);

  const Bytes chunk_past_end = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x01};
  RequestReader chunk(chunk_past_end);
  std::string out = "kept";
  EXPECT_FALSE(chunk.Chunk(&out));
  EXPECT_EQ(out, "kept");
}

}  // namespace
}  // namespace hv::sim
