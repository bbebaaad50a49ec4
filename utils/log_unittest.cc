#include "utils/log.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "tests/child_process.h"
#include "tests/scoped_registry_backup.h"
#include "utils/scoped_handle.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kRotateSize = 5242880;
constexpr int kBurstLines = 500;
constexpr wchar_t kGateVariable[] = L"TB_LOG_TEST_GATE";

std::wstring ReadyName(const std::wstring& gate) {
  return gate + L".ready";
}

std::wstring GoName(const std::wstring& gate) {
  return gate + L".go";
}

// Logs at every level below FATAL; the result counts evaluated operands.
TB_CHILD_ROUTINE(LogAtEachLevel) {
  int evaluated = 0;
  const auto count = [&evaluated] { return ++evaluated; };
  LOG(DEBUG) << L"debug " << count();
  LOG(INFO) << L"info " << count();
  LOG(WARNING) << L"warning " << count();
  LOG(ERROR) << L"error " << count();
  return evaluated;
}

// Each line's text repeats its own statement's line number.
TB_CHILD_ROUTINE(LogFormatSamples) {
  LOG(DEBUG) << __LINE__;
  LOG(INFO) << __LINE__;
  LOG(WARNING) << __LINE__;
  LOG(ERROR) << __LINE__;
  LOG(ERROR) << L"caf\u00E9 \u4E2D\u6587 \U0001F600";
  return 0;
}

TB_CHILD_ROUTINE(LogDebugLine) {
  LOG(DEBUG) << L"dropped";
  return 0;
}

TB_CHILD_ROUTINE(KeepLastError) {
  // The first statement sets the facility up (creating folder and file)
  // without writing anything.
  ::SetLastError(1234);
  LOG(DEBUG) << L"dropped";
  if (::GetLastError() != 1234)
    return 1;
  ::SetLastError(5678);
  LOG(ERROR) << L"written " << [] {
    ::SetLastError(ERROR_ACCESS_DENIED);
    return 1;
  }();
  return ::GetLastError() == 5678 ? 0 : 2;
}

TB_CHILD_ROUTINE(LogOneLine) {
  LOG(ERROR) << L"first after rotation";
  return 0;
}

TB_CHILD_ROUTINE(LogThousandLines) {
  for (int i = 1; i <= 1000; ++i)
    LOG(ERROR) << L"line " << i;
  return 0;
}

// Reports ready, then waits for the parent's signal, so that both writers
// run at the same time.
TB_CHILD_ROUTINE(LogBurst) {
  wchar_t gate[MAX_PATH];
  const DWORD length = ::GetEnvironmentVariableW(kGateVariable, gate, MAX_PATH);
  if (length == 0 || length >= MAX_PATH || !LogEnsureReady())
    return 1;
  unique_handle ready(::OpenSemaphoreW(SEMAPHORE_MODIFY_STATE, FALSE, ReadyName(gate).c_str()));
  unique_handle go(::OpenEventW(SYNCHRONIZE, FALSE, GoName(gate).c_str()));
  if (!ready || !go || !::ReleaseSemaphore(ready.get(), 1, nullptr) ||
      ::WaitForSingleObject(go.get(), kChildTimeoutMs) != WAIT_OBJECT_0) {
    return 2;
  }
  for (int i = 0; i < kBurstLines; ++i)
    LOG(ERROR) << L"burst " << i << L' ' << std::wstring(120, L'x');
  return 0;
}

LONG WINAPI ExitOnBreakpoint(EXCEPTION_POINTERS* info) {
  ::ExitProcess(info->ExceptionRecord->ExceptionCode == EXCEPTION_BREAKPOINT ? 42 : 43);
}

TB_CHILD_ROUTINE(LogFatal) {
  ::SetUnhandledExceptionFilter(ExitOnBreakpoint);
  LOG(FATAL) << L"fatal text";
  return 0;
}

std::optional<std::string> ReadBytes(const fs::path& path) {
  unique_handle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr));
  LARGE_INTEGER size;
  if (!file || !::GetFileSizeEx(file.get(), &size))
    return std::nullopt;
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
      read != bytes.size()) {
    return std::nullopt;
  }
  return bytes;
}

bool WriteBytes(const fs::path& path, const std::string& bytes) {
  unique_handle file(
      ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  return file &&
         ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
         written == bytes.size();
}

// Splits CRLF-terminated lines; a trailing piece without CRLF is kept as is
// so that the caller sees it.
std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(bytes.substr(start));
      break;
    }
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

struct ParsedLine {
  std::string process_id;  // the padded field
  std::string thread_id;
  std::string severity;  // right-aligned in seven columns
  int source_line;
  std::string text;
};

std::optional<ParsedLine> Parse(const std::string& line) {
  static const std::regex kLine(
      R"(\[(\d+ *)\|(\d+ *)\|(?:0[1-9]|1[0-2])-(?:[0-2]\d|3[01]) (?:[01]\d|2[0-3]):[0-5]\d:[0-5]\d)"
      R"(\|( {2}DEBUG| {3}INFO|WARNING| {2}ERROR| {2}FATAL)\|log_unittest\.cc:(\d+)\] ([^\r\n]*))");
  std::smatch match;
  if (!std::regex_match(line, match, kLine))
    return std::nullopt;
  return ParsedLine{match[1], match[2], match[3], std::stoi(match[4]), match[5]};
}

std::string PaddedId(DWORD id) {
  std::string text = std::to_string(id);
  if (text.size() < 5)
    text.resize(5, ' ');
  return text;
}

// Every test runs its children from a copy of this program in a folder of its
// own, so their log ("<folder>\log\tb_win_tests.exe.log") is theirs alone.
class LogTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(DeleteLogLevel());
    const fs::path self = CurrentTestProgram();
    std::error_code error;
    folder_ = fs::temp_directory_path(error) /
              ("tb_log_" + std::to_string(::GetCurrentProcessId()) + "_" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_, error);
    ASSERT_TRUE(fs::create_directories(folder_, error)) << error.message();
    program_ = folder_ / self.filename();
    ASSERT_TRUE(fs::copy_file(self, program_, error)) << error.message();
    log_folder_ = folder_ / "log";
    log_ = log_folder_ / (self.filename().wstring() + L".log");
  }

  void TearDown() override {
    std::error_code error;
    fs::remove_all(folder_, error);
    EXPECT_FALSE(error) << error.message();
  }

  bool DeleteLogLevel() {
    const LSTATUS status =
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\tabbridge", L"LogLevel");
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
  }

  bool SetLogLevel(DWORD type, const void* data, DWORD size) {
    return ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\tabbridge", L"LogLevel", type, data,
                             size) == ERROR_SUCCESS;
  }

  bool SetLogLevel(DWORD level) { return SetLogLevel(REG_DWORD, &level, sizeof(level)); }

  std::optional<DWORD> Run(const char* routine) { return RunChild(program_.wstring(), routine); }

  std::string ReadLog() { return ReadBytes(log_).value_or("<unreadable>"); }

  ScopedRegistryKeyBackup settings_{HKEY_CURRENT_USER, L"Software\\tabbridge"};
  fs::path folder_;
  fs::path program_;
  fs::path log_folder_;
  fs::path log_;
};

TEST_F(LogTest, FolderAndEmptyFileExistEvenWhenNothingIsWritten) {
  ASSERT_FALSE(fs::exists(log_folder_));
  EXPECT_EQ(Run("LogDebugLine"), 0u);
  EXPECT_TRUE(fs::is_directory(log_folder_));
  EXPECT_EQ(ReadLog(), "");
}

TEST_F(LogTest, LogLevelSetsTheThreshold) {
  const DWORD negative = static_cast<DWORD>(-1);
  const wchar_t text_two[] = L"2";
  struct Case {
    const char* name;
    std::optional<DWORD> dword;
    DWORD evaluated;  // operands run only for statements that are written
  } cases[] = {
      {"absent", std::nullopt, 1},
      {"0", 0, 4},
      {"1", 1, 3},
      {"2", 2, 2},
      {"3", 3, 1},
      {"4", 4, 1},
      {"7", 7, 1},
      {"-1", negative, 4},
  };
  const char* const kSeverities[] = {"  DEBUG", "   INFO", "WARNING", "  ERROR"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(c.dword ? SetLogLevel(*c.dword) : DeleteLogLevel());
    std::error_code error;
    fs::remove(log_, error);
    ASSERT_EQ(Run("LogAtEachLevel"), c.evaluated);
    const std::vector<std::string> lines = Lines(ReadLog());
    ASSERT_EQ(lines.size(), c.evaluated);
    const DWORD first_level = 4 - c.evaluated;
    for (DWORD i = 0; i < lines.size(); ++i) {
      const std::optional<ParsedLine> line = Parse(lines[i]);
      ASSERT_TRUE(line) << lines[i];
      EXPECT_EQ(line->severity, kSeverities[first_level + i]);
    }
  }

  // Only a REG_DWORD counts: the string "2" leaves the threshold at ERROR.
  ASSERT_TRUE(SetLogLevel(REG_SZ, text_two, sizeof(text_two)));
  EXPECT_EQ(Run("LogAtEachLevel"), 1u);
}

TEST_F(LogTest, LinesHaveTheExactFormat) {
  ASSERT_TRUE(SetLogLevel(0));
  std::optional<ChildProcess> child = ChildProcess::Start(program_.wstring(), "LogFormatSamples");
  ASSERT_TRUE(child);
  ASSERT_EQ(child->Wait(), 0u);

  const std::string bytes = ReadLog();
  ASSERT_TRUE(bytes.ends_with("\r\n"));
  const std::vector<std::string> lines = Lines(bytes);
  ASSERT_EQ(lines.size(), 5u) << bytes;
  std::vector<ParsedLine> parsed;
  for (const std::string& line : lines) {
    const std::optional<ParsedLine> fields = Parse(line);
    ASSERT_TRUE(fields) << line;
    EXPECT_EQ(fields->process_id, PaddedId(child->id()));
    EXPECT_GE(fields->thread_id.size(), 5u);
    parsed.push_back(*fields);
  }
  const char* const kSeverities[] = {"  DEBUG", "   INFO", "WARNING", "  ERROR", "  ERROR"};
  for (size_t i = 0; i < parsed.size(); ++i) {
    EXPECT_EQ(parsed[i].severity, kSeverities[i]);
    EXPECT_EQ(parsed[i].thread_id, parsed[0].thread_id);
  }
  for (size_t i = 0; i < 4; ++i)
    EXPECT_EQ(parsed[i].text, std::to_string(parsed[i].source_line));
  EXPECT_EQ(parsed[4].text, "caf\xC3\xA9 \xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80");
}

TEST_F(LogTest, StatementsKeepTheCallersLastError) {
  EXPECT_EQ(Run("KeepLastError"), 0u);
  EXPECT_EQ(Lines(ReadLog()).size(), 1u);
}

TEST_F(LogTest, FileAtTheLimitIsAppendedTo) {
  const std::string full(kRotateSize, 'a');
  ASSERT_TRUE(fs::create_directory(log_folder_));
  ASSERT_TRUE(WriteBytes(log_, full));
  EXPECT_EQ(Run("LogOneLine"), 0u);
  const std::string bytes = ReadLog();
  ASSERT_GT(bytes.size(), kRotateSize);
  EXPECT_EQ(bytes.compare(0, kRotateSize, full), 0);
  const std::vector<std::string> lines = Lines(bytes.substr(kRotateSize));
  ASSERT_EQ(lines.size(), 1u);
  const std::optional<ParsedLine> line = Parse(lines[0]);
  ASSERT_TRUE(line) << lines[0];
  EXPECT_EQ(line->text, "first after rotation");
  EXPECT_FALSE(fs::exists(log_.wstring() + L".bak"));
}

TEST_F(LogTest, FileAboveTheLimitMovesToTheBackup) {
  const std::string over(kRotateSize + 1, 'b');
  const fs::path backup = log_.wstring() + L".bak";
  ASSERT_TRUE(fs::create_directory(log_folder_));
  ASSERT_TRUE(WriteBytes(log_, over));
  ASSERT_TRUE(WriteBytes(backup, "older backup"));
  EXPECT_EQ(Run("LogOneLine"), 0u);
  EXPECT_TRUE(ReadBytes(backup) == over);
  const std::vector<std::string> lines = Lines(ReadLog());
  ASSERT_EQ(lines.size(), 1u);
  const std::optional<ParsedLine> line = Parse(lines[0]);
  ASSERT_TRUE(line) << lines[0];
  EXPECT_EQ(line->text, "first after rotation");
}

// An open log's size is checked again on every thousandth write only.
TEST_F(LogTest, ThousandthWriteRotatesAFullLog) {
  const std::string full(kRotateSize, 'c');
  ASSERT_TRUE(fs::create_directory(log_folder_));
  ASSERT_TRUE(WriteBytes(log_, full));
  EXPECT_EQ(Run("LogThousandLines"), 0u);

  const std::vector<std::string> lines = Lines(ReadLog());
  ASSERT_EQ(lines.size(), 1u);
  const std::optional<ParsedLine> last = Parse(lines[0]);
  ASSERT_TRUE(last) << lines[0];
  EXPECT_EQ(last->text, "line 1000");

  const std::string backup = ReadBytes(log_.wstring() + L".bak").value_or("");
  ASSERT_GT(backup.size(), kRotateSize);
  EXPECT_EQ(backup.compare(0, kRotateSize, full), 0);
  const std::vector<std::string> backup_lines = Lines(backup.substr(kRotateSize));
  ASSERT_EQ(backup_lines.size(), 999u);
  const std::optional<ParsedLine> before = Parse(backup_lines.back());
  ASSERT_TRUE(before);
  EXPECT_EQ(before->text, "line 999");
}

TEST_F(LogTest, ConcurrentWritersKeepLinesWhole) {
  const std::wstring gate = L"tb_log_gate_" + std::to_wstring(::GetCurrentProcessId());
  unique_handle ready(::CreateSemaphoreW(nullptr, 0, 2, ReadyName(gate).c_str()));
  unique_handle go(::CreateEventW(nullptr, TRUE, FALSE, GoName(gate).c_str()));
  ASSERT_TRUE(ready && go);
  ASSERT_TRUE(::SetEnvironmentVariableW(kGateVariable, gate.c_str()));
  std::optional<ChildProcess> first = ChildProcess::Start(program_.wstring(), "LogBurst");
  std::optional<ChildProcess> second = ChildProcess::Start(program_.wstring(), "LogBurst");
  ::SetEnvironmentVariableW(kGateVariable, nullptr);
  ASSERT_TRUE(first && second);
  ASSERT_EQ(::WaitForSingleObject(ready.get(), kChildTimeoutMs), WAIT_OBJECT_0);
  ASSERT_EQ(::WaitForSingleObject(ready.get(), kChildTimeoutMs), WAIT_OBJECT_0);
  ASSERT_TRUE(::SetEvent(go.get()));
  EXPECT_EQ(first->Wait(), 0u);
  EXPECT_EQ(second->Wait(), 0u);

  const std::string bytes = ReadLog();
  ASSERT_TRUE(bytes.ends_with("\r\n"));
  const std::vector<std::string> lines = Lines(bytes);
  EXPECT_EQ(lines.size(), 2u * kBurstLines);
  const std::regex text("burst (\\d+) x{120}");
  std::map<std::string, int> next_index;  // by process
  for (const std::string& line : lines) {
    const std::optional<ParsedLine> fields = Parse(line);
    std::smatch match;
    ASSERT_TRUE(fields && std::regex_match(fields->text, match, text)) << line;
    int& expected = next_index[fields->process_id];
    EXPECT_EQ(std::stoi(match[1]), expected) << line;
    expected = std::stoi(match[1]) + 1;
  }
  EXPECT_EQ(next_index[PaddedId(first->id())], kBurstLines);
  EXPECT_EQ(next_index[PaddedId(second->id())], kBurstLines);
}

TEST_F(LogTest, FatalWritesTheLineThenBreaks) {
  EXPECT_EQ(Run("LogFatal"), 42u);
  const std::vector<std::string> lines = Lines(ReadLog());
  ASSERT_EQ(lines.size(), 1u);
  const std::optional<ParsedLine> line = Parse(lines[0]);
  ASSERT_TRUE(line) << lines[0];
  EXPECT_EQ(line->severity, "  FATAL");
  EXPECT_EQ(line->text, "fatal text");
}

}  // namespace
