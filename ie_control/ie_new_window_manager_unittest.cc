#include "ie_control/ie_new_window_manager.h"

#include <gtest/gtest.h>

#include "ie_control/ie_test_util.h"
#include "ui_base/com_ptr.h"

namespace {

TEST(IENewWindowManagerTest, PassesEveryArgumentOnUnchangedAndAllowsTheWindow) {
  RecordingNotify notify;
  ComPtr<IENewWindowManager> manager = MakeComObject<IENewWindowManager>();
  manager->SetNotify(&notify);
  EXPECT_EQ(manager->EvaluateNewWindow(L"http://a/pop", L"name", L"http://a/", L"width=300", TRUE,
                                       NWMF_USERINITED | NWMF_FIRST, 12345),
            S_OK);
  EXPECT_EQ(manager->EvaluateNewWindow(nullptr, nullptr, nullptr, nullptr, FALSE, 0, 0), S_OK);
  EXPECT_EQ(notify.lines, (std::vector<std::wstring>{
                              L"EvaluateNewWindow http://a/pop name http://a/ width=300 1 6 12345",
                              L"EvaluateNewWindow (null) (null) (null) (null) 0 0 0"}));
}

TEST(IENewWindowManagerTest, AllowsWindowsEvenWithNobodyToTell) {
  ComPtr<IENewWindowManager> manager = MakeComObject<IENewWindowManager>();
  EXPECT_EQ(manager->EvaluateNewWindow(L"http://a/", nullptr, nullptr, nullptr, FALSE, 0, 0), S_OK);
}

TEST(IENewWindowManagerTest, AnswersOnlyItsOwnInterface) {
  ComPtr<IENewWindowManager> manager = MakeComObject<IENewWindowManager>();
  ComPtr<INewWindowManager> typed;
  ComPtr<IUnknown> unknown;
  ComPtr<IDispatch> dispatch;
  EXPECT_EQ(manager.As(&typed), S_OK);
  EXPECT_EQ(manager.As(&unknown), S_OK);
  EXPECT_EQ(manager.As(&dispatch), E_NOINTERFACE);
}

}  // namespace
