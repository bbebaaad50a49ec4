#include "tools/stand_in_engine/emulation_setting.h"

#include <windows.h>

#include <mshtml.h>
#include <shlwapi.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include "tests/child_process.h"
#include "tests/scoped_registry_backup.h"
#include "tools/stand_in_engine/scoped_com.h"
#include "tools/stand_in_engine/testing/engine_test.h"
#include "tools/stand_in_engine/testing/scoped_journal.h"

namespace {

constexpr wchar_t kEmulationKey[] =
    L"SOFTWARE\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION";
constexpr wchar_t kProgramName[] = L"tb_win_tests.exe";
// Exit codes of the child beyond any document mode.
constexpr int kChildFailed = 100;

// Loads a page whose title shows its document mode, in a fresh process (the
// engine reads the setting once per process); returns the mode.
int LoadModePage(bool with_doctype) {
  ScopedOleInitialize ole;
  StandInDll dll;
  TestContainer container;
  if (!ole.ok() || !dll.loaded() || !container.Host(dll.CreateBrowser()))
    return kChildFailed;
  wchar_t directory[MAX_PATH], path[MAX_PATH];
  if (!::GetTempPathW(MAX_PATH, directory) || !::GetTempFileNameW(directory, L"sim", 0, path))
    return kChildFailed;
  const std::string page =
      std::string(with_doctype ? "<!DOCTYPE html>" : "") + "<title>{standin:documentMode}</title>";
  {
    unique_handle file(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    if (!file ||
        !::WriteFile(file.get(), page.data(), static_cast<DWORD>(page.size()), &written, nullptr)) {
      return kChildFailed;
    }
  }
  wchar_t url[INTERNET_MAX_URL_LENGTH];
  DWORD length = INTERNET_MAX_URL_LENGTH;
  const bool loaded = SUCCEEDED(::UrlCreateFromPathW(path, url, &length, 0)) &&
                      SUCCEEDED(container.Navigate(url)) &&
                      container.WaitForTrace(std::wstring(L"DocumentComplete top ") + url);
  ::DeleteFileW(path);
  if (!loaded || container.recorder().events().size() < 3)
    return kChildFailed;
  // The title as TitleChange carried it, and documentMode by name: the same.
  const std::wstring title = container.recorder().events()[2].title;
  Microsoft::WRL::ComPtr<IDispatch> document;
  container.browser()->get_Document(&document);
  wchar_t name[] = L"documentMode";
  LPOLESTR names[] = {name};
  DISPID id = 0;
  DISPPARAMS none = {};
  ScopedVariant mode;
  if (!document || FAILED(document->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)) ||
      FAILED(document->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                              mode.get(), nullptr, nullptr)) ||
      mode.value().vt != VT_I4 || std::to_wstring(mode.value().lVal) != title) {
    return kChildFailed;
  }
  return mode.value().lVal;
}

TB_CHILD_ROUTINE(StandInModeWithDoctype) {
  return LoadModePage(true);
}

TB_CHILD_ROUTINE(StandInModeWithoutDoctype) {
  return LoadModePage(false);
}

class EmulationSettingTest : public testing::Test {
 protected:
  void SetUp() override {
    for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
      const LSTATUS status = ::RegDeleteKeyValueW(hive, kEmulationKey, kProgramName);
      ASSERT_TRUE(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) << status;
    }
  }

  void SetDword(HKEY hive, const wchar_t* name, DWORD value) {
    ASSERT_EQ(::RegSetKeyValueW(hive, kEmulationKey, name, REG_DWORD, &value, sizeof(value)),
              ERROR_SUCCESS);
  }

  static std::optional<DWORD> Mode(bool with_doctype) {
    return RunChild(CurrentTestProgram(),
                    with_doctype ? "StandInModeWithDoctype" : "StandInModeWithoutDoctype");
  }

  ScopedRegistryKeyBackup machine_{HKEY_LOCAL_MACHINE, kEmulationKey};
  ScopedRegistryKeyBackup user_{HKEY_CURRENT_USER, kEmulationKey};
  ScopedJournal journal_;
};

TEST_F(EmulationSettingTest, WithoutAValueTheDefaultIsSevenOrQuirks) {
  EXPECT_EQ(Mode(true), 7u);
  EXPECT_EQ(Mode(false), 5u);
  const std::vector<ScopedJournal::Line> read = journal_.Records(L"emulation");
  ASSERT_EQ(read.size(), 2u);  // once per process
  EXPECT_EQ(read[0].Field(L"value"), L"none");
  EXPECT_EQ(read[0].Field(L"hive"), L"none");
}

TEST_F(EmulationSettingTest, StandardValuesFollowTheDoctypeForcingValuesDoNot) {
  SetDword(HKEY_CURRENT_USER, kProgramName, 10000);
  EXPECT_EQ(Mode(true), 10u);
  EXPECT_EQ(Mode(false), 5u);
  SetDword(HKEY_CURRENT_USER, kProgramName, 11001);
  EXPECT_EQ(Mode(true), 11u);
  EXPECT_EQ(Mode(false), 11u);
  const std::vector<ScopedJournal::Line> read = journal_.Records(L"emulation");
  ASSERT_EQ(read.size(), 4u);
  EXPECT_EQ(read[3].Field(L"value"), L"11001");
  EXPECT_EQ(read[3].Field(L"hive"), L"HKCU");
}

TEST_F(EmulationSettingTest, MachineHiveComesFirstUnlessItsValueIsUnusable) {
  SetDword(HKEY_CURRENT_USER, kProgramName, 11001);
  SetDword(HKEY_LOCAL_MACHINE, kProgramName, 9999);
  EXPECT_EQ(Mode(false), 9u);
  SetDword(HKEY_LOCAL_MACHINE, kProgramName, 12345);
  EXPECT_EQ(Mode(false), 11u);
  const std::vector<ScopedJournal::Line> read = journal_.Records(L"emulation");
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].Field(L"hive"), L"HKLM");
  EXPECT_EQ(read[1].Field(L"hive"), L"HKCU");
}

TEST_F(EmulationSettingTest, OnlyAKnownDwordUnderThisProgramsNameCounts) {
  SetDword(HKEY_CURRENT_USER, L"iexplore.exe", 11001);
  EXPECT_EQ(Mode(false), 5u);
  const wchar_t text[] = L"11001";
  ASSERT_EQ(
      ::RegSetKeyValueW(HKEY_CURRENT_USER, kEmulationKey, kProgramName, REG_SZ, text, sizeof(text)),
      ERROR_SUCCESS);
  EXPECT_EQ(Mode(false), 5u);
  SetDword(HKEY_CURRENT_USER, kProgramName, 8001);
  EXPECT_EQ(Mode(true), 7u);
}

}  // namespace
