#include "engine_config/hook/x86_capstone_test_util.h"

#include <capstone/capstone.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine_config/hook/x86_decoder.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint64_t kAddress = 0x10000000;

csh g_capstone = 0;
cs_insn* g_insn = nullptr;

struct Theirs {
  bool ok = false;
  size_t length = 0;
  X86Flow flow = X86Flow::kNone;
  std::string text;
  bool relative = false;  // a relative branch
  bool absolute = false;  // memory operand with neither base nor index, disp32
  uint8_t disp_offset = 0;
  uint8_t disp_size = 0;
};

X86Flow FlowOf(const cs_insn& insn) {
  const uint8_t* groups = insn.detail->groups;
  auto has = [&](int group) {
    return std::count(groups, groups + insn.detail->groups_count, group) > 0;
  };
  // LOOPcc carry no group in Capstone; XBEGIN falls through unless the
  // transaction aborts.
  if ((has(CS_GRP_JUMP) && has(CS_GRP_BRANCH_RELATIVE) && insn.id != X86_INS_JMP) ||
      insn.id == X86_INS_LOOP || insn.id == X86_INS_LOOPE || insn.id == X86_INS_LOOPNE ||
      insn.id == X86_INS_XBEGIN)
    return X86Flow::kConditionalJump;
  if (has(CS_GRP_JUMP))
    return X86Flow::kJump;
  if (has(CS_GRP_CALL))
    return X86Flow::kCall;
  return has(CS_GRP_RET) || has(CS_GRP_IRET) ? X86Flow::kReturn : X86Flow::kNone;
}

Theirs Decode(const Bytes& code, uint64_t address = kAddress) {
  Theirs r;
  const uint8_t* bytes = code.data();
  size_t size = code.size();
  if (!cs_disasm_iter(g_capstone, &bytes, &size, &address, g_insn))
    return r;
  const cs_detail& detail = *g_insn->detail;
  r = {true, g_insn->size, FlowOf(*g_insn), std::string(g_insn->mnemonic) + " " + g_insn->op_str};
  r.relative =
      std::count(detail.groups, detail.groups + detail.groups_count, CS_GRP_BRANCH_RELATIVE) > 0;
  r.disp_offset = detail.x86.encoding.disp_offset;
  r.disp_size = detail.x86.encoding.disp_size;
  for (int i = 0; i < detail.x86.op_count; ++i) {
    const cs_x86_op& op = detail.x86.operands[i];
    r.absolute |= op.type == X86_OP_MEM && op.mem.base == X86_REG_INVALID &&
                  op.mem.index == X86_REG_INVALID && r.disp_size == 4;
  }
  return r;
}

// Capstone's text without prefix words and operand sizes, which it prints
// inconsistently for a prefix it ignores.
std::string Normalize(std::string text) {
  for (const char* word : {"lock ", "xacquire ", "xrelease ", "bnd ", "rep ", "repne "}) {
    if (const size_t at = text.find(word); at != std::string::npos)
      text.erase(at, std::strlen(word));
  }
  for (size_t ptr; (ptr = text.find(" ptr ")) != std::string::npos;) {
    const size_t word = text.rfind(' ', ptr - 1);
    text.erase(word + 1, ptr + 5 - (word + 1));
  }
  return text;
}

std::string Hex(const Bytes& code) {
  std::string text;
  for (const uint8_t byte : code) {
    char hex[4];
    std::snprintf(hex, sizeof(hex), "%02x ", byte);
    text += hex;
  }
  return text;
}

// Without one of these sets of its prefixes (of the first `prefix_length`
// bytes) Capstone reads the same instruction, which we then decode alike.
bool AgreesWithout(const Bytes& code,
                   size_t prefix_length,
                   const Theirs& theirs,
                   std::initializer_list<Bytes> removable_sets) {
  for (const Bytes& removable : removable_sets) {
    Bytes kept;
    for (size_t i = 0; i < code.size(); ++i) {
      if (i >= prefix_length || std::count(removable.begin(), removable.end(), code[i]) == 0)
        kept.push_back(code[i]);
    }
    const size_t removed = code.size() - kept.size();
    const Theirs plain = Decode(kept, kAddress + removed);
    const X86DecodeResult ours = DecodeX86Instruction(kept.data(), kept.size());
    if (removed > 0 && plain.ok && Normalize(plain.text) == Normalize(theirs.text) &&
        plain.length + removed == theirs.length && plain.flow == theirs.flow && ours.ok() &&
        ours.instruction.length == plain.length && ours.instruction.flow == plain.flow)
      return true;
  }
  return false;
}

// Families where Capstone departs from Intel's manual.
bool Explained(const Bytes& code, const X86DecodeResult& ours, const Theirs& theirs) {
  static constexpr uint8_t kPrefixes[] = {0x26, 0x2E, 0x36, 0x3E, 0x64, 0x65,
                                          0x66, 0x67, 0xF0, 0xF2, 0xF3};
  size_t p = 0;
  while (p < code.size() && std::count(std::begin(kPrefixes), std::end(kPrefixes), code[p]))
    ++p;
  // The bytes from the opcode on, and the reg field of one of them.
  const auto at = [&](size_t i) { return p + i < code.size() ? int{code[p + i]} : -1; };
  const auto reg = [&](size_t i) { return (at(i) >> 3) & 7; };
  const bool two_byte = at(0) == 0x0F;
  // It falls back to the unprefixed form when 66/F2/F3 selects no form of an
  // SSE-family opcode, or one that would pass 15 bytes, and accepts LOCK
  // without a memory destination.
  if ((ours.error == X86DecodeError::kInvalid || ours.error == X86DecodeError::kTooLong) &&
      ((two_byte && AgreesWithout(code, p, theirs, {{0xF2, 0xF3}, {0x66}, {0x66, 0xF2, 0xF3}})) ||
       AgreesWithout(code, p, theirs,
                     {{0xF0}, {0xF0, 0xF2, 0xF3}, {0xF0, 0x66}, {0xF0, 0x66, 0xF2, 0xF3}})))
    return true;
  // It decodes #UD encodings: MOV CS (8E /1), MOV CR1/CR5-7, SWAPGS, PCOMMIT.
  const bool mov_cr = two_byte && (at(1) == 0x20 || at(1) == 0x22);
  if (!ours.ok() && ((at(0) == 0x8E && reg(1) == 1) || (mov_cr && (reg(2) == 1 || reg(2) >= 5)) ||
                     (two_byte && (at(1) == 0x01 || at(1) == 0xAE) && at(2) == 0xF8)))
    return true;
  // It ignores EXTRQ's reg field and reads VMREAD when 67 is present too.
  if (two_byte && at(1) == 0x78)
    return ours.ok() ? theirs.text.starts_with("vmread") : reg(2) != 0;
  // It drops 66 of CALL rel when F2/F3 follows and reads rel32.
  if (ours.ok() && at(0) == 0xE8 && theirs.length == ours.instruction.length + 2u)
    return true;
  // It gives UD0 and UD1 no ModRM operand.
  return two_byte && (at(1) == 0xFF || at(1) == 0xB9) && theirs.length == p + 2;
}

}  // namespace

bool OpenCapstone() {
  if (cs_open(CS_ARCH_X86, CS_MODE_32, &g_capstone) != CS_ERR_OK ||
      cs_option(g_capstone, CS_OPT_DETAIL, CS_OPT_ON) != CS_ERR_OK)
    return false;
  g_insn = cs_malloc(g_capstone);
  return true;
}

void CloseCapstone() {
  cs_free(g_insn, 1);
  cs_close(&g_capstone);
}

std::string CompareWithCapstone(const Bytes& code) {
  const Theirs theirs = Decode(code);
  const X86DecodeResult ours = DecodeX86Instruction(code.data(), code.size());
  // Where Capstone knows no instruction (hint NOPs, some system
  // instructions) there is nothing to compare.
  if (!theirs.ok)
    return "";
  const X86Instruction& instruction = ours.instruction;
  if (!ours.ok() || instruction.length != theirs.length || instruction.flow != theirs.flow) {
    // VEX, EVEX, XOP, 3DNow! and PadLock are declined by design.
    if (ours.error < X86DecodeError::kVex && !Explained(code, ours, theirs))
      return Hex(code) + "| capstone: " + std::to_string(theirs.length) + " " + theirs.text;
    return "";
  }
  if (instruction.has_relative_target != theirs.relative ||
      instruction.displacement_offset != theirs.disp_offset ||
      instruction.displacement_size != theirs.disp_size ||
      instruction.has_absolute_address != theirs.absolute)
    return Hex(code) + "| operands";
  // Cut one byte short, it must fail as truncated; decoding a heap block of
  // exactly its bytes lets ASan catch reads past the end.
  const Bytes exact(code.begin(), code.begin() + instruction.length);
  const X86DecodeResult whole = DecodeX86Instruction(exact.data(), exact.size());
  if (!whole.ok() || whole.instruction.length != exact.size() ||
      DecodeX86Instruction(exact.data(), exact.size() - 1).error != X86DecodeError::kTruncated)
    return Hex(exact) + "| truncation";
  return "";
}
