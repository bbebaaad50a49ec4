#include "ui/banner/banner_model.h"

#include <algorithm>
#include <array>

namespace {

constexpr int kLinkGap = 8;

struct KnownMode {
  int mode;
  ModeName name;
};

constexpr std::array<KnownMode, 9> kKnownModes = {{
    {7000, {L"IE 7 \u25BE", L"IE 7 Standard Mode"}},
    {8000, {L"IE 8 \u25BE", L"IE 8 Standard Mode"}},
    {8888, {L"IE 8 \u25BE", L"IE 8 Mandatory Standard Mode"}},
    {9000, {L"IE 9 \u25BE", L"IE 9 Standard Mode"}},
    {9999, {L"IE 9 \u25BE", L"IE 9 Mandatory Standard Mode"}},
    {10000, {L"IE 10 \u25BE", L"IE 10 Standard Mode"}},
    {10001, {L"IE 10 \u25BE", L"IE 10 Mandatory Standard Mode"}},
    {11000, {L"IE 11 \u25BE", L"IE 11 Standard Mode"}},
    {11001, {L"IE 11 \u25BE", L"IE 11 Mandatory Standard Mode"}},
}};

constexpr std::array<ModeMenuEntry, 9> kMenu = {{
    {1, 7000},
    {2, 8000},
    {3, 8888},
    {4, 9000},
    {5, 9999},
    {6, 10000},
    {7, 10001},
    {8, 11000},
    {9, 11001},
}};

}  // namespace

ModeName ModeNameOf(int mode) {
  for (const KnownMode& known : kKnownModes) {
    if (known.mode == mode)
      return known.name;
  }
  return {L"IE Mode \u25BE", L"IE Compatibility Mode"};
}

std::span<const ModeMenuEntry> ModeMenu() {
  return kMenu;
}

std::optional<int> ModeOfCommand(unsigned command) {
  for (const ModeMenuEntry& entry : kMenu) {
    if (entry.command == command)
      return entry.mode;
  }
  return std::nullopt;
}

bool UsesLargeVariants(int snapped_scale) {
  return snapped_scale != 100;
}

std::string ModeLinkPos(int sentence_left, int sentence_width) {
  const int left = std::max(sentence_left + sentence_width + kLinkGap, sentence_left);
  return std::to_string(left) + ",|-9";
}
