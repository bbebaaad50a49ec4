// Cost of the registry redirection on the engine's hot path: calls per
// second of RegQueryValueExW for a value outside the option table, with and
// without the hooks, and for a value the hooks answer themselves.
//
//   registry_bench.exe                 runs the rounds and prints the figures
//   registry_bench.exe plain|hooked    one side of a round
//
// Hooks cannot be removed, so each side runs in a process of its own. The
// two processes of a round take turns of a few dozen milliseconds, so that
// whatever else loads the machine weighs on both alike, and never measure at
// the same time, so that they do not compete for the one wineserver. The
// figure that matters is the ratio of their rates, a median over the rounds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "engine_config/registry_redirection.h"
#include "utils/scoped_handle.h"

namespace {

constexpr wchar_t kBenchKey[] = L"Software\\tb_registry_bench";
constexpr wchar_t kPlainValue[] = L"bench_value";
constexpr wchar_t kOptionValue[] = L"TabProcGrowth";
constexpr wchar_t kReadyName[] = L"tb_registry_bench_ready";
constexpr wchar_t kPlainTurnName[] = L"tb_registry_bench_plain_turn";
constexpr wchar_t kHookedTurnName[] = L"tb_registry_bench_hooked_turn";
constexpr DWORD kWaitMs = 60000;
constexpr int kRounds = 7;
constexpr int kTurns = 20;
constexpr int kBatch = 100;
constexpr double kTurnSeconds = 0.03;
constexpr double kOptionSeconds = 0.2;

struct Rates {
  double outside_table = 0;  // calls per second
  double option = 0;
};

double Now() {
  LARGE_INTEGER frequency;
  LARGE_INTEGER counter;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / frequency.QuadPart;
}

// Calls for at least `seconds`; adds the calls made and the time taken.
void Measure(HKEY key, const wchar_t* name, double seconds, double* calls, double* elapsed) {
  DWORD value = 0;
  const double start = Now();
  double now = start;
  do {
    for (int i = 0; i < kBatch; ++i) {
      DWORD size = sizeof(value);
      ::RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    }
    *calls += kBatch;
    now = Now();
  } while (now - start < seconds);
  *elapsed += now - start;
}

int RunSide(bool hooked) {
  // Both sides on the same processor: where a process runs relative to the
  // wineserver changes its rate severalfold, and must not differ between
  // the sides.
  ::SetProcessAffinityMask(::GetCurrentProcess(), 1);
  if (hooked)
    InstallRegistryHooks();
  unique_hkey key;
  unique_handle ready(::OpenSemaphoreW(SEMAPHORE_MODIFY_STATE, FALSE, kReadyName));
  unique_handle plain_turn(::OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, kPlainTurnName));
  unique_handle hooked_turn(::OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, kHookedTurnName));
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kBenchKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS ||
      !ready || !plain_turn || !hooked_turn) {
    return 1;
  }
  const HANDLE mine = hooked ? hooked_turn.get() : plain_turn.get();
  const HANDLE theirs = hooked ? plain_turn.get() : hooked_turn.get();
  // Warm caches and the server connection before the first turn.
  double ignored = 0;
  Measure(key.get(), kPlainValue, kTurnSeconds, &ignored, &ignored);
  if (!::ReleaseSemaphore(ready.get(), 1, nullptr))
    return 1;

  double calls = 0;
  double elapsed = 0;
  double option_calls = 0;
  double option_elapsed = 0;
  for (int turn = 0; turn <= kTurns; ++turn) {
    if (::WaitForSingleObject(mine, kWaitMs) != WAIT_OBJECT_0)
      return 1;
    if (turn < kTurns)
      Measure(key.get(), kPlainValue, kTurnSeconds, &calls, &elapsed);
    else
      Measure(key.get(), kOptionValue, kOptionSeconds, &option_calls, &option_elapsed);
    ::SetEvent(theirs);
  }
  std::printf("%.1f %.1f\n", calls / elapsed, option_calls / option_elapsed);
  return 0;
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

bool FinishMeasurement(Measurement* measurement, Rates* rates) {
  std::string output;
  char buffer[256];
  DWORD count = 0;
  while (::ReadFile(measurement->output.get(), buffer, sizeof(buffer), &count, nullptr) &&
         count > 0) {
    output.append(buffer, count);
  }
  return ::WaitForSingleObject(measurement->process.get(), kWaitMs) == WAIT_OBJECT_0 &&
         std::sscanf(output.c_str(), "%lf %lf", &rates->outside_table, &rates->option) == 2;
}

// Both sides, taking turns; false when either did not report.
bool RunRound(Rates* without, Rates* with) {
  unique_handle ready(::CreateSemaphoreW(nullptr, 0, 2, kReadyName));
  unique_handle plain_turn(::CreateEventW(nullptr, FALSE, FALSE, kPlainTurnName));
  unique_handle hooked_turn(::CreateEventW(nullptr, FALSE, FALSE, kHookedTurnName));
  Measurement plain;
  Measurement hooked;
  if (!ready || !plain_turn || !hooked_turn || !StartMeasurement(L"plain", &plain) ||
      !StartMeasurement(L"hooked", &hooked)) {
    return false;
  }
  for (int i = 0; i < 2; ++i) {
    if (::WaitForSingleObject(ready.get(), kWaitMs) != WAIT_OBJECT_0)
      return false;
  }
  ::SetEvent(plain_turn.get());
  return FinishMeasurement(&plain, without) && FinishMeasurement(&hooked, with);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

int RunRounds() {
  const DWORD value = 1;
  if (::RegSetKeyValueW(HKEY_CURRENT_USER, kBenchKey, kPlainValue, REG_DWORD, &value,
                        sizeof(value)) != ERROR_SUCCESS) {
    return 1;
  }
  std::vector<double> plain;
  std::vector<double> hooked;
  std::vector<double> option_plain;
  std::vector<double> option_hooked;
  std::vector<double> ratios;
  for (int round = 0; round < kRounds; ++round) {
    Rates without;
    Rates with;
    if (!RunRound(&without, &with))
      return 1;
    plain.push_back(without.outside_table);
    hooked.push_back(with.outside_table);
    option_plain.push_back(without.option);
    option_hooked.push_back(with.option);
    // Cost per call is the inverse of the rate.
    ratios.push_back(without.outside_table / with.outside_table);
    std::printf("round %d: not hooked %.0f, hooked %.0f calls/s, ratio %.3f\n", round + 1,
                without.outside_table, with.outside_table, ratios.back());
  }
  ::RegDeleteTreeW(HKEY_CURRENT_USER, kBenchKey);

  std::printf("RegQueryValueExW, calls per second (median of %d rounds)\n", kRounds);
  std::printf("  value outside the table, not hooked   %12.0f\n", Median(plain));
  std::printf("  value outside the table, hooked       %12.0f\n", Median(hooked));
  std::printf("  option value, not hooked (registry)   %12.0f\n", Median(option_plain));
  std::printf("  option value, answered by the detour  %12.0f\n", Median(option_hooked));
  std::printf("hooked pass-through cost / unhooked cost: %.3f (target <= 1.1)\n", Median(ratios));
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wcscmp(argv[1], L"plain") == 0)
    return RunSide(false);
  if (argc == 2 && std::wcscmp(argv[1], L"hooked") == 0)
    return RunSide(true);
  return RunRounds();
}
