#include "engine_config/feature_table.h"

namespace {

enum class Condition { kAtLeast, kExactly };

struct FeatureRow {
  const wchar_t* feature;
  Condition condition;
  int version;
  uint32_t value;
  bool is_emulation;
};

constexpr FeatureRow Min(const wchar_t* feature, int version, uint32_t value) {
  return {feature, Condition::kAtLeast, version, value, false};
}

constexpr FeatureRow Only(const wchar_t* feature, int version, uint32_t value) {
  return {feature, Condition::kExactly, version, value, false};
}

constexpr FeatureRow kRows[] = {
    {L"FEATURE_BROWSER_EMULATION", Condition::kAtLeast, 8, 0, true},
    Min(L"FEATURE_DISABLE_SQM_UPLOAD_FOR_APP", 8, 1),
    Min(L"FEATURE_XSSFILTER", 8, 1),
    Min(L"FEATURE_RESTRICT_ABOUT_PROTOCOL_IE7", 8, 1),
    Min(L"FEATURE_AJAX_CONNECTIONEVENTS", 8, 1),
    Min(L"FEATURE_SHOW_APP_PROTOCOL_WARN_DIALOG", 8, 0),
    Min(L"FEATURE_FEEDS", 8, 1),
    Min(L"FEATURE_VIEWLINKEDWEBOC_IS_UNSAFE", 8, 1),
    Min(L"FEATURE_SCRIPTURL_MITIGATION", 8, 1),
    Min(L"FEATURE_INTERNET_SHELL_FOLDERS", 8, 0),
    Min(L"FEATURE_BLOCK_LMZ_SCRIPT", 8, 0),
    Min(L"FEATURE_BEHAVIORS", 8, 1),
    Min(L"FEATURE_DISABLE_ISO_2022_JP_SNIFFING", 8, 1),
    Min(L"FEATURE_DISABLE_MK_PROTOCOL", 8, 1),
    Min(L"FEATURE_LOCALMACHINE_LOCKDOWN", 8, 1),
    Min(L"FEATURE_MIME_HANDLING", 8, 1),
    Min(L"FEATURE_MIME_SNIFFING", 8, 1),
    Min(L"FEATURE_OBJECT_CACHING", 8, 1),
    Min(L"FEATURE_PROTOCOL_LOCKDOWN", 8, 0),
    Min(L"FEATURE_SAFE_BINDTOOBJECT", 8, 1),
    Min(L"FEATURE_WEBOC_POPUPMANAGEMENT", 8, 0),
    Min(L"FEATURE_WINDOW_RESTRICTIONS", 8, 1),
    Min(L"FEATURE_ZONE_ELEVATION", 8, 1),
    Min(L"FEATURE_ENABLE_SCRIPT_PASTE_URLACTION_IF_PROMPT", 8, 0),
    Min(L"FEATURE_SECURITYBAND", 8, 1),
    Min(L"FEATURE_TABBED_BROWSING", 8, 1),
    Min(L"FEATURE_VALIDATE_NAVIGATE_URL", 8, 1),
    Min(L"FEATURE_WEBOC_DOCUMENT_ZOOM", 8, 1),
    Min(L"FEATURE_TABBED_BROWSING", 8, 1),
    Min(L"FEATURE_USE_LEGACY_JSCRIPT", 9, 0),
    Min(L"FEATURE_LAYOUT9_QUIRKS_EMULATION", 9, 0),
    Min(L"Feature_Enable_Compat_Logging", 9, 0),
    Min(L"FEATURE_ALIGNED_TIMERS", 9, 1),
    Min(L"FEATURE_ALLOW_HIGHFREQ_TIMERS", 9, 1),
    Min(L"FEATURE_USE_WEBOC_OMNAVIGATOR_IMPLEMENTATION", 9, 0),
    Min(L"FEATURE_GPU_RENDERING", 9, 1),
    Only(L"FEATURE_WEBOC_ENABLE_HTTP2", 11, 1),
    Only(L"FEATURE_ENABLE_TOKEN_BINDING", 11, 1),
    Only(L"FEATURE_IGNORE_ZONE_WHEN_CONSTRUCTING_SECURITYID", 11, 1),
};

bool Applies(const FeatureRow& row, int engine_version) {
  return row.condition == Condition::kAtLeast ? engine_version >= row.version
                                              : engine_version == row.version;
}

}  // namespace

std::vector<FeatureValue> FeatureValuesForEngine(int engine_version, uint32_t emulation) {
  std::vector<FeatureValue> values;
  for (const FeatureRow& row : kRows) {
    if (Applies(row, engine_version))
      values.push_back({row.feature, row.is_emulation ? emulation : row.value});
  }
  return values;
}
