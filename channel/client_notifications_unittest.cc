#include "channel/client_notifications.h"

#include <cjson/cJSON.h>

#include <cstdlib>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

namespace {

// The exact text of the compact answer is checked end to end.
TEST(ClientNotificationsTest, NumbersKeepTheirFullIntegerRange) {
  EXPECT_EQ(
      BuildCommonResponse(-2147483647 - 1, ""),
      R"({"action":"client_common_response","session_id":-2147483648,"ret":"","version":"2.26.20.0"})");
}

TEST(ClientNotificationsTest, FormattedBuildersKeepMemberOrder) {
  EXPECT_EQ(BuildCookieSync("http://a/", "k=v; j=w", true, 3),
            "{\n\t\"action\":\t\"client_cookie_sync\",\n\t\"url\":\t\"http://a/\",\n"
            "\t\"values\":\t\"k=v; j=w\",\n\t\"httpOnly\":\ttrue,\n\t\"frame_id\":\t3\n}");
  EXPECT_EQ(BuildNewWindow("http://g/", false, "c=1", "width=200", 12, 13, "p3"),
            "{\n\t\"url\":\t\"http://g/\",\n\t\"action\":\t\"client_new_window\",\n"
            "\t\"popup\":\tfalse,\n\t\"cookie\":\t\"c=1\",\n\t\"features\":\t\"width=200\",\n"
            "\t\"frame_id\":\t12,\n\t\"new_frame_id\":\t13,\n\t\"port\":\t\"p3\"\n}");
}

TEST(ClientNotificationsTest, NewTabWithoutAddressOpensBlankPage) {
  EXPECT_EQ(BuildNewTab("", 1, "", false),
            "{\n\t\"url\":\t\"about:blank\",\n\t\"action\":\t\"client_new_tab\",\n"
            "\t\"frame_id\":\t1,\n\t\"port\":\t\"\",\n\t\"force_ie\":\tfalse\n}");
}

TEST(ClientNotificationsTest, TextIsEscapedForJsonAndOtherwiseKeptAsUtf8) {
  // Quotes, backslashes and control characters are escaped; '/', DEL and
  // non-ASCII text are not.
  EXPECT_EQ(BuildCommonResponse(0, "a\"b\\c/d\x7F\b\f\n\r\t\x01\x1F caf\xC3\xA9 \xF0\x9F\x98\x80"),
            R"({"action":"client_common_response","session_id":0,"ret":"a\"b\\c/d)"
            "\x7F"
            R"(\b\f\n\r\t\u0001\u001f caf)"
            "\xC3\xA9 \xF0\x9F\x98\x80"
            R"(","version":"2.26.20.0"})");
}

// Switches cJSON's allocator to one that counts allocations and fails only
// the one numbered `fail_at`. The memory comes from malloc, so LeakSanitizer
// sees any object or text a builder forgets to release.
class FailingAllocator {
 public:
  explicit FailingAllocator(int fail_at) {
    fail_at_ = fail_at;
    count_ = 0;
    cJSON_Hooks hooks = {&Allocate, &std::free};
    cJSON_InitHooks(&hooks);
  }
  ~FailingAllocator() { cJSON_InitHooks(nullptr); }

  static int count() { return count_; }

 private:
  static void* Allocate(size_t size) { return count_++ == fail_at_ ? nullptr : std::malloc(size); }
  static inline int fail_at_ = -1;
  static inline int count_ = 0;
};

TEST(ClientNotificationsTest, AllocationFailureGivesNothingRatherThanAPartialText) {
  const std::vector<std::function<std::optional<std::string>()>> builders = {
      [] { return BuildCommonResponse(1, "ret"); },
      [] { return BuildCookieSync("u", "v", true, 1); },
      [] { return BuildAttachState(1, 2, "t"); },
      [] { return BuildBack(1); },
      [] { return BuildForward(1); },
      [] { return BuildSetCompatibleMode(1, 2, "p"); },
      [] { return BuildTitleChange("t", 1); },
      [] { return BuildCloseTab("u", 1); },
      [] { return BuildBeforeNavigate(true, "u", 1); },
      [] { return BuildLeaveCurrentTab("u", 1); },
      [] { return BuildNewTab("", 1, "p", true); },
      [] { return BuildNewWindow("u", true, "c", "f", 1, 2, "p"); },
  };
  for (size_t i = 0; i < builders.size(); ++i) {
    SCOPED_TRACE(i);
    std::optional<std::string> expected;
    int allocations = 0;
    {
      FailingAllocator allocator(-1);
      expected = builders[i]();
      allocations = FailingAllocator::count();
    }
    ASSERT_TRUE(expected.has_value());
    for (int fail_at = 0; fail_at < allocations; ++fail_at) {
      std::optional<std::string> text;
      {
        FailingAllocator allocator(fail_at);
        text = builders[i]();
      }
      // A member lost to a failed allocation must not go unnoticed.
      if (text) {
        EXPECT_EQ(*text, *expected) << "failed allocation: " << fail_at;
      }
      // Without an object there is nothing to print.
      if (fail_at == 0) {
        EXPECT_EQ(text, std::nullopt);
      }
    }
  }
}

}  // namespace
