#ifndef ENGINE_CONFIG_HOOK_HOOK_JUMP_H_
#define ENGINE_CONFIG_HOOK_HOOK_JUMP_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

// The jumps the hook engine writes and the ones it follows. Addresses are
// 32-bit; the caller reads the code bytes.

inline constexpr size_t kJumpSize = 5;
// Farther jumps are never written, although rel32 arithmetic wraps in 32-bit
// code and would reach them.
inline constexpr int64_t kMaxJumpDistance = 0x7FFF0000;

using JumpBytes = std::array<uint8_t, kJumpSize>;

// E9 rel32 placed at `from` and landing on `to`; nothing when the displacement
// is larger than kMaxJumpDistance either way.
[[nodiscard]] std::optional<JumpBytes> EncodeJump(uint32_t from, uint32_t to);

struct JumpHop {
  enum class Kind {
    kNone,       // not a jump the engine follows
    kDirect,     // E9 or EB: `address` is the destination
    kIndirect,   // FF 25: `address` holds the destination
    kTruncated,  // a followed jump's operand runs past the readable bytes
  };
  Kind kind = Kind::kNone;
  uint32_t address = 0;
};

// The jump at `code_address`, whose first `size` bytes are `code`.
[[nodiscard]] JumpHop ReadJump(const uint8_t* code, size_t size, uint32_t code_address);

// Where an import forwarding stub (8B FF FF 25 imm32: mov edi,edi; jmp [imm32])
// keeps the address it forwards to; nothing for other code.
[[nodiscard]] std::optional<uint32_t> ForwardingStubSlot(const uint8_t* code, size_t size);

#endif  // ENGINE_CONFIG_HOOK_HOOK_JUMP_H_
