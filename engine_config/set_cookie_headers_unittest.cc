#include "engine_config/set_cookie_headers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Answers as WinINet's ANSI query does: a header fits only with its
// terminator; success moves the index on, unless `stuck`.
struct FakeResponse {
  std::vector<std::string> headers;
  bool stuck = false;
  uint32_t claimed_length = 0;  // when set, the length claimed on success

  std::vector<std::string> Read() const {
    std::vector<std::string> reported;
    int calls = 0;
    ReadSetCookieHeaders(
        [&](uint32_t* index, char* buffer, uint32_t* length) {
          // Bounded, so that a reader that never stops fails rather than hangs.
          if (++calls > 10 || *index >= headers.size() || headers[*index].size() + 1 > *length)
            return false;
          const std::string& header = headers[*index];
          std::memset(buffer, '-', *length);
          std::memcpy(buffer, header.c_str(), header.size() + 1);
          *length = claimed_length ? claimed_length : static_cast<uint32_t>(header.size());
          if (!stuck)
            ++*index;
          return true;
        },
        [&](std::string_view header) { reported.emplace_back(header); });
    return reported;
  }
};

TEST(SetCookieHeadersTest, ReportsEachHeaderInOrderUntilTheFirstFailure) {
  const std::string longest(kSetCookieBufferSize - 2, 'x');
  const std::string too_long(kSetCookieBufferSize - 1, 'y');
  const struct {
    std::vector<std::string> headers;
    std::vector<std::string> reported;
  } kCases[] = {
      {{}, {}},
      {{"a=1", "b=2; path=/", "c=3; HttpOnly"}, {"a=1", "b=2; path=/", "c=3; HttpOnly"}},
      {{"a=1", "", "c=3"}, {"a=1", "c=3"}},
      {{"a=1", longest, "c=3"}, {"a=1", longest, "c=3"}},
      // Too long for the offer: the rest of the response goes unread.
      {{"a=1", too_long, "c=3"}, {"a=1"}},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(FakeResponse{c.headers}.Read(), c.reported) << c.headers.size();
}

TEST(SetCookieHeadersTest, AnIndexThatDoesNotMoveOnEndsTheReading) {
  EXPECT_EQ((FakeResponse{{"a=1", "b=2"}, /*stuck=*/true}.Read()), std::vector<std::string>{"a=1"});
}

TEST(SetCookieHeadersTest, AClaimedLengthBeyondTheOfferIsCut) {
  const std::vector<std::string> reported =
      FakeResponse{{"a=1"}, false, /*claimed_length=*/100000}.Read();
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_EQ(reported[0].size(), kSetCookieBufferSize - 1);
  EXPECT_EQ(reported[0].substr(0, 4), std::string("a=1\0", 4));
}

}  // namespace
