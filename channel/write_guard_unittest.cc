#include "channel/write_guard.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "channel/std_handles.h"
#include "tests/channel_test_util.h"
#include "tests/child_process.h"
#include "tests/outside_caller/outside_caller.h"
#include "utils/scoped_handle.h"

// The guard hooks WriteFile for good, so each case runs in a child process.
// A routine's result is 0, or the line of the first check that failed.
#define CHILD_CHECK(condition) \
  if (!(condition))            \
  return __LINE__

namespace {

constexpr DWORD kPipeSize = 1 << 16;

struct Pipe {
  unique_handle read;
  unique_handle write;
};

std::optional<Pipe> MakePipe() {
  Pipe pipe;
  if (!::CreatePipe(pipe.read.put(), pipe.write.put(), nullptr, kPipeSize))
    return std::nullopt;
  return pipe;
}

// Everything written to the pipe, once its write end is closed.
std::string Drain(HANDLE read) {
  std::string bytes;
  char buffer[4096];
  DWORD count = 0;
  while (::ReadFile(read, buffer, sizeof(buffer), &count, nullptr) && count > 0)
    bytes.append(buffer, count);
  return bytes;
}

// The write end of `pipe` becomes the channel's output, as the process's
// standard output does at start-up, and the guard goes in.
bool BecomeChannelAndGuard(Pipe* pipe) {
  ::SetStdHandle(STD_OUTPUT_HANDLE, pipe->write.release());
  DetachStdHandles();
  return InstallWriteGuard();
}

// Written from the test program's own image.
bool WriteHere(HANDLE file, const std::string& bytes, DWORD* written) {
  return ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), written, nullptr);
}

bool WriteOutside(const OutsideCaller& caller,
                  HANDLE file,
                  const std::string& bytes,
                  DWORD* written) {
  return caller.write_file(file, bytes.data(), static_cast<DWORD>(bytes.size()), written);
}

const std::string kPayload = R"({"action":"client_title_change","title":"x"})";

TB_CHILD_ROUTINE(WriteGuardRefusesForeignWriters) {
  std::optional<Pipe> channel = MakePipe();
  std::optional<Pipe> other = MakePipe();
  CHILD_CHECK(channel && other);
  CHILD_CHECK(BecomeChannelAndGuard(&*channel));
  const std::optional<OutsideCaller> caller = OutsideCaller::Load();
  CHILD_CHECK(caller);

  const std::string frame = Frame(kPayload);
  DWORD written = 123;
  CHILD_CHECK(!WriteOutside(*caller, ChannelOutputHandle(), frame, &written));
  CHILD_CHECK(::GetLastError() == ERROR_ACCESS_DENIED);
  CHILD_CHECK(written == 0);
  // Not even one byte, nor an empty write.
  CHILD_CHECK(!WriteOutside(*caller, ChannelOutputHandle(), "x", &written));
  CHILD_CHECK(!WriteOutside(*caller, ChannelOutputHandle(), "", &written));

  // The same library writes to any other handle.
  CHILD_CHECK(WriteOutside(*caller, other->write.get(), frame, &written));
  CHILD_CHECK(written == frame.size());

  // The program's own writer still gets through, after all of the above.
  const std::string own = Frame(R"({"action":"client_common_response"})");
  CHILD_CHECK(WriteHere(ChannelOutputHandle(), own, &written));
  CHILD_CHECK(written == own.size());

  CloseChannelHandles();
  other->write.reset();
  CHILD_CHECK(Drain(channel->read.get()) == own);
  CHILD_CHECK(Drain(other->read.get()) == frame);
  return 0;
}

TB_CHILD_ROUTINE(WriteGuardPassesTheProgramsOwnFrames) {
  std::optional<Pipe> channel = MakePipe();
  std::optional<Pipe> other = MakePipe();
  CHILD_CHECK(channel && other);
  CHILD_CHECK(BecomeChannelAndGuard(&*channel));

  // A frame the pipe took in three parts: the later parts begin with
  // payload bytes that read as a length far over the limit.
  const std::string frame = Frame(kPayload);
  std::string expected = frame;
  DWORD written = 0;
  CHILD_CHECK(WriteHere(ChannelOutputHandle(), frame.substr(0, 6), &written));
  CHILD_CHECK(WriteHere(ChannelOutputHandle(), frame.substr(6, 10), &written));
  CHILD_CHECK(WriteHere(ChannelOutputHandle(), frame.substr(16), &written));
  // And then the next frame is judged from its start again.
  CHILD_CHECK(!WriteHere(ChannelOutputHandle(), frame.substr(16), &written));
  CHILD_CHECK(::GetLastError() == ERROR_ACCESS_DENIED);
  CHILD_CHECK(written == 0);
  CHILD_CHECK(!WriteHere(ChannelOutputHandle(), LengthPrefix(0x100000u), &written));
  // Other handles carry whatever they are given.
  CHILD_CHECK(WriteHere(other->write.get(), LengthPrefix(0x100000u), &written));

  // The largest frame the extension accepts, announced in its first write.
  const std::string largest = LengthPrefix(0xFFFFF) + "{";
  CHILD_CHECK(WriteHere(ChannelOutputHandle(), largest, &written));
  expected += largest;
  CloseChannelHandles();
  CHILD_CHECK(Drain(channel->read.get()) == expected);
  return 0;
}

TB_CHILD_ROUTINE(WriteGuardInstallsOnce) {
  std::optional<Pipe> channel = MakePipe();
  CHILD_CHECK(channel);
  CHILD_CHECK(BecomeChannelAndGuard(&*channel));
  CHILD_CHECK(!InstallWriteGuard());

  // Still one guard: an ordinary frame passes once, not refused by a guard
  // guarding itself.
  const std::string frame = Frame(kPayload);
  DWORD written = 0;
  CHILD_CHECK(WriteHere(ChannelOutputHandle(), frame, &written));
  CloseChannelHandles();
  CHILD_CHECK(Drain(channel->read.get()) == frame);
  return 0;
}

std::optional<DWORD> RunRoutine(const char* routine) {
  return RunChild(CurrentTestProgram(), routine);
}

}  // namespace

TEST(WriteGuardTest, ForeignWritesToTheChannelFailAndWriteNothing) {
  EXPECT_EQ(RunRoutine("WriteGuardRefusesForeignWriters"), 0u);
}

TEST(WriteGuardTest, OwnFramesPassWholeOrInPartsUpToTheLimit) {
  EXPECT_EQ(RunRoutine("WriteGuardPassesTheProgramsOwnFrames"), 0u);
}

TEST(WriteGuardTest, InstallsOnce) {
  EXPECT_EQ(RunRoutine("WriteGuardInstallsOnce"), 0u);
}
