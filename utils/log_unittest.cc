#include "utils/log.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/child_process.h"
#include "tests/scoped_registry_backup.h"
#include "utils/log_failure.h"

// The line format itself is log_line_unittest.cc's.

namespace {

namespace fs = std::filesystem;

constexpr size_t kRotateSize = 5242880;

// Logs at every level below FATAL; the result counts evaluated operands.
TB_CHILD_ROUTINE(LogAtEachLevel) {
  int evaluated = 0;
  LOG(DEBUG) << ++evaluated;
  LOG(INFO) << ++evaluated;
  LOG(WARNING) << ++evaluated;
  LOG(ERROR) << ++evaluated;
  return evaluated;
}

TB_CHILD_ROUTINE(LogThousandLines) {
  for (int i = 1; i <= 1000; ++i)
    LOG(ERROR) << L"line " << i;
  return 0;
}

// Statements keep the caller's last error; failures pass through.
TB_CHILD_ROUTINE(LogFailures) {
  ::SetLastError(5678);
  LOG(ERROR) << L"written " << [] {
    ::SetLastError(ERROR_ACCESS_DENIED);
    return 1;
  }();
  const bool kept_by_log = ::GetLastError() == 5678;
  ::SetLastError(ERROR_ACCESS_DENIED);
  const bool kept_error =
      kept_by_log && !LOG_IF_WIN32_BOOL_FALSE(FALSE) && ::GetLastError() == ERROR_ACCESS_DENIED;
  const bool passed = LOG_IF_FAILED(E_FAIL) == E_FAIL && LOG_IF_FAILED(S_FALSE) == S_FALSE &&
                      LOG_IF_FALSE(true) && !LOG_IF_FALSE(1 == 2);
  return kept_error && passed ? 0 : 1;
}

LONG WINAPI ExitOnBreakpoint(EXCEPTION_POINTERS* info) {
  ::ExitProcess(info->ExceptionRecord->ExceptionCode == EXCEPTION_BREAKPOINT ? 42 : 43);
}

TB_CHILD_ROUTINE(LogFatal) {
  ::SetUnhandledExceptionFilter(ExitOnBreakpoint);
  LOG(FATAL) << L"fatal text";
  return 0;
}

TB_CHILD_ROUTINE(CallOffItsThread) {
  ::SetUnhandledExceptionFilter(ExitOnBreakpoint);
  const ThreadChecker checker;
  std::thread([&checker] { DCHECK_CALLED_ON_VALID_THREAD(checker); }).join();
  DCHECK_CALLED_ON_VALID_THREAD(checker);
  return 0;
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// The texts after each line's prefix.
std::vector<std::string> Texts(const std::string& bytes) {
  std::vector<std::string> texts;
  for (size_t start = 0, end; start < bytes.size(); start = end + 2) {
    end = std::min(bytes.find("\r\n", start), bytes.size());
    const size_t text = bytes.find("] ", start);
    texts.push_back(text < end ? bytes.substr(text + 2, end - text - 2)
                               : bytes.substr(start, end - start));
  }
  return texts;
}

// Every test runs its children from a copy of this program in a folder of its
// own, so their log ("<folder>\log\tb_win_tests.exe.log") is theirs alone.
class LogTest : public testing::Test {
 protected:
  void SetUp() override {
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\tabbridge", L"LogLevel");
    const fs::path self = CurrentTestProgram();
    folder_ =
        fs::temp_directory_path() / ("tb_log_" + std::to_string(::GetCurrentProcessId()) + "_" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    ASSERT_TRUE(fs::create_directories(folder_ / "log"));
    program_ = folder_ / self.filename();
    ASSERT_TRUE(fs::copy_file(self, program_));
    log_ = folder_ / "log" / (self.filename().wstring() + L".log");
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::optional<DWORD> Run(const char* routine) { return RunChild(program_.wstring(), routine); }
  static void SetLogLevel(DWORD level) {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\tabbridge", L"LogLevel", REG_DWORD,
                                &level, sizeof(level)),
              ERROR_SUCCESS);
  }

  ScopedRegistryKeyBackup settings_{HKEY_CURRENT_USER, L"Software\\tabbridge"};
  fs::path folder_;
  fs::path program_;
  fs::path log_;
};

TEST_F(LogTest, LogLevelSetsTheThreshold) {
  // Statements below the threshold neither write nor evaluate their operands.
  const DWORD kCases[][2] = {{0, 4}, {2, 2}, {3, 1}, {7, 1}, {DWORD(-1), 4}};
  for (const auto& [level, written] : kCases) {
    SetLogLevel(level);
    fs::remove(log_);
    EXPECT_EQ(Run("LogAtEachLevel"), written) << level;
    EXPECT_EQ(Texts(ReadBytes(log_)).size(), written) << level;
  }
}

// Checked when the log opens, then on every thousandth write.
TEST_F(LogTest, AFullLogMovesToTheBackup) {
  std::ofstream(log_, std::ios::binary) << std::string(kRotateSize, 'a');
  EXPECT_EQ(Run("LogThousandLines"), 0u);
  EXPECT_EQ(Texts(ReadBytes(log_)), std::vector<std::string>{"line 1000"});
  const std::string backup = ReadBytes(log_.wstring() + L".bak");
  ASSERT_GT(backup.size(), kRotateSize);
  const std::vector<std::string> appended = Texts(backup.substr(kRotateSize));
  ASSERT_EQ(appended.size(), 999u);
  EXPECT_EQ(appended.back(), "line 999");
}

TEST_F(LogTest, FailuresAreTracedAtDebugWithTheirCall) {
  SetLogLevel(0);
  EXPECT_EQ(Run("LogFailures"), 0u);
  const std::string bytes = ReadBytes(log_);
  EXPECT_EQ(Texts(bytes), (std::vector<std::string>{"written 1", "Failed FALSE: 0x00000005",
                                                    "Failed E_FAIL: 0x80004005", "Failed 1 == 2"}));
  EXPECT_NE(bytes.find("|  DEBUG|log_unittest.cc:"), std::string::npos) << bytes;
}

TEST_F(LogTest, FatalAndInDebugBuildsACallOffItsThreadWriteTheLineThenBreak) {
  EXPECT_EQ(Run("LogFatal"), 42u);
  EXPECT_EQ(Texts(ReadBytes(log_)), std::vector<std::string>{"fatal text"});
#ifndef NDEBUG
  fs::remove(log_);
  EXPECT_EQ(Run("CallOffItsThread"), 42u);
  EXPECT_EQ(Texts(ReadBytes(log_)), std::vector<std::string>{"Called off its thread"});
#endif
}

}  // namespace
