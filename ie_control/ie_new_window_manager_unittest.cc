#include "ie_control/ie_new_window_manager.h"

#include <gtest/gtest.h>

#include "ie_control/ie_test_util.h"
#include "utils/com_ptr.h"

namespace {

TEST(IENewWindowManagerTest, PassesEveryArgumentOnUnchangedAndAllowsTheWindow) {
  RecordingNotify notify;
  com_ptr<IENewWindowManager> manager = MakeComObject<IENewWindowManager>();
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
  com_ptr<IENewWindowManager> manager = MakeComObject<IENewWindowManager>();
  EXPECT_EQ(manager->EvaluateNewWindow(L"http://a/", nullptr, nullptr, nullptr, FALSE, 0, 0), S_OK);
}

TEST(IENewWindowManagerTest, AnswersOnlyItsOwnInterface) {
  com_ptr<IENewWindowManager> manager = MakeComObject<IENewWindowManager>();
  com_ptr<INewWindowManager> typed;
  com_ptr<IUnknown> unknown;
  com_ptr<IDispatch> dispatch;
  EXPECT_EQ(manager.query(&typed), S_OK);
  EXPECT_EQ(manager.query(&unknown), S_OK);
  EXPECT_EQ(manager.query(&dispatch), E_NOINTERFACE);
}

}  // namespace
