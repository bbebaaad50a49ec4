// DecodeX86Instruction() against Capstone, swept over opcode maps x prefixes
// x ModRM x SIB. Fails on any disagreement that no known Capstone departure
// from Intel's manual explains.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine_config/hook/x86_capstone_test_util.h"

int main() {
  if (!OpenCapstone()) {
    std::printf("capstone unavailable\n");
    return 2;
  }
  const std::string kPrefixRuns[] = {"",         "\x66",        "\x67",     "\xF2",     "\xF3",
                                     "\xF0",     "\x2E",        "\x64",     "\x66\xF2", "\x66\xF3",
                                     "\xF3\x66", "\xF2\xF3",    "\xF3\xF2", "\x66\x67", "\xF0\x66",
                                     "\xF0\xF3", "\x3E\x67\x66"};
  // Base ESP, no base (disp32), no index, scaled index, and both.
  constexpr std::array<uint8_t, 6> kSibs = {0x24, 0x25, 0x05, 0x65, 0xE5, 0x8C};
  size_t checked = 0;
  size_t failures = 0;
  for (const std::string& prefixes : kPrefixRuns) {
    for (int map = 0; map < 4; ++map) {
      for (int op = 0; op < 256; ++op) {
        std::vector<uint8_t> head(prefixes.begin(), prefixes.end());
        if (map > 0)
          head.push_back(0x0F);
        if (map > 1)
          head.push_back(map == 2 ? 0x38 : 0x3A);
        head.push_back(static_cast<uint8_t>(op));
        for (int modrm = 0; modrm < 256; ++modrm) {
          const bool has_sib = (modrm & 7) == 4 && (modrm >> 6) != 3;
          for (size_t s = 0; s < (has_sib ? kSibs.size() : 1); ++s) {
            // Displacements and immediates 0x80, which keeps rel8 negative.
            std::vector<uint8_t> code(15, 0x80);
            std::copy(head.begin(), head.end(), code.begin());
            code[head.size()] = static_cast<uint8_t>(modrm);
            if (has_sib)
              code[head.size() + 1] = kSibs[s];
            ++checked;
            const std::string disagreement = CompareWithCapstone(code);
            if (!disagreement.empty() && ++failures <= 30)
              std::printf("%s\n", disagreement.c_str());
          }
        }
      }
    }
  }
  std::printf("checked %zu, failures %zu\n", checked, failures);
  CloseCapstone();
  return failures == 0 ? 0 : 1;
}
