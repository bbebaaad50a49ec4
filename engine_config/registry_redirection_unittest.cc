#include "engine_config/registry_redirection.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "tests/child_process.h"
#include "tests/outside_caller/outside_caller.h"
#include "tests/scoped_registry_backup.h"
#include "tests/scoped_registry_tree_backup.h"
#include "utils/scoped_handle.h"

// The hooks are permanent, so each case runs in a child process that
// installs them and then drives the registry from outside its own image, as
// the engine does. A routine's result is 0, or the line of the first check
// that failed.
#define CHILD_CHECK(condition) \
  if (!(condition))            \
  return __LINE__

namespace {

constexpr wchar_t kFeatureControl[] = L"Software\\tabbridge\\Main\\FeatureControl";
constexpr wchar_t kOwnProbeFeature[] =
    L"Software\\tabbridge\\Main\\FeatureControl\\FEATURE_TB_PROBE";
constexpr wchar_t kEngineFeatureControl[] =
    L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl";
constexpr wchar_t kEngineProbeFeature[] =
    L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_TB_PROBE";
constexpr wchar_t kOtherKey[] = L"Software\\tb_redirection_probe";
constexpr wchar_t kOtherProbeFeature[] = L"Software\\tb_redirection_probe\\FEATURE_TB_PROBE";
constexpr wchar_t kOtherPlain[] = L"Software\\tb_redirection_probe\\Plain";

// Each key the tests open carries its own number in the value "tb_probe".
constexpr wchar_t kProbe[] = L"tb_probe";
enum ProbeNumber : DWORD {
  kNoProbe = 0,  // the key opened but carries no number
  kOwnFeatureControlNumber = 1,
  kOwnProbeFeatureNumber = 2,
  kEngineProbeFeatureNumber = 3,
  kOtherProbeFeatureNumber = 4,
  kOtherPlainNumber = 5,
};

// The number of the key that opening `subkey` of `root` from outside lands
// in; nothing when it does not open.
std::optional<DWORD> Landing(const OutsideCaller& caller, HKEY root, const wchar_t* subkey) {
  unique_hkey key;
  if (caller.reg_open_key_ex_w(root, subkey, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
    return std::nullopt;
  DWORD number = kNoProbe;
  DWORD size = sizeof(number);
  DWORD type = REG_NONE;
  if (caller.reg_query_value_ex_w(key.get(), kProbe, nullptr, &type,
                                  reinterpret_cast<BYTE*>(&number), &size) != ERROR_SUCCESS ||
      type != REG_DWORD) {
    return kNoProbe;
  }
  return number;
}

bool SetDword(const wchar_t* key, const wchar_t* name, DWORD value) {
  return ::RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_DWORD, &value, sizeof(value)) ==
         ERROR_SUCCESS;
}

unique_hkey OpenUnhooked(HKEY root, const char* subkey) {
  // The ANSI open is passed through unchanged, so it reaches the real key.
  unique_hkey key;
  ::RegOpenKeyExA(root, subkey, 0, KEY_READ, key.put());
  return key;
}

TB_CHILD_ROUTINE(RedirectsTheEnginesFeatureControlKey) {
  InstallRegistryHooks();
  const std::optional<OutsideCaller> caller = OutsideCaller::Load();
  CHILD_CHECK(caller);

  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    for (const wchar_t* path : {L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl",
                                L"SOFTWARE\\MICROSOFT\\INTERNET EXPLORER\\MAIN\\FEATURECONTROL",
                                L"software\\microsoft\\internet explorer\\main\\featurecontrol",
                                L"sOFTWARE\\mICROSOFT\\iNTERNET eXPLORER\\mAIN\\fEATUREcONTROL"}) {
      CHILD_CHECK(Landing(*caller, root, path) == kOwnFeatureControlNumber);
    }
    // Only that exact path: not a feature below it in one call, nor the path
    // with a separator added.
    CHILD_CHECK(Landing(*caller, root, kEngineProbeFeature) !=
                std::optional<DWORD>(kOwnProbeFeatureNumber));
    CHILD_CHECK(Landing(*caller, root, L"Software\\Microsoft\\Internet Explorer\\Main") !=
                std::optional<DWORD>(kOwnFeatureControlNumber));
    CHILD_CHECK(
        Landing(*caller, root, L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\") !=
        std::optional<DWORD>(kOwnFeatureControlNumber));
  }
  CHILD_CHECK(Landing(*caller, HKEY_CURRENT_USER, kEngineProbeFeature) ==
              kEngineProbeFeatureNumber);
  // Other hives are never taken for the engine's key.
  CHILD_CHECK(Landing(*caller, HKEY_CLASSES_ROOT, kEngineFeatureControl) !=
              std::optional<DWORD>(kOwnFeatureControlNumber));
  return 0;
}

TB_CHILD_ROUTINE(RedirectsFeatureSubkeysOfOtherKeys) {
  InstallRegistryHooks();
  const std::optional<OutsideCaller> caller = OutsideCaller::Load();
  CHILD_CHECK(caller);

  // A feature-control key the engine got some other way.
  const unique_hkey engine = OpenUnhooked(HKEY_CURRENT_USER,
                                          "Software\\Microsoft\\Internet Explorer\\Main\\"
                                          "FeatureControl");
  CHILD_CHECK(engine);
  CHILD_CHECK(Landing(*caller, engine.get(), L"FEATURE_TB_PROBE") == kOwnProbeFeatureNumber);
  CHILD_CHECK(Landing(*caller, engine.get(), L"feature_tb_probe") == kOwnProbeFeatureNumber);

  // Any other key, even one with a feature key of the same name below it.
  const unique_hkey other = OpenUnhooked(HKEY_CURRENT_USER, "Software\\tb_redirection_probe");
  CHILD_CHECK(other);
  CHILD_CHECK(Landing(*caller, other.get(), L"Feature_TB_Probe") == kOwnProbeFeatureNumber);
  CHILD_CHECK(Landing(*caller, other.get(), L"Plain") == kOtherPlainNumber);
  CHILD_CHECK(Landing(*caller, other.get(), L"featur") == std::nullopt);
  CHILD_CHECK(Landing(*caller, HKEY_CLASSES_ROOT, L"FEATURE_TB_PROBE") == kOwnProbeFeatureNumber);

  // Relative to the user and machine roots nothing changes.
  CHILD_CHECK(Landing(*caller, HKEY_CURRENT_USER, L"FEATURE_TB_PROBE") == std::nullopt);
  CHILD_CHECK(Landing(*caller, HKEY_LOCAL_MACHINE, L"FEATURE_TB_PROBE") == std::nullopt);
  // Nor for a key that is no key.
  HKEY result = nullptr;
  CHILD_CHECK(caller->reg_open_key_ex_w(nullptr, L"FEATURE_TB_PROBE", 0, KEY_READ, &result) !=
              ERROR_SUCCESS);

  // No subkey reopens the key itself.
  unique_hkey same;
  CHILD_CHECK(caller->reg_open_key_ex_w(other.get(), nullptr, 0, KEY_READ, same.put()) ==
              ERROR_SUCCESS);
  return 0;
}

TB_CHILD_ROUTINE(CreatesTheProgramsKeyAtInstallation) {
  // The parent removed the program's feature key before this runs, as on a
  // first run; start-up writes the features only after the hooks are in.
  InstallRegistryHooks();
  CHILD_CHECK(SetDword(kOwnProbeFeature, kProbe, kOwnProbeFeatureNumber));
  const std::optional<OutsideCaller> caller = OutsideCaller::Load();
  CHILD_CHECK(caller);
  const unique_hkey engine = OpenUnhooked(HKEY_CURRENT_USER,
                                          "Software\\Microsoft\\Internet Explorer\\Main\\"
                                          "FeatureControl");
  CHILD_CHECK(engine);
  CHILD_CHECK(Landing(*caller, engine.get(), L"FEATURE_TB_PROBE") == kOwnProbeFeatureNumber);
  CHILD_CHECK(Landing(*caller, HKEY_LOCAL_MACHINE, kEngineFeatureControl) == kNoProbe);
  return 0;
}

// One row of the option table as a query should see it.
struct ExpectedOption {
  const char* name;
  DWORD type;  // REG_NONE for a row that is absent
  std::vector<BYTE> ansi;
  std::vector<BYTE> wide;
};

std::vector<BYTE> Dword(DWORD value) {
  return {static_cast<BYTE>(value), 0, 0, 0};
}

const std::vector<BYTE> kYesA = {'y', 'e', 's', 0};
const std::vector<BYTE> kYesW = {'y', 0, 'e', 0, 's', 0, 0, 0};
const std::vector<BYTE> kNoA = {'n', 'o', 0};
const std::vector<BYTE> kNoW = {'n', 0, 'o', 0, 0, 0};

const ExpectedOption kOptions[] = {
    {"Disable Script Debugger", REG_SZ, kYesA, kYesW},
    {"DisableScriptDebuggerIE", REG_SZ, kYesA, kYesW},
    {"FormSuggest Passwords", REG_SZ, kYesA, kYesW},
    {"FormSuggest PW Ask", REG_SZ, kYesA, kYesW},
    {"MSCompatibilityMode", REG_DWORD, Dword(1), Dword(1)},
    {"TLDUpdates", REG_DWORD, Dword(1), Dword(1)},
    {"StaleCompatCache", REG_DWORD, Dword(1), Dword(1)},
    {"IntranetCompatibilityMode", REG_DWORD, Dword(1), Dword(1)},
    {"LocalMachineCompatibilityMode", REG_NONE, {}, {}},
    {"Use FormSuggest", REG_SZ, kNoA, kNoW},
    {"SmoothScroll", REG_DWORD, Dword(0), Dword(0)},
    {"TabProcGrowth", REG_DWORD, Dword(0), Dword(0)},
    {"WarnOnIntranet", REG_DWORD, Dword(0), Dword(0)},
};

// A query through either width from outside the image.
class OptionQuerier {
 public:
  OptionQuerier(const OutsideCaller& caller, HKEY key, bool wide)
      : caller_(caller), key_(key), wide_(wide) {}

  LSTATUS Query(const std::string& name, DWORD* type, BYTE* data, DWORD* size) const {
    if (!wide_)
      return caller_.reg_query_value_ex_a(key_, name.c_str(), nullptr, type, data, size);
    const std::wstring wide_name(name.begin(), name.end());
    return caller_.reg_query_value_ex_w(key_, wide_name.c_str(), nullptr, type, data, size);
  }

 private:
  const OutsideCaller& caller_;
  HKEY key_;
  bool wide_;
};

std::string Upper(std::string text) {
  for (char& c : text)
    c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  return text;
}

std::string Lower(std::string text) {
  for (char& c : text)
    c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return text;
}

// Every row, by both widths, in three spellings, with size queries, exact
// and short buffers and without a type pointer.
int CheckOptionRows(const OutsideCaller& caller, HKEY key) {
  for (bool wide : {false, true}) {
    const OptionQuerier querier(caller, key, wide);
    for (const ExpectedOption& option : kOptions) {
      const std::vector<BYTE>& answer = wide ? option.wide : option.ansi;
      const DWORD answer_size = static_cast<DWORD>(answer.size());
      for (const std::string& name :
           {std::string(option.name), Upper(option.name), Lower(option.name)}) {
        DWORD type = 0xEEEE;
        DWORD size = 64;
        std::vector<BYTE> data(64, 0xAA);
        if (option.type == REG_NONE) {
          // Absent whatever the key holds, and whatever the pointers are.
          CHILD_CHECK(querier.Query(name, &type, data.data(), &size) == ERROR_FILE_NOT_FOUND);
          CHILD_CHECK(type == 0xEEEE && size == 64);
          CHILD_CHECK(querier.Query(name, nullptr, nullptr, nullptr) == ERROR_FILE_NOT_FOUND);
          continue;
        }
        // Size query.
        CHILD_CHECK(querier.Query(name, &type, nullptr, &size) == ERROR_SUCCESS);
        CHILD_CHECK(type == option.type && size == answer_size);
        // Exactly large enough.
        type = 0xEEEE;
        CHILD_CHECK(querier.Query(name, &type, data.data(), &size) == ERROR_SUCCESS);
        CHILD_CHECK(type == option.type && size == answer_size);
        CHILD_CHECK(std::equal(answer.begin(), answer.end(), data.begin()));
        CHILD_CHECK(data[answer_size] == 0xAA);
        // One byte short, and far too short: nothing is copied.
        for (DWORD short_size : {answer_size - 1, DWORD{0}}) {
          std::vector<BYTE> untouched(64, 0xAA);
          size = short_size;
          CHILD_CHECK(querier.Query(name, &type, untouched.data(), &size) == ERROR_MORE_DATA);
          CHILD_CHECK(size == answer_size);
          CHILD_CHECK(untouched == std::vector<BYTE>(64, 0xAA));
        }
        // Without a type pointer.
        size = 64;
        CHILD_CHECK(querier.Query(name, nullptr, data.data(), &size) == ERROR_SUCCESS);
        CHILD_CHECK(size == answer_size);
      }
    }
  }
  return 0;
}

TB_CHILD_ROUTINE(AnswersOptionValuesOnAnyKey) {
  InstallRegistryHooks();
  const std::optional<OutsideCaller> caller = OutsideCaller::Load();
  CHILD_CHECK(caller);
  // The probe key also holds real values of some option names; the table
  // answers all the same.
  const unique_hkey other = OpenUnhooked(HKEY_CURRENT_USER, "Software\\tb_redirection_probe");
  CHILD_CHECK(other);
  for (HKEY key : {other.get(), HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    if (const int failed_line = CheckOptionRows(*caller, key))
      return failed_line;
  }
  return 0;
}

TB_CHILD_ROUTINE(PassesOtherValueNamesThrough) {
  InstallRegistryHooks();
  const std::optional<OutsideCaller> caller = OutsideCaller::Load();
  CHILD_CHECK(caller);
  const unique_hkey other = OpenUnhooked(HKEY_CURRENT_USER, "Software\\tb_redirection_probe");
  CHILD_CHECK(other);

  // Names that only look like options read the key's real values.
  for (const wchar_t* name : {L"T\u0161bProcGrowth", L"TabProcGrowth\u0100x", L"tb_probe"}) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    DWORD type = 0;
    CHILD_CHECK(caller->reg_query_value_ex_w(other.get(), name, nullptr, &type,
                                             reinterpret_cast<BYTE*>(&value),
                                             &size) == ERROR_SUCCESS);
    CHILD_CHECK(type == REG_DWORD && value == 9);
  }
  DWORD size = 4;
  CHILD_CHECK(caller->reg_query_value_ex_w(other.get(), L"TabProcGrowthX", nullptr, nullptr,
                                           nullptr, &size) == ERROR_FILE_NOT_FOUND);
  // An option row without a size pointer is the real function's to answer;
  // the real value exists, so it succeeds without telling anything.
  DWORD type = 0;
  CHILD_CHECK(caller->reg_query_value_ex_w(other.get(), L"TabProcGrowth", nullptr, &type, nullptr,
                                           nullptr) == ERROR_SUCCESS);
  CHILD_CHECK(type == REG_DWORD);
  CHILD_CHECK(caller->reg_query_value_ex_a(other.get(), "Use FormSuggest", nullptr, &type, nullptr,
                                           nullptr) == ERROR_FILE_NOT_FOUND);
  // The default value (no name) too.
  size = 0;
  CHILD_CHECK(caller->reg_query_value_ex_w(other.get(), nullptr, nullptr, nullptr, nullptr,
                                           &size) == ERROR_FILE_NOT_FOUND);
  return 0;
}

TB_CHILD_ROUTINE(InstallingTwiceKeepsOneSetOfHooks) {
  InstallRegistryHooks();
  InstallRegistryHooks();
  const std::optional<OutsideCaller> caller = OutsideCaller::Load();
  CHILD_CHECK(caller);
  CHILD_CHECK(Landing(*caller, HKEY_LOCAL_MACHINE, kEngineFeatureControl) ==
              kOwnFeatureControlNumber);
  DWORD value = 7;
  DWORD size = sizeof(value);
  CHILD_CHECK(caller->reg_query_value_ex_w(HKEY_CURRENT_USER, L"SmoothScroll", nullptr, nullptr,
                                           reinterpret_cast<BYTE*>(&value),
                                           &size) == ERROR_SUCCESS);
  CHILD_CHECK(value == 0);
  return 0;
}

class RegistryRedirectionTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SetDword(kFeatureControl, kProbe, kOwnFeatureControlNumber));
    ASSERT_TRUE(SetDword(kOwnProbeFeature, kProbe, kOwnProbeFeatureNumber));
    ASSERT_TRUE(SetDword(kEngineProbeFeature, kProbe, kEngineProbeFeatureNumber));
    ASSERT_TRUE(SetDword(kOtherProbeFeature, kProbe, kOtherProbeFeatureNumber));
    ASSERT_TRUE(SetDword(kOtherPlain, kProbe, kOtherPlainNumber));
    // Real values under option names and look-alikes of them.
    for (const wchar_t* name : {L"TabProcGrowth", L"T\u0161bProcGrowth", L"TabProcGrowth\u0100x",
                                L"tb_probe", L"LocalMachineCompatibilityMode"}) {
      ASSERT_TRUE(SetDword(kOtherKey, name, 9));
    }
    const wchar_t text[] = L"real";
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kOtherKey, L"Disable Script Debugger", REG_SZ,
                                text, sizeof(text)),
              ERROR_SUCCESS);
  }

  std::optional<DWORD> Run(const char* routine) { return RunChild(CurrentTestProgram(), routine); }

  ScopedRegistryTreeBackup own_{HKEY_CURRENT_USER, kFeatureControl};
  ScopedRegistryTreeBackup engine_{HKEY_CURRENT_USER, kEngineProbeFeature};
  ScopedRegistryTreeBackup other_{HKEY_CURRENT_USER, kOtherKey};
};

}  // namespace

TEST_F(RegistryRedirectionTest, TheEnginesFeatureControlKeyOpensTheProgramsOwn) {
  EXPECT_EQ(Run("RedirectsTheEnginesFeatureControlKey"), 0u);
}

TEST_F(RegistryRedirectionTest, FeatureSubkeysOfOtherKeysOpenBelowTheProgramsKey) {
  EXPECT_EQ(Run("RedirectsFeatureSubkeysOfOtherKeys"), 0u);
}

TEST_F(RegistryRedirectionTest, AFirstRunRedirectsToo) {
  ASSERT_EQ(::RegDeleteTreeW(HKEY_CURRENT_USER, kFeatureControl), ERROR_SUCCESS);
  EXPECT_EQ(Run("CreatesTheProgramsKeyAtInstallation"), 0u);
}

TEST_F(RegistryRedirectionTest, OptionValuesAreAnsweredFromTheTable) {
  EXPECT_EQ(Run("AnswersOptionValuesOnAnyKey"), 0u);
}

TEST_F(RegistryRedirectionTest, OtherValueNamesReachTheRegistry) {
  EXPECT_EQ(Run("PassesOtherValueNamesThrough"), 0u);
}

TEST_F(RegistryRedirectionTest, InstallingTwiceKeepsOneSetOfHooks) {
  EXPECT_EQ(Run("InstallingTwiceKeepsOneSetOfHooks"), 0u);
}
