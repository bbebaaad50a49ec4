#include "engine_config/policy_set.h"

#include <cjson/cJSON.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_config/registry_options.h"

namespace {

std::string Compact(std::string text) {
  cJSON_Minify(text.data());
  return text.c_str();
}

void Store(PolicySet* set, const char* name, uint32_t type, std::vector<unsigned char> data) {
  set->StoreSetting(name, type, data.data(), data.size());
}

TEST(PolicySetTest, DocumentHoldsPresentSettingsInNameOrderThenRules) {
  PolicySet set;
  EXPECT_EQ(Compact(set.Serialise()), R"({"option":{}})");

  Store(&set, "show_banner", kRegDword, {0, 0, 0, 0});
  Store(&set, "compatible", kRegDword, {0xF9, 0x2A, 0, 0});     // 11001
  Store(&set, "favicon", kRegDword, {0xFF, 0xFF, 0xFF, 0xFF});  // never negative
  Store(&set, "dev_tools", kRegDword, {0x07});                  // short data pads with zeros
  set.AddRule(PolicySet::RuleList::kExRules, "c");
  for (const char* rule : {"b", "a", "a"})
    set.AddRule(PolicySet::RuleList::kRules, rule);
  EXPECT_EQ(Compact(set.Serialise()),
            R"({"option":{"compatible":11001,"dev_tools":7,"favicon":4294967295,)"
            R"("show_banner":0,"rules":["a","b"],"ex_rules":["c"]}})");
}

TEST(PolicySetTest, OnlyKnownNamesOfTheDeclaredTypeAreStored) {
  PolicySet set;
  Store(&set, "Auto_Mode", kRegDword, {1, 0, 0, 0});
  Store(&set, "sync_cookie", kRegSz, {'1', 0});
  Store(&set, "unknown", kRegDword, {1, 0, 0, 0});
  EXPECT_EQ(Compact(set.Serialise()), R"({"option":{}})");

  for (const char* name : {"auto_mode", "compatible", "dev_tools", "favicon", "force_popup_tab",
                           "new_tab_ie_mode", "show_banner", "sync_cookie"})
    Store(&set, name, kRegDword, {1, 0, 0, 0});
  EXPECT_EQ(Compact(set.Serialise()),
            R"({"option":{"auto_mode":1,"compatible":1,"dev_tools":1,"favicon":1,)"
            R"("force_popup_tab":1,"new_tab_ie_mode":1,"show_banner":1,"sync_cookie":1}})");
}

}  // namespace
