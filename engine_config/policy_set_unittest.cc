#include "engine_config/policy_set.h"

#include <cjson/cJSON.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_config/registry_options.h"

namespace {

// Ordering, rules and the registry's types are shown end to end
// (tests/e2e/test_machine_info.py); these are the cases the registry tool
// cannot write.
TEST(PolicySetTest, EverySettingIsKnownByItsExactName) {
  PolicySet set;
  EXPECT_EQ(set.Serialise(), "{\n\t\"option\":\t{\n\t}\n}");
  const unsigned char one[] = {1, 0, 0, 0};
  for (const char* name : {"auto_mode", "compatible", "dev_tools", "favicon", "force_popup_tab",
                           "new_tab_ie_mode", "show_banner", "sync_cookie", "unknown"})
    set.StoreSetting(name, kRegDword, one, sizeof(one));
  const unsigned char seven = 7;  // short data pads with zeros
  set.StoreSetting("favicon", kRegDword, &seven, 1);
  set.StoreSetting("dev_tools", kRegSz, &seven, 1);
  std::string text = set.Serialise();
  cJSON_Minify(text.data());
  EXPECT_STREQ(text.c_str(),
               R"({"option":{"auto_mode":1,"compatible":1,"dev_tools":1,"favicon":7,)"
               R"("force_popup_tab":1,"new_tab_ie_mode":1,"show_banner":1,"sync_cookie":1}})");
}

}  // namespace
