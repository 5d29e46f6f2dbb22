#include "client/protocol/request_failures.h"

#include <gtest/gtest.h>

#include "client/platform/testing/fake_clock.h"
#include "client/protocol/item_requests.h"
#include "client/protocol/protocol_context.h"
#include "client/protocol/server_connection.h"
#include "client/protocol/testing/memory_byte_stream.h"
#include "client/protocol/testing/recording_activity_log.h"
#include "core/status.h"

namespace hv {

namespace {

void ExpectConnectionLost(const cRecordingActivityLog::Entry& e, const char* message) {
  EXPECT_EQ(e.record.entry_type, 3);
  EXPECT_STREQ(e.record.name.CStr(), "Connection is lost");
  EXPECT_STREQ(e.record.message.CStr(), message);
  EXPECT_STREQ(e.record.path.CStr(), "");
  EXPECT_EQ(e.record.function_code, 254);
  EXPECT_EQ(e.record.detail1, 0);
  EXPECT_EQ(e.record.detail2, 5);
  EXPECT_EQ(e.record.value, 0.0);
  EXPECT_EQ(e.record.extra, 0);
  EXPECT_FALSE(e.stored);
  EXPECT_TRUE(e.shown);
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
                                 }),
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
  ExpectConnectionLost(log.entries[0], "Set switches command not sent successfully");

  const LogItemRecord& user = log.entries[1].record;
  EXPECT_EQ(user.entry_type, 13);
  EXPECT_EQ(user.detail1, 3);
  EXPECT_EQ(user.detail2, 5);
  EXPECT_STREQ(user.name.CStr(), "User Message");
  EXPECT_STREQ(user.message.CStr(), "Server not responding - Connection is lost");
  EXPECT_FALSE(log.entries[1].stored);

  const LogItemRecord& x10 = log.entries[2].record;
  EXPECT_EQ(x10.entry_type, 3);
  EXPECT_EQ(x10.detail1, 2);
  EXPECT_EQ(x10.detail2, 1);
  EXPECT_STREQ(x10.name.CStr(), "");
  EXPECT_STREQ(x10.path.CStr(), "P16");
  EXPECT_STREQ(x10.message.CStr(), "Server not responding.  Connection is lost");
  EXPECT_EQ(x10.function_code, 4);
  EXPECT_EQ(x10.value, 50.0);
  EXPECT_TRUE(log.entries[2].stored);
  EXPECT_TRUE(log.entries[2].shown);
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
