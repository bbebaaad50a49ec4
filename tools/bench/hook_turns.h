#ifndef TOOLS_BENCH_HOOK_TURNS_H_
#define TOOLS_BENCH_HOOK_TURNS_H_

#include <functional>
#include <string>
#include <vector>

// What a hook costs: the same calls with and without it. Hooks cannot be
// removed, so each side runs in a process of its own, this program started
// with "plain" or "hooked". The two processes of a round take turns of a few
// dozen milliseconds, so that whatever else loads the machine weighs on both
// alike, and never measure at the same time, so that they do not compete for
// the one wineserver. The figure that matters is the ratio of their rates, a
// median over the rounds.

constexpr int kTurns = 20;
constexpr double kTurnSeconds = 0.03;

struct Side {
  // Installs the hooks on the hooked side; false when the side cannot run.
  std::function<bool(bool hooked)> prepare;
  // One turn: turns 0 to kTurns - 1 measure the main figure, turn kTurns
  // whatever else the side reports.
  std::function<void(int turn)> measure;
  // The figures, in decimal, separated by blanks.
  std::function<std::string()> report;
};

// A side process's work; its exit code.
int RunSide(const wchar_t* bench_name, bool hooked, const Side& side);

// Runs both sides once, in processes of their own; false when either failed.
bool RunRound(const wchar_t* bench_name, std::vector<double>* plain, std::vector<double>* hooked);

double Now();
double Median(std::vector<double> values);

// Calls `call` in batches for at least `seconds`; adds the calls made and the
// time taken.
void MeasureCalls(const std::function<void()>& call,
                  double seconds,
                  double* calls,
                  double* elapsed);

#endif  // TOOLS_BENCH_HOOK_TURNS_H_
