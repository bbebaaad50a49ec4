// DecodeX86Instruction() against Capstone (32-bit mode), swept over opcode
// maps x prefixes x ModRM x SIB. Fails on any disagreement that no known
// Capstone departure from Intel's manual explains.

#include <capstone/capstone.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine_config/hook/x86_decoder.h"

namespace {

constexpr size_t kWindow = 15;
constexpr uint64_t kAddress = 0x10000000;

struct Theirs {
  bool ok = false;
  size_t length = 0;
  X86Flow flow = X86Flow::kNone;
  std::string text;
  bool relative = false;  // a relative branch
  bool absolute = false;  // memory operand with neither base nor index, disp32
  cs_x86_encoding encoding = {};
};

X86Flow FlowOf(const cs_insn& insn) {
  // LOOPcc carry no group in Capstone; XBEGIN falls through unless the
  // transaction aborts.
  static constexpr unsigned kConditional[] = {
      X86_INS_JAE,  X86_INS_JA,    X86_INS_JBE,    X86_INS_JB,    X86_INS_JCXZ, X86_INS_JECXZ,
      X86_INS_JE,   X86_INS_JGE,   X86_INS_JG,     X86_INS_JLE,   X86_INS_JL,   X86_INS_JNE,
      X86_INS_JNO,  X86_INS_JNP,   X86_INS_JNS,    X86_INS_JO,    X86_INS_JP,   X86_INS_JS,
      X86_INS_LOOP, X86_INS_LOOPE, X86_INS_LOOPNE, X86_INS_XBEGIN};
  if (std::count(std::begin(kConditional), std::end(kConditional), insn.id))
    return X86Flow::kConditionalJump;
  const uint8_t* groups = insn.detail->groups;
  const uint8_t* end = groups + insn.detail->groups_count;
  auto has = [&](int group) { return std::find(groups, end, group) != end; };
  if (has(CS_GRP_JUMP))
    return X86Flow::kJump;
  if (has(CS_GRP_CALL))
    return X86Flow::kCall;
  return has(CS_GRP_RET) || has(CS_GRP_IRET) ? X86Flow::kReturn : X86Flow::kNone;
}

// The prefix run, the opcode bytes (e.g. 0F 38 F0) and the byte after them.
struct Opcode {
  size_t prefix_length = 0;
  std::vector<uint8_t> bytes;
  int next = -1;
  bool Is(std::initializer_list<uint8_t> b) const {
    return std::equal(bytes.begin(), bytes.end(), b.begin(), b.end());
  }
  int reg() const { return next < 0 ? -1 : (next >> 3) & 7; }
};

Opcode OpcodeOf(const uint8_t* code, size_t size) {
  static constexpr uint8_t kPrefixes[] = {0x26, 0x2E, 0x36, 0x3E, 0x64, 0x65,
                                          0x66, 0x67, 0xF0, 0xF2, 0xF3};
  Opcode op;
  size_t i = 0;
  while (i < size && std::count(std::begin(kPrefixes), std::end(kPrefixes), code[i]))
    ++i;
  op.prefix_length = i;
  if (i < size)
    op.bytes.push_back(code[i++]);
  if (op.Is({0x0F}) && i < size) {
    op.bytes.push_back(code[i++]);
    if ((op.bytes[1] == 0x38 || op.bytes[1] == 0x3A) && i < size)
      op.bytes.push_back(code[i++]);
  }
  if (i < size)
    op.next = code[i];
  return op;
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

class DiffTest {
 public:
  DiffTest() {
    if (cs_open(CS_ARCH_X86, CS_MODE_32, &handle_) != CS_ERR_OK ||
        cs_option(handle_, CS_OPT_DETAIL, CS_OPT_ON) != CS_ERR_OK) {
      std::fprintf(stderr, "capstone unavailable\n");
      std::exit(2);
    }
    insn_ = cs_malloc(handle_);
  }
  ~DiffTest() {
    cs_free(insn_, 1);
    cs_close(&handle_);
  }

  void Check(const uint8_t* code, size_t size) {
    ++inputs_;
    const Theirs theirs = Decode(code, size);
    const X86DecodeResult ours = DecodeX86Instruction(code, size);
    const Opcode opcode = OpcodeOf(code, size);
    // Where Capstone knows no instruction (hint NOPs, some system
    // instructions) there is nothing to compare.
    if (!theirs.ok)
      return;
    if (ours.ok() && ours.instruction.length == theirs.length &&
        ours.instruction.flow == theirs.flow) {
      if (const char* field = FieldMismatch(ours.instruction, theirs))
        return Fail(code, size, field);
      ++agreed_;
      return CheckTruncation(code, ours.instruction.length);
    }
    if (ours.error >= X86DecodeError::kVex)
      return;  // VEX, EVEX, XOP, 3DNow!, PadLock: declined by design
    if (!Explained(code, size, opcode, ours, theirs))
      Fail(code, size, ("capstone: " + std::to_string(theirs.length) + " " + theirs.text).c_str());
  }

  bool Passed() const {
    std::printf("inputs %zu, agreed %zu, failures %zu\n", inputs_, agreed_, failures_);
    return failures_ == 0;
  }

 private:
  Theirs Decode(const uint8_t* code, size_t size, uint64_t address = kAddress) {
    Theirs r;
    if (!cs_disasm_iter(handle_, &code, &size, &address, insn_))
      return r;
    const cs_detail& detail = *insn_->detail;
    r.ok = true;
    r.length = insn_->size;
    r.flow = FlowOf(*insn_);
    r.text = std::string(insn_->mnemonic) + " " + insn_->op_str;
    r.encoding = detail.x86.encoding;
    const uint8_t* groups_end = detail.groups + detail.groups_count;
    r.relative = std::find(detail.groups, groups_end, CS_GRP_BRANCH_RELATIVE) != groups_end;
    for (int i = 0; i < detail.x86.op_count; ++i) {
      const cs_x86_op& op = detail.x86.operands[i];
      if (op.type == X86_OP_MEM && op.mem.base == X86_REG_INVALID &&
          op.mem.index == X86_REG_INVALID && r.encoding.disp_size == 4)
        r.absolute = true;
    }
    return r;
  }

  void Fail(const uint8_t* code, size_t size, const char* what) {
    if (++failures_ > 30)
      return;
    for (size_t i = 0; i < size; ++i)
      std::printf("%02x ", code[i]);
    std::printf("| %s\n", what);
  }

  // Branch operand and memory operand, given equal lengths.
  static const char* FieldMismatch(const X86Instruction& ours, const Theirs& theirs) {
    if (ours.has_relative_target != theirs.relative)
      return "relative";
    if (ours.displacement_offset != theirs.encoding.disp_offset ||
        ours.displacement_size != theirs.encoding.disp_size)
      return "displacement";
    return ours.has_absolute_address != theirs.absolute ? "absolute" : nullptr;
  }

  // Cut one byte short, an instruction must fail as truncated; decoding a
  // heap block of exactly its bytes lets ASan catch reads past the end.
  void CheckTruncation(const uint8_t* code, size_t length) {
    const std::vector<uint8_t> exact(code, code + length);
    const X86DecodeResult whole = DecodeX86Instruction(exact.data(), exact.size());
    const X86DecodeResult cut = DecodeX86Instruction(exact.data(), exact.size() - 1);
    if (!whole.ok() || whole.instruction.length != length ||
        cut.error != X86DecodeError::kTruncated)
      Fail(code, length, "truncation");
  }

  // Families where Capstone departs from Intel's manual.
  bool Explained(const uint8_t* code,
                 size_t size,
                 const Opcode& op,
                 const X86DecodeResult& ours,
                 const Theirs& theirs) {
    const int reg = op.reg();
    if (ours.error == X86DecodeError::kInvalid) {
      // It falls back to the unprefixed form when 66/F2/F3 selects no form of
      // an SSE-family opcode, and accepts LOCK without a memory destination.
      if ((op.bytes.size() >= 2 &&
           AgreesWithout(code, size, op, theirs, {{0xF2, 0xF3}, {0x66}, {0x66, 0xF2, 0xF3}})) ||
          AgreesWithout(code, size, op, theirs,
                        {{0xF0}, {0xF0, 0xF2, 0xF3}, {0xF0, 0x66}, {0xF0, 0x66, 0xF2, 0xF3}}))
        return true;
    }
    if (!ours.ok()) {
      // It decodes #UD encodings: MOV CS (8E /1), MOV CR1/CR5-7, SWAPGS,
      // PCOMMIT.
      const bool mov_cr = op.Is({0x0F, 0x20}) || op.Is({0x0F, 0x22});
      if ((op.Is({0x8E}) && reg == 1) || (mov_cr && (reg == 1 || reg >= 5)) ||
          (op.Is({0x0F, 0x01}) && op.next == 0xF8) || (op.Is({0x0F, 0xAE}) && op.next == 0xF8))
        return true;
    }
    // It ignores EXTRQ's reg field and reads VMREAD when 67 is present too.
    if (op.Is({0x0F, 0x78}))
      return ours.ok() ? theirs.text.starts_with("vmread") : reg != 0;
    // It drops 66 of CALL rel when F2/F3 follows and reads rel32.
    if (ours.ok() && op.Is({0xE8}) && theirs.length == ours.instruction.length + 2u)
      return true;
    // It gives UD0 and UD1 no ModRM operand.
    return (op.Is({0x0F, 0xFF}) || op.Is({0x0F, 0xB9})) && theirs.length == op.prefix_length + 2;
  }

  // Without some of its prefixes Capstone reads the same instruction, which
  // we then decode alike.
  bool AgreesWithout(const uint8_t* code,
                     size_t size,
                     const Opcode& op,
                     const Theirs& theirs,
                     std::initializer_list<std::vector<uint8_t>> removable_sets) {
    for (const std::vector<uint8_t>& removable : removable_sets) {
      std::vector<uint8_t> kept;
      for (size_t i = 0; i < size; ++i) {
        if (i >= op.prefix_length ||
            std::find(removable.begin(), removable.end(), code[i]) == removable.end())
          kept.push_back(code[i]);
      }
      const size_t removed = size - kept.size();
      if (removed == 0)
        continue;
      const Theirs plain = Decode(kept.data(), kept.size(), kAddress + removed);
      const X86DecodeResult ours = DecodeX86Instruction(kept.data(), kept.size());
      if (plain.ok && Normalize(plain.text) == Normalize(theirs.text) &&
          plain.length + removed == theirs.length && plain.flow == theirs.flow && ours.ok() &&
          ours.instruction.length == plain.length && ours.instruction.flow == plain.flow)
        return true;
    }
    return false;
  }

  csh handle_ = 0;
  cs_insn* insn_ = nullptr;
  size_t inputs_ = 0;
  size_t agreed_ = 0;
  size_t failures_ = 0;
};

void Sweep(DiffTest& test) {
  const std::string kPrefixRuns[] = {"",         "\x66",        "\x67",     "\xF2",     "\xF3",
                                     "\xF0",     "\x2E",        "\x64",     "\x66\xF2", "\x66\xF3",
                                     "\xF3\x66", "\xF2\xF3",    "\xF3\xF2", "\x66\x67", "\xF0\x66",
                                     "\xF0\xF3", "\x3E\x67\x66"};
  // Base ESP, no base (disp32), no index, scaled index, and both.
  constexpr std::array<uint8_t, 6> kSibs = {0x24, 0x25, 0x05, 0x65, 0xE5, 0x8C};
  std::array<uint8_t, kWindow> buffer;
  for (const std::string& prefixes : kPrefixRuns) {
    for (int map = 0; map < 4; ++map) {
      for (int op = 0; op < 256; ++op) {
        std::vector<uint8_t> head(prefixes.begin(), prefixes.end());
        if (map > 0)
          head.push_back(0x0F);
        if (map > 1)
          head.push_back(map == 2 ? 0x38 : 0x3A);
        head.push_back(static_cast<uint8_t>(op));
        for (int modrm = 0; modrm < 256; ++modrm) {
          const bool has_sib = (modrm & 7) == 4 && (modrm >> 6) != 3;
          for (size_t s = 0; s < (has_sib ? kSibs.size() : 1); ++s) {
            buffer.fill(0x80);  // displacements and immediates; keeps rel8 negative
            std::copy(head.begin(), head.end(), buffer.begin());
            buffer[head.size()] = static_cast<uint8_t>(modrm);
            if (has_sib)
              buffer[head.size() + 1] = kSibs[s];
            test.Check(buffer.data(), buffer.size());
          }
        }
      }
    }
  }
}

}  // namespace

int main() {
  DiffTest sweep;
  Sweep(sweep);
  return sweep.Passed() ? 0 : 1;
}
