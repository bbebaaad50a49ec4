#ifndef ENGINE_CONFIG_HOOK_HOOK_PROLOGUE_H_
#define ENGINE_CONFIG_HOOK_HOOK_PROLOGUE_H_

#include <cstddef>
#include <cstdint>
#include <optional>

// Whole instructions at the start of `code` that a 5-byte jump may replace
// and a trampoline may run from elsewhere: their total length (at least 5),
// or nothing when a branch, call or return, an undecodable instruction or the
// end of `size` comes first.
[[nodiscard]] std::optional<size_t> MeasurePrologue(const uint8_t* code, size_t size);

// Room for the longest prologue: four bytes, then one instruction of up to 15.
inline constexpr size_t kMaxPrologueSize = 19;

#endif  // ENGINE_CONFIG_HOOK_HOOK_PROLOGUE_H_
