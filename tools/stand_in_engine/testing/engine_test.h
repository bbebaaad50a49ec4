#ifndef TOOLS_STAND_IN_ENGINE_TESTING_ENGINE_TEST_H_
#define TOOLS_STAND_IN_ENGINE_TESTING_ENGINE_TEST_H_

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/testing/test_http_server.h"
#include "tools/stand_in_engine/testing/scoped_journal.h"
#include "tools/stand_in_engine/testing/stand_in_dll.h"
#include "tools/stand_in_engine/testing/test_container.h"
#include "ui_base/ax_test_util.h"

// A stand-in browser loaded from its DLL and hosted in a TestContainer, a
// loopback server for its pages and a journal to read. Every event the
// browser raised must have had the engine's argument shapes.
class EngineTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Serves `body` as an HTML page at `path`; returns its URL.
  std::wstring ServePage(const std::string& path, std::string body);
  // Navigates and pumps until the top document of `url` is complete.
  [[nodiscard]] bool NavigateAndWait(const std::wstring& url);

  ScopedOleInitialize ole_;
  StandInDll dll_;
  TestHttpServer server_;
  ScopedJournal journal_;
  TestContainer container_;
};

#endif  // TOOLS_STAND_IN_ENGINE_TESTING_ENGINE_TEST_H_
