#include "engine_config/hook/hook_jump.h"

namespace {

uint32_t ReadLe32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

}  // namespace

std::optional<JumpBytes> EncodeJump(uint32_t from, uint32_t to) {
  const int64_t displacement = int64_t{to} - (int64_t{from} + int64_t{kJumpSize});
  if (displacement > kMaxJumpDistance || displacement < -kMaxJumpDistance)
    return std::nullopt;
  const uint32_t operand = static_cast<uint32_t>(displacement);
  return JumpBytes{0xE9, static_cast<uint8_t>(operand), static_cast<uint8_t>(operand >> 8),
                   static_cast<uint8_t>(operand >> 16), static_cast<uint8_t>(operand >> 24)};
}

JumpHop ReadJump(const uint8_t* code, size_t size, uint32_t code_address) {
  if (size >= 1 && code[0] == 0xE9) {
    if (size < 5)
      return {JumpHop::Kind::kTruncated};
    return {JumpHop::Kind::kDirect, code_address + 5 + ReadLe32(code + 1)};
  }
  if (size >= 1 && code[0] == 0xEB) {
    if (size < 2)
      return {JumpHop::Kind::kTruncated};
    const int32_t displacement = static_cast<int8_t>(code[1]);
    return {JumpHop::Kind::kDirect, code_address + 2 + static_cast<uint32_t>(displacement)};
  }
  if (size >= 2 && code[0] == 0xFF && code[1] == 0x25) {
    if (size < 6)
      return {JumpHop::Kind::kTruncated};
    return {JumpHop::Kind::kIndirect, ReadLe32(code + 2)};
  }
  return {};
}

std::optional<uint32_t> ForwardingStubSlot(const uint8_t* code, size_t size) {
  if (size < 8 || code[0] != 0x8B || code[1] != 0xFF || code[2] != 0xFF || code[3] != 0x25)
    return std::nullopt;
  return ReadLe32(code + 4);
}
