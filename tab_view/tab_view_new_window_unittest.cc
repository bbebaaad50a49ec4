#include <gtest/gtest.h>

#include <windows.h>

#include <tlhelp32.h>

#include <set>
#include <string>
#include <vector>

#include "tab_view/tab_view.h"
#include "ui_base/com_object.h"
#include "utils/scoped_handle.h"

namespace {

class FakeBrowser : public ComObject<IDispatch> {
 public:
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
      override {
    return E_NOTIMPL;
  }

 protected:
  void* FindInterface(REFIID iid) override {
    return FindInterfaceIn(iid, {Offer<IDispatch>(this)});
  }
};

class Owner : public NativeMessage::ClientDelegate {
 public:
  bool ClientNewWindow(const NewFrameParam& param) override {
    windows.push_back(param);
    return true;
  }
  bool ClientNewTab(const wchar_t* url, bool force_ie) override {
    tabs.push_back(std::wstring(url) + (force_ie ? L" ie" : L""));
    return true;
  }
  int GetFrameId() const override { return 3; }

  std::vector<NewFrameParam> windows;
  std::vector<std::wstring> tabs;
};

class Source : public INewFrameSource {
 public:
  Result CreateFrameForNewWindow(int opener_frame_id,
                                 int* new_frame_id,
                                 com_ptr<IDispatch>* browser) override {
    ++calls;
    EXPECT_EQ(opener_frame_id, 3);
    if (result == Result::kCreated) {
      *new_frame_id = 9;
      *browser = browser_;
    }
    return result;
  }

  Result result = Result::kCreated;
  int calls = 0;
  com_ptr<IDispatch> browser_{MakeComObject<FakeBrowser>().get()};
};

std::set<DWORD> ChildProcessIds() {
  std::set<DWORD> ids;
  const unique_handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry = {sizeof(entry)};
  for (BOOL ok = ::Process32FirstW(snapshot.get(), &entry); ok;
       ok = ::Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ParentProcessID == ::GetCurrentProcessId())
      ids.insert(entry.th32ProcessID);
  }
  return ids;
}

class TabViewNewWindowTest : public testing::Test {
 protected:
  // The event's outcome: the browser handed to the engine and the cancel flag.
  struct Outcome {
    com_ptr<IDispatch> browser;
    bool cancelled = false;
  };

  Outcome Raise(DWORD flags, const wchar_t* url) {
    Outcome outcome;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    view_.NotifyNewWindow(outcome.browser.put(), &cancel, flags, L"http://o/", url);
    outcome.cancelled = cancel == VARIANT_TRUE;
    return outcome;
  }

  Owner owner_;
  Source source_;
  CTabView view_{&owner_, &source_};
};

TEST_F(TabViewNewWindowTest, AnOpenedWindowGetsAFrameWithTheCachedFeatures) {
  view_.NotifyEvaluateNewWindow(L"http://n/", L"w", L"http://o/", L"width=200", FALSE, 0x40006, 7);
  const Outcome outcome = Raise(0x40006, L"http://n/");
  EXPECT_EQ(outcome.browser.get(), source_.browser_.get());
  EXPECT_FALSE(outcome.cancelled);
  ASSERT_EQ(owner_.windows.size(), 1u);
  EXPECT_EQ(owner_.windows[0].url, L"http://n/");
  EXPECT_EQ(owner_.windows[0].features, L"width=200");
  EXPECT_TRUE(owner_.windows[0].popup);
  EXPECT_EQ(owner_.windows[0].new_frame_id, 9);

  // The record went with the first event; a plain link is no pop-up.
  Raise(0x40006, L"http://n/");
  Raise(0x6, nullptr);
  ASSERT_EQ(owner_.windows.size(), 3u);
  EXPECT_EQ(owner_.windows[1].features, L"");
  EXPECT_FALSE(owner_.windows[2].popup);
  EXPECT_EQ(owner_.windows[2].url, L"about:blank");
  EXPECT_TRUE(owner_.tabs.empty());
}

TEST_F(TabViewNewWindowTest, WithoutAFrameOrItsBrowserTheUrlGoesToTheBrowser) {
  for (const auto result :
       {INewFrameSource::Result::kNoFrame, INewFrameSource::Result::kNoBrowser}) {
    source_.result = result;
    const Outcome outcome = Raise(0x6, L"http://n/");
    EXPECT_FALSE(outcome.browser);
    EXPECT_TRUE(outcome.cancelled);
  }
  EXPECT_EQ(owner_.tabs, (std::vector<std::wstring>{L"http://n/ ie", L"http://n/ ie"}));
  EXPECT_TRUE(owner_.windows.empty());
}

TEST_F(TabViewNewWindowTest, AFolderOpensInTheShell) {
  wchar_t windows[MAX_PATH] = L"";
  ASSERT_GT(::GetWindowsDirectoryW(windows, MAX_PATH), 0u);
  std::wstring folder = L"file:///" + std::wstring(windows);
  for (wchar_t& c : folder) {
    if (c == L'\\')
      c = L'/';
  }
  const std::set<DWORD> before = ChildProcessIds();
  EXPECT_TRUE(Raise(0x6, folder.c_str()).cancelled);
  EXPECT_EQ(source_.calls, 0);
  // The shell's window would outlive the test.
  for (const DWORD id : ChildProcessIds()) {
    const unique_handle child(::OpenProcess(PROCESS_TERMINATE, FALSE, id));
    if (!before.contains(id) && child)
      ::TerminateProcess(child.get(), 0);
  }

  EXPECT_FALSE(Raise(0x6, (folder + L"/win.ini").c_str()).cancelled);
  EXPECT_EQ(source_.calls, 1);
}

}  // namespace
