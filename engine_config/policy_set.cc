#include "engine_config/policy_set.h"

#include <algorithm>
#include <cstring>

#include "engine_config/registry_options.h"
#include "utils/json_owner.h"

namespace {

constexpr const char* kSettingNames[] = {"auto_mode",   "compatible",      "dev_tools",
                                         "favicon",     "force_popup_tab", "new_tab_ie_mode",
                                         "show_banner", "sync_cookie"};

void AddRuleArray(cJSON* object, const char* name, const std::set<std::string>& rules) {
  if (rules.empty())
    return;
  cJSON* array = cJSON_AddArrayToObject(object, name);
  for (const std::string& rule : rules)
    cJSON_AddItemToArray(array, cJSON_CreateString(rule.c_str()));
}

}  // namespace

PolicySet::PolicySet() {
  for (const char* name : kSettingNames)
    options_.emplace(name, Value{kRegDword});
}

void PolicySet::StoreSetting(std::string_view name,
                             uint32_t type,
                             const unsigned char* data,
                             size_t size) {
  const auto option = options_.find(std::string(name));
  if (option == options_.end() || option->second.type != type)
    return;
  uint32_t number = 0;
  std::memcpy(&number, data, std::min(size, sizeof(number)));
  option->second.number = number;
  option->second.present = true;
}

void PolicySet::AddRule(RuleList list, std::string text) {
  (list == RuleList::kRules ? rules_ : ex_rules_).insert(std::move(text));
}

std::string PolicySet::Serialise() const {
  const unique_json document(cJSON_CreateObject());
  cJSON* option = cJSON_AddObjectToObject(document.get(), "option");
  for (const auto& [name, value] : options_) {
    if (value.present)
      cJSON_AddNumberToObject(option, name.c_str(), value.number);
  }
  AddRuleArray(option, "rules", rules_);
  AddRuleArray(option, "ex_rules", ex_rules_);
  return PrintJson(document.get());
}
