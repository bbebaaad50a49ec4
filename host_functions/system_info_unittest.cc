#include "host_functions/system_info.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "host_functions/version_text.h"
#include "tests/scoped_registry_backup.h"
#include "utils/scoped_handle.h"

namespace {

std::wstring SystemFolder() {
  wchar_t folder[MAX_PATH];
  return std::wstring(folder, ::GetSystemDirectoryW(folder, MAX_PATH));
}

}  // namespace

// A fresh Wine prefix reports Windows 7 (6.1.7601) everywhere.
TEST(SystemInfoTest, WineReportsWindows7) {
  EXPECT_EQ(GetSystemVersion(), 8);
  const RealVersion real = ReadRealVersion();
  EXPECT_EQ(std::tie(real.major, real.minor, real.build), std::make_tuple(6ul, 1ul, 7601ul));
  const RealVersion kernel = ReadKernelFileVersion().value_or(RealVersion{});
  EXPECT_EQ(std::tie(kernel.major, kernel.minor, kernel.build), std::make_tuple(6ul, 1ul, 0ul));
}

TEST(SystemInfoTest, FileAndEngineVersions) {
  const std::wstring mshtml = SystemFolder() + L"\\mshtml.dll";
  EXPECT_EQ(GetFileVersionText(mshtml.c_str(), L"ProductVersion"), L"6.0.2800.1106");
  EXPECT_EQ(GetFileVersionText(L"C:\\no\\such\\file.dll", L"ProductVersion"), L"");
  std::wstring iexplore;
  EXPECT_EQ(ComputeIEMajorVersion(&iexplore), 6);
  // The fallback would have found another version.
  EXPECT_EQ(MajorVersionFromText(GetFileVersionText(iexplore.c_str(), L"ProductVersion")), 9);
  EXPECT_EQ(GetProgramFileName(), L"tb_win_tests.exe");
}

TEST(SystemInfoTest, ComServerFolder) {
  constexpr CLSID kFakeServer = {
      0x6b1f0c8e, 0x2d4a, 0x4e47, {0x9a, 0x3e, 0x51, 0x7c, 0x0d, 0x2b, 0x8f, 0x64}};
  const std::wstring key = L"CLSID\\{6B1F0C8E-2D4A-4E47-9A3E-517C0D2B8F64}";
  ScopedRegistryKeyBackup backup(HKEY_CLASSES_ROOT, key.c_str());
  wchar_t folder[MAX_PATH];
  EXPECT_FALSE(GetComServerFolder(kFakeServer, folder));
  const struct {
    DWORD type;
    std::wstring path;
    std::wstring folder;  // empty: refused rather than cut
  } cases[] = {{REG_SZ, L"C:\\tb\\servers\\fake.dll", L"C:\\tb\\servers"},
               {REG_EXPAND_SZ, L"%SystemRoot%\\system32\\fake.dll", SystemFolder()},
               {REG_SZ, L"C:\\" + std::wstring(MAX_PATH, L'a') + L"\\fake.dll", L""}};
  for (const auto& c : cases) {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CLASSES_ROOT, (key + L"\\InprocServer32").c_str(), nullptr,
                                c.type, c.path.c_str(), DWORD((c.path.size() + 1) * 2)),
              ERROR_SUCCESS);
    EXPECT_EQ(GetComServerFolder(kFakeServer, folder), !c.folder.empty());
    if (!c.folder.empty()) {
      EXPECT_EQ(::lstrcmpiW(folder, c.folder.c_str()), 0) << folder;
    }
  }
}

// Wine takes the language from the locale a process starts with (LC_ALL), so
// the locales are covered by ctest entries that set it along with the class
// they expect (host_functions/CMakeLists.txt).
TEST(SystemInfoTest, UiLanguageClassOfTheLocale) {
  wchar_t expected[4];
  if (::GetEnvironmentVariableW(L"TB_EXPECTED_UI_LANGUAGE_CLASS", expected, 4) != 1)
    GTEST_SKIP() << "runs in the ctest entries for chosen locales";
  ASSERT_EQ(GetUiLanguageClass(), expected[0] - L'0');
  EXPECT_EQ(PickLocalizedText(L"0", L"1", L"2"), std::wstring(1, expected[0]));
}

TEST(SystemInfoTest, RedirectionBitmapMattersFromWindows11On) {
  const auto popup = [](DWORD ex_style) {
    return unique_hwnd(::CreateWindowExW(ex_style, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                                         nullptr, nullptr, nullptr));
  };
  const unique_hwnd plain = popup(0);
  const unique_hwnd no_bitmap = popup(0x00200000);  // WS_EX_NOREDIRECTIONBITMAP
  EXPECT_TRUE(IsChromeRemoveRedirectionBitmapOn(13, no_bitmap.get()));
  EXPECT_FALSE(IsChromeRemoveRedirectionBitmapOn(12, no_bitmap.get()));
  EXPECT_FALSE(IsChromeRemoveRedirectionBitmapOn(13, plain.get()));
  EXPECT_FALSE(IsChromeRemoveRedirectionBitmap(no_bitmap.get())) << "Wine reports Windows 7";
}
