// The database's answer file: whole chunks for this disc only, anything
// else one line and no chunks.
#include <gtest/gtest.h>

#include "components/accuraterip/ar_answer.h"

namespace {

void Put32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

const ArDiscIds kDisc = {2, 0x00012345, 0x0006789a, 0x1a019002};

std::vector<uint8_t> Chunk(const ArDiscIds& d, std::vector<ArEntry> entries) {
  std::vector<uint8_t> b;
  b.push_back(static_cast<uint8_t>(entries.size()));
  Put32(b, d.id1);
  Put32(b, d.id2);
  Put32(b, d.id3);
  for (const auto& e : entries) {
    b.push_back(e.confidence);
    Put32(b, e.checksum);
    Put32(b, e.frame450);
  }
  return b;
}

bool Parse(const std::vector<uint8_t>& b, std::vector<ArChunk>& chunks, std::wstring& error) {
  return ArParseAnswer(b.data(), b.size(), kDisc, chunks, error);
}

TEST(ArAnswer, ReadsEveryChunkLittleEndian) {
  auto b = Chunk(kDisc, {{5, 0xA1B2C3D4, 0x01020304}, {200, 0x0000FFFF, 0xFFFF0000}});
  const auto second = Chunk(kDisc, {{1, 7, 8}, {0, 0, 0}});
  b.insert(b.end(), second.begin(), second.end());
  std::vector<ArChunk> chunks;
  std::wstring error;
  ASSERT_TRUE(Parse(b, chunks, error)) << error;
  ASSERT_EQ(chunks.size(), 2u);
  EXPECT_EQ(chunks[0].id1, kDisc.id1);
  EXPECT_EQ(chunks[0].id3, kDisc.id3);
  ASSERT_EQ(chunks[0].tracks.size(), 2u);
  EXPECT_EQ(chunks[0].tracks[0].checksum, 0xA1B2C3D4u);
  EXPECT_EQ(chunks[0].tracks[0].frame450, 0x01020304u);
  EXPECT_EQ(chunks[0].tracks[1].confidence, 200);
  EXPECT_EQ(chunks[0].tracks[1].frame450, 0xFFFF0000u);
  EXPECT_EQ(chunks[1].tracks[0].checksum, 7u);
}

TEST(ArAnswer, BadAnswersGiveOneLineAndNoChunks) {
  const auto good = Chunk(kDisc, {{5, 1, 2}, {6, 3, 4}});
  ArDiscIds other = kDisc;
  other.id2 ^= 1;
  std::vector<uint8_t> trailing = good;
  trailing.insert(trailing.end(), good.begin(), good.begin() + 12);  // a header one byte short
  std::vector<uint8_t> entriesCut(good.begin(), good.end() - 1);
  std::vector<uint8_t> oversized = good;
  while (oversized.size() <= kArMaxAnswerBytes) oversized.insert(oversized.end(), good.begin(), good.end());
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
  } bad[] = {
      {"empty", {}},
      {"header cut", std::vector<uint8_t>(good.begin(), good.begin() + 10)},
      {"entries cut", entriesCut},
      {"a second chunk cut", trailing},
      {"another disc's IDs", Chunk(other, {{5, 1, 2}, {6, 3, 4}})},
      {"another track count", Chunk(kDisc, {{5, 1, 2}})},
      {"no tracks", Chunk(kDisc, {})},
      {"HTML instead", std::vector<uint8_t>({'<', 'h', 't', 'm', 'l', '>', 'n', 'o', 't', ' ', 'h', 'e', 'r', 'e', '<'})},
      {"oversized", oversized},
  };
  for (const auto& c : bad) {
    SCOPED_TRACE(c.what);
    std::vector<ArChunk> chunks(1);
    std::wstring error;
    EXPECT_FALSE(Parse(c.bytes, chunks, error));
    EXPECT_TRUE(chunks.empty());
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(error.find(L'\n'), std::wstring::npos);
  }
}

}  // namespace
