#ifndef ENGINE_CONFIG_POLICY_SET_H_
#define ENGINE_CONFIG_POLICY_SET_H_

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>

// Machine-wide settings and rule lists an administrator gives the extension,
// from HKLM "SOFTWARE\Policies\tabbridge" and its subkeys "rules" and
// "ex_rules". The host only reads and reports them; the extension decides
// what they mean. Built afresh for every request.
class PolicySet {
 public:
  struct Value {
    uint32_t type;
    uint32_t number = 0;
    bool present = false;
  };
  enum class RuleList { kRules, kExRules };

  // Every known setting, none present; no rules.
  PolicySet();

  // A registry value of the settings key. Names match exactly (case too);
  // unknown names and values of another type than the setting's are
  // ignored. Data shorter than a number reads as zero-padded.
  void StoreSetting(std::string_view name, uint32_t type, const unsigned char* data, size_t size);
  // A rule's text, UTF-8; each text is kept once.
  void AddRule(RuleList list, std::string text);

  // The document answered to the extension: {"option": {...}} with the
  // present settings by name, then "rules" and "ex_rules" when not empty.
  std::string Serialise() const;

  // Reads the registry (Windows only) and sets `text` to the document.
  // False, and `text` untouched, when the settings key cannot be opened.
  [[nodiscard]] bool ReadAndSerialise(std::string* text);

 private:
  std::map<std::string, Value> options_;
  std::set<std::string> rules_;
  std::set<std::string> ex_rules_;
};

#endif  // ENGINE_CONFIG_POLICY_SET_H_
