#include <windows.h>

#include <cjson/cJSON.h>
#include <gtest/gtest.h>

#include <string>

#include "engine_config/policy_set.h"
#include "tests/scoped_registry_backup.h"

namespace {

constexpr char kSettingsKey[] = "SOFTWARE\\Policies\\tabbridge";

void SetValue(const std::string& subkey, const std::string& name, DWORD type, std::string data) {
  ASSERT_EQ(::RegSetKeyValueA(HKEY_LOCAL_MACHINE, subkey.c_str(), name.c_str(), type, data.data(),
                              DWORD(data.size())),
            ERROR_SUCCESS);
}

// The rest is shown end to end (tests/e2e/test_machine_info.py); the
// registry tool cannot write names this long. Values are enumerated by name,
// so each list below is in enumeration order.
TEST(PolicySetRegistryTest, EnumerationStopsAtAValueThatDoesNotFit) {
  ScopedRegistryKeyBackup backup(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Policies\\tabbridge");
  ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKey);
  const std::string two("\2\0\0\0", 4);
  SetValue(kSettingsKey, std::string(1023, 'a'), REG_DWORD, two);
  SetValue(kSettingsKey, "auto_mode", REG_DWORD, two);
  SetValue(kSettingsKey, std::string(1024, 'b'), REG_DWORD, two);
  SetValue(kSettingsKey, "show_banner", REG_DWORD, two);
  const std::string rules = std::string(kSettingsKey) + "\\rules";
  SetValue(rules, "1", REG_SZ, std::string(1023, 'x') + '\0');
  SetValue(rules, "2", REG_SZ, std::string(1024, 'y') + '\0');
  SetValue(rules, "3", REG_SZ, std::string("z", 2));
  std::string text;
  ASSERT_TRUE(PolicySet().ReadAndSerialise(&text));
  cJSON_Minify(text.data());
  EXPECT_EQ(text.c_str(),
            R"({"option":{"auto_mode":2,"rules":[")" + std::string(1023, 'x') + R"("]}})");
}

}  // namespace
