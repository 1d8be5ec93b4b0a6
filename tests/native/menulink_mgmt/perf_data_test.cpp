// Process names from performance-data blocks built here in the platform's
// layout, and from counter-name lists.

#include <gtest/gtest.h>

#include <string>

#include "menulink/registry/perf_data.h"
#include "perf_block.h"

namespace {

std::string NameOf(const std::vector<std::uint8_t>& b, std::uint32_t pid, PerfLookup* lookup,
                   std::uint32_t object = 230, std::uint32_t id = 784) {
  PerfInstanceName where;
  *lookup = PerfFindProcessInBlock(b.data(), b.size(), object, id, pid, &where);
  char out[64] = "x";
  if (*lookup == PerfLookup::Found) PerfNameToLatin1(b.data(), b.size(), where, out, sizeof out);
  return out;
}

PerfBlockSpec ThreeProcesses() {
  PerfBlockSpec layout;
  layout.instances = {{u"Idle", 0}, {u"WINWORD", 4242}, {u"notepad", 77}};
  return layout;
}

TEST(PerfBlock, FindsTheInstanceWhoseIdMatches) {
  auto b = BuildPerfBlock(ThreeProcesses());
  PerfLookup lookup;
  EXPECT_EQ(NameOf(b, 4242, &lookup), "WINWORD");
  EXPECT_EQ(lookup, PerfLookup::Found);
  EXPECT_EQ(NameOf(b, 77, &lookup), "notepad");
  EXPECT_EQ(NameOf(b, 0, &lookup), "Idle");
}

TEST(PerfBlock, AnIdNotInTheObjectIsNotFoundButTheDataIsThere) {
  auto b = BuildPerfBlock(ThreeProcesses());
  PerfLookup lookup;
  NameOf(b, 5, &lookup);
  EXPECT_EQ(lookup, PerfLookup::NotFound);
}

TEST(PerfBlock, NoProcessObjectOrNoIdCounterMeansNoProcessData) {
  PerfLookup lookup;
  // What Wine answers: a header and no object at all.
  auto empty = BuildPerfBlock(ThreeProcesses());
  empty[28] = 0;
  NameOf(empty, 4242, &lookup);
  EXPECT_EQ(lookup, PerfLookup::NoProcess);
  // Another object than the one asked for.
  NameOf(BuildPerfBlock(ThreeProcesses()), 4242, &lookup, 238);
  EXPECT_EQ(lookup, PerfLookup::NoProcess);
  // The "ID Process" counter missing: no guess at another counter.
  PerfBlockSpec layout = ThreeProcesses();
  layout.withIdCounter = false;
  NameOf(BuildPerfBlock(layout), 4242, &lookup);
  EXPECT_EQ(lookup, PerfLookup::NoProcess);
}

TEST(PerfBlock, EveryTruncationStaysInsideTheBuffer) {
  auto full = BuildPerfBlock(ThreeProcesses());
  for (std::size_t n = 0; n < full.size(); ++n) {
    // Exact-size heap copy, so ASan sees any read past the end.
    std::vector<std::uint8_t> cut(full.begin(), full.begin() + (long)n);
    PerfInstanceName where;
    PerfLookup r = PerfFindProcessInBlock(cut.data(), cut.size(), 230, 784, 77, &where);
    if (r == PerfLookup::Found) {
      EXPECT_LE(where.offset + 2 * where.units, cut.size());
      char out[64];
      PerfNameToLatin1(cut.data(), cut.size(), where, out, sizeof out);
    }
  }
}

TEST(PerfBlock, ZeroLengthsAndWildOffsetsEndTheWalk) {
  auto b = BuildPerfBlock(ThreeProcesses());
  PerfLookup lookup;
  // First counter definition of length 0, before "ID Process".
  auto zeroCounter = b;
  zeroCounter[88 + 64] = zeroCounter[88 + 65] = 0;
  NameOf(zeroCounter, 77, &lookup);
  EXPECT_EQ(lookup, PerfLookup::NoProcess);
  // Header length pointing far outside.
  auto wild = b;
  wild[24] = 0xFF, wild[25] = 0xFF, wild[26] = 0xFF, wild[27] = 0x7F;
  NameOf(wild, 77, &lookup);
  EXPECT_EQ(lookup, PerfLookup::NoProcess);
  // A name that claims more bytes than the block holds.
  auto longName = b;
  std::size_t firstInst = 88 + 64 + 2 * 40;
  longName[firstInst + 20] = 0xFF, longName[firstInst + 21] = 0xFF;
  EXPECT_EQ(NameOf(longName, 0, &lookup), "Idle");
}

TEST(PerfBlock, NamesOutsideLatin1BecomeQuestionMarksAndAreCutToFit) {
  PerfBlockSpec layout;
  layout.instances = {{u"\u4e2d\u6587app", 9}, {std::u16string(100, u'a'), 10}};
  auto b = BuildPerfBlock(layout);
  PerfLookup lookup;
  EXPECT_EQ(NameOf(b, 9, &lookup), "??app");
  EXPECT_EQ(NameOf(b, 10, &lookup), std::string(63, 'a'));
}

std::string List(std::initializer_list<const char*> parts) {
  std::string s;
  for (const char* p : parts) s += std::string(p) + '\0';
  return s + '\0';
}

TEST(CounterList, FindsTheIndexOfAnExactName) {
  std::string list =
      List({"1", "1847", "2", "System", "230", "Process", "784", "ID Process", "232", "Thread"});
  char index[16];
  ASSERT_TRUE(PerfCounterListFind(list.data(), list.size(), "Process", index, sizeof index));
  EXPECT_STREQ(index, "230");
  ASSERT_TRUE(PerfCounterListFind(list.data(), list.size(), "ID Process", index, sizeof index));
  EXPECT_STREQ(index, "784");
  // Case-sensitive and whole names only.
  EXPECT_FALSE(PerfCounterListFind(list.data(), list.size(), "process", index, sizeof index));
  EXPECT_FALSE(PerfCounterListFind(list.data(), list.size(), "Proc", index, sizeof index));
}

TEST(CounterList, AMissingNameIsNotAMatchWithTheLastIndex) {
  std::string list = List({"2", "System", "4", "Memory"});
  char index[16] = "untouched";
  EXPECT_FALSE(PerfCounterListFind(list.data(), list.size(), "Process", index, sizeof index));
  EXPECT_STREQ(index, "untouched");
}

TEST(CounterList, UnterminatedAndOddListsStayInBounds) {
  std::string list = List({"230", "Process"});
  for (std::size_t n = 0; n < list.size(); ++n) {
    std::vector<char> cut(list.begin(), list.begin() + (long)n);
    char index[4];
    bool hit = PerfCounterListFind(cut.data(), cut.size(), "Process", index, sizeof index);
    if (hit) {
      EXPECT_STREQ(index, "230");
    }
  }
  // An index text longer than the output is cut.
  std::string longIndex = List({"123456789", "Process"});
  char small[4];
  ASSERT_TRUE(PerfCounterListFind(longIndex.data(), longIndex.size(), "Process", small, sizeof small));
  EXPECT_STREQ(small, "123");
}

}  // namespace
