// Cost of the registry redirection on the engine's hot path: calls per
// second of RegQueryValueExW for a value outside the option table, with and
// without the hooks, and for a value the hooks answer themselves.
//
//   registry_bench.exe                 runs the rounds and prints the figures
//   registry_bench.exe plain|hooked    one side of a round (hook_turns.h)
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "engine_config/registry_redirection.h"
#include "tools/bench/hook_turns.h"
#include "utils/scoped_handle.h"

namespace {

constexpr wchar_t kBenchName[] = L"tb_registry_bench";
constexpr wchar_t kBenchKey[] = L"Software\\tb_registry_bench";
constexpr wchar_t kPlainValue[] = L"bench_value";
constexpr wchar_t kOptionValue[] = L"TabProcGrowth";
constexpr int kRounds = 7;
constexpr double kOptionSeconds = 0.2;

int RunRegistrySide(bool hooked) {
  unique_hkey key;
  double calls = 0;
  double elapsed = 0;
  double option_calls = 0;
  double option_elapsed = 0;
  const auto query = [&key](const wchar_t* name) {
    return [&key, name] {
      DWORD value = 0;
      DWORD size = sizeof(value);
      ::RegQueryValueExW(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    };
  };
  Side side;
  side.prepare = [&](bool hooked) {
    if (hooked)
      InstallRegistryHooks();
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kBenchKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
      return false;
    // Warm caches and the server connection before the first turn.
    double ignored = 0;
    MeasureCalls(query(kPlainValue), kTurnSeconds, &ignored, &ignored);
    return true;
  };
  side.measure = [&](int turn) {
    if (turn < kTurns)
      MeasureCalls(query(kPlainValue), kTurnSeconds, &calls, &elapsed);
    else
      MeasureCalls(query(kOptionValue), kOptionSeconds, &option_calls, &option_elapsed);
  };
  side.report = [&] {
    return std::to_string(calls / elapsed) + " " + std::to_string(option_calls / option_elapsed);
  };
  return RunSide(kBenchName, hooked, side);
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
    std::vector<double> without;
    std::vector<double> with;
    if (!RunRound(kBenchName, &without, &with) || without.size() != 2 || with.size() != 2)
      return 1;
    plain.push_back(without[0]);
    hooked.push_back(with[0]);
    option_plain.push_back(without[1]);
    option_hooked.push_back(with[1]);
    // Cost per call is the inverse of the rate.
    ratios.push_back(without[0] / with[0]);
    std::printf("round %d: not hooked %.0f, hooked %.0f calls/s, ratio %.3f\n", round + 1,
                without[0], with[0], ratios.back());
  }
  ::RegDeleteTreeW(HKEY_CURRENT_USER, kBenchKey);

  std::printf("RegQueryValueExW, calls per second (median of %d rounds)\n", kRounds);
  std::printf("  value outside the table, not hooked   %12.0f\n", Median(plain));
  std::printf("  value outside the table, hooked       %12.0f\n", Median(hooked));
  std::printf("  option value, not hooked (registry)   %12.0f\n", Median(option_plain));
  std::printf("  option value, answered by the detour  %12.0f\n", Median(option_hooked));
  std::printf("hooked pass-through cost / unhooked cost: %.3f (target <= 1.1)\n", Median(ratios));
  // For the benchmark table.
  std::printf("figures: %.0f %.0f %.3f %.0f %.0f\n", Median(plain), Median(hooked), Median(ratios),
              Median(option_plain), Median(option_hooked));
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wcscmp(argv[1], L"plain") == 0)
    return RunRegistrySide(false);
  if (argc == 2 && std::wcscmp(argv[1], L"hooked") == 0)
    return RunRegistrySide(true);
  return RunRounds();
}
