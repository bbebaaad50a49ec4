// Arbitrary bytes as code: the decoder gives a length of 1 to 15 that fits
// the bytes, or an error, and never reads past the bytes given (they sit at
// the end of a heap block of their exact size). An instruction decodes alike
// from exactly its bytes, and one byte short it is truncated.

#include <cstdint>
#include <vector>

#include "engine_config/hook/x86_decoder.h"
#include "tests/fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> code(data, data + size);
  const X86DecodeResult result = DecodeX86Instruction(code.data(), code.size());
  if (!result.ok()) {
    FuzzCheck(result.error != X86DecodeError::kNone);
    return 0;
  }
  const X86Instruction& instruction = result.instruction;
  FuzzCheck(instruction.length >= 1 && instruction.length <= 15 && instruction.length <= size);
  FuzzCheck(instruction.displacement_offset + instruction.displacement_size <= instruction.length);
  FuzzCheck(instruction.immediate_offset + instruction.immediate_size <= instruction.length);
  FuzzCheck(!instruction.has_relative_target || instruction.immediate_size > 0);

  const std::vector<uint8_t> exact(data, data + instruction.length);
  const X86DecodeResult again = DecodeX86Instruction(exact.data(), exact.size());
  FuzzCheck(again.ok() && again.instruction.length == instruction.length &&
            again.instruction.flow == instruction.flow);
  FuzzCheck(DecodeX86Instruction(exact.data(), exact.size() - 1).error ==
            X86DecodeError::kTruncated);
  return 0;
}
