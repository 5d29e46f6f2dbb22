#include "core/string/sw_string.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/status.h"
#include "core/testing/in_memory_serializer.h"

namespace hv {

namespace {

TEST(SwStringTest, UnallocatedStringReadsAsEmpty) {
  swString s;
  ASSERT_NE(s.CStr(), nullptr);
  EXPECT_STREQ(s.CStr(), "");
  EXPECT_EQ(s.GetLength(), 0u);
  EXPECT_EQ(s.GetCapacity(), 0u);
  EXPECT_EQ(s.GetAt(0), '\0');
  EXPECT_EQ(s.Find('a'), -1);
  EXPECT_STREQ(s.Left(3).CStr(), "");
  EXPECT_STREQ(s.Mid(0, 3).CStr(), "");
  EXPECT_TRUE(s == "");
  EXPECT_TRUE(s == swString(""));
  EXPECT_EQ(s.CompareNoCase(""), 0);
  EXPECT_EQ(s.CompareNoCase(nullptr), 0);
  EXPECT_EQ(s.CompareNoCase("x"), 1);
}

TEST(SwStringTest, GrowthRoundsUpToNextQuantumStrictlyAbove) {
  swString s;
  s.Append("a");
  EXPECT_EQ(s.GetCapacity(), 50u);
  swString t;
  t.Append(std::string(49, 'x').c_str());  // 50 bytes with the terminator
  EXPECT_EQ(t.GetCapacity(), 100u);
  t.AppendChar('y');
  EXPECT_EQ(t.GetCapacity(), 100u);
  EXPECT_EQ(t.GetLength(), 50u);
  swString u("hello");
  u.Append("!");  // appending to an exactly sized text grows by the quantum
  EXPECT_EQ(u.GetCapacity(), 50u);
  EXPECT_STREQ(u.CStr(), "hello!");
}

TEST(SwStringTest, TextsSetWholeAreExactlySized) {
  swString s("hello");
  EXPECT_EQ(s.GetCapacity(), 6u);
  s.Assign("hi");  // fits, and wastes less than a growth step: kept
  EXPECT_EQ(s.GetCapacity(), 6u);
  EXPECT_STREQ(s.CStr(), "hi");
  EXPECT_EQ(s.GetLength(), 2u);

  swString grown;
  grown.Append(std::string(120, 'x').c_str());
  EXPECT_EQ(grown.GetCapacity(), 150u);
  grown.Assign("short");  // a large buffer is not kept for a short text
  EXPECT_EQ(grown.GetCapacity(), 6u);
  EXPECT_STREQ(grown.CStr(), "short");
  grown = swString("copied text");
  EXPECT_EQ(grown.GetCapacity(), 12u);

  swString formatted;
  formatted.Format("%05d", 42);
  EXPECT_EQ(formatted.GetCapacity(), 6u);
  formatted.Append("+");
  EXPECT_STREQ(formatted.CStr(), "00042+");
  EXPECT_EQ(formatted.GetCapacity(), 50u);

  swString empty("");  // an empty text is still allocated: it compares as text, not as none
  EXPECT_EQ(empty.GetCapacity(), 1u);
  EXPECT_LT(empty.CompareNoCase("x"), 0);
}

TEST(SwStringTest, CopyAndCountConstructionAllocateExactly) {
  swString original("abcdef");
  // The copy is what is tested, so it is never modified.
  // NOLINTNEXTLINE(performance-unnecessary-copy-initialization)
  swString copy(original);
  EXPECT_EQ(copy.GetCapacity(), 7u);
  EXPECT_STREQ(copy.CStr(), "abcdef");
  EXPECT_NE(copy.CStr(), original.CStr());  // values, not shared

  swString first("abcdef", 3);
  EXPECT_STREQ(first.CStr(), "abc");
  EXPECT_EQ(first.GetCapacity(), 4u);
  swString short_source("ab", 10);
  EXPECT_STREQ(short_source.CStr(), "ab");
  EXPECT_EQ(short_source.GetCapacity(), 11u);

  swString repeated('x', 4);
  EXPECT_STREQ(repeated.CStr(), "xxxx");
  EXPECT_EQ(repeated.GetCapacity(), 5u);
  EXPECT_EQ(swString('x', 0).GetLength(), 0u);
  EXPECT_EQ(swString('\0', 5).GetLength(), 0u);
  EXPECT_STREQ(swString(static_cast<const char*>(nullptr)).CStr(), "");
}

TEST(SwStringTest, AssignHandlesSelfAndNull) {
  swString s("hello world");
  s.Assign(s.CStr());
  EXPECT_STREQ(s.CStr(), "hello world");
  // Through a reference, as self-assignment happens in real code (an element assigned from a
  // list that holds it).
  const swString& same = s;
  s = same;
  EXPECT_STREQ(s.CStr(), "hello world");
  s.Assign(s.CStr() + 6);  // a tail of its own text
  EXPECT_STREQ(s.CStr(), "world");
  EXPECT_EQ(s.GetLength(), 5u);
  s.Assign(static_cast<const char*>(nullptr));
  EXPECT_EQ(s.GetCapacity(), 0u);
  EXPECT_STREQ(s.CStr(), "");
  s.AssignChar('q');
  EXPECT_STREQ(s.CStr(), "q");
  s.AssignChar('\0');
  EXPECT_EQ(s.GetLength(), 0u);
}

TEST(SwStringTest, MoveLeavesSourceEmpty) {
  swString a("moved");
  swString b(std::move(a));
  EXPECT_STREQ(b.CStr(), "moved");
  EXPECT_STREQ(a.CStr(), "");  // NOLINT(bugprone-use-after-move): moved-from is defined
  swString c("other");
  c = std::move(b);
  EXPECT_STREQ(c.CStr(), "moved");
}

TEST(SwStringTest, SetAtOverwritesGrowsAndTruncates) {
  swString s("abc");
  s.SetAt(1, 'X');
  EXPECT_STREQ(s.CStr(), "aXc");
  s.SetAt(3, 'd');  // just past the end: appends
  EXPECT_STREQ(s.CStr(), "aXcd");
  EXPECT_EQ(s.GetLength(), 4u);
  s.SetAt(1, '\0');
  EXPECT_EQ(s.GetLength(), 1u);
  EXPECT_EQ(s.GetAt(2), '\0');  // the cut-off text is out of bounds
  // Writing beyond a gap: the gap is a terminator, so the text still ends there.
  s.SetAt(5, 'z');
  EXPECT_STREQ(s.CStr(), "a");
  EXPECT_EQ(s.GetAt(5), '\0');

  swString empty;
  empty.SetAt(0, 'k');
  EXPECT_STREQ(empty.CStr(), "k");
  EXPECT_EQ(empty.GetCapacity(), 50u);
}

TEST(SwStringTest, GetBufferHandsOutOneScratchCopy) {
  swString s("abc");
  char* buffer = s.GetBuffer(100);
  ASSERT_NE(buffer, nullptr);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(s.GetBuffer(100), nullptr);  // one outstanding at a time
  std::strcpy(buffer, "a much longer text than the fifty bytes the string had before");
  s.ReleaseBuffer();
  EXPECT_STREQ(s.CStr(), "a much longer text than the fifty bytes the string had before");
  EXPECT_EQ(s.GetLength(), std::strlen(s.CStr()));
  EXPECT_NE(s.GetBuffer(1), nullptr);  // available again after the release
  s.ReleaseBuffer();

  swString none;
  EXPECT_EQ(none.GetBuffer(0), nullptr);
  char* filled = none.GetBuffer(4);
  ASSERT_NE(filled, nullptr);
  // Every byte, no terminator: the buffer's own terminator must stand behind them.
  std::memcpy(filled, "wxyz", 4);  // NOLINT(bugprone-not-null-terminated-result)
  none.ReleaseBuffer();
  EXPECT_STREQ(none.CStr(), "wxyz");
}

TEST(SwStringTest, AppendsIncludingOwnText) {
  swString s("ab");
  s.Append(swString("cd")).AppendChar('e').Append("f");
  EXPECT_STREQ(s.CStr(), "abcdef");
  s.AppendChar('\0');
  s.Append(static_cast<const char*>(nullptr));
  EXPECT_STREQ(s.CStr(), "abcdef");
  swString big(std::string(45, 'x').c_str());
  big.Append(big);  // the source buffer is replaced by the growth
  EXPECT_EQ(big.GetLength(), 90u);
  EXPECT_EQ(std::string(big.CStr()), std::string(90, 'x'));
}

TEST(SwStringTest, SubstringsClampToTheText) {
  swString s("abc");
  EXPECT_STREQ(s.Mid(10, 3).CStr(), "");
  EXPECT_STREQ(s.Mid(1, 10).CStr(), "bc");
  EXPECT_STREQ(s.Mid(1, UINT32_MAX).CStr(), "bc");
  EXPECT_STREQ(s.Left(10).CStr(), "abc");
  EXPECT_STREQ(s.Left(UINT32_MAX).CStr(), "abc");
  EXPECT_STREQ(s.Left(2).CStr(), "ab");
  EXPECT_STREQ(s.Right(10).CStr(), "abc");
  EXPECT_STREQ(s.Right(2).CStr(), "bc");
  EXPECT_STREQ(s.Right(0).CStr(), "");
  EXPECT_EQ(s.Find('c'), 2);
  EXPECT_EQ(s.Find('d'), -1);
  EXPECT_EQ(s.Find('\0'), -1);
  EXPECT_STREQ(swString("a,b").SpanExcluding(",").CStr(), "a");
  EXPECT_STREQ(swString("ab").SpanExcluding(",").CStr(), "ab");
}

TEST(SwStringTest, CaseAndComparison) {
  swString s("Hello, World 1");
  s.MakeUpper();
  EXPECT_STREQ(s.CStr(), "HELLO, WORLD 1");
  EXPECT_EQ(s.CompareNoCase("hello, world 1"), 0);
  EXPECT_LT(swString("abc").CompareNoCase("ABD"), 0);
  EXPECT_GT(swString("abd").CompareNoCase("ABC"), 0);
  EXPECT_GT(swString("a").CompareNoCase(nullptr), 0);
  EXPECT_TRUE(swString("a") != swString("A"));
  EXPECT_TRUE(swString("a") == "a");
  EXPECT_TRUE(swString("a") != static_cast<const char*>(nullptr));
}

TEST(SwStringTest, Concatenation) {
  EXPECT_STREQ((swString("ab") + swString("cd")).CStr(), "abcd");
  EXPECT_STREQ((swString("ab") + "cd").CStr(), "abcd");
  EXPECT_STREQ(("ab" + swString("cd")).CStr(), "abcd");
  EXPECT_STREQ((swString("ab") + 'c').CStr(), "abc");
  EXPECT_STREQ((swString() + swString()).CStr(), "");
}

TEST(SwStringTest, FormatAlwaysFitsAndMayUseItsOwnText) {
  swString s;
  s.Format("%d-%s-%c", 42, "x", 'y');
  EXPECT_STREQ(s.CStr(), "42-x-y");
  std::string long_text(5000, 'q');
  s.Format("[%s]%*d", long_text.c_str(), 300, 7);
  EXPECT_EQ(s.GetLength(), 5002u + 300u);
  EXPECT_EQ(s.GetCapacity(), s.GetLength() + 1);
  s.Assign("self");
  s.Format("%s/%s", s.CStr(), s.CStr());
  EXPECT_STREQ(s.CStr(), "self/self");
  s.Format("%.2f", 1.005e300);
  EXPECT_EQ(s.GetLength(), std::strlen(s.CStr()));
  // A text that cannot be rendered (no character for a lone surrogate) leaves the string
  // empty and usable, as a failed allocation does.
  const wchar_t lone_surrogate[] = {static_cast<wchar_t>(0xD800), 0};
  s.Format("%ls", lone_surrogate);
  EXPECT_STREQ(s.CStr(), "");
  EXPECT_EQ(s.GetLength(), 0u);
  s.Append("again");
  EXPECT_STREQ(s.CStr(), "again");
}

TEST(SwStringTest, WideTextConvertsToUtf8) {
  EXPECT_STREQ(swString(u"plain").CStr(), "plain");
  EXPECT_STREQ(swString(u"Gr\u00fc\u00dfe \u20ac").CStr(),
               "Gr\xc3\xbc\xc3\x9f"
               "e \xe2\x82\xac");
  EXPECT_STREQ(swString(u"\U0001F600").CStr(), "\xf0\x9f\x98\x80");
  const char16_t lone_surrogates[] = {u'a', 0xD800, u'b', 0xDC00, 0};
  EXPECT_STREQ(swString(lone_surrogates).CStr(), "a?b?");
  const char16_t cut_pair[] = {u'a', 0xD83D, 0};
  EXPECT_STREQ(swString(cut_pair).CStr(), "a?");
  EXPECT_STREQ(swString(static_cast<const char16_t*>(nullptr)).CStr(), "");
}

// --- Serialized form -------------------------------------------------------------------

TEST(SwStringSerializeTest, RoundTripsTaggedAndRaw) {
  for (bool tagged : {true, false}) {
    InMemorySerializer archive(tagged);
    swString written("kitchen light");
    ASSERT_TRUE(written.Serialize(archive).ok());
    std::vector<uint8_t> expected;
    if (tagged) expected.push_back(0);
    for (uint8_t b : {13, 0, 0, 0}) expected.push_back(b);
    for (char c : std::string("kitchen light")) expected.push_back(static_cast<uint8_t>(c));
    EXPECT_EQ(archive.bytes(), expected) << "tagged=" << tagged;

    archive.StartReading();
    swString read;
    ASSERT_TRUE(read.Serialize(archive).ok());
    EXPECT_STREQ(read.CStr(), "kitchen light");
    EXPECT_EQ(read.GetLength(), 13u);
  }
}

TEST(SwStringSerializeTest, EmptyStringWritesNoCharactersAndReadLeavesTargetUnchanged) {
  InMemorySerializer archive;
  swString empty;
  ASSERT_TRUE(empty.Serialize(archive).ok());
  EXPECT_EQ(archive.bytes().size(), 5u);
  archive.StartReading();
  swString target("keep me");
  ASSERT_TRUE(target.Serialize(archive).ok());
  EXPECT_STREQ(target.CStr(), "keep me");
}

TEST(SwStringSerializeTest, WideFlagReadsUtf16) {
  InMemorySerializer archive;
  archive.bytes() = {1, 3, 0, 0, 0, 'H', 0, 0xFC, 0, 0xAC, 0x20};
  archive.StartReading();
  swString s;
  ASSERT_TRUE(s.Serialize(archive).ok());
  EXPECT_STREQ(s.CStr(), "H\xc3\xbc\xe2\x82\xac");
}

TEST(SwStringSerializeTest, CorruptInputFailsWithoutHugeAllocation) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {"flag above 1", {2, 1, 0, 0, 0, 'a'}},
      {"length beyond the data", {0, 0xF0, 0xFF, 0xFF, 0xFF, 'a', 'b'}},
      {"wide length beyond the data", {1, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 0}},
      {"wide length overflowing 32 bits", {1, 0x01, 0x00, 0x00, 0x80, 'a', 0}},
      {"truncated length", {0, 5, 0}},
      {"nothing at all", {}},
  };
  for (const Case& c : cases) {
    InMemorySerializer archive;
    archive.bytes() = c.bytes;
    archive.StartReading();
    swString s("unchanged");
    EXPECT_FALSE(s.Serialize(archive).ok()) << c.name;
    EXPECT_STREQ(s.CStr(), "unchanged") << c.name;
    EXPECT_LE(archive.largest_read(), 8u) << c.name;
  }
}

TEST(SwStringSerializeTest, EmbeddedNulEndsTheText) {
  InMemorySerializer archive;
  archive.bytes() = {0, 4, 0, 0, 0, 'a', 0, 'b', 'c'};
  archive.StartReading();
  swString s;
  ASSERT_TRUE(s.Serialize(archive).ok());
  EXPECT_STREQ(s.CStr(), "a");
  EXPECT_EQ(s.GetAt(2), '\0');
}

}  // namespace

}  // namespace hv
