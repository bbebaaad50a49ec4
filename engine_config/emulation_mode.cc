#include "engine_config/emulation_mode.h"

namespace {

struct EmulationLabels {
  int emulation;
  const char* long_label;
  const char* short_label;
};

constexpr EmulationLabels kLabels[] = {
    {7000, "IE 7 Standard Mode", "IE 7"},
    {8000, "IE 8 Standard Mode", "IE 8"},
    {8888, "IE 8 Mandatory Standard Mode", "IE 8"},
    {9000, "IE 9 Standard Mode", "IE 9"},
    {9999, "IE 9 Mandatory Standard Mode", "IE 9"},
    {10000, "IE 10 Standard Mode", "IE 10"},
    {10001, "IE 10 Mandatory Standard Mode", "IE 10"},
    {11000, "IE 11 Standard Mode", "IE 11"},
    {11001, "IE 11 Mandatory Standard Mode", "IE 11"},
};
constexpr EmulationLabels kUnknown = {0, "IE Compatibility Mode", "IE Mode"};

const EmulationLabels& LabelsFor(int emulation) {
  for (const EmulationLabels& labels : kLabels) {
    if (labels.emulation == emulation)
      return labels;
  }
  return kUnknown;
}

}  // namespace

int DefaultEmulationForEngine(int engine_major_version) {
  if (engine_major_version >= 11)
    return 11000;
  switch (engine_major_version) {
    case 10:
      return 10000;
    case 9:
      return 9000;
    case 8:
      return 8000;
    default:
      return 7000;
  }
}

const char* EmulationLongLabel(int emulation) {
  return LabelsFor(emulation).long_label;
}

const char* EmulationShortLabel(int emulation) {
  return LabelsFor(emulation).short_label;
}
