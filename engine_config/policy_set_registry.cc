#include <windows.h>

#include <cstring>
#include <string>

#include "engine_config/policy_set.h"
#include "utils/scoped_handle.h"
#include "utils/string_util.h"

namespace {

constexpr char kSettingsKey[] = "SOFTWARE\\Policies\\tabbridge";
constexpr char kRulesKey[] = "SOFTWARE\\Policies\\tabbridge\\rules";
constexpr char kExRulesKey[] = "SOFTWARE\\Policies\\tabbridge\\ex_rules";
// A value whose name (with its terminator) or data does not fit ends the
// enumeration: the values after it are not read.
constexpr DWORD kBufferSize = 1024;

unique_hkey OpenPolicyKey(const char* subkey) {
  unique_hkey key;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
    key.reset();
  return key;
}

// Calls `visit(name, type, data, size)` for each value of `key`, in order.
template <typename Visit>
void ForEachValue(HKEY key, Visit visit) {
  char name[kBufferSize];
  unsigned char data[kBufferSize];
  for (DWORD index = 0;; ++index) {
    std::memset(name, 0, sizeof(name));
    std::memset(data, 0, sizeof(data));
    DWORD name_length = kBufferSize;
    DWORD size = kBufferSize;
    DWORD type = 0;
    if (::RegEnumValueA(key, index, name, &name_length, nullptr, &type, data, &size) !=
        ERROR_SUCCESS) {
      return;
    }
    visit(name, type, data, size);
  }
}

// Rules are kept in the ANSI code page; the document is UTF-8.
std::string AnsiToUtf8(const char* text, int size) {
  const int length = ::MultiByteToWideChar(CP_ACP, 0, text, size, nullptr, 0);
  std::wstring wide(length, L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text, size, wide.data(), length);
  return WideToUtf8(wide);
}

void ReadRules(const char* subkey, PolicySet::RuleList list, PolicySet* set) {
  const unique_hkey key = OpenPolicyKey(subkey);
  if (!key)
    return;
  ForEachValue(key.get(), [&](const char*, DWORD type, const unsigned char* data, DWORD size) {
    if (type != REG_SZ)
      return;
    // The text ends at the first zero byte, or with the data.
    const char* text = reinterpret_cast<const char*>(data);
    set->AddRule(list, AnsiToUtf8(text, static_cast<int>(::strnlen(text, size))));
  });
}

}  // namespace

bool PolicySet::ReadAndSerialise(std::string* text) {
  {
    const unique_hkey settings = OpenPolicyKey(kSettingsKey);
    if (!settings)
      return false;
    ForEachValue(settings.get(), [&](const char* name, DWORD type, const unsigned char* data,
                                     DWORD size) { StoreSetting(name, type, data, size); });
  }
  ReadRules(kRulesKey, RuleList::kRules, this);
  ReadRules(kExRulesKey, RuleList::kExRules, this);
  *text = Serialise();
  return true;
}
