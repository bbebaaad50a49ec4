#include "host_functions/system_info.h"

#include <shlwapi.h>

#include <gtest/gtest.h>

#include "host_functions/version_text.h"
#include "tests/child_process.h"
#include "tests/scoped_registry_backup.h"

namespace {

constexpr RealVersion kWindows11 = {10, 0, 22631};

OSVERSIONINFOEXW Reported(DWORD platform, DWORD major, DWORD minor, DWORD build, BYTE type) {
  OSVERSIONINFOEXW info = {sizeof(info)};
  info.dwPlatformId = platform;
  info.dwMajorVersion = major;
  info.dwMinorVersion = minor;
  info.dwBuildNumber = build;
  info.wProductType = type;
  return info;
}

bool EndsWithIgnoringCase(const std::wstring& text, const std::wstring& end) {
  return text.size() >= end.size() &&
         ::lstrcmpiW(text.c_str() + text.size() - end.size(), end.c_str()) == 0;
}

std::wstring SystemFolder() {
  wchar_t folder[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  return std::wstring(folder, length);
}

// A class id nobody else registers.
constexpr CLSID kFakeServer = {0x6b1f0c8e,
                               0x2d4a,
                               0x4e47,
                               {0x9a, 0x3e, 0x51, 0x7c, 0x0d, 0x2b, 0x8f, 0x64}};
constexpr wchar_t kFakeServerKey[] = L"CLSID\\{6B1F0C8E-2D4A-4E47-9A3E-517C0D2B8F64}";
constexpr CLSID kWebBrowser = {0x8856F961,
                               0x340A,
                               0x11D0,
                               {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};

}  // namespace

TEST(SystemInfoTest, ReleaseCodeFromInjectedReadings) {
  EXPECT_EQ(ReleaseCodeFromVersionInfo(
                Reported(VER_PLATFORM_WIN32_NT, 5, 1, 2600, VER_NT_WORKSTATION), kWindows11),
            6);
  EXPECT_EQ(ReleaseCodeFromVersionInfo(Reported(VER_PLATFORM_WIN32_NT, 6, 1, 7601, VER_NT_SERVER),
                                       kWindows11),
            9);
  EXPECT_EQ(ReleaseCodeFromVersionInfo(
                Reported(VER_PLATFORM_WIN32_NT, 6, 2, 9200, VER_NT_WORKSTATION), kWindows11),
            13);
  EXPECT_EQ(ReleaseCodeFromVersionInfo(
                Reported(VER_PLATFORM_WIN32_NT, 6, 2, 9200, VER_NT_WORKSTATION), {10, 0, 19045}),
            12);
  EXPECT_EQ(ReleaseCodeFromVersionInfo(Reported(VER_PLATFORM_WIN32_NT, 10, 0, 17763, VER_NT_SERVER),
                                       {10, 0, 17763}),
            0);
  // Windows 98 and ME keep their version in the build number's high word.
  EXPECT_EQ(ReleaseCodeFromVersionInfo(Reported(VER_PLATFORM_WIN32_WINDOWS, 4, 10, 0x040A0822, 0),
                                       kWindows11),
            1);
  EXPECT_EQ(ReleaseCodeFromVersionInfo(Reported(VER_PLATFORM_WIN32_WINDOWS, 4, 90, 0x045A0BB8, 0),
                                       kWindows11),
            2);
}

// A fresh Wine prefix reports Windows 7 (6.1.7601) everywhere.
TEST(SystemInfoTest, WineReportsWindows7) {
  EXPECT_EQ(GetSystemVersion(), 8);
  EXPECT_EQ(GetSystemVersion(), 8);
  const RealVersion real = ReadRealVersion();
  EXPECT_EQ(real.major, 6u);
  EXPECT_EQ(real.minor, 1u);
  EXPECT_EQ(real.build, 7601u);
  const std::optional<RealVersion> kernel = ReadKernelFileVersion();
  ASSERT_TRUE(kernel);
  EXPECT_EQ(kernel->major, 6u);
  EXPECT_EQ(kernel->minor, 1u);
  EXPECT_EQ(kernel->build, 0u);
}

TEST(SystemInfoTest, FileVersionText) {
  const std::wstring mshtml = SystemFolder() + L"\\mshtml.dll";
  EXPECT_EQ(GetFileVersionText(mshtml.c_str(), L"ProductVersion"), L"6.0.2800.1106");
  EXPECT_EQ(GetFileVersionText(mshtml.c_str(), L"NoSuchString"), L"");
  // This test program carries no version resource.
  EXPECT_EQ(GetFileVersionText(CurrentTestProgram().c_str(), L"ProductVersion"), L"");
  EXPECT_EQ(GetFileVersionText(L"C:\\no\\such\\file.dll", L"ProductVersion"), L"");
}

TEST(SystemInfoTest, IEMajorVersionComesFromMshtml) {
  std::wstring iexplore;
  EXPECT_EQ(ComputeIEMajorVersion(&iexplore), 6);
  EXPECT_TRUE(EndsWithIgnoringCase(iexplore, L"\\Program Files\\Internet Explorer\\iexplore.exe"))
      << iexplore;
  // The fallback would have found another version.
  EXPECT_EQ(MajorVersionFromText(GetFileVersionText(iexplore.c_str(), L"ProductVersion")), 9);
  EXPECT_EQ(GetIEMajorVersion(), 6);
  EXPECT_EQ(ComputeIEMajorVersion(nullptr), 6);
}

TEST(SystemInfoTest, ComServerFolder) {
  ScopedRegistryKeyBackup backup(HKEY_CLASSES_ROOT, kFakeServerKey);
  wchar_t folder[MAX_PATH] = L"untouched";
  EXPECT_FALSE(GetComServerFolder(kFakeServer, folder));

  const std::wstring server_key = std::wstring(kFakeServerKey) + L"\\InprocServer32";
  const wchar_t plain[] = L"C:\\tb\\servers\\fake.dll";
  ASSERT_EQ(::RegSetKeyValueW(HKEY_CLASSES_ROOT, server_key.c_str(), nullptr, REG_SZ, plain,
                              sizeof(plain)),
            ERROR_SUCCESS);
  ASSERT_TRUE(GetComServerFolder(kFakeServer, folder));
  EXPECT_STREQ(folder, L"C:\\tb\\servers");

  const wchar_t at_root[] = L"C:\\fake.dll";
  ASSERT_EQ(::RegSetKeyValueW(HKEY_CLASSES_ROOT, server_key.c_str(), nullptr, REG_SZ, at_root,
                              sizeof(at_root)),
            ERROR_SUCCESS);
  ASSERT_TRUE(GetComServerFolder(kFakeServer, folder));
  EXPECT_STREQ(folder, L"C:\\");

  const wchar_t unexpanded[] = L"%SystemRoot%\\system32\\fake.dll";
  ASSERT_EQ(::RegSetKeyValueW(HKEY_CLASSES_ROOT, server_key.c_str(), nullptr, REG_EXPAND_SZ,
                              unexpanded, sizeof(unexpanded)),
            ERROR_SUCCESS);
  ASSERT_TRUE(GetComServerFolder(kFakeServer, folder));
  EXPECT_EQ(::lstrcmpiW(folder, SystemFolder().c_str()), 0) << folder;

  // A path longer than the buffer is refused rather than cut.
  const std::wstring too_long = L"C:\\" + std::wstring(MAX_PATH, L'a') + L"\\fake.dll";
  ASSERT_EQ(
      ::RegSetKeyValueW(HKEY_CLASSES_ROOT, server_key.c_str(), nullptr, REG_SZ, too_long.c_str(),
                        static_cast<DWORD>((too_long.size() + 1) * sizeof(wchar_t))),
      ERROR_SUCCESS);
  EXPECT_FALSE(GetComServerFolder(kFakeServer, folder));

  // Wine registers its control as C:\windows\system32\ieframe.dll.
  ASSERT_TRUE(GetComServerFolder(kWebBrowser, folder));
  EXPECT_EQ(::lstrcmpiW(folder, SystemFolder().c_str()), 0) << folder;
}

// Wine takes the language from the locale a process starts with (LC_ALL), so
// the locales are covered by ctest entries that set it along with the class
// they expect (host_functions/CMakeLists.txt).
TEST(SystemInfoTest, UiLanguageClassOfTheLocale) {
  wchar_t expected[4];
  const DWORD length =
      ::GetEnvironmentVariableW(L"TB_EXPECTED_UI_LANGUAGE_CLASS", expected, std::size(expected));
  if (length == 0 || length >= std::size(expected))
    GTEST_SKIP() << "runs in the ctest entries for chosen locales";
  const int expected_class = expected[0] - L'0';
  EXPECT_EQ(GetUiLanguageClass(), expected_class);
  const wchar_t* const texts[] = {L"en", L"hans", L"hant"};
  ASSERT_TRUE(expected_class >= 0 && expected_class < 3);
  EXPECT_EQ(PickLocalizedText(L"en", L"hans", L"hant"), texts[expected_class]);
}

TEST(SystemInfoTest, MissingLocalizedTextIsEmpty) {
  EXPECT_EQ(PickLocalizedText(nullptr, nullptr, nullptr), L"");
}

TEST(SystemInfoTest, ProgramFileName) {
  EXPECT_EQ(GetProgramFileName(), L"tb_win_tests.exe");
}

TEST(SystemInfoTest, RedirectionBitmapMattersFromWindows11On) {
  HWND plain = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
  HWND no_bitmap = ::CreateWindowExW(0x00200000, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                                     nullptr, nullptr, nullptr);
  ASSERT_TRUE(plain && no_bitmap);
  ASSERT_TRUE(::GetWindowLongW(no_bitmap, GWL_EXSTYLE) & 0x00200000);
  EXPECT_TRUE(IsChromeRemoveRedirectionBitmapOn(13, no_bitmap));
  EXPECT_FALSE(IsChromeRemoveRedirectionBitmapOn(12, no_bitmap));
  EXPECT_FALSE(IsChromeRemoveRedirectionBitmapOn(13, plain));
  EXPECT_FALSE(IsChromeRemoveRedirectionBitmapOn(13, nullptr));
  ::DestroyWindow(plain);
  EXPECT_FALSE(IsChromeRemoveRedirectionBitmapOn(13, plain)) << "a vanished window";
  ::DestroyWindow(no_bitmap);
  // Wine reports Windows 7.
  EXPECT_FALSE(IsChromeRemoveRedirectionBitmap(no_bitmap));
}
