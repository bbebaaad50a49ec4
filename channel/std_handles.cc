#include "channel/std_handles.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "utils/scoped_handle.h"

namespace {

// Set once before any other thread exists; read-only afterwards.
HANDLE g_input = INVALID_HANDLE_VALUE;
HANDLE g_output = INVALID_HANDLE_VALUE;

void CloseIfValid(HANDLE* handle) {
  const unique_handle closing(std::exchange(*handle, INVALID_HANDLE_VALUE));
}

DWORD ClampToDword(size_t size) {
  return static_cast<DWORD>(std::min<size_t>(size, INT_MAX));
}

}  // namespace

void DetachStdHandles() {
  g_input = ::GetStdHandle(STD_INPUT_HANDLE);
  g_output = ::GetStdHandle(STD_OUTPUT_HANDLE);
  ::SetStdHandle(STD_INPUT_HANDLE, INVALID_HANDLE_VALUE);
  ::SetStdHandle(STD_OUTPUT_HANDLE, INVALID_HANDLE_VALUE);
  ::SetStdHandle(STD_ERROR_HANDLE, INVALID_HANDLE_VALUE);
}

void CloseChannelHandles() {
  CloseIfValid(&g_input);
  CloseIfValid(&g_output);
}

HANDLE ChannelInputHandle() {
  return g_input;
}

HANDLE ChannelOutputHandle() {
  return g_output;
}

int StdChannelStream::Read(void* buffer, size_t size) {
  DWORD read = 0;
  if (!::ReadFile(g_input, buffer, ClampToDword(size), &read, nullptr))
    return -1;
  return static_cast<int>(read);
}

int StdChannelStream::Write(const void* data, size_t size) {
  DWORD written = 0;
  if (!::WriteFile(g_output, data, ClampToDword(size), &written, nullptr))
    return -1;
  return static_cast<int>(written);
}

void StdChannelStream::Flush() {
  // Fails on pipes under Wine; the write has reached the pipe either way.
  ::FlushFileBuffers(g_output);
}
