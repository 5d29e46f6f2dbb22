#include "client/protocol/request_failures.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "client/platform/testing/fake_clock.h"
#include "client/protocol/item_requests.h"
#include "client/protocol/protocol_context.h"
#include "client/protocol/server_connection.h"
#include "client/protocol/testing/memory_byte_stream.h"
#include "client/protocol/testing/recording_activity_log.h"
#include "core/status.h"

namespace hv {

namespace {

// What a failure entry says and where it goes, as one value a test compares whole.
struct EntryShape {
  int32_t entry_type;
  int32_t detail1;
  int32_t detail2;
  std::string name;
  std::string message;
  std::string path;
  int32_t function_code;
  double value;
  bool stored;
  bool shown;
  bool operator==(const EntryShape&) const = default;
};

std::ostream& operator<<(std::ostream& out, const EntryShape& e) {
  return out << e.entry_type << " " << e.detail1 << "/" << e.detail2 << " '" << e.name << "' '"
             << e.message << "' '" << e.path << "' " << e.function_code << " " << e.value
             << (e.stored ? " stored" : "") << (e.shown ? " shown" : "");
}

EntryShape ShapeOf(const cRecordingActivityLog::Entry& e) {
  const LogItemRecord& r = e.record;
  return {r.entry_type,  r.detail1,       r.detail2, r.name.CStr(), r.message.CStr(),
          r.path.CStr(), r.function_code, r.value,   e.stored,      e.shown};
}

TEST(RequestFailures, WithoutASocketNothingIsSentOrReported) {
  cFakeClock clock;
  cProtocolContext context(clock);
  cRecordingActivityLog log;
  cServerConnection connection(context, cSessionServices{});
  int calls = 0;
  EXPECT_EQ(SendReportingFailure(connection, &log, failure::kGetMacros,
                                 [&](cRemoteClientSocket* s) {
                                   ++calls;
                                   return SendGetMacros(s);
                                 })
                .code(),
            hv::kNotConnected);
  EXPECT_EQ(calls, 0);
  EXPECT_TRUE(log.entries.empty());
}

TEST(RequestFailures, EntriesCarryTheirExactShape) {
  cRecordingActivityLog log;
  ReportRequestFailure(&log, failure::kGetSwitches);
  ReportUserMessageFailure(&log);
  ReportX10CodeFailure(&log, "P16", 4, 50);
  ASSERT_EQ(log.entries.size(), 3u);
  EXPECT_EQ(ShapeOf(log.entries[0]),
            (EntryShape{3, 0, 5, "Connection is lost", "Set switches command not sent successfully",
                        "", 254, 0.0, false, true}));
  EXPECT_EQ(log.entries[0].record.extra, 0);
  EXPECT_EQ(ShapeOf(log.entries[1]),
            (EntryShape{13, 3, 5, "User Message", "Server not responding - Connection is lost", "",
                        log.entries[1].record.function_code, 0.0, false, true}));
  // The X10 entry is kept, with the address as its path and the function and dim value.
  EXPECT_EQ(ShapeOf(log.entries[2]),
            (EntryShape{3, 2, 1, "", "Server not responding.  Connection is lost", "P16", 4, 50.0,
                        true, true}));
}

TEST(RequestFailures, VideoMotionMessagesFollowTheMotion) {
  EXPECT_STREQ(VideoMotionFailureMessage(0), "Video motion pan left command not sent successfully");
  EXPECT_STREQ(VideoMotionFailureMessage(3), "Video motion pan down command not sent successfully");
  EXPECT_STREQ(VideoMotionFailureMessage(4), "Video motion center command not sent successfully");
  EXPECT_STREQ(VideoMotionFailureMessage(14), "Video motion center command not sent successfully");
  EXPECT_STREQ(VideoMotionFailureMessage(5), "Video motion sweep command not sent successfully");
  EXPECT_STREQ(VideoMotionFailureMessage(15), "Video motion sweep command not sent successfully");
  EXPECT_STREQ(VideoMotionFailureMessage(6), "Video motion pos1 command not sent successfully");
  EXPECT_STREQ(VideoMotionFailureMessage(13), "Video motion pos4 command not sent successfully");
}

}  // namespace

}  // namespace hv
