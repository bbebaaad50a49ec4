// The log lines of the browser host, as a child process with logging on
// writes them.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ie_control/ie_ax.h"
#include "ie_control/ie_control.h"
#include "ie_control/ie_ole_client_site.h"
#include "tests/child_process.h"
#include "tests/scoped_registry_backup.h"
#include "tools/stand_in_engine/testing/scoped_stand_in_engine.h"
#include "ui_base/ax_test_util.h"
#include "utils/log.h"

namespace {

namespace fs = std::filesystem;

class LoggingNotify : public IIEControlNotify {
 public:
  void NotifyCloseTab() override { LOG(DEBUG) << L"test NotifyCloseTab"; }
};

TB_CHILD_ROUTINE(ScriptCloseOfTheClientSite) {
  ScopedOleInitialize ole;
  LoggingNotify notify;
  com_ptr<IEOleClientSite> site = MakeComObject<IEOleClientSite>();
  site->SetNotify(&notify);
  return site->Exec(nullptr, OLECMDID_CLOSE, 0, nullptr, nullptr) == S_FALSE ? 0 : 1;
}

TB_CHILD_ROUTINE(HostThroughItsWholeLife) {
  ScopedOleInitialize ole;
  unique_hwnd parent = CreatePlainWindow();
  const HWND window = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 100, 100, parent.get(),
                                        nullptr, ::GetModuleHandleW(nullptr), nullptr);
  LoggingNotify notify;
  com_ptr<IEAx> host = MakeComObject<IEAx>();
  host->CreateBrowser(window, &notify);
  LOG(DEBUG) << L"test host " << host.get();
  ::SendMessageW(window, WM_DESTROY, 0, 0);
  host.reset();
  ::DestroyWindow(window);
  return 0;
}

TB_CHILD_ROUTINE(FocusWithoutADocument) {
  ScopedOleInitialize ole;
  unique_hwnd parent = CreatePlainWindow();
  LoggingNotify notify;
  CIEControl control(nullptr, &notify);
  if (!control.Create(parent.get(), RECT{0, 0, 100, 100}, 6, true))
    return 1;
  const bool focused = control.FocusWebBrowser();
  control.Close();
  ::DestroyWindow(control.hwnd());
  return focused ? 2 : 0;
}

// Runs routines from a copy of this program in a folder of its own, so the
// log ("<folder>\log\<program>.log") is theirs alone.
class IEControlLogTest : public testing::Test {
 protected:
  void SetUp() override {
    std::error_code error;
    const fs::path self = CurrentTestProgram();
    folder_ = fs::temp_directory_path(error) /
              ("tb_ie_log_" + std::to_string(::GetCurrentProcessId()) + "_" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_, error);
    ASSERT_TRUE(fs::create_directories(folder_, error)) << error.message();
    program_ = folder_ / self.filename();
    ASSERT_TRUE(fs::copy_file(self, program_, error)) << error.message();
    log_ = folder_ / "log" / (self.filename().wstring() + L".log");
    const DWORD debug = 0;
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\tabbridge", L"LogLevel", REG_DWORD,
                                &debug, sizeof(debug)),
              ERROR_SUCCESS);
  }

  void TearDown() override {
    std::error_code error;
    fs::remove_all(folder_, error);
  }

  // The text of every line, without its prefix.
  std::vector<std::string> RunAndReadLog(const char* routine) {
    EXPECT_EQ(RunChild(program_.wstring(), routine), 0u) << routine;
    std::ifstream file(log_, std::ios::binary);
    std::vector<std::string> texts;
    std::string line;
    while (std::getline(file, line)) {
      const size_t end_of_prefix = line.find("] ");
      if (end_of_prefix == std::string::npos)
        continue;
      std::string text = line.substr(end_of_prefix + 2);
      if (!text.empty() && text.back() == '\r')
        text.pop_back();
      texts.push_back(text);
    }
    return texts;
  }

  // Wine's own control: no stand-in engine registered by a test running
  // alongside meanwhile.
  ScopedRegistryKeyBackup wine_browser_{HKEY_LOCAL_MACHINE, kWebBrowserServerKey};
  ScopedRegistryKeyBackup settings_{HKEY_CURRENT_USER, L"Software\\tabbridge"};
  fs::path folder_;
  fs::path program_;
  fs::path log_;
};

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

TEST_F(IEControlLogTest, ScriptCloseMarksThePopupGuardBeforeItIsReported) {
  const std::vector<std::string> lines = RunAndReadLog("ScriptCloseOfTheClientSite");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(StartsWith(lines[0], "IntelliFormsPopupCloseGuard MarkPopupClose tick ")) << lines[0];
  EXPECT_EQ(lines[1], "test NotifyCloseTab");
}

TEST_F(IEControlLogTest, HostLogsEachDestroyItsFinalMessageAndItsEnd) {
  const std::vector<std::string> lines = RunAndReadLog("HostThroughItsWholeLife");
  ASSERT_FALSE(lines.empty());
  ASSERT_TRUE(StartsWith(lines[0], "test host ")) << lines[0];
  const std::string host = lines[0].substr(std::string("test host ").size());
  EXPECT_EQ(lines,
            (std::vector<std::string>{"test host " + host, "OnDestroy " + host + " destroyed 0",
                                      "OnDestroy " + host + " destroyed 1",
                                      "OnFinalMessage " + host, "IEAx Destructor " + host}));
}

TEST_F(IEControlLogTest, FocusWithoutADocumentLogsEachFailedStep) {
  std::vector<std::string> lines = RunAndReadLog("FocusWithoutADocument");
  ASSERT_GE(lines.size(), 5u);
  lines.resize(5);  // the host's own lines follow as the window goes
  // Wine's engine has no document: both ways fail at the document.
  EXPECT_EQ(lines,
            (std::vector<std::string>{"get_Document Fail", "GetDocument2 Fail", "get_Document Fail",
                                      "GetDocument2 Fail", "FocusWebBrowser Fail"}));
}

}  // namespace
