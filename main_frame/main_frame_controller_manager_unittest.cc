#include "main_frame/main_frame_controller_manager.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "channel/client_notifications.h"
#include "tests/channel_test_util.h"
#include "utils/scoped_handle.h"

namespace {

using ::testing::_;
using ::testing::Invoke;
using ::testing::Return;

class FakeController : public IFrameController {
 public:
  FakeController(int id, std::vector<int>* closed) : id_(id), closed_(closed) {
    ON_CALL(*this, CrxCreate(_)).WillByDefault(Return(true));
  }
  ~FakeController() override {
    if (on_destroy)
      on_destroy();
  }
  int GetFrameId() const override { return id_; }
  MOCK_METHOD(bool, CrxCreate, (const CreateParams&), (override));
  MOCK_METHOD(bool, CrxAttach, (const AttachParams&), (override));
  MOCK_METHOD(bool, CrxReSize, (int, int, int), (override));
  MOCK_METHOD(bool, ShowReviewDialog, (bool), (override));
  const CreateParams* GetCreateParams() const override { return create_params.get(); }
  void CreateFrameFrom(const CreateParams& params, CMainFrame** frame) override {
    created_from = params;
    *frame = reinterpret_cast<CMainFrame*>(this);
  }
  bool CrxClose(int frame_id, int session_id) override {
    closed_->push_back(frame_id);
    last_close_session = session_id;
    if (on_close)
      on_close(frame_id);
    return true;
  }
  std::function<void(int)> on_close;
  std::function<void()> on_destroy;
  int last_close_session = 0;
  std::unique_ptr<CreateParams> create_params;
  std::optional<CreateParams> created_from;

 private:
  int id_;
  std::vector<int>* closed_;
};

std::string Answer(int session_id, std::string_view ret) {
  return *BuildCommonResponse(session_id, ret);
}

// True when a quit message is waiting in this thread's queue; removes it.
bool TakeQuitMessage() {
  MSG msg;
  return ::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

class ManagerTest : public ::testing::Test {
 protected:
  ManagerTest() : manager_(&stream_, &runner_) {
    manager_.services().create_controller = [this](int id) {
      auto controller = std::make_unique<::testing::NiceMock<FakeController>>(id, &closed_);
      controllers_[id] = controller.get();
      return controller;
    };
  }
  ~ManagerTest() override {
    // The manager leaves controllers alive at exit; these are ours to free.
    for (int id = 1; id <= 10; ++id)
      manager_.RemoveController(id);
    TakeQuitMessage();
  }

  void Create(int session_id) {
    CreateParams params;
    params.session_id = session_id;
    params.port = "p";
    manager_.CrxCreate(params);
  }

  CaptureStream stream_;
  InlineRunner runner_;
  CMainFrameControllerManager manager_;
  std::map<int, FakeController*> controllers_;
  std::vector<int> closed_;
};

TEST_F(ManagerTest, FrameIdsCountUpAndAreNeverReused) {
  Create(1);
  Create(2);
  ASSERT_EQ(manager_.GetFrameCount(), 2);
  EXPECT_NE(manager_.GetFrameController(1), nullptr);
  EXPECT_NE(manager_.GetFrameController(2), nullptr);

  manager_.ProcessFrameDestroy(2);
  EXPECT_EQ(manager_.GetFrameController(2), nullptr);
  Create(3);
  EXPECT_EQ(manager_.GetFrameController(2), nullptr);
  EXPECT_NE(manager_.GetFrameController(3), nullptr);
  EXPECT_FALSE(TakeQuitMessage());
}

TEST_F(ManagerTest, CreateWithoutAWindowAnswersMinusOneAndUsesUpTheId) {
  const struct {
    const char* name;
    // The window that fails after its first messages reports its end at once.
    bool reports_destroy;
  } cases[] = {{"window refused", false}, {"window ended while being made", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const int refused_id = static_cast<int>(controllers_.size()) + 1;
    manager_.services().create_controller = [&](int id) {
      auto controller = std::make_unique<FakeController>(id, &closed_);
      EXPECT_CALL(*controller, CrxCreate(_)).WillOnce([&, id](const CreateParams&) {
        if (c.reports_destroy)
          manager_.ProcessFrameDestroy(id);
        return false;
      });
      controllers_[id] = controller.get();
      return controller;
    };
    stream_.bytes.clear();
    Create(7);
    EXPECT_EQ(stream_.Messages(), std::vector<std::string>{Answer(7, "-1")});
    EXPECT_EQ(manager_.GetFrameController(refused_id), nullptr);
    EXPECT_EQ(manager_.GetFrameCount(), 0);
    EXPECT_FALSE(TakeQuitMessage()) << "a refused frame does not end the process";
    EXPECT_FALSE(manager_.channel().IsStopped());
  }
  manager_.services().create_controller = [this](int id) {
    auto controller = std::make_unique<::testing::NiceMock<FakeController>>(id, &closed_);
    controllers_[id] = controller.get();
    return controller;
  };
  Create(8);
  EXPECT_NE(manager_.GetFrameController(3), nullptr) << "the refused ids stay used";
}

TEST_F(ManagerTest, PerFrameRequestsReachOnlyTheNamedFrame) {
  Create(1);
  Create(2);
  EXPECT_CALL(*controllers_[2], CrxReSize(2, 640, 480)).WillOnce(Return(true));
  EXPECT_CALL(*controllers_[1], CrxReSize(_, _, _)).Times(0);
  EXPECT_TRUE(manager_.CrxReSize(2, 640, 480));
  EXPECT_FALSE(manager_.CrxReSize(7, 640, 480));
  EXPECT_FALSE(manager_.CrxReSize(-1, 640, 480));

  AttachParams attach;
  attach.frame_id = 9;
  EXPECT_FALSE(manager_.CrxAttach(attach));
  EXPECT_FALSE(manager_.CrxClose(4, 11));
  EXPECT_TRUE(closed_.empty());
  // The frame is closed with no session of its own.
  EXPECT_TRUE(manager_.CrxClose(1, 11));
  EXPECT_EQ(closed_, std::vector<int>{1});
  EXPECT_EQ(controllers_[1]->last_close_session, -1);
  EXPECT_TRUE(stream_.Messages().empty()) << "unknown frames get no answer";
}

TEST_F(ManagerTest, ProcessWideAnswers) {
  PingParams ping;
  manager_.CrxPing(ping);
  CheckVersionParams version;
  version.session_id = 3;
  version.version = "2.26.20.0";
  manager_.CrxCheckVersion(version);
  version.version = "2.26.19.0";
  manager_.CrxCheckVersion(version);
  version.version = "2.27.0.0";
  manager_.CrxCheckVersion(version);
  UpdateParams update;
  update.session_id = 8;
  manager_.CrxUpdate(update);
  manager_.CrxGroupPolicies(-1, 9);

  const std::vector<std::string> expected = {
      Answer(-1, "-1"),    Answer(3, ""),   Answer(3, "update"),
      Answer(3, "update"), Answer(8, "-1"), Answer(9, "unknown"),
  };
  EXPECT_EQ(stream_.Messages(), expected);
}

TEST_F(ManagerTest, UpdateAndPolicyServicesAreUsedWhenPresent) {
  std::string updated_version;
  manager_.services().update = [&](const UpdateParams& p) { updated_version = p.version; };
  manager_.services().group_policies = [] { return std::string("{\n\t\"rules\":\t[]\n}"); };
  UpdateParams update;
  update.session_id = 1;
  update.version = "2.26.21.0";
  manager_.CrxUpdate(update);
  manager_.CrxGroupPolicies(-1, 2);
  EXPECT_EQ(updated_version, "2.26.21.0");
  ASSERT_EQ(stream_.Messages().size(), 2u);
  EXPECT_EQ(stream_.Messages()[1], Answer(2, "{\n\t\"rules\":\t[]\n}"));
}

TEST_F(ManagerTest, CookieSyncNamesTheSmallestOpenFrame) {
  EXPECT_FALSE(manager_.SendCookieSync(L"http://a/", L"k=v", false));
  EXPECT_TRUE(stream_.Messages().empty());
  for (int i = 1; i <= 5; ++i)
    Create(i);
  manager_.ProcessFrameDestroy(1);
  manager_.ProcessFrameDestroy(2);
  manager_.ProcessFrameDestroy(4);
  ASSERT_TRUE(manager_.SendCookieSync(L"http://a/", L"k=v", true));
  EXPECT_EQ(stream_.Messages().back(), BuildCookieSync("http://a/", "k=v", true, 3));
}

TEST_F(ManagerTest, LastFrameDestroyedEndsTheLoop) {
  Create(1);
  Create(2);
  manager_.ProcessFrameDestroy(1);
  EXPECT_FALSE(TakeQuitMessage());
  EXPECT_FALSE(manager_.channel().IsStopped());
  manager_.ProcessFrameDestroy(2);
  EXPECT_TRUE(TakeQuitMessage());
  EXPECT_TRUE(manager_.channel().IsStopped());
}

TEST_F(ManagerTest, ReviewPromptGoesToTheLargestOtherFrame) {
  manager_.services().should_show_review = [] { return true; };
  for (int i = 1; i <= 3; ++i)
    Create(i);
  EXPECT_CALL(*controllers_[3], ShowReviewDialog(false));
  EXPECT_CALL(*controllers_[1], ShowReviewDialog(_)).Times(0);
  manager_.ProcessFrameDestroy(2);
  ::testing::Mock::VerifyAndClearExpectations(controllers_[3]);

  EXPECT_CALL(*controllers_[1], ShowReviewDialog(false));
  manager_.ProcessFrameDestroy(3);
  ::testing::Mock::VerifyAndClearExpectations(controllers_[1]);

  // Never while the last frame closes.
  EXPECT_CALL(*controllers_[1], ShowReviewDialog(_)).Times(0);
  manager_.ProcessFrameDestroy(1);
  EXPECT_TRUE(TakeQuitMessage());
}

TEST_F(ManagerTest, EndOfInputClosesEveryFrameInAscendingOrder) {
  for (int i = 1; i <= 3; ++i)
    Create(i);
  // Closing destroys the window at once, which removes the frame re-entrantly.
  for (auto& [id, controller] : controllers_)
    controller->on_close = [this](int frame_id) { manager_.ProcessFrameDestroy(frame_id); };
  EXPECT_TRUE(manager_.QuitExtension());
  EXPECT_EQ(closed_, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(manager_.GetFrameCount(), 0);
  EXPECT_TRUE(manager_.channel().IsStopped());
  EXPECT_TRUE(TakeQuitMessage());
}

TEST_F(ManagerTest, EndOfInputSurvivesAFrameThatClosesAnother) {
  for (int i = 1; i <= 3; ++i)
    Create(i);
  controllers_[1]->on_close = [this](int frame_id) {
    manager_.ProcessFrameDestroy(frame_id);
    manager_.ProcessFrameDestroy(2);
  };
  controllers_[3]->on_close = [this](int frame_id) { manager_.ProcessFrameDestroy(frame_id); };
  EXPECT_TRUE(manager_.QuitExtension());
  EXPECT_EQ(closed_, (std::vector<int>{1, 3}));
  EXPECT_EQ(manager_.GetFrameCount(), 0);
}

// Whether another thread can take the map lock within a while; the probe
// thread is left in `probe` for the caller to wait for.
DWORD WINAPI CountFrames(void* manager) {
  return static_cast<DWORD>(static_cast<CMainFrameControllerManager*>(manager)->GetFrameCount());
}

bool MapLockIsFree(CMainFrameControllerManager* manager, unique_handle* probe) {
  probe->reset(::CreateThread(nullptr, 0, &CountFrames, manager, 0, nullptr));
  return ::WaitForSingleObject(probe->get(), 5000) == WAIT_OBJECT_0;
}

TEST_F(ManagerTest, ControllersAreDeletedOutsideTheMapLock) {
  const struct {
    const char* name;
    std::function<void(CMainFrameControllerManager&, int)> end_frame;
  } cases[] = {
      {"frame destroyed",
       [](CMainFrameControllerManager& m, int id) { m.ProcessFrameDestroy(id); }},
      {"end of input", [](CMainFrameControllerManager& m, int) { m.QuitExtension(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const int id = static_cast<int>(controllers_.size()) + 1;
    Create(id);
    ASSERT_EQ(manager_.GetFrameCount(), 1);
    FakeController* controller = controllers_[id];
    controller->on_close = [this](int frame_id) { manager_.ProcessFrameDestroy(frame_id); };
    bool lock_free = false;
    unique_handle probe;
    controller->on_destroy = [&] { lock_free = MapLockIsFree(&manager_, &probe); };
    c.end_frame(manager_, id);
    ASSERT_TRUE(probe.is_valid());
    EXPECT_EQ(::WaitForSingleObject(probe.get(), 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(lock_free);
    EXPECT_EQ(manager_.GetFrameCount(), 0);
    TakeQuitMessage();
  }
}

TEST_F(ManagerTest, FindOtherFrameIdPicksTheLargestDifferentId) {
  EXPECT_EQ(manager_.FindOtherFrameId(1), -1);
  Create(1);
  EXPECT_EQ(manager_.FindOtherFrameId(1), -1);
  Create(2);
  Create(3);
  EXPECT_EQ(manager_.FindOtherFrameId(3), 2);
  EXPECT_EQ(manager_.FindOtherFrameId(1), 3);
  int first = 0;
  ASSERT_TRUE(manager_.GetFirstFrameId(&first));
  EXPECT_EQ(first, 1);
}

class BlockingCallback : public IThreadRunCallBack {
 public:
  void Run(CThreadRun*, int param) override {
    started_with = param;
    ::SetEvent(started.get());
    ::WaitForSingleObject(release.get(), 10000);
    finished = true;
  }
  unique_handle started{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  unique_handle release{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  std::atomic<int> started_with{-1};
  std::atomic<bool> finished{false};
};

DWORD WINAPI SetEventLater(void* event) {
  ::Sleep(200);
  return ::SetEvent(static_cast<HANDLE>(event));
}

TEST(ThreadRunTest, RunnerWaitsForItsThreadInsteadOfKillingIt) {
  BlockingCallback callback;
  unique_handle releaser;
  {
    CThreadRun thread;
    ASSERT_TRUE(thread.Start(&callback, 0));
    ASSERT_EQ(::WaitForSingleObject(callback.started.get(), 10000), WAIT_OBJECT_0);
    EXPECT_FALSE(thread.Start(&callback, 1)) << "one thread at a time";
    // Released only once the runner is being destroyed.
    releaser.reset(::CreateThread(nullptr, 0, &SetEventLater, callback.release.get(), 0, nullptr));
    ASSERT_TRUE(releaser.is_valid());
  }
  EXPECT_TRUE(callback.finished);
  ::WaitForSingleObject(releaser.get(), 10000);
}

}  // namespace
