#include "utils/http_address.h"

#include <gtest/gtest.h>

TEST(HttpAddressTest, ObjectPathFollowsTheHostAndItsPort) {
  const struct {
    const wchar_t* address;
    const wchar_t* host;
    unsigned port;
    std::optional<std::wstring> path;
  } cases[] = {
      {L"https://reports.example:8443/api", L"reports.example", 8443, L"/api"},
      {L"https://reports.example/api/v1?x=1", L"reports.example", 443, L"/api/v1?x=1"},
      {L"http://127.0.0.1:80", L"127.0.0.1", 80, L""},
      {L"https://reports.example/api", L"other.example", 443, std::nullopt},
      {L"https://reports.example/api", L"", 443, std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ObjectPathAfterHost(c.address, c.host, c.port), c.path) << c.address;
}
