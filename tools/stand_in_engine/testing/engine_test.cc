#include "tools/stand_in_engine/testing/engine_test.h"

#include <gmock/gmock.h>

void EngineTest::SetUp() {
  ASSERT_TRUE(ole_.ok());
  ASSERT_TRUE(dll_.loaded()) << "stand_in_engine.dll not found beside the test program";
  ASSERT_TRUE(server_.Start());
  ASSERT_TRUE(container_.Host(dll_.CreateBrowser()));
}

void EngineTest::TearDown() {
  if (container_.browser()) {
    EXPECT_THAT(container_.recorder().malformed(), testing::IsEmpty());
  }
  container_.Unhost();
}

std::wstring EngineTest::ServePage(const std::string& path, std::string body) {
  server_.Serve(path, {.body = std::move(body)});
  return server_.Url(path);
}

bool EngineTest::NavigateAndWait(const std::wstring& url) {
  return SUCCEEDED(container_.Navigate(url)) &&
         container_.WaitForTrace(L"DocumentComplete top " + url);
}
