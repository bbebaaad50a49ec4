#include "utils/crash_handler.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "tests/child_process.h"
#include "tests/testing/test_http_server.h"

namespace {

constexpr wchar_t kEndpointVariable[] = L"TB_TEST_REPORT_ENDPOINT";

std::string DecodeBase64Url(const std::string& text) {
  const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
  std::string out;
  unsigned bits = 0, count = 0;
  for (char c : text) {
    if (c == '=')
      break;
    bits = bits << 6 | static_cast<unsigned>(alphabet.find(c));
    if ((count += 6) >= 8)
      out += static_cast<char>(bits >> (count -= 8));
  }
  return out;
}

class ScopedEnvironment {
 public:
  ScopedEnvironment(const wchar_t* name, const std::wstring& value) : name_(name) {
    wchar_t old[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(name, old, MAX_PATH);
    had_ = length > 0 && length < MAX_PATH;
    old_.assign(old, had_ ? length : 0);
    ::SetEnvironmentVariableW(name, value.c_str());
  }
  ~ScopedEnvironment() { ::SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }

 private:
  const wchar_t* name_;
  bool had_;
  std::wstring old_;
};

std::set<std::wstring> FilesIn(const std::filesystem::path& folder) {
  std::set<std::wstring> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.insert(entry.path().filename().wstring());
  return names;
}

TEST(CrashHandlerTest, AFaultLeavesANewDumpAmongTheTenNewestAndPostsTheStack) {
  TestHttpServer server;
  ASSERT_TRUE(server.Start());
  server.Serve("/report", {.body = "ok"});
  const std::filesystem::path temp = std::filesystem::temp_directory_path() /
                                     ("tb-crash-" + std::to_string(::GetCurrentProcessId()));
  const std::filesystem::path dumps = temp / "tabbridge";
  std::filesystem::create_directories(dumps);
  const auto old_dump = [](int i) {
    return L"tabbridge_200001010000_0000" + std::to_wstring(i) + L"_1.dump";
  };
  for (int i = 0; i < 10; ++i)
    std::ofstream(dumps / old_dump(i));
  // Sorts after the dumps: counted as one, it would take the second oldest.
  std::filesystem::create_directory(dumps / "tabbridge_9_folder.dump");
  {
    const ScopedEnvironment tmp(L"TMP", temp.wstring()), temp_variable(L"TEMP", temp.wstring());
    const ScopedEnvironment endpoint(kEndpointVariable, server.Url("/report"));
    const std::wstring program =
        (std::filesystem::path(CurrentTestProgram()).parent_path() / "tb_crash_child.exe");
    // Wine's dbghelp takes some 20 s for the dump under an emulated i386.
    EXPECT_EQ(RunChild(program, "InstallCrashHandlerThenFault", 50000), std::nullopt);
  }
  std::set<std::wstring> left = FilesIn(dumps);
  std::filesystem::remove_all(temp);
  // Only the oldest dump gave way to the new one.
  EXPECT_EQ(left.size(), 11u);
  EXPECT_FALSE(left.count(old_dump(0)));
  for (int i = 1; i < 10; ++i)
    EXPECT_TRUE(left.count(old_dump(i))) << i;

  ASSERT_EQ(server.requests().size(), 1u);
  const std::string body = server.requests()[0].body;
  const std::string prefix = "ver=2.26.20.0&os=8&content=";
  ASSERT_EQ(body.rfind(prefix, 0), 0u) << body;
  const std::string stack = DecodeBase64Url(body.substr(prefix.size()));
  EXPECT_NE(stack.find("--tb-child=InstallCrashHandlerThenFault\n"), std::string::npos) << stack;
  EXPECT_NE(stack.find("OS-Version:8\n"), std::string::npos) << stack;
  EXPECT_NE(stack.find("FaultOnPurpose"), std::string::npos) << stack;
}

// A file in the dump folder's place leaves nowhere to write the dump, as a
// temporary folder that cannot be written does; the report goes all the same.
TEST(CrashHandlerTest, WithoutAPlaceForTheDumpTheStackIsStillPosted) {
  TestHttpServer server;
  ASSERT_TRUE(server.Start());
  server.Serve("/report", {.body = "ok"});
  const std::filesystem::path temp = std::filesystem::temp_directory_path() /
                                     ("tb-crash-nodump-" + std::to_string(::GetCurrentProcessId()));
  std::filesystem::create_directories(temp);
  std::ofstream(temp / "tabbridge") << "not a folder";
  {
    const ScopedEnvironment tmp(L"TMP", temp.wstring()), temp_variable(L"TEMP", temp.wstring());
    const ScopedEnvironment endpoint(kEndpointVariable, server.Url("/report"));
    EXPECT_EQ(
        RunChild(std::filesystem::path(CurrentTestProgram()).parent_path() / "tb_crash_child.exe",
                 "InstallCrashHandlerThenFault"),
        std::nullopt);
  }
  const std::set<std::wstring> left = FilesIn(temp);
  std::filesystem::remove_all(temp);
  EXPECT_EQ(left, std::set<std::wstring>{L"tabbridge"});
  EXPECT_EQ(server.requests().size(), 1u);
}

}  // namespace
