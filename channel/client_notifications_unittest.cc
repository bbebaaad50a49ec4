#include "channel/client_notifications.h"

#include <gtest/gtest.h>

namespace {

TEST(ClientNotificationsTest, FormattedBuildersKeepMemberOrder) {
  EXPECT_EQ(BuildCookieSync("http://a/", "k=v; j=w", true, 3),
            "{\n\t\"action\":\t\"client_cookie_sync\",\n\t\"url\":\t\"http://a/\",\n"
            "\t\"values\":\t\"k=v; j=w\",\n\t\"httpOnly\":\ttrue,\n\t\"frame_id\":\t3\n}");
  EXPECT_EQ(BuildNewWindow("http://g/", false, "c=1", "width=200", 12, 13, "p3"),
            "{\n\t\"url\":\t\"http://g/\",\n\t\"action\":\t\"client_new_window\",\n"
            "\t\"popup\":\tfalse,\n\t\"cookie\":\t\"c=1\",\n\t\"features\":\t\"width=200\",\n"
            "\t\"frame_id\":\t12,\n\t\"new_frame_id\":\t13,\n\t\"port\":\t\"p3\"\n}");
  // A new tab without an address opens a blank page.
  EXPECT_EQ(BuildNewTab("", 1, "", false),
            "{\n\t\"url\":\t\"about:blank\",\n\t\"action\":\t\"client_new_tab\",\n"
            "\t\"frame_id\":\t1,\n\t\"port\":\t\"\",\n\t\"force_ie\":\tfalse\n}");
}

TEST(ClientNotificationsTest, CompactTextIsEscapedForJsonAndOtherwiseKeptAsUtf8) {
  // Quotes, backslashes and control characters are escaped; '/', DEL and
  // non-ASCII text are not. Numbers keep their full integer range.
  EXPECT_EQ(BuildCommonResponse(-2147483647 - 1,
                                "a\"b\\c/d\x7F\b\f\n\r\t\x01\x1F caf\xC3\xA9 \xF0\x9F\x98\x80"),
            R"({"action":"client_common_response","session_id":-2147483648,"ret":"a\"b\\c/d)"
            "\x7F"
            R"(\b\f\n\r\t\u0001\u001f caf)"
            "\xC3\xA9 \xF0\x9F\x98\x80"
            R"(","version":"2.26.20.0"})");
}

}  // namespace
