#include "engine_config/hook/x86_decoder.h"

#include "engine_config/hook/x86_opcode_maps.h"

namespace {

constexpr size_t kMaxInstructionLength = 15;

struct Prefixes {
  bool operand_size_16 = false;  // 66
  bool address_size_16 = false;  // 67
  bool lock = false;             // F0
  uint8_t last_repeat = 0;       // F2 or F3, the last one seen
};

class Decoder {
 public:
  Decoder(const uint8_t* code, size_t size) : code_(code), size_(size) {}

  X86DecodeResult Run();

 private:
  // Each returns false after setting error_.
  bool Reserve(size_t count);
  bool Next(uint8_t& byte);
  bool Peek(uint8_t& byte);
  bool Skip(size_t count);
  bool ReadPrefixesAndOpcode(uint8_t& opcode);
  bool ReadMemoryOperand(uint8_t modrm);
  bool ReadImmediate(ImmediateKind kind);

  bool Fail(X86DecodeError error) {
    error_ = error;
    return false;
  }

  MandatoryPrefix mandatory_prefix() const;

  const uint8_t* code_;
  size_t size_;
  size_t pos_ = 0;
  X86DecodeError error_ = X86DecodeError::kNone;
  Prefixes prefixes_;
  X86Instruction instruction_;
};

bool Decoder::Reserve(size_t count) {
  const size_t end = pos_ + count;
  if (end > kMaxInstructionLength) {
    return Fail(X86DecodeError::kTooLong);
  }
  if (end > size_) {
    return Fail(X86DecodeError::kTruncated);
  }
  return true;
}

bool Decoder::Next(uint8_t& byte) {
  if (!Reserve(1)) {
    return false;
  }
  byte = code_[pos_++];
  return true;
}

bool Decoder::Peek(uint8_t& byte) {
  if (!Reserve(1)) {
    return false;
  }
  byte = code_[pos_];
  return true;
}

bool Decoder::Skip(size_t count) {
  if (!Reserve(count)) {
    return false;
  }
  pos_ += count;
  return true;
}

bool Decoder::ReadPrefixesAndOpcode(uint8_t& opcode) {
  while (Next(opcode)) {
    switch (opcode) {
      case 0x26:
      case 0x2E:
      case 0x36:
      case 0x3E:
      case 0x64:
      case 0x65:
        break;
      case 0x66:
        prefixes_.operand_size_16 = true;
        break;
      case 0x67:
        prefixes_.address_size_16 = true;
        break;
      case 0xF0:
        prefixes_.lock = true;
        break;
      case 0xF2:
      case 0xF3:
        prefixes_.last_repeat = opcode;
        break;
      default:
        return true;
    }
  }
  return false;
}

MandatoryPrefix Decoder::mandatory_prefix() const {
  if (prefixes_.last_repeat == 0xF3) {
    return MandatoryPrefix::kF3;
  }
  if (prefixes_.last_repeat == 0xF2) {
    return MandatoryPrefix::kF2;
  }
  return prefixes_.operand_size_16 ? MandatoryPrefix::k66 : MandatoryPrefix::kNone;
}

// SIB and displacement after a ModRM byte with mod != 11.
bool Decoder::ReadMemoryOperand(uint8_t modrm) {
  const int mod = modrm >> 6;
  const int rm = modrm & 7;
  size_t displacement = 0;
  if (prefixes_.address_size_16) {
    // 16-bit addressing has no SIB; mod 00 rm 110 is a bare disp16.
    displacement = mod == 1 ? 1 : (mod == 2 || (mod == 0 && rm == 6)) ? 2 : 0;
  } else {
    bool no_base = mod == 0 && rm == 5;
    bool no_index = true;
    if (rm == 4) {
      uint8_t sib;
      if (!Next(sib)) {
        return false;
      }
      no_base = mod == 0 && (sib & 7) == 5;
      no_index = ((sib >> 3) & 7) == 4;
    }
    displacement = mod == 1 ? 1 : (mod == 2 || no_base) ? 4 : 0;
    instruction_.has_absolute_address = no_base && no_index;
  }
  if (displacement == 0) {
    return true;
  }
  instruction_.displacement_offset = static_cast<uint8_t>(pos_);
  instruction_.displacement_size = static_cast<uint8_t>(displacement);
  return Skip(displacement);
}

bool Decoder::ReadImmediate(ImmediateKind kind) {
  const size_t operand_size = prefixes_.operand_size_16 ? 2 : 4;
  size_t size = 0;
  switch (kind) {
    case ImmediateKind::kNone:
      return true;
    case ImmediateKind::kByte:
    case ImmediateKind::kRel8:
      size = 1;
      break;
    case ImmediateKind::kWord:
      size = 2;
      break;
    case ImmediateKind::kWordByte:
      size = 3;
      break;
    case ImmediateKind::kOperandSize:
    case ImmediateKind::kRelOperandSize:
      size = operand_size;
      break;
    case ImmediateKind::kFarPointer:
      size = operand_size + 2;
      break;
    case ImmediateKind::kMoffs:
      // An address, so it is reported as the displacement.
      size = prefixes_.address_size_16 ? 2 : 4;
      instruction_.displacement_offset = static_cast<uint8_t>(pos_);
      instruction_.displacement_size = static_cast<uint8_t>(size);
      instruction_.has_absolute_address = size == 4;
      return Skip(size);
  }
  if (!Reserve(size)) {
    return false;
  }
  instruction_.immediate_offset = static_cast<uint8_t>(pos_);
  instruction_.immediate_size = static_cast<uint8_t>(size);
  if (kind == ImmediateKind::kRel8 || kind == ImmediateKind::kRelOperandSize) {
    uint32_t value = 0;
    for (size_t i = 0; i < size; ++i) {
      value |= static_cast<uint32_t>(code_[pos_ + i]) << (8 * i);
    }
    const int shift = static_cast<int>(32 - 8 * size);
    instruction_.has_relative_target = true;
    instruction_.relative_displacement = static_cast<int32_t>(value << shift) >> shift;
  }
  return Skip(size);
}

X86DecodeResult Decoder::Run() {
  uint8_t opcode;
  if (!ReadPrefixesAndOpcode(opcode)) {
    return {error_, {}};
  }
  OpcodeMap map = OpcodeMap::kOneByte;
  if (opcode == 0x0F) {
    if (!Next(opcode)) {
      return {error_, {}};
    }
    map = OpcodeMap::k0F;
    if (opcode == 0x0E || opcode == 0x0F) {
      return {X86DecodeError::k3DNow, {}};
    }
    if (opcode == 0xA6 || opcode == 0xA7) {
      return {X86DecodeError::kPadLock, {}};
    }
    if (opcode == 0x38 || opcode == 0x3A) {
      map = opcode == 0x38 ? OpcodeMap::k0F38 : OpcodeMap::k0F3A;
      if (!Next(opcode)) {
        return {error_, {}};
      }
    }
  }

  OpcodeInfo info = LookupOpcode(map, mandatory_prefix(), opcode);
  if (!info.valid) {
    return {X86DecodeError::kInvalid, {}};
  }
  if (map == OpcodeMap::kOneByte && (opcode == 0x62 || opcode == 0xC4 || opcode == 0xC5)) {
    // Outside 64-bit mode these are BOUND/LES/LDS unless the next byte is a
    // register ModRM, which no memory operand can be: then VEX or EVEX.
    uint8_t next;
    if (!Peek(next)) {
      return {error_, {}};
    }
    if ((next >> 6) == 3) {
      return {opcode == 0x62 ? X86DecodeError::kEvex : X86DecodeError::kVex, {}};
    }
  }

  bool memory_operand = false;
  if (info.modrm != ModRMUse::kAbsent) {
    uint8_t modrm;
    if (!Next(modrm)) {
      return {error_, {}};
    }
    const int reg = (modrm >> 3) & 7;
    if (map == OpcodeMap::kOneByte && opcode == 0x8F && reg != 0) {
      // XOP's map select sits where POP's ModRM has reg and rm; maps < 8
      // are neither XOP nor POP.
      return {(modrm & 0x1F) >= 8 ? X86DecodeError::kXop : X86DecodeError::kInvalid, {}};
    }
    if (info.has_modrm_rules) {
      info = ApplyModRMRules(map, mandatory_prefix(), opcode, modrm, info);
      if (!info.valid) {
        return {X86DecodeError::kInvalid, {}};
      }
    }
    memory_operand = info.modrm != ModRMUse::kRegisterForced && (modrm >> 6) != 3;
    if ((info.modrm == ModRMUse::kMemory && !memory_operand) ||
        (info.modrm == ModRMUse::kRegister && memory_operand)) {
      return {X86DecodeError::kInvalid, {}};
    }
    if (memory_operand && !ReadMemoryOperand(modrm)) {
      return {error_, {}};
    }
  }
  if (prefixes_.lock && !(info.lockable && memory_operand)) {
    return {X86DecodeError::kInvalid, {}};
  }
  if (!ReadImmediate(info.immediate)) {
    return {error_, {}};
  }
  instruction_.length = static_cast<uint8_t>(pos_);
  instruction_.flow = info.flow;
  return {X86DecodeError::kNone, instruction_};
}

}  // namespace

X86DecodeResult DecodeX86Instruction(const uint8_t* code, size_t size) {
  return Decoder(code, size).Run();
}
