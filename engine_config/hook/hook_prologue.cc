#include "engine_config/hook/hook_prologue.h"

#include "engine_config/hook/hook_jump.h"
#include "engine_config/hook/x86_decoder.h"

std::optional<size_t> MeasurePrologue(const uint8_t* code, size_t size) {
  size_t covered = 0;
  while (covered < kJumpSize) {
    const X86DecodeResult result = DecodeX86Instruction(code + covered, size - covered);
    // Moved elsewhere, a relative operand would point at the wrong place.
    if (!result.ok() || result.instruction.flow != X86Flow::kNone)
      return std::nullopt;
    covered += result.instruction.length;
  }
  return covered;
}
