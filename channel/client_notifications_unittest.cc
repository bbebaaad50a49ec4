#include "channel/client_notifications.h"

#include <cjson/cJSON.h>

#include <cstdlib>
#include <functional>
#include <vector>

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

// Switches cJSON's allocator to one that fails only the allocation numbered
// `fail_at`. The memory comes from malloc, so LeakSanitizer sees any object or
// text a builder forgets to release.
class FailingAllocator {
 public:
  explicit FailingAllocator(int fail_at) {
    fail_at_ = fail_at;
    cJSON_Hooks hooks = {&Allocate, &std::free};
    cJSON_InitHooks(&hooks);
  }
  ~FailingAllocator() { cJSON_InitHooks(nullptr); }

 private:
  static void* Allocate(size_t size) { return fail_at_-- == 0 ? nullptr : std::malloc(size); }
  static inline int fail_at_ = -1;
};

TEST(ClientNotificationsTest, AllocationFailureGivesNothingRatherThanAPartialText) {
  // Strings, numbers and booleans.
  const auto build = [] { return BuildNewWindow("u", true, "c", "f", 1, 2, "p"); };
  const std::optional<std::string> expected = build();
  for (int fail_at = 0; fail_at < 100; ++fail_at) {
    FailingAllocator allocator(fail_at);
    const std::optional<std::string> text = build();
    // Without an object there is nothing to print; a member lost to a failed
    // allocation must not go unnoticed.
    EXPECT_TRUE(fail_at == 0 ? !text : !text || text == expected) << fail_at;
  }
}

}  // namespace
