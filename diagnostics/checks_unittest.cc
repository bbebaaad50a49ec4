#include "diagnostics/checks.h"

#include <gtest/gtest.h>

#include <string>

// A missing or unparsable manifest, a "path" naming no file, a missing
// "version" and a complete installation are shown end to end
// (tests/e2e/test_diagnostics.py).

namespace {

constexpr wchar_t kManifest[] = L"C:\\tb\\com.tabbridge.helper.json";

bool OnlyOurFilesExist(const std::wstring& path) {
  return path == kManifest || path == L"C:\\tb\\tabbridge.exe";
}

void ExpectFinding(const Finding& finding, bool ok, const char* text) {
  EXPECT_EQ(finding.ok, ok) << finding.text;
  EXPECT_NE(finding.text.find(text), std::string::npos) << finding.text;
}

TEST(ChecksTest, ManifestMustBeAnObjectAllowingTheExtension) {
  const std::string exe = R"({"path": "C:\\tb\\tabbridge.exe", "allowed_origins": [)";
  const struct {
    std::string content;
    bool ok;
    const char* text;
  } cases[] = {
      {"[]", false, "is not valid JSON"},
      {R"({"allowed_origins": []})", false, "has no \"path\""},
      {exe + R"("chrome-extension://kccfkjohlmdimceejcjdedpnnbkcnpbb"]})", false,
       "\"allowed_origins\" lacks chrome-extension://kccfkjohlmdimceejcjdedpnnbkcnpbb/"},
      {exe + R"("a", "chrome-extension://kccfkjohlmdimceejcjdedpnnbkcnpbb/"]})", true,
       "com.tabbridge.helper.json names C:\\tb\\tabbridge.exe"},
  };
  for (const auto& c : cases)
    ExpectFinding(CheckManifest(kManifest, c.content, &OnlyOurFilesExist), c.ok, c.text);
}

TEST(ChecksTest, TheBrowserReadsTheUsersRegistrationFirst) {
  const RegistrationKey none;
  const RegistrationKey empty{true};
  const RegistrationKey user{true, kManifest, L"kccfkjohlmdimceejcjdedpnnbkcnpbb", L"2.26.20.0"};
  const RegistrationKey other_id{true, kManifest, L"other", L"2.26.20.0"};
  const RegistrationKey gone{true, L"C:\\gone.json"};
  const struct {
    const RegistrationKey& user;
    const RegistrationKey& machine;
    std::vector<std::pair<bool, const char*>> findings;
  } cases[] = {
      {empty, none, {{false, "neither HKCU\\"}}},
      {user, user, {{true, "the browser reads HKCU\\"}, {true, "HKLM\\Software"}}},
      {empty,
       gone,
       {{false,
         "HKLM\\Software\\Google\\Chrome\\NativeMessagingHosts\\"
         "com.tabbridge.helper names C:\\gone.json, which does not exist"}}},
      {other_id, none, {{true, "reads HKCU"}, {false, "\"extension_id\" of HKCU\\"}}},
  };
  for (const auto& c : cases) {
    const std::vector<Finding> findings = CheckRegistrations(c.user, c.machine, &OnlyOurFilesExist);
    ASSERT_EQ(findings.size(), c.findings.size()) << c.findings[0].second;
    for (size_t i = 0; i < findings.size(); ++i)
      ExpectFinding(findings[i], c.findings[i].first, c.findings[i].second);
  }
}

TEST(ChecksTest, LogThresholdAsTheLogReadsIt) {
  const struct {
    std::optional<LogLevelSetting> level;
    bool ok;
    const char* text;
  } cases[] = {{std::nullopt, true, "threshold ERROR (default)"},
               {LogLevelSetting{false, 0}, false, "is not a REG_DWORD"},
               {LogLevelSetting{true, 2}, true, "LogLevel 2, threshold WARNING"},
               {LogLevelSetting{true, 7}, true, "LogLevel 7, threshold ERROR"},
               {LogLevelSetting{true, 0xFFFFFFFF}, true, "LogLevel -1, threshold DEBUG"}};
  for (const auto& c : cases)
    ExpectFinding(CheckLogSettings(c.level, L"C:\\tb\\log\\tabbridge.exe.log"), c.ok, c.text);
}

}  // namespace
