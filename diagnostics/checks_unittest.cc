#include "diagnostics/checks.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr wchar_t kExe[] = L"C:\\tb\\tabbridge.exe";
constexpr wchar_t kManifest[] = L"C:\\tb\\com.tabbridge.helper.json";

bool OnlyOurFilesExist(const std::wstring& path) {
  return path == kExe || path == kManifest;
}

TEST(ChecksTest, ManifestMustParseNameAnExistingFileAndAllowTheExtension) {
  const std::string good_origins =
      R"("allowed_origins": ["chrome-extension://other/", "chrome-extension://kccfkjohlmdimceejcjdedpnnbkcnpbb/"])";
  const struct {
    std::optional<std::string> content;
    bool ok;
    const char* text;
  } cases[] = {
      {std::nullopt, false, "is missing or unreadable"},
      {"{", false, "is not valid JSON"},
      {"[]", false, "is not valid JSON"},
      {"{" + good_origins + "}", false, "has no \"path\""},
      {R"({"path": "C:\\tb\\gone.exe", )" + good_origins + "}", false,
       "names C:\\tb\\gone.exe, which does not exist"},
      {R"({"path": "C:\\tb\\tabbridge.exe", "allowed_origins": )"
       R"(["chrome-extension://kccfkjohlmdimceejcjdedpnnbkcnpbb"]})",
       false, "\"allowed_origins\" lacks chrome-extension://kccfkjohlmdimceejcjdedpnnbkcnpbb/"},
      {R"({"path": "C:\\tb\\tabbridge.exe"})", false, "\"allowed_origins\" lacks"},
      {R"({"path": "C:\\tb\\tabbridge.exe", )" + good_origins + "}", true,
       "com.tabbridge.helper.json names C:\\tb\\tabbridge.exe"},
  };
  for (const auto& c : cases) {
    const Finding finding = CheckManifest(kManifest, c.content, &OnlyOurFilesExist);
    EXPECT_EQ(finding.ok, c.ok) << finding.text;
    EXPECT_NE(finding.text.find(c.text), std::string::npos) << finding.text;
  }
}

TEST(ChecksTest, RegistrationTheBrowserReadsMustBeComplete) {
  const RegistrationKey none;
  const RegistrationKey empty{true};
  const RegistrationKey user{true, kManifest, L"kccfkjohlmdimceejcjdedpnnbkcnpbb", L"2.26.20.0"};
  RegistrationKey no_version = user;
  no_version.version.reset();
  RegistrationKey other_id = user;
  other_id.extension_id = L"other";
  RegistrationKey gone = user;
  gone.manifest = L"C:\\gone.json";
  const RegistrationKey machine{true, kManifest};
  const struct {
    const RegistrationKey& user;
    const RegistrationKey& machine;
    std::vector<std::pair<bool, const char*>> findings;
  } cases[] = {
      {none, none, {{false, "neither HKCU\\"}}},
      {empty, none, {{false, "neither HKCU\\"}}},
      {user, none, {{true, "the browser reads HKCU\\"}}},
      {user, machine, {{true, "the browser reads HKCU\\"}, {true, "exists too"}}},
      {empty, machine, {{true, "the browser reads HKLM\\"}}},
      {no_version, none, {{true, "reads HKCU"}, {false, "\"version\" of HKCU\\"}}},
      {other_id, none, {{true, "reads HKCU"}, {false, "\"extension_id\" of HKCU\\"}}},
      {gone, none, {{false, "names C:\\gone.json, which does not exist"}}},
  };
  for (const auto& c : cases) {
    const std::vector<Finding> findings = CheckRegistrations(c.user, c.machine, &OnlyOurFilesExist);
    ASSERT_EQ(findings.size(), c.findings.size()) << c.findings[0].second;
    for (size_t i = 0; i < findings.size(); ++i) {
      EXPECT_EQ(findings[i].ok, c.findings[i].first) << findings[i].text;
      EXPECT_NE(findings[i].text.find(c.findings[i].second), std::string::npos) << findings[i].text;
    }
  }
}

TEST(ChecksTest, LogThresholdAsTheLogReadsIt) {
  const struct {
    std::optional<LogLevelSetting> level;
    bool ok;
    const char* text;
  } cases[] = {{std::nullopt, true, "threshold ERROR (default)"},
               {LogLevelSetting{false, 0}, false, "is not a REG_DWORD"},
               {LogLevelSetting{true, 0}, true, "LogLevel 0, threshold DEBUG"},
               {LogLevelSetting{true, 2}, true, "threshold WARNING"},
               {LogLevelSetting{true, 7}, true, "LogLevel 7, threshold ERROR"},
               {LogLevelSetting{true, 0xFFFFFFFF}, true, "LogLevel -1, threshold DEBUG"}};
  for (const auto& c : cases) {
    const Finding finding = CheckLogSettings(c.level, L"C:\\tb\\log\\tabbridge.exe.log");
    EXPECT_EQ(finding.ok, c.ok) << finding.text;
    EXPECT_NE(finding.text.find(c.text), std::string::npos) << finding.text;
  }
}

}  // namespace
