#include "utils/log.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
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

// Logs at every level below FATAL, then traces failed calls, which pass
// through, at DEBUG. The result counts evaluated operands; 99 when a
// statement lost the caller's last error or a result did not pass.
TB_CHILD_ROUTINE(LogAtEachLevel) {
  int evaluated = 0;
  LOG(DEBUG) << ++evaluated;
  LOG(INFO) << ++evaluated;
  LOG(WARNING) << ++evaluated;
  ::SetLastError(ERROR_ACCESS_DENIED);
  LOG(ERROR) << ++evaluated << [] {
    ::SetLastError(5678);
    return L"";
  }();
  const bool passed = ::GetLastError() == ERROR_ACCESS_DENIED && !LOG_IF_WIN32_BOOL_FALSE(FALSE) &&
                      ::GetLastError() == ERROR_ACCESS_DENIED && LOG_IF_FAILED(E_FAIL) == E_FAIL &&
                      LOG_IF_FAILED(S_FALSE) == S_FALSE && LOG_IF_FALSE(true) &&
                      !LOG_IF_FALSE(1 == 2);
  return passed ? evaluated : 99;
}

TB_CHILD_ROUTINE(LogThousandLines) {
  for (int i = 1; i <= 1000; ++i)
    LOG(ERROR) << L"line " << i;
  return 0;
}

// Returns only when a call off the checker's thread is let through.
TB_CHILD_ROUTINE(CallOffTheCheckersThread) {
  static const ThreadChecker checker;
  DCHECK_CALLED_ON_VALID_THREAD(checker);
  std::thread([] { DCHECK_CALLED_ON_VALID_THREAD(checker); }).join();
  return 0;
}

// Logs while a file takes the log folder's name, which it then removes.
TB_CHILD_ROUTINE(LogBeforeAndAfterTheFolderCanBeMade) {
  ::SetLastError(ERROR_ACCESS_DENIED);
  LOG(ERROR) << L"lost";
  CHILD_CHECK(::GetLastError() == ERROR_ACCESS_DENIED);
  CHILD_CHECK(fs::remove(fs::path(CurrentTestProgram()).parent_path() / "log"));
  LOG(ERROR) << L"kept";
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
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "log");
    fs::copy_file(CurrentTestProgram(), program_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::optional<DWORD> Run(const char* routine) { return RunChild(program_.wstring(), routine); }

  ScopedRegistryKeyBackup settings_{HKEY_CURRENT_USER, L"Software\\tabbridge"};
  const fs::path folder_ =
      fs::temp_directory_path() / ("tb_log_" + std::to_string(::GetCurrentProcessId()) + "_" +
                                   testing::UnitTest::GetInstance()->current_test_info()->name());
  const fs::path program_ = folder_ / fs::path(CurrentTestProgram()).filename();
  const fs::path log_ = folder_ / "log" / (program_.filename().wstring() + L".log");
};

TEST_F(LogTest, LogLevelSetsTheThreshold) {
  // Statements below the threshold neither write nor evaluate their operands.
  const DWORD kCases[][2] = {{2, 2}, {3, 1}, {7, 1}, {DWORD(-1), 4}, {0, 4}};
  for (const auto& [level, evaluated] : kCases) {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\tabbridge", L"LogLevel", REG_DWORD,
                                &level, sizeof(level)),
              ERROR_SUCCESS);
    fs::remove(log_);
    EXPECT_EQ(Run("LogAtEachLevel"), evaluated) << level;
    EXPECT_EQ(Texts(ReadBytes(log_)).size(), evaluated == 4 ? 7 : evaluated) << level;
  }
  // Failed calls, at DEBUG, with the call and where it was made.
  const std::string bytes = ReadBytes(log_);
  EXPECT_EQ(Texts(bytes), (std::vector<std::string>{"1", "2", "3", "4", "Failed FALSE: 0x00000005",
                                                    "Failed E_FAIL: 0x80004005", "Failed 1 == 2"}));
  EXPECT_NE(bytes.find("|  DEBUG|log_unittest.cc:"), std::string::npos) << bytes;
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

TEST_F(LogTest, LinesWithoutAFolderAreDroppedUntilItCanBeMade) {
  fs::remove_all(folder_ / "log");
  std::ofstream(folder_ / "log") << "not a folder";
  EXPECT_EQ(Run("LogBeforeAndAfterTheFolderCanBeMade"), 0u);
  EXPECT_EQ(Texts(ReadBytes(log_)), std::vector<std::string>{"kept"});
}

TEST_F(LogTest, ACallOffItsThreadIsLoggedAndStopsTheProcess) {
  EXPECT_EQ(Run("CallOffTheCheckersThread"), std::nullopt);
  EXPECT_EQ(Texts(ReadBytes(log_)), std::vector<std::string>{"Called off its thread"});
}

}  // namespace
