#ifndef ENGINE_CONFIG_HOOK_X86_DECODER_H_
#define ENGINE_CONFIG_HOOK_X86_DECODER_H_

#include <cstddef>
#include <cstdint>

// Length decoder for 32-bit x86 code, enough for an inline hook engine to copy
// whole instructions of a prologue into a trampoline and to find the ones
// that must not be copied verbatim (relative branches, returns).
//
// Accepted: every one-byte opcode valid in 32-bit mode, the 0F, 0F 38 and
// 0F 3A maps (MMX, SSE to SSE4.2, SSSE3, AES, SHA, SSE4a, VMX, SVM), x87,
// with legacy prefixes in any order and number up to the 15-byte limit. A
// 66/F2/F3 prefix in front of an SSE-family opcode selects the instruction
// (the last F2/F3 wins over 66); a combination Intel does not define is
// invalid, as is LOCK in front of anything but a memory-destination
// read-modify-write instruction.
//
// Declined on purpose, each with its own error: VEX, EVEX, XOP, 3DNow! and
// VIA PadLock. Hook targets are ordinary function prologues, which never
// start with these.

enum class X86Flow : uint8_t {
  kNone,
  kJump,             // JMP rel8/rel16/rel32, JMP r/m (FF /4), far JMP (EA, FF /5)
  kConditionalJump,  // Jcc, JCXZ/JECXZ, LOOP/LOOPE/LOOPNE, XBEGIN
  kCall,             // CALL rel, CALL r/m (FF /2), far CALL (9A, FF /3)
  kReturn,           // RET, RETF (with or without iw), IRET, SYSEXIT, SYSRET
};
// x86 has no conditional call, so there is no kConditionalCall.

enum class X86DecodeError : uint8_t {
  kNone,
  kTruncated,  // the instruction runs past the readable bytes
  kTooLong,    // more than 15 bytes
  kInvalid,    // not an instruction in 32-bit mode, or not one this decoder knows
  kVex,        // C4/C5 with a register ModRM byte: AVX
  kEvex,       // 62 with a register ModRM byte: AVX-512
  kXop,        // 8F with map select >= 8: AMD XOP
  k3DNow,      // 0F 0F and FEMMS (0F 0E)
  kPadLock,    // 0F A6 / 0F A7: VIA PadLock
};

struct X86Instruction {
  uint8_t length = 0;  // 1..15, prefixes included
  X86Flow flow = X86Flow::kNone;

  // The operand of a relative branch (E8, E9, EB, Jcc, JCXZ, LOOP, XBEGIN),
  // sign-extended. The target is the instruction's address + length +
  // relative_displacement; with a 66 prefix (immediate_size 2) the CPU also
  // truncates the target to 16 bits.
  bool has_relative_target = false;
  int32_t relative_displacement = 0;

  // Displacement of the memory operand: ModRM/SIB displacement or the moffs
  // of A0-A3. Size 0 when there is none.
  uint8_t displacement_offset = 0;
  uint8_t displacement_size = 0;
  // The memory address is a bare 32-bit constant: ModRM mod=00 rm=101, SIB
  // with neither base nor index, or a 32-bit moffs. E.g. FF 25 = jmp [abs].
  bool has_absolute_address = false;

  // All immediate bytes, including a relative branch operand, a far pointer
  // (ptr16:32), ENTER's iw+ib and EXTRQ/INSERTQ's two ib. Size 0 when none.
  uint8_t immediate_offset = 0;
  uint8_t immediate_size = 0;
};

struct X86DecodeResult {
  X86DecodeError error = X86DecodeError::kInvalid;
  X86Instruction instruction;  // meaningful only when ok()

  [[nodiscard]] bool ok() const { return error == X86DecodeError::kNone; }
};

// Decodes the instruction at `code`, reading at most `size` bytes (and never
// more than 15).
[[nodiscard]] X86DecodeResult DecodeX86Instruction(const uint8_t* code, size_t size);

#endif  // ENGINE_CONFIG_HOOK_X86_DECODER_H_
