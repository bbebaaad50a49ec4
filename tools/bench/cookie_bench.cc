// Cost of the cookie capture on the engine's hot path: calls per second of
// InternetSetCookieExW made from another module, as the engine makes them,
// with and without the network hooks, while no frame is open (the manager
// sends nothing).
//
//   cookie_bench.exe                 runs the rounds and prints the figures
//   cookie_bench.exe plain|hooked    one side of a round (hook_turns.h)
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "engine_config/network_hooks.h"
#include "main_frame/main_frame_controller_manager.h"
#include "tests/outside_caller/outside_caller.h"
#include "tools/bench/hook_turns.h"

namespace {

constexpr wchar_t kBenchName[] = L"tb_cookie_bench";
constexpr wchar_t kUrl[] = L"http://tb-cookie-bench.test/";
constexpr int kRounds = 7;
// A cookie call takes about a millisecond under Wine: longer turns than the
// registry's keep the count per turn meaningful.
constexpr double kCookieTurnSeconds = 0.2;

// A manager without frames never touches its channel.
CMainFrameControllerManager& Manager() {
  static auto* const manager = new CMainFrameControllerManager(nullptr, nullptr);
  return *manager;
}

void SyncCookie(std::wstring_view url, std::wstring_view cookie, bool http_only) {
  (void)Manager().SendCookieSync(url, cookie, http_only);
}

int RunCookieSide(bool hooked) {
  std::optional<OutsideCaller> engine;
  double calls = 0;
  double elapsed = 0;
  const auto set_cookie = [&engine] {
    engine->internet_set_cookie_ex_w(kUrl, nullptr, L"bench=1; path=/", 0, 0);
  };
  Side side;
  side.prepare = [&](bool hooked) {
    Manager();
    if (hooked)
      InstallNetworkHooks(&SyncCookie);
    engine = OutsideCaller::Load();
    if (!engine)
      return false;
    // Warm caches and the cookie store before the first turn.
    double ignored = 0;
    MeasureCalls(set_cookie, kCookieTurnSeconds, &ignored, &ignored);
    return true;
  };
  side.measure = [&](int turn) {
    if (turn < kTurns)
      MeasureCalls(set_cookie, kCookieTurnSeconds, &calls, &elapsed);
  };
  side.report = [&] { return std::to_string(calls / elapsed); };
  return RunSide(kBenchName, hooked, side);
}

int RunRounds() {
  std::vector<double> plain;
  std::vector<double> hooked;
  std::vector<double> ratios;
  for (int round = 0; round < kRounds; ++round) {
    std::vector<double> without;
    std::vector<double> with;
    if (!RunRound(kBenchName, &without, &with))
      return 1;
    plain.push_back(without[0]);
    hooked.push_back(with[0]);
    // Cost per call is the inverse of the rate.
    ratios.push_back(without[0] / with[0]);
    std::printf("round %d: not hooked %.0f, hooked %.0f calls/s, ratio %.3f\n", round + 1,
                without[0], with[0], ratios.back());
  }
  std::printf("InternetSetCookieExW from another module, no frame open, calls per second\n");
  std::printf("(median of %d rounds)\n", kRounds);
  std::printf("  not hooked   %12.0f\n", Median(plain));
  std::printf("  hooked       %12.0f\n", Median(hooked));
  std::printf("hooked cookie call cost / unhooked cost: %.3f (target <= 1.1)\n", Median(ratios));
  // For the benchmark table.
  std::printf("figures: %.0f %.0f %.3f\n", Median(plain), Median(hooked), Median(ratios));
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wcscmp(argv[1], L"plain") == 0)
    return RunCookieSide(false);
  if (argc == 2 && std::wcscmp(argv[1], L"hooked") == 0)
    return RunCookieSide(true);
  return RunRounds();
}
