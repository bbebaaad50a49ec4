#include "channel/write_guard.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "channel/std_handles.h"
#include "tests/channel_test_util.h"
#include "tests/child_process.h"
#include "tests/outside_caller/outside_caller.h"
#include "utils/scoped_handle.h"

// The guard hooks WriteFile for good, so each case runs in a child process.
namespace {

// Everything written to the pipe, once its write end is closed.
std::string Drain(HANDLE read) {
  std::string bytes;
  char buffer[4096];
  DWORD count = 0;
  while (::ReadFile(read, buffer, sizeof(buffer), &count, nullptr) && count > 0)
    bytes.append(buffer, count);
  return bytes;
}

// A pipe's write end becomes the channel's output, as the process's standard
// output does at start-up, and the guard goes in; the read end, or nothing
// when the guard is not in.
unique_handle BecomeChannelAndGuard() {
  unique_handle read;
  HANDLE write = nullptr;
  if (!::CreatePipe(read.put(), &write, nullptr, 1 << 16))
    return {};
  ::SetStdHandle(STD_OUTPUT_HANDLE, write);
  DetachStdHandles();
  return InstallWriteGuard() ? std::move(read) : unique_handle();
}

// Written from the test program's own image.
bool WriteHere(HANDLE file, const std::string& bytes, DWORD* written) {
  return ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), written, nullptr);
}

bool WriteOutside(const OutsideCaller& from, HANDLE file, const std::string& bytes, DWORD* n) {
  return from.write_file(file, bytes.data(), static_cast<DWORD>(bytes.size()), n);
}

const std::string kPayload = R"({"action":"client_title_change","title":"x"})";

TB_CHILD_ROUTINE(WriteGuardRefusesForeignWriters) {
  const unique_handle channel = BecomeChannelAndGuard();
  CHILD_CHECK(channel);
  const std::optional<OutsideCaller> caller = OutsideCaller::Load();
  const unique_handle other(
      ::CreateFileW(L"NUL", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  CHILD_CHECK(caller && other);

  const std::string frame = Frame(kPayload);
  DWORD written = 123;
  CHILD_CHECK(!WriteOutside(*caller, ChannelOutputHandle(), frame, &written));
  CHILD_CHECK(::GetLastError() == ERROR_ACCESS_DENIED && written == 0);
  CHILD_CHECK(!WriteOutside(*caller, ChannelOutputHandle(), "", &written));
  // Other handles carry whatever they are given, from anyone.
  const std::string over_limit = LengthPrefix(0x100000u);
  CHILD_CHECK(WriteOutside(*caller, other.get(), over_limit, &written) && written == 4);
  CHILD_CHECK(WriteHere(other.get(), over_limit, &written) && written == 4);
  // The program's own writer still gets through, after all of the above.
  CHILD_CHECK(WriteHere(ChannelOutputHandle(), frame, &written));
  CloseChannelHandles();
  CHILD_CHECK(Drain(channel.get()) == frame);
  return 0;
}

TB_CHILD_ROUTINE(WriteGuardPassesTheProgramsOwnFrames) {
  const unique_handle channel = BecomeChannelAndGuard();
  CHILD_CHECK(channel);
  // A second install is refused and leaves the one guard as it was, not
  // calling itself for ever.
  CHILD_CHECK(!InstallWriteGuard());

  // A frame the pipe took in three parts: the later parts begin with
  // payload bytes that read as a length far over the limit.
  const std::string frame = Frame(kPayload);
  DWORD written = 0;
  CHILD_CHECK(WriteHere(ChannelOutputHandle(), frame.substr(0, 6), &written));
  CHILD_CHECK(WriteHere(ChannelOutputHandle(), frame.substr(6, 10), &written));
  CHILD_CHECK(WriteHere(ChannelOutputHandle(), frame.substr(16), &written));
  // And then the next frame is judged from its start again.
  CHILD_CHECK(!WriteHere(ChannelOutputHandle(), frame.substr(16), &written));
  CHILD_CHECK(::GetLastError() == ERROR_ACCESS_DENIED && written == 0);
  CloseChannelHandles();
  CHILD_CHECK(Drain(channel.get()) == frame);
  return 0;
}

}  // namespace

TEST(WriteGuardTest, ForeignWritesToTheChannelFailAndWriteNothing) {
  EXPECT_EQ(RunChild(CurrentTestProgram(), "WriteGuardRefusesForeignWriters"), 0u);
}

TEST(WriteGuardTest, OwnFramesPassWholeOrInPartsUpToTheLimit) {
  EXPECT_EQ(RunChild(CurrentTestProgram(), "WriteGuardPassesTheProgramsOwnFrames"), 0u);
}
