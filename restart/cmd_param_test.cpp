#include "restart/cmd_param.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "restart/sw_read.h"
#include "restart/testing/test_files.h"

namespace hv {

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

// A parser that lists what it read and can open response files from disk.
class cListingParams : public swCmdParam {
 public:
  Pairs Read() {
    Pairs out;
    swString name;
    swString value;
    for (Status more = FirstPair(name, value); more.ok(); more = NextPair(name, value)) {
      out.emplace_back(name.CStr(), value.CStr());
    }
    return out;
  }

  std::string folder;  // response files are opened from here when set
  std::vector<std::string> asked;

 protected:
  Status OpenResponseFile(const swString& name) override {
    asked.emplace_back(name.CStr());
    if (folder.empty()) return swCmdParam::OpenResponseFile(name);
    std::string path = folder + "/" + name.CStr();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return Status::Declined(Where::kRestart);
    response_reader_ = std::make_unique<swReadArgFile>(file);
    return Status::Ok();
  }
};

Pairs ParseText(const char* text, uint16_t value_limit = 80) {
  cListingParams params;
  EXPECT_GE(params.ParseCommandLine(text, 10, value_limit, '@'), 0);
  return params.Read();
}

std::string ReadAll(swRead& reader) {
  std::string out;
  for (char c = reader.ReadChar(); c != '\0'; c = reader.ReadChar()) out.push_back(c);
  // The end stays the end.
  EXPECT_EQ(reader.ReadChar(), '\0');
  return out;
}

TEST(CommandGrammar, ReadsTheClientsCommandLine) {
  EXPECT_EQ(ParseText(R"(/F="C:\A B\p.exe" /D=10000 /C="C:\T\n.tmp" /T="C:\A B\p.exe")"),
            (Pairs{{"F", R"("C:\A B\p.exe")"},
                   {"D", "10000"},
                   {"C", R"("C:\T\n.tmp")"},
                   {"T", R"("C:\A B\p.exe")"}}));
}

TEST(CommandGrammar, TokenForms) {
  struct Case {
    const char* text;
    Pairs pairs;
  } cases[] = {
      {"", {}},
      {"    ", {}},
      {"prog.exe /D=5", {{"", "prog.exe"}, {"D", "5"}}},
      {"-D=3 -m", {{"D", "3"}, {"m", ""}}},
      // Without `=` the value is the name after its first character; the name stays whole.
      {"/Mfoo", {{"Mfoo", "foo"}}},
      {"/M /D=1", {{"M", ""}, {"D", "1"}}},
      // Spaces inside a value stay; trailing ones go.
      {"/F=a b   /D=1", {{"F", "a b"}, {"D", "1"}}},
      // Unquoted, `-` and `/` end a value; quoted they do not, and the quotes stay.
      {R"(/F=C:\my-app)", {{"F", R"(C:\my)"}, {"app", "pp"}}},
      {R"(/F="a/b-c" x)", {{"F", R"("a/b-c" x)"}}},
      // The name stops at its limit and the rest runs into the value.
      {"/ABCDEFGHIJKL=x", {{"ABCDEFGHIJ", "BCDEFGHIJKL=x"}}},
      {"/=x", {{"", "x"}}},
      // A response file the parser does not open is dropped.
      {"@resp /D=1", {{"D", "1"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseText(c.text), c.pairs);
  }
}

TEST(CommandGrammar, ValueLimitCutsAndTheRestIsTheNextToken) {
  std::string text = "/F=" + std::string(85, 'x');
  EXPECT_EQ(ParseText(text.c_str()),
            (Pairs{{"F", std::string(80, 'x')}, {"", std::string(5, 'x')}}));
  // A limit of 0 is raised to 1, so every character still moves the parse on.
  EXPECT_EQ(ParseText("abc", 0), (Pairs{{"", "a"}, {"", "b"}, {"", "c"}}));
}

TEST(CommandGrammar, CountsPairsAndKeepsThemAcrossParses) {
  cListingParams params;
  swString name;
  swString value;
  EXPECT_TRUE(params.FirstPair(name, value).declined());
  EXPECT_EQ(params.ParseCommandLine("/D=1 /F=a", 10, 80, '@'), 2);
  EXPECT_EQ(params.ParseCommandLine("b", 10, 80, '@'), 1);
  EXPECT_EQ(params.Read(), (Pairs{{"D", "1"}, {"F", "a"}, {"", "b"}}));
  params.ClearPairs();
  EXPECT_TRUE(params.FirstPair(name, value).declined());
  EXPECT_EQ(params.NameLimit(), 10);
}

TEST(CommandGrammar, ResponseFilesAreReadInPlaceAndCannotRecurseForever) {
  hv::test::cTempFolder temp{"restart"};
  const std::string& folder = temp.path();
  WriteFile(folder + "/resp.txt", "/F=from-file\r\n/D=7\n@inner");
  WriteFile(folder + "/inner", "/C=c");
  WriteFile(folder + "/self", "x @self");

  cListingParams params;
  params.folder = folder;
  EXPECT_EQ(params.ParseCommandLine("/A=1 @resp.txt /T=t", 10, 80, '@'), 6);
  EXPECT_EQ(
      params.Read(),
      (Pairs{{"A", "1"}, {"F", "from"}, {"file", "ile"}, {"D", "7"}, {"C", "c"}, {"T", "t"}}));

  cListingParams looping;
  looping.folder = folder;
  EXPECT_EQ(looping.ParseCommandLine("@self", 10, 80, '@'), swCmdParam::kMaxResponseDepth - 1);
  // A file naming itself twice would be read 2^7 times; the number of files read is capped.
  WriteFile(folder + "/twice", "x @twice @twice");
  cListingParams doubling;
  doubling.folder = folder;
  EXPECT_EQ(doubling.ParseCommandLine("@twice", 10, 80, '@'), swCmdParam::kMaxResponseFiles);
}

TEST(CommandReaders, TextAndArgumentVector) {
  swReadArgWin text("/D=5 x");
  EXPECT_EQ(ReadAll(text), "/D=5 x");
  swReadArgWin null_text(nullptr);
  EXPECT_EQ(ReadAll(null_text), "");

  const char* args[] = {"restart", "/D=5", "", "x", nullptr};
  swReadArg vector(4, args, '@');
  EXPECT_EQ(ReadAll(vector), "/D=5  x");
  swReadArg only_program(1, args, '@');
  EXPECT_EQ(ReadAll(only_program), "");
  swReadArg none(3, nullptr, '@');
  EXPECT_EQ(ReadAll(none), "");
}

TEST(CommandReaders, ArgumentsSplitByTheCallerKeepTheirPathsWhole) {
  struct Case {
    const char* arg;
    const char* read;
  } cases[] = {
      {"/F=/opt/A B/hv", R"(/F="/opt/A B/hv")"},
      {"-T=/x/my-app", R"(-T="/x/my-app")"},
      {"/D=10000", "/D=10000"},
      {"/M", "/M"},
      {"/opt/hv", R"("/opt/hv")"},
      {"hv", "hv"},
      {"./hv", R"("./hv")"},
      {"/F=a@b", R"(/F="a@b")"},
      // Quoted by the caller: left alone. Response files: left alone.
      {R"(/F="/opt/A B/hv")", R"(/F="/opt/A B/hv")"},
      {"@resp", "@resp"},
      {"/F=", "/F="},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arg);
    const char* args[] = {"restart", c.arg};
    swReadArg reader(2, args, '@');
    EXPECT_EQ(ReadAll(reader), c.read);
  }
}

TEST(CommandReaders, FileStopsAtCtrlZOrNulAndReadsLineBreaksAsSpaces) {
  struct Case {
    std::string bytes;
    const char* read;
  } cases[] = {
      {"/F=a\r\n/D=1\t\n", "/F=a  /D=1  "},
      {std::string("one\x1atwo"), "one"},
      {std::string("one\0two", 7), "one"},
      {"", ""},
  };
  for (const Case& c : cases) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    std::fwrite(c.bytes.data(), 1, c.bytes.size(), file);
    std::rewind(file);
    swReadArgFile reader(file);
    EXPECT_EQ(ReadAll(reader), c.read);
  }
  swReadArgFile no_file(nullptr);
  EXPECT_EQ(ReadAll(no_file), "");
}

}  // namespace

}  // namespace hv
