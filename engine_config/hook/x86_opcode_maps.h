#ifndef ENGINE_CONFIG_HOOK_X86_OPCODE_MAPS_H_
#define ENGINE_CONFIG_HOOK_X86_OPCODE_MAPS_H_

#include <cstdint>

#include "engine_config/hook/x86_decoder.h"

// Opcode tables of the x86 decoder, taken from Intel's opcode maps for
// 32-bit mode (plus AMD's SSE4a and SVM). Internal to x86_decoder.cc.

enum class OpcodeMap : uint8_t { kOneByte, k0F, k0F38, k0F3A };

// The prefix that selects among the SSE-family forms of an opcode.
enum class MandatoryPrefix : uint8_t { kNone, k66, kF3, kF2 };

enum class ModRMUse : uint8_t {
  kAbsent,
  kAny,
  kMemory,          // a register form is invalid
  kRegister,        // a memory form is invalid
  kRegisterForced,  // MOV CR/DR: mod is ignored, never a displacement
};

enum class ImmediateKind : uint8_t {
  kNone,
  kByte,
  kWord,            // iw, or two ib (EXTRQ, INSERTQ)
  kOperandSize,     // iz: 4 bytes, 2 with 66
  kWordByte,        // ENTER iw, ib
  kFarPointer,      // ptr16:32, ptr16:16 with 66
  kMoffs,           // a 4-byte address, 2 with 67
  kRel8,            // relative branch operand
  kRelOperandSize,  // rel32, rel16 with 66
};

struct OpcodeInfo {
  bool valid = false;
  ModRMUse modrm = ModRMUse::kAbsent;
  ImmediateKind immediate = ImmediateKind::kNone;
  X86Flow flow = X86Flow::kNone;
  // LOCK is allowed when the ModRM operand is in memory.
  bool lockable = false;
  // Validity or operands depend on the ModRM byte: see ApplyModRMRules().
  bool has_modrm_rules = false;
};

// The entry of `opcode`; `prefix` matters for the 0F, 0F 38 and 0F 3A maps.
[[nodiscard]] OpcodeInfo LookupOpcode(OpcodeMap map, MandatoryPrefix prefix, uint8_t opcode);

// Refines an entry with has_modrm_rules for its ModRM byte; the result is
// invalid when that byte selects no instruction.
[[nodiscard]] OpcodeInfo ApplyModRMRules(OpcodeMap map,
                                         MandatoryPrefix prefix,
                                         uint8_t opcode,
                                         uint8_t modrm,
                                         OpcodeInfo info);

#endif  // ENGINE_CONFIG_HOOK_X86_OPCODE_MAPS_H_
