#include "tab_view/new_window_cache.h"

#include <gtest/gtest.h>

namespace {

NewWindowParam Record(std::wstring url, std::wstring features, uint32_t flags = 6) {
  return {.url = std::move(url),
          .url_context = L"http://o/",
          .features = std::move(features),
          .flags = flags};
}

TEST(NewWindowCacheTest, TakesTheNewestMatchOnUrlOpenerAndFlags) {
  NewWindowCache cache;
  cache.Add(Record(L"http://a/", L"old"));
  cache.Add(Record(L"http://a/", L"new"));
  cache.Add(Record(L"http://a/", L"other flags", 0x40006));
  cache.Add(Record(L"http://A/", L"other case"));

  EXPECT_EQ(cache.Take(L"http://a/", L"http://o/", 6)->features, L"new");
  EXPECT_EQ(cache.Take(L"http://a/", L"http://o/", 6)->features, L"old");
  EXPECT_EQ(cache.Take(L"http://a/", L"http://o/", 6), std::nullopt);
  EXPECT_EQ(cache.Take(L"http://a/", L"http://O/", 0x40006), std::nullopt);
  EXPECT_EQ(cache.Take(L"http://a/", L"http://o/", 0x40006)->features, L"other flags");
  EXPECT_EQ(cache.size(), 1u);
}

TEST(NewWindowCacheTest, OfTwoEqualRecordsOneIsTaken) {
  NewWindowCache cache;
  cache.Add(Record(L"http://a/", L"f"));
  cache.Add(Record(L"http://a/", L"f"));
  EXPECT_TRUE(cache.Take(L"http://a/", L"http://o/", 6));
  EXPECT_EQ(cache.size(), 1u);
}

}  // namespace
