#include "tools/stand_in_engine/document_mode.h"

#include <array>

namespace {

struct EmulationRow {
  uint32_t value;
  int version;
  bool forced;
};

constexpr std::array<EmulationRow, 9> kEmulations = {{
    {7000, 7, false},
    {8000, 8, false},
    {8888, 8, true},
    {9000, 9, false},
    {9999, 9, true},
    {10000, 10, false},
    {10001, 10, true},
    {11000, 11, false},
    {11001, 11, true},
}};

const EmulationRow* FindRow(uint32_t emulation) {
  for (const EmulationRow& row : kEmulations) {
    if (row.value == emulation)
      return &row;
  }
  return nullptr;
}

}  // namespace

bool IsKnownEmulation(uint32_t emulation) {
  return FindRow(emulation) != nullptr;
}

int DocumentModeFor(std::optional<uint32_t> emulation, bool has_doctype) {
  const EmulationRow* row = emulation ? FindRow(*emulation) : nullptr;
  if (!row)
    row = FindRow(kDefaultEmulation);
  return row->forced || has_doctype ? row->version : kQuirksDocumentMode;
}
