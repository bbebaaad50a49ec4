#include "main_frame/main_frame_controller_manager.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "channel/client_notifications.h"
#include "main_frame/main_frame_test_util.h"

namespace {

std::string Answer(int session_id, std::string_view ret) {
  return *BuildCommonResponse(session_id, ret);
}

class ManagerTest : public ::testing::Test {
 protected:
  // Logs what the manager asks of it in `calls_` as "<frame id> <request>".
  class FakeController : public IFrameController {
   public:
    FakeController(int id, ManagerTest* test) : id_(id), test_(test) {}
    ~FakeController() override {
      if (test_->on_delete_)
        test_->on_delete_();
    }
    int GetFrameId() const override { return id_; }
    bool CrxCreate(const CreateParams&) override { return test_->create_(id_); }
    bool CrxReSize(int, int width, int) override { return Log("resize " + std::to_string(width)); }
    bool ShowReviewDialog(bool) override { return Log("review"); }
    bool CrxClose(int frame_id, int session_id) override {
      Log("close " + std::to_string(session_id));
      if (test_->on_close_)
        test_->on_close_(frame_id);
      return true;
    }

   private:
    bool Log(const std::string& call) {
      test_->calls_.push_back(std::to_string(id_) + " " + call);
      return true;
    }
    const int id_;
    ManagerTest* const test_;
  };

  ManagerTest() {
    manager_.services().create_controller = [this](int id) {
      return std::make_unique<FakeController>(id, this);
    };
  }
  ~ManagerTest() override {
    on_delete_ = nullptr;
    // The manager leaves controllers alive at exit; these are ours to free.
    for (int id = 1; id <= 10; ++id)
      manager_.RemoveController(id);
    TakeQuitMessage();
  }

  void Create(int count = 1, int session_id = 1) {
    for (int i = 0; i < count; ++i)
      manager_.CrxCreate({.session_id = session_id});
  }
  Texts calls_;
  std::function<bool(int id)> create_ = [](int) { return true; };
  std::function<void(int id)> on_close_;
  std::function<void()> on_delete_;
  CaptureStream stream_;
  InlineRunner runner_;
  CMainFrameControllerManager manager_{&stream_, &runner_};
};

TEST_F(ManagerTest, CreateWithoutAWindowAnswersMinusOneAndNoIdIsReused) {
  // The second window ends while being made and reports so at once.
  for (bool reports_end : {false, true}) {
    create_ = [this, reports_end](int id) {
      if (reports_end)
        manager_.ProcessFrameDestroy(id);
      return false;
    };
    Create(1, 7);
  }
  EXPECT_EQ(stream_.Messages(), (Texts{Answer(7, "-1"), Answer(7, "-1")}));
  EXPECT_FALSE(TakeQuitMessage()) << "a refused frame does not end the process";
  EXPECT_FALSE(manager_.channel().IsStopped());
  create_ = [](int) { return true; };
  Create(2);
  manager_.ProcessFrameDestroy(4);
  Create();
  // Ids count up and are never reused.
  EXPECT_EQ(manager_.GetFrameCount(), 2);
  EXPECT_TRUE(manager_.GetFrameController(3) && manager_.GetFrameController(5));
}

TEST_F(ManagerTest, PerFrameRequestsReachOnlyTheNamedFrame) {
  Create(2);
  EXPECT_TRUE(manager_.CrxReSize(2, 640, 480));
  EXPECT_FALSE(manager_.CrxReSize(7, 640, 480));
  EXPECT_FALSE(manager_.CrxAttach({.frame_id = 9}));
  EXPECT_FALSE(manager_.CrxClose(4, 11));
  // The frame is closed with no session of its own.
  EXPECT_TRUE(manager_.CrxClose(1, 11));
  EXPECT_EQ(calls_, (Texts{"2 resize 640", "1 close -1"}));
  EXPECT_TRUE(stream_.Messages().empty()) << "unknown frames get no answer";
}

TEST_F(ManagerTest, ProcessWideAnswers) {
  manager_.CrxPing({});
  for (const char* version : {"2.26.20.0", "2.26.19.0", "2.27.0.0"})
    manager_.CrxCheckVersion({.session_id = 3, .version = version});
  manager_.CrxUpdate({.session_id = 8});
  manager_.CrxGroupPolicies(-1, 9);
  EXPECT_EQ(stream_.Messages(),
            (Texts{Answer(-1, "-1"), Answer(3, ""), Answer(3, "update"), Answer(3, "update"),
                   Answer(8, "-1"), Answer(9, "unknown")}));
}

TEST_F(ManagerTest, CookieSyncNamesTheSmallestOpenFrame) {
  EXPECT_FALSE(manager_.SendCookieSync(L"http://a/", L"k=v", false));
  Create(3);
  manager_.ProcessFrameDestroy(1);
  ASSERT_TRUE(manager_.SendCookieSync(L"http://a/", L"k=v", true));
  EXPECT_EQ(stream_.Messages(), Texts{*BuildCookieSync("http://a/", "k=v", true, 2)});
}

TEST_F(ManagerTest, FrameEndPromptsTheLargestOtherFrameAndTheLastEndsTheLoop) {
  manager_.services().should_show_review = [] { return true; };
  Create(3);
  manager_.ProcessFrameDestroy(2);
  manager_.ProcessFrameDestroy(3);
  EXPECT_FALSE(TakeQuitMessage());
  EXPECT_FALSE(manager_.channel().IsStopped());
  manager_.ProcessFrameDestroy(1);
  EXPECT_EQ(calls_, (Texts{"3 review", "1 review"})) << "none as the last one goes";
  EXPECT_TRUE(TakeQuitMessage());
  EXPECT_TRUE(manager_.channel().IsStopped());
}

TEST_F(ManagerTest, EndOfInputClosesEveryFrameInAscendingOrder) {
  Create(3);
  // Closing destroys the window at once; frame 1 takes frame 2 with it.
  on_close_ = [this](int id) {
    manager_.ProcessFrameDestroy(id);
    if (id == 1)
      manager_.ProcessFrameDestroy(2);
  };
  EXPECT_TRUE(manager_.QuitExtension());
  EXPECT_EQ(calls_, (Texts{"1 close -1", "3 close -1"}));
  EXPECT_EQ(manager_.GetFrameCount(), 0);
  EXPECT_TRUE(manager_.channel().IsStopped());
  EXPECT_TRUE(TakeQuitMessage());
}

DWORD WINAPI CountFrames(void* manager) {
  return static_cast<DWORD>(static_cast<CMainFrameControllerManager*>(manager)->GetFrameCount());
}

TEST_F(ManagerTest, ControllersAreDeletedOutsideTheMapLock) {
  Create();
  // Another thread must be able to take the lock while a controller goes.
  unique_handle probe;
  bool lock_free = false;
  on_delete_ = [&] {
    probe.reset(::CreateThread(nullptr, 0, &CountFrames, &manager_, 0, nullptr));
    lock_free = ::WaitForSingleObject(probe.get(), 5000) == WAIT_OBJECT_0;
  };
  manager_.ProcessFrameDestroy(1);
  EXPECT_TRUE(lock_free);
  EXPECT_EQ(::WaitForSingleObject(probe.get(), 10000), WAIT_OBJECT_0);
}

struct SlowCallback : IThreadRunCallBack {
  void Run(CThreadRun*, int) override {
    ::Sleep(200);
    finished = true;
  }
  std::atomic<bool> finished{false};
};

TEST(ThreadRunTest, RunnerWaitsForItsThreadInsteadOfKillingIt) {
  SlowCallback callback;
  {
    CThreadRun thread;
    ASSERT_TRUE(thread.Start(&callback, 0));
    EXPECT_FALSE(thread.Start(&callback, 1)) << "one thread at a time";
  }
  EXPECT_TRUE(callback.finished);
}

}  // namespace
