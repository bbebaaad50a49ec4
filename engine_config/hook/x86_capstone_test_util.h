#ifndef ENGINE_CONFIG_HOOK_X86_CAPSTONE_TEST_UTIL_H_
#define ENGINE_CONFIG_HOOK_X86_CAPSTONE_TEST_UTIL_H_

#include <cstdint>
#include <string>
#include <vector>

// DecodeX86Instruction() against Capstone (32-bit mode), where Capstone is
// the reference for lengths, flow and operands.
[[nodiscard]] bool OpenCapstone();
void CloseCapstone();

// What the two disagree on for `code` that no known Capstone departure from
// Intel's manual explains; empty when they agree or Capstone knows no
// instruction there.
std::string CompareWithCapstone(const std::vector<uint8_t>& code);

#endif  // ENGINE_CONFIG_HOOK_X86_CAPSTONE_TEST_UTIL_H_
