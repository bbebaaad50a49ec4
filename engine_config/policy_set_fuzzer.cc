// Registry values of any name, type and size, and rules of any UTF-8 text:
// the document is one JSON object whose settings list every rule once.

#include <cjson/cJSON.h>
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <set>
#include <string>

#include "engine_config/policy_set.h"
#include "tests/fuzz_util.h"
#include "utils/string_util.h"

namespace {

constexpr const char* kNames[] = {"auto_mode",   "compatible", "dev_tools", "favicon",
                                  "show_banner", "Favicon",    "",          "sync_cookie"};

// Rule texts come from the registry as UTF-16 and are stored as UTF-8.
std::string Utf8Rule(FuzzedDataProvider& in) {
  std::wstring wide = WideFromBytes(in.ConsumeRandomLengthString(64));
  for (wchar_t& c : wide) {
    if (c == 0 || (c >= 0xD800 && c < 0xE000))
      c = L'?';
  }
  return WideToUtf8(wide);
}

size_t ArraySize(const cJSON* root, const char* name) {
  return static_cast<size_t>(cJSON_GetArraySize(cJSON_GetObjectItem(root, name)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  PolicySet policies;
  std::set<std::string> rules;
  std::set<std::string> ex_rules;
  while (in.remaining_bytes() > 0) {
    switch (in.ConsumeIntegralInRange(0, 1)) {
      case 0: {
        const char* name = kNames[in.ConsumeIntegralInRange<size_t>(0, std::size(kNames) - 1)];
        const uint32_t type = in.ConsumeIntegralInRange<uint32_t>(0, 11);
        const std::string value = in.ConsumeRandomLengthString(8);
        policies.StoreSetting(name, type, reinterpret_cast<const unsigned char*>(value.data()),
                              value.size());
        break;
      }
      default: {
        const bool ex = in.ConsumeBool();
        const std::string rule = Utf8Rule(in);
        (ex ? ex_rules : rules).insert(rule);
        policies.AddRule(ex ? PolicySet::RuleList::kExRules : PolicySet::RuleList::kRules, rule);
      }
    }
  }
  const std::string document = policies.Serialise();
  cJSON* root = cJSON_ParseWithLength(document.data(), document.size());
  const cJSON* option = cJSON_GetObjectItem(root, "option");
  FuzzCheck(cJSON_IsObject(option));
  FuzzCheck(ArraySize(option, "rules") == rules.size());
  FuzzCheck(ArraySize(option, "ex_rules") == ex_rules.size());
  cJSON_Delete(root);
  return 0;
}
