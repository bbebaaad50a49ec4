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
            ERROR_SUCCESS)
      << name.size();
}

void SetNumber(const std::string& name, DWORD number) {
  SetValue(kSettingsKey, name, REG_DWORD, std::string(reinterpret_cast<char*>(&number), 4));
}

std::string Read(bool* found) {
  std::string text = "untouched";
  PolicySet set;
  *found = set.ReadAndSerialise(&text);
  cJSON_Minify(text.data());
  return text.c_str();
}

class PolicySetRegistryTest : public testing::Test {
 protected:
  void SetUp() override { ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKey); }

  ScopedRegistryKeyBackup backup_{HKEY_LOCAL_MACHINE, L"SOFTWARE\\Policies\\tabbridge"};
};

TEST_F(PolicySetRegistryTest, WithoutTheSettingsKeyThereIsNoDocument) {
  bool found = true;
  EXPECT_EQ(Read(&found), "untouched");
  EXPECT_FALSE(found);
  SetValue(std::string(kSettingsKey) + "\\rules", "1", REG_SZ, std::string("a", 2));
  EXPECT_EQ(Read(&found), R"({"option":{"rules":["a"]}})");
  EXPECT_TRUE(found);
}

// Values are enumerated by name, so each list below is in enumeration order.
TEST_F(PolicySetRegistryTest, EnumerationStopsAtAValueThatDoesNotFit) {
  SetValue(kSettingsKey, std::string(1023, 'a'), REG_DWORD, std::string(4, '\1'));
  SetNumber("auto_mode", 2);
  SetValue(kSettingsKey, std::string(1024, 'b'), REG_DWORD, std::string(4, '\1'));
  SetNumber("show_banner", 0);
  const std::string rules = std::string(kSettingsKey) + "\\rules";
  SetValue(rules, "1", REG_SZ, std::string(1023, 'x') + '\0');
  SetValue(rules, "2", REG_SZ, std::string(1024, 'y') + '\0');
  SetValue(rules, "3", REG_SZ, std::string("z", 2));
  bool found = false;
  EXPECT_EQ(Read(&found),
            R"({"option":{"auto_mode":2,"rules":[")" + std::string(1023, 'x') + R"("]}})");
}

TEST_F(PolicySetRegistryTest, OnlyPlainStringRulesInUtf8) {
  const std::string ex_rules = std::string(kSettingsKey) + "\\ex_rules";
  SetNumber("compatible", 11001);
  SetValue(ex_rules, "a", REG_EXPAND_SZ, std::string("expand", 7));
  SetValue(ex_rules, "b", REG_MULTI_SZ, std::string("multi\0\0", 8));
  SetValue(ex_rules, "c", REG_SZ, "caf\xE9.example");  // Windows-1252, no terminator
  bool found = false;
  EXPECT_EQ(Read(&found),
            "{\"option\":{\"compatible\":11001,\"ex_rules\":[\"caf\xC3\xA9.example\"]}}");
}

}  // namespace
