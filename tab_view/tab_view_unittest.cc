#include "tab_view/tab_view.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/scoped_registry_backup.h"

namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\tabbridge";

class RecordingOwner : public NativeMessage::ClientDelegate {
 public:
  bool ClientTitleChange(const wchar_t* title) override {
    calls.push_back(std::wstring(L"title ") + title);
    return true;
  }
  int GetFrameId() const override { return 3; }
  std::vector<std::wstring> calls;
};

class TabViewTest : public testing::Test {
 protected:
  std::optional<DWORD> ReadCount() {
    DWORD count = 0;
    DWORD size = sizeof(count);
    if (::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, L"review_open_count", RRF_RT_REG_DWORD,
                       nullptr, &count, &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    return count;
  }
  void WriteCount(DWORD count) {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"review_open_count", REG_DWORD,
                                &count, sizeof(count)),
              ERROR_SUCCESS);
  }

  // Cookies for `url` as a request would carry them; HttpOnly ones too when
  // asked for.
  static std::wstring Cookies(const std::wstring& url, bool http_only) {
    wchar_t cookies[2048] = L"";
    DWORD size = std::size(cookies);
    if (!::InternetGetCookieExW(url.c_str(), nullptr, cookies, &size,
                                http_only ? INTERNET_COOKIE_HTTPONLY : 0, nullptr)) {
      return std::wstring();
    }
    return cookies;
  }

  ScopedRegistryKeyBackup settings_{HKEY_CURRENT_USER, kSettingsKey};
  RecordingOwner owner_;
  CTabView view_{&owner_, nullptr};
  // Session cookies of this process only.
  const std::wstring url_ =
      L"http://tb-tab-view-" + std::to_wstring(::GetCurrentProcessId()) + L".test/path/";
};

TEST_F(TabViewTest, CompletedDocumentsCountUpToTenAndReportTheTitle) {
  ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"review_open_count");
  view_.NotifyDocumentComplete(6, L"http://a/", L"First");
  EXPECT_EQ(ReadCount(), 1u) << "a missing value counts as 0";

  WriteCount(8);
  view_.NotifyDocumentComplete(6, L"http://a/", L"");
  EXPECT_EQ(ReadCount(), 9u);
  view_.NotifyDocumentComplete(6, L"http://a/", L"Third");
  EXPECT_EQ(ReadCount(), 10u);
  view_.NotifyDocumentComplete(6, L"http://a/", L"Fourth");
  EXPECT_EQ(ReadCount(), 10u) << "stops at 10";
  WriteCount(25);
  view_.NotifyDocumentComplete(6, nullptr, L"Fifth");
  EXPECT_EQ(ReadCount(), 25u) << "left alone above 10";

  EXPECT_EQ(owner_.calls, (std::vector<std::wstring>{L"title First", L"title ", L"title Third",
                                                     L"title Fourth", L"title Fifth"}));
}

TEST_F(TabViewTest, CountOfAnotherTypeStartsAgain) {
  const wchar_t text[] = L"7";
  ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"review_open_count", REG_SZ, text,
                              sizeof(text)),
            ERROR_SUCCESS);
  view_.NotifyDocumentComplete(6, L"http://a/", L"t");
  EXPECT_EQ(ReadCount(), 1u);
}

TEST_F(TabViewTest, SetCookiesSetsEachLineWithItsFlag) {
  const std::wstring tag = std::to_wstring(::GetCurrentProcessId());
  // The HttpOnly cookie says so itself: the engine refuses such a cookie
  // unless the caller sets it as HttpOnly.
  view_.SetCookies(url_.c_str(), (L"plain" + tag + L"%3Done%0A%0A%23httponly%23secret" + tag +
                                  L"%3Dtwo%3B%20HttpOnly%0D%0Aspaced" + tag + L"%3Da%20b\n")
                                     .c_str());
  const std::wstring visible = Cookies(url_, false);
  EXPECT_NE(visible.find(L"plain" + tag + L"=one"), std::wstring::npos) << visible;
  EXPECT_NE(visible.find(L"spaced" + tag + L"=a b"), std::wstring::npos) << visible;
  EXPECT_EQ(visible.find(L"secret" + tag), std::wstring::npos) << visible;
  EXPECT_EQ(visible.find(L"httponly#"), std::wstring::npos) << visible;
  const std::wstring all = Cookies(url_, true);
  EXPECT_NE(all.find(L"secret" + tag + L"=two"), std::wstring::npos) << all;
}

}  // namespace
