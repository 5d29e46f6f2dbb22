#include "restart/restart_params.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace hv {

namespace {

struct Report {
  int kind;
  std::string name;
  std::string value;
  bool operator==(const Report& other) const {
    return kind == other.kind && name == other.name && value == other.value;
  }
};

class cRecordingParams : public cRestartParams {
 public:
  std::vector<Report> reports;

 protected:
  void ReportBadParameter(int kind, const swString& name, const swString& value) override {
    reports.push_back({kind, name.CStr(), value.CStr()});
  }
};

TEST(RestartParams, TheClientsCommandLine) {
  cRecordingParams params;
  uint32_t found = 0;
  ASSERT_TRUE(params
                  .ApplyParameters(
                      R"(/F="C:\A B\p.exe" /D=10000 /C="C:\T\n.tmp" /T="C:\A B\p.exe")", &found)
                  .ok());
  EXPECT_STREQ(params.program.CStr(), R"(C:\A B\p.exe)");
  EXPECT_EQ(params.delay, 10000);
  EXPECT_STREQ(params.copy_from.CStr(), R"(C:\T\n.tmp)");
  EXPECT_STREQ(params.copy_to.CStr(), R"(C:\A B\p.exe)");
  EXPECT_EQ(found, cRestartParams::kFoundFilename | cRestartParams::kFoundDelay |
                       cRestartParams::kFoundCopyFrom | cRestartParams::kFoundCopyTo);
  EXPECT_TRUE(params.reports.empty());
}

TEST(RestartParams, DefaultsAndEveryParameter) {
  cRecordingParams defaults;
  uint32_t found = 99;
  ASSERT_TRUE(defaults.ApplyParameters("", &found).ok());
  EXPECT_EQ(found, 0u);
  EXPECT_EQ(defaults.delay, 2000);
  EXPECT_EQ(defaults.minimize, 0);
  EXPECT_EQ(defaults.program.GetLength(), 0u);
  EXPECT_EQ(defaults.owner_window, nullptr);

  cRecordingParams all;
  ASSERT_TRUE(all.ApplyParameters("prog /d=5 /a=act /m /c=new /t=old", &found).ok());
  EXPECT_EQ(found, 63u);
  EXPECT_STREQ(all.program.CStr(), "prog");
  EXPECT_EQ(all.delay, 5);
  EXPECT_STREQ(all.active_filename.CStr(), "act");
  EXPECT_EQ(all.minimize, 1);
  EXPECT_STREQ(all.copy_from.CStr(), "new");
  EXPECT_STREQ(all.copy_to.CStr(), "old");
  EXPECT_TRUE(all.reports.empty());
}

TEST(RestartParams, BadParametersAreReportedAndTheRestApplies) {
  cRecordingParams params;
  uint32_t found = 0;
  ASSERT_TRUE(params.ApplyParameters("/Q=1 /F=a /D=3 /F=b /Mx", &found).ok());
  EXPECT_EQ(params.reports, (std::vector<Report>{{1, "Q", "1"}, {2, "F", "b"}, {1, "Mx", "x"}}));
  EXPECT_STREQ(params.program.CStr(), "b");
  EXPECT_EQ(params.delay, 3);

  // A second command line starts afresh: nothing in it was given twice.
  params.reports.clear();
  ASSERT_TRUE(params.ApplyParameters("/F=c", &found).ok());
  EXPECT_TRUE(params.reports.empty());
  EXPECT_EQ(found, cRestartParams::kFoundFilename);
  EXPECT_STREQ(params.program.CStr(), "c");
}

TEST(RestartParams, NumbersAndFlagsReadTheRawValue) {
  struct Case {
    const char* text;
    int32_t delay;
    int16_t minimize;
  } cases[] = {
      {R"(/D="500")", 0, 0},  // a quoted delay reads as 0
      {"/D= 250ms", 250, 0}, {"/D=abc", 0, 0},       {"/M=0", 2000, 0},
      {"/M=No", 2000, 0},    {"/M=n", 2000, 0},      {"/M=yes", 2000, 1},
      {"/M", 2000, 1},       {R"(/M="0")", 2000, 1},  // a quoted minimise value is on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    cRecordingParams params;
    ASSERT_TRUE(params.ApplyParameters(c.text, nullptr).ok());
    EXPECT_EQ(params.delay, c.delay);
    EXPECT_EQ(params.minimize, c.minimize);
  }
  EXPECT_EQ(ReadLeadingNumber("-5x"), -5);
  EXPECT_EQ(ReadLeadingNumber("+7"), 7);
  EXPECT_EQ(ReadLeadingNumber("99999999999999999999"), INT32_MAX);
  EXPECT_EQ(ReadLeadingNumber("-99999999999999999999"), INT32_MIN);
  EXPECT_EQ(ReadLeadingNumber(nullptr), 0);
}

TEST(RestartParams, TextValuesAreCleaned) {
  struct Case {
    const char* text;
    const char* program;
  } cases[] = {
      {R"(/F=" a b ")", " a b "},  // spaces inside quotes stay
      {R"(/F=a"b c"d)", "ab cd"},  // quotes go wherever they are
      {R"(/F="/x/y" z)", "/x/y z"},
      {R"(/F="a)", "a"},  // an unclosed quote
      {R"(/F="" )", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    cRecordingParams params;
    ASSERT_TRUE(params.ApplyParameters(c.text, nullptr).ok());
    EXPECT_STREQ(params.program.CStr(), c.program);
  }

  // Text keeps one character less than the value limit; what the grammar cut off becomes
  // the next token, here a bare value.
  std::string long_path = "/C=\"/" + std::string(120, 'p') + "\"";
  cRecordingParams classic;
  ASSERT_TRUE(classic.ApplyParameters(long_path.c_str(), nullptr).ok());
  EXPECT_EQ(std::string(classic.copy_from.CStr()), "/" + std::string(78, 'p'));
  EXPECT_EQ(std::string(classic.program.CStr()), std::string(42, 'p'));
  cRecordingParams roomy;
  roomy.SetValueLimit(4096);
  ASSERT_TRUE(roomy.ApplyParameters(long_path.c_str(), nullptr).ok());
  EXPECT_EQ(std::string(roomy.copy_from.CStr()), "/" + std::string(120, 'p'));
  EXPECT_EQ(roomy.program.GetLength(), 0u);
}

TEST(RestartParams, ArgumentVectorsHoweverTheCallerSplitThem) {
  const std::string program = "/home/u/My Apps/hv-2@x/hearthview";
  const std::string fresh = "/home/u/My Apps/hv-2@x/hearthview.ex_";
  const std::string quoted_line =
      "/F=\"" + program + "\" /D=10000 /C=\"" + fresh + "\" /T=\"" + program + "\"";
  const std::string f = "/F=" + program, c = "/C=" + fresh, t = "/T=" + program;
  const std::string qf = "/F=\"" + program + "\"", qc = "/C=\"" + fresh + "\"",
                    qt = "/T=\"" + program + "\"";

  std::vector<std::vector<const char*>> forms = {
      {"restart", f.c_str(), "/D=10000", c.c_str(), t.c_str()},     // quotes taken away
      {"restart", qf.c_str(), "/D=10000", qc.c_str(), qt.c_str()},  // quotes kept
      {"restart", quoted_line.c_str()},                             // one whole line
  };
  for (const auto& argv : forms) {
    SCOPED_TRACE(argv.size());
    cRecordingParams params;
    params.SetValueLimit(4096);
    uint32_t found = 0;
    ASSERT_TRUE(params.ApplyArguments(static_cast<int>(argv.size()), argv.data(), &found).ok());
    EXPECT_EQ(std::string(params.program.CStr()), program);
    EXPECT_EQ(params.delay, 10000);
    EXPECT_EQ(std::string(params.copy_from.CStr()), fresh);
    EXPECT_EQ(std::string(params.copy_to.CStr()), program);
    EXPECT_EQ(found, 1u | 2u | 16u | 32u);
    EXPECT_TRUE(params.reports.empty());
  }

  // A bare absolute path is the program, not a switch.
  const char* bare[] = {"restart", "/opt/hv/hearthview", "/D=0"};
  cRecordingParams params;
  ASSERT_TRUE(params.ApplyArguments(3, bare, nullptr).ok());
  EXPECT_STREQ(params.program.CStr(), "/opt/hv/hearthview");
  EXPECT_EQ(params.delay, 0);
}

}  // namespace

}  // namespace hv
