#include "tools/bench/hook_turns.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "utils/scoped_handle.h"

namespace {

constexpr DWORD kWaitMs = 60000;
constexpr int kBatch = 100;

struct SyncNames {
  std::wstring ready;
  std::wstring plain_turn;
  std::wstring hooked_turn;
};

SyncNames NamesFor(const wchar_t* bench_name) {
  const std::wstring prefix = std::wstring(bench_name) + L"_";
  return {prefix + L"ready", prefix + L"plain_turn", prefix + L"hooked_turn"};
}

// One measuring process and the pipe its figures come through.
struct Measurement {
  unique_handle process;
  unique_handle output;
};

bool StartMeasurement(const wchar_t* mode, Measurement* measurement) {
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  unique_handle write;
  if (!::CreatePipe(measurement->output.put(), write.put(), &inherit, 0) ||
      !::SetHandleInformation(measurement->output.get(), HANDLE_FLAG_INHERIT, 0)) {
    return false;
  }
  wchar_t program[MAX_PATH];
  ::GetModuleFileNameW(nullptr, program, MAX_PATH);
  std::wstring command_line = L"\"" + std::wstring(program) + L"\" " + mode;
  STARTUPINFOW startup = {sizeof(startup)};
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write.get();
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info = {};
  if (!::CreateProcessW(program, command_line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &info)) {
    return false;
  }
  measurement->process.reset(info.hProcess);
  const unique_handle thread(info.hThread);
  return true;
}

bool FinishMeasurement(Measurement* measurement, std::vector<double>* figures) {
  std::string output;
  char buffer[256];
  DWORD count = 0;
  while (::ReadFile(measurement->output.get(), buffer, sizeof(buffer), &count, nullptr) &&
         count > 0) {
    output.append(buffer, count);
  }
  if (::WaitForSingleObject(measurement->process.get(), kWaitMs) != WAIT_OBJECT_0)
    return false;
  DWORD exit_code = 1;
  ::GetExitCodeProcess(measurement->process.get(), &exit_code);
  std::istringstream stream(output);
  figures->clear();
  for (double figure = 0; stream >> figure;)
    figures->push_back(figure);
  return exit_code == 0 && !figures->empty();
}

}  // namespace

int RunSide(const wchar_t* bench_name, bool hooked, const Side& side) {
  // Both sides on the same processor: where a process runs relative to the
  // wineserver changes its rate severalfold, and must not differ between
  // the sides.
  ::SetProcessAffinityMask(::GetCurrentProcess(), 1);
  const SyncNames names = NamesFor(bench_name);
  unique_handle ready(::OpenSemaphoreW(SEMAPHORE_MODIFY_STATE, FALSE, names.ready.c_str()));
  unique_handle plain_turn(
      ::OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, names.plain_turn.c_str()));
  unique_handle hooked_turn(
      ::OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, names.hooked_turn.c_str()));
  if (!ready || !plain_turn || !hooked_turn || !side.prepare(hooked))
    return 1;
  const HANDLE mine = hooked ? hooked_turn.get() : plain_turn.get();
  const HANDLE theirs = hooked ? plain_turn.get() : hooked_turn.get();
  if (!::ReleaseSemaphore(ready.get(), 1, nullptr))
    return 1;
  for (int turn = 0; turn <= kTurns; ++turn) {
    if (::WaitForSingleObject(mine, kWaitMs) != WAIT_OBJECT_0)
      return 1;
    side.measure(turn);
    ::SetEvent(theirs);
  }
  std::printf("%s\n", side.report().c_str());
  return 0;
}

bool RunRound(const wchar_t* bench_name, std::vector<double>* plain, std::vector<double>* hooked) {
  const SyncNames names = NamesFor(bench_name);
  unique_handle ready(::CreateSemaphoreW(nullptr, 0, 2, names.ready.c_str()));
  unique_handle plain_turn(::CreateEventW(nullptr, FALSE, FALSE, names.plain_turn.c_str()));
  unique_handle hooked_turn(::CreateEventW(nullptr, FALSE, FALSE, names.hooked_turn.c_str()));
  Measurement plain_side;
  Measurement hooked_side;
  if (!ready || !plain_turn || !hooked_turn || !StartMeasurement(L"plain", &plain_side) ||
      !StartMeasurement(L"hooked", &hooked_side)) {
    return false;
  }
  for (int i = 0; i < 2; ++i) {
    if (::WaitForSingleObject(ready.get(), kWaitMs) != WAIT_OBJECT_0)
      return false;
  }
  ::SetEvent(plain_turn.get());
  return FinishMeasurement(&plain_side, plain) && FinishMeasurement(&hooked_side, hooked);
}

double Now() {
  LARGE_INTEGER frequency;
  LARGE_INTEGER counter;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / frequency.QuadPart;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void MeasureCalls(const std::function<void()>& call,
                  double seconds,
                  double* calls,
                  double* elapsed) {
  const double start = Now();
  double now = start;
  do {
    for (int i = 0; i < kBatch; ++i)
      call();
    *calls += kBatch;
    now = Now();
  } while (now - start < seconds);
  *elapsed += now - start;
}
