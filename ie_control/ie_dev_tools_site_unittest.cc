#include "ie_control/ie_dev_tools_site.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records the host's calls in order.
class FakeTools : public ComObject<IEDevTools> {
 public:
  FakeTools(std::vector<std::string>* calls, HRESULT set_site_result)
      : calls_(calls), set_site_result_(set_site_result) {}
  ~FakeTools() override { calls_->push_back("gone"); }

  STDMETHODIMP SetSite(IEDevToolsSite* site) override {
    calls_->push_back(site ? "site" : "no site");
    return set_site_result_;
  }
  STDMETHODIMP Show(BOOL show) override { return Record(show ? "show" : "hide"); }
  STDMETHODIMP Slot5() override { return Record("5"); }
  STDMETHODIMP Close() override { return Record("close"); }
  STDMETHODIMP Slot7() override { return Record("7"); }
  STDMETHODIMP Slot8() override { return Record("8"); }
  STDMETHODIMP SetDockState(DWORD state) override { return Record("dock" + std::to_string(state)); }
  STDMETHODIMP Slot10() override { return Record("10"); }
  STDMETHODIMP Activate() override { return Record("activate"); }

 protected:
  void* FindInterface(REFIID iid) override {
    return FindInterfaceIn(iid, {{IID_IUnknown, static_cast<IEDevTools*>(this)}});
  }

 private:
  HRESULT Record(std::string call) {
    calls_->push_back(std::move(call));
    return S_OK;
  }
  std::vector<std::string>* calls_;
  HRESULT set_site_result_;
};

struct Recorded {
  std::vector<std::string> calls;
  std::vector<IID> created;
  std::vector<std::pair<DWORD, HWND>> copies;
};

IEDevToolsSiteImpl::Launcher RecordingLauncher(Recorded* recorded,
                                               bool tools_exist,
                                               HRESULT set_site_result = S_OK) {
  return {[=](REFIID iid, void** tools) {
            recorded->created.push_back(iid);
            if (!tools_exist)
              return REGDB_E_CLASSNOTREG;
            *tools = static_cast<IEDevTools*>(
                MakeComObject<FakeTools>(&recorded->calls, set_site_result).release());
            return S_OK;
          },
          [=](DWORD process_id, HWND page) { recorded->copies.emplace_back(process_id, page); }};
}

const HWND kPage = reinterpret_cast<HWND>(0x1a2b);

TEST(IEDevToolsSiteTest, GivesTheBrowsersIdentityOrFailsWithoutOne) {
  std::vector<std::string> unused;
  // Any object stands for the browser: the site only hands its identity on.
  const com_ptr<IUnknown> browser(MakeComObject<FakeTools>(&unused, S_OK)->GetUnknown());
  for (const bool with_browser : {true, false}) {
    const auto site = MakeComObject<IEDevToolsSiteImpl>(with_browser ? browser : nullptr, 11);
    com_ptr<IUnknown> answer;
    EXPECT_EQ(site->GetBrowser(answer.put()), with_browser ? S_OK : E_FAIL);
    EXPECT_EQ(answer.get(), with_browser ? browser.get() : nullptr);
  }
}

TEST(IEDevToolsSiteTest, ToolsAreMadeOnceWithTheEnginesInterfaceAndClosedWithTheSite) {
  for (const auto& [engine, iid] :
       {std::pair{10, kDevToolsInterfaceOlder}, std::pair{11, kDevToolsInterface11}}) {
    Recorded recorded;
    {
      const auto site =
          MakeComObject<IEDevToolsSiteImpl>(nullptr, engine, RecordingLauncher(&recorded, true));
      EXPECT_TRUE(site->Open(true, kPage));
      EXPECT_TRUE(site->Open(false, kPage));
    }
    EXPECT_EQ(recorded.created, std::vector<IID>{iid}) << engine;
    EXPECT_EQ(recorded.calls,
              (std::vector<std::string>{"site", "dock0", "show", "activate", "dock0", "hide",
                                        "activate", "close", "gone"}));
    EXPECT_TRUE(recorded.copies.empty());
  }
}

TEST(IEDevToolsSiteTest, WithoutToolsHereEachOpenStartsACopyForThePage) {
  Recorded recorded;
  const auto site =
      MakeComObject<IEDevToolsSiteImpl>(nullptr, 11, RecordingLauncher(&recorded, false));
  EXPECT_TRUE(site->Open(true, kPage));
  EXPECT_TRUE(site->Open(true, kPage));
  const std::pair<DWORD, HWND> copy{::GetCurrentProcessId(), kPage};
  EXPECT_EQ(recorded.copies, (std::vector<std::pair<DWORD, HWND>>{copy, copy}));
}

TEST(IEDevToolsSiteTest, ToolsThatRefuseTheSiteAreNotShown) {
  Recorded recorded;
  {
    const auto site =
        MakeComObject<IEDevToolsSiteImpl>(nullptr, 11, RecordingLauncher(&recorded, true, E_FAIL));
    EXPECT_FALSE(site->Open(true, kPage));
  }
  EXPECT_EQ(recorded.calls, (std::vector<std::string>{"site", "close", "gone"}));
}

}  // namespace
