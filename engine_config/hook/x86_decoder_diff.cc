// Differential test of DecodeX86Instruction() against Capstone (32-bit mode):
// a sweep over opcode maps x prefixes x ModRM x SIB, then random byte strings
// from a fixed seed. Exits non-zero when an unexplained disagreement remains.

#include <capstone/capstone.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine_config/hook/x86_decoder.h"

namespace {

constexpr size_t kWindow = 15;
constexpr uint64_t kAddress = 0x10000000;

struct CapstoneResult {
  bool ok = false;
  size_t length = 0;
  X86Flow flow = X86Flow::kNone;
  std::string text;
  bool relative = false;  // a relative branch to `target`
  uint32_t target = 0;
  cs_x86_encoding encoding = {};
  // A memory operand with neither base nor index and a 4-byte displacement.
  bool absolute = false;
};

class Capstone {
 public:
  Capstone() {
    if (cs_open(CS_ARCH_X86, CS_MODE_32, &handle_) != CS_ERR_OK ||
        cs_option(handle_, CS_OPT_DETAIL, CS_OPT_ON) != CS_ERR_OK) {
      std::fprintf(stderr, "capstone unavailable\n");
      std::exit(2);
    }
    insn_ = cs_malloc(handle_);
  }
  ~Capstone() {
    cs_free(insn_, 1);
    cs_close(&handle_);
  }

  CapstoneResult Decode(const uint8_t* code, size_t size, uint64_t address = kAddress) {
    CapstoneResult result;
    if (!cs_disasm_iter(handle_, &code, &size, &address, insn_)) {
      return result;
    }
    result.ok = true;
    result.length = insn_->size;
    result.flow = FlowOf(*insn_);
    result.text = std::string(insn_->mnemonic) + " " + insn_->op_str;
    const cs_detail& detail = *insn_->detail;
    const cs_x86& x86 = detail.x86;
    result.encoding = x86.encoding;
    result.relative = std::find(detail.groups, detail.groups + detail.groups_count,
                                CS_GRP_BRANCH_RELATIVE) != detail.groups + detail.groups_count;
    for (int i = 0; i < x86.op_count; ++i) {
      const cs_x86_op& op = x86.operands[i];
      if (op.type == X86_OP_IMM && result.relative) {
        result.target = static_cast<uint32_t>(op.imm);
      }
      if (op.type == X86_OP_MEM && op.mem.base == X86_REG_INVALID &&
          op.mem.index == X86_REG_INVALID && x86.encoding.disp_size == 4) {
        result.absolute = true;
      }
    }
    return result;
  }

 private:
  static X86Flow FlowOf(const cs_insn& insn) {
    switch (insn.id) {
      case X86_INS_JAE:
      case X86_INS_JA:
      case X86_INS_JBE:
      case X86_INS_JB:
      case X86_INS_JCXZ:
      case X86_INS_JECXZ:
      case X86_INS_JE:
      case X86_INS_JGE:
      case X86_INS_JG:
      case X86_INS_JLE:
      case X86_INS_JL:
      case X86_INS_JNE:
      case X86_INS_JNO:
      case X86_INS_JNP:
      case X86_INS_JNS:
      case X86_INS_JO:
      case X86_INS_JP:
      case X86_INS_JS:
      case X86_INS_LOOP:  // Capstone tags LOOPcc with no group at all
      case X86_INS_LOOPE:
      case X86_INS_LOOPNE:
      case X86_INS_XBEGIN:  // falls through unless the transaction aborts
        return X86Flow::kConditionalJump;
      default:
        break;
    }
    const uint8_t* groups = insn.detail->groups;
    const uint8_t* end = groups + insn.detail->groups_count;
    auto has = [&](int group) { return std::find(groups, end, group) != end; };
    if (has(CS_GRP_JUMP)) {
      return X86Flow::kJump;
    }
    if (has(CS_GRP_CALL)) {
      return X86Flow::kCall;
    }
    if (has(CS_GRP_RET) || has(CS_GRP_IRET)) {
      return X86Flow::kReturn;
    }
    return X86Flow::kNone;
  }

  csh handle_ = 0;
  cs_insn* insn_ = nullptr;
};

bool IsLegacyPrefix(uint8_t byte) {
  switch (byte) {
    case 0x26:
    case 0x2E:
    case 0x36:
    case 0x3E:
    case 0x64:
    case 0x65:
    case 0x66:
    case 0x67:
    case 0xF0:
    case 0xF2:
    case 0xF3:
      return true;
    default:
      return false;
  }
}

// The opcode bytes after the prefixes, e.g. {0x0F, 0x38, 0xF0}, and the
// byte after them (the ModRM byte, when the opcode has one).
struct Opcode {
  size_t prefix_length = 0;
  std::vector<uint8_t> bytes;
  int next = -1;
};

Opcode OpcodeOf(const uint8_t* code, size_t size) {
  Opcode op;
  size_t i = 0;
  while (i < size && IsLegacyPrefix(code[i])) {
    ++i;
  }
  op.prefix_length = i;
  if (i < size) {
    op.bytes.push_back(code[i++]);
  }
  if (op.bytes == std::vector<uint8_t>{0x0F} && i < size) {
    op.bytes.push_back(code[i++]);
    if ((op.bytes[1] == 0x38 || op.bytes[1] == 0x3A) && i < size) {
      op.bytes.push_back(code[i++]);
    }
  }
  if (i < size) {
    op.next = code[i];
  }
  return op;
}

bool OpcodeIs(const Opcode& op, std::initializer_list<uint8_t> bytes) {
  return std::equal(op.bytes.begin(), op.bytes.end(), bytes.begin(), bytes.end());
}

int RegOf(const Opcode& op) {
  return op.next < 0 ? -1 : (op.next >> 3) & 7;
}

std::string Hex(const uint8_t* code, size_t size) {
  std::string out;
  char buf[4];
  for (size_t i = 0; i < size; ++i) {
    std::snprintf(buf, sizeof(buf), "%02x ", code[i]);
    out += buf;
  }
  if (!out.empty()) {
    out.pop_back();
  }
  return out;
}

const char* FlowName(X86Flow flow) {
  switch (flow) {
    case X86Flow::kNone:
      return "none";
    case X86Flow::kJump:
      return "jump";
    case X86Flow::kConditionalJump:
      return "cond-jump";
    case X86Flow::kCall:
      return "call";
    case X86Flow::kReturn:
      return "return";
  }
  return "?";
}

const char* DeclinedCategory(X86DecodeError error) {
  switch (error) {
    case X86DecodeError::kVex:
      return "vex";
    case X86DecodeError::kEvex:
      return "evex";
    case X86DecodeError::kXop:
      return "xop";
    case X86DecodeError::k3DNow:
      return "3dnow";
    case X86DecodeError::kPadLock:
      return "padlock";
    default:
      return nullptr;
  }
}

struct Case {
  const uint8_t* code;
  size_t size;
  const CapstoneResult& capstone;
  const X86DecodeResult& ours;
  const Opcode& opcode;
};

// Each exception names a family where Capstone departs from Intel's manual.
struct KnownException {
  const char* name;
  const char* reason;
  std::function<bool(const Case&)> matches;
};

class DiffTest {
 public:
  DiffTest() {
    exceptions_ = {
        {"ignored-mandatory-prefix",
         "Capstone (LLVM) falls back to the unprefixed form when 66/F2/F3 selects no form of "
         "an SSE-family opcode; Intel reserves such combinations",
         [this](const Case& c) {
           return c.opcode.bytes.size() >= 2 &&
                  AgreesWithout(c, {{0xF2, 0xF3}, {0x66}, {0x66, 0xF2, 0xF3}});
         }},
        {"lock-without-memory-destination",
         "Capstone accepts LOCK on instructions without a memory destination (e.g. lock add "
         "al,[mem], lock jns), which Intel defines as #UD",
         [this](const Case& c) {
           return AgreesWithout(
               c, {{0xF0}, {0xF0, 0xF2, 0xF3}, {0xF0, 0x66}, {0xF0, 0x66, 0xF2, 0xF3}});
         }},
        {"extrq",
         "Capstone ignores the reg field of EXTRQ (66 0F 78 /0 ib ib) and decodes it as VMREAD "
         "when 67 is also present",
         [](const Case& c) {
           if (!OpcodeIs(c.opcode, {0x0F, 0x78})) {
             return false;
           }
           return c.ours.ok() ? c.capstone.text.starts_with("vmread") : RegOf(c.opcode) != 0;
         }},
        {"intel-ud-encodings",
         "Capstone decodes encodings Intel defines as #UD in 32-bit mode: MOV CS,r/m (8E /1), "
         "MOV CR1/CR5-CR7 (0F 20/22), SWAPGS (0F 01 F8, 64-bit only), PCOMMIT (66 0F AE F8, "
         "withdrawn)",
         [](const Case& c) {
           const int reg = RegOf(c.opcode);
           const bool mov_cr = OpcodeIs(c.opcode, {0x0F, 0x20}) || OpcodeIs(c.opcode, {0x0F, 0x22});
           return !c.ours.ok() &&
                  ((OpcodeIs(c.opcode, {0x8E}) && reg == 1) || (mov_cr && (reg == 1 || reg >= 5)) ||
                   (OpcodeIs(c.opcode, {0x0F, 0x01}) && c.opcode.next == 0xF8) ||
                   (OpcodeIs(c.opcode, {0x0F, 0xAE}) && c.opcode.next == 0xF8));
         }},
        {"call-rel16-with-f2-f3",
         "Capstone drops a 66 prefix of CALL rel (E8) when F2/F3 follows it and reads rel32; "
         "Intel: 66 makes it CALL rel16",
         [](const Case& c) {
           return c.ours.ok() && OpcodeIs(c.opcode, {0xE8}) &&
                  c.capstone.length == c.ours.instruction.length + 2u;
         }},
        {"ud0-ud1-modrm",
         "Capstone decodes UD0 (0F FF) and UD1 (0F B9) without the ModRM operand Intel gives "
         "them",
         [](const Case& c) {
           return (OpcodeIs(c.opcode, {0x0F, 0xFF}) || OpcodeIs(c.opcode, {0x0F, 0xB9})) &&
                  c.capstone.length == c.opcode.prefix_length + 2;
         }},
    };
  }

  void Check(const uint8_t* code, size_t size) {
    ++inputs_;
    const CapstoneResult capstone = capstone_.Decode(code, size);
    const X86DecodeResult ours = DecodeX86Instruction(code, size);
    const Opcode opcode = OpcodeOf(code, size);
    const Case c{code, size, capstone, ours, opcode};
    if (!capstone.ok) {
      if (ours.ok()) {
        ++our_only_;
        Sample(our_only_samples_, c, Hex(code, ours.instruction.length));
      }
      return;
    }
    if (ours.ok()) {
      ++compared_;
      if (ours.instruction.length == capstone.length && ours.instruction.flow == capstone.flow) {
        if (const char* field = FieldMismatch(c)) {
          ++mismatches_;
          Sample(mismatch_samples_, c, Hex(code, size) + " field " + field);
          return;
        }
        ++agreed_;
        CheckTruncation(code, ours.instruction.length);
        return;
      }
    } else {
      ++capstone_only_;
      if (const char* category = DeclinedCategory(ours.error)) {
        ++declined_[category];
        return;
      }
    }
    for (const KnownException& exception : exceptions_) {
      if (exception.matches(c)) {
        ++exception_counts_[exception.name];
        return;
      }
    }
    ++mismatches_;
    Sample(mismatch_samples_, c, Hex(code, size));
  }

  int Report(const char* phase) const {
    auto total = [](const std::map<std::string, size_t>& counts) {
      size_t sum = 0;
      for (const auto& [name, count] : counts) {
        sum += count;
      }
      return sum;
    };
    std::printf(
        "[%s] inputs %zu, compared %zu, agreed %zu, mismatches %zu, our-only %zu, "
        "capstone-only %zu (declined by design %zu, exceptions %zu), truncation failures %zu\n",
        phase, inputs_, compared_, agreed_, mismatches_, our_only_, capstone_only_,
        total(declined_), total(exception_counts_), truncation_failures_);
    for (const auto& [category, count] : declined_) {
      std::printf("[%s]   declined by design: %-10s %zu\n", phase, category.c_str(), count);
    }
    for (const KnownException& exception : exceptions_) {
      auto it = exception_counts_.find(exception.name);
      if (it != exception_counts_.end()) {
        std::printf("[%s]   exception: %-26s %zu  (%s)\n", phase, exception.name, it->second,
                    exception.reason);
      }
    }
    PrintSamples(phase, "MISMATCH", mismatch_samples_);
    PrintSamples(phase, "our-only", our_only_samples_);
    return mismatches_ == 0 && truncation_failures_ == 0 ? 0 : 1;
  }

 private:
  // Examples grouped by opcode and ModRM reg field.
  struct SampleBucket {
    size_t count = 0;
    std::string example;
  };

  static std::string Describe(const X86DecodeResult& result) {
    if (result.ok()) {
      return std::to_string(result.instruction.length) + " " + FlowName(result.instruction.flow);
    }
    return "error " + std::to_string(static_cast<int>(result.error));
  }

  static void Sample(std::map<std::string, SampleBucket>& buckets,
                     const Case& c,
                     const std::string& bytes) {
    std::string key = Hex(c.opcode.bytes.data(), c.opcode.bytes.size());
    if (c.opcode.next >= 0) {
      key += "/" + std::to_string(RegOf(c.opcode));
    }
    SampleBucket& bucket = buckets[key];
    if (bucket.count++ == 0) {
      bucket.example = bytes + " | capstone: " +
                       (c.capstone.ok ? std::to_string(c.capstone.length) + " " +
                                            FlowName(c.capstone.flow) + " " + c.capstone.text
                                      : std::string("invalid")) +
                       " | ours: " + Describe(c.ours);
    }
  }

  static void PrintSamples(const char* phase,
                           const char* label,
                           const std::map<std::string, SampleBucket>& buckets) {
    std::vector<std::pair<std::string, SampleBucket>> sorted(buckets.begin(), buckets.end());
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a.second.count > b.second.count; });
    if (sorted.size() > 30) {
      sorted.resize(30);
    }
    for (const auto& [key, bucket] : sorted) {
      std::printf("[%s]   %s %-12s x%-7zu %s\n", phase, label, key.c_str(), bucket.count,
                  bucket.example.c_str());
    }
  }

  // The operand positions and the branch target, given equal lengths.
  static const char* FieldMismatch(const Case& c) {
    const X86Instruction& ours = c.ours.instruction;
    const CapstoneResult& capstone = c.capstone;
    const cs_x86_encoding& encoding = capstone.encoding;
    if (ours.has_relative_target != capstone.relative) {
      return "relative";
    }
    if (ours.has_relative_target) {
      // With 66 the CPU clears the upper half of EIP; Capstone does so for
      // some branches only, and with 67 too.
      const uint8_t* prefixes_end = c.code + c.opcode.prefix_length;
      const bool wraps = std::find(c.code, prefixes_end, 0x66) != prefixes_end ||
                         std::find(c.code, prefixes_end, 0x67) != prefixes_end;
      const uint32_t target = static_cast<uint32_t>(kAddress) + ours.length +
                              static_cast<uint32_t>(ours.relative_displacement);
      if ((target ^ capstone.target) & (wraps ? 0xFFFFu : 0xFFFFFFFFu)) {
        return "target";
      }
    }
    if (ours.displacement_offset != encoding.disp_offset ||
        ours.displacement_size != encoding.disp_size) {
      return "displacement";
    }
    if (ours.has_absolute_address != capstone.absolute) {
      return "absolute";
    }
    // Capstone reports only the last of two immediates (ENTER, EXTRQ), and
    // sometimes no immediate or one past the end, so compare where they end
    // when its report is plausible.
    const size_t size = encoding.imm_size;
    if ((size == 1 || size == 2 || size == 4) && encoding.imm_offset + size <= capstone.length &&
        (ours.immediate_offset + ours.immediate_size != encoding.imm_offset + size ||
         ours.immediate_offset > encoding.imm_offset)) {
      return "immediate";
    }
    return nullptr;
  }

  // An instruction cut one byte short must fail as truncated, and decoding
  // exactly its bytes from a heap block of that size lets ASan catch any
  // read past the end.
  void CheckTruncation(const uint8_t* code, size_t length) {
    std::vector<uint8_t> exact(code, code + length);
    const X86DecodeResult whole = DecodeX86Instruction(exact.data(), exact.size());
    const X86DecodeResult cut = DecodeX86Instruction(exact.data(), exact.size() - 1);
    if (!whole.ok() || whole.instruction.length != length ||
        cut.error != X86DecodeError::kTruncated) {
      if (++truncation_failures_ <= 10) {
        std::printf("TRUNCATION %s\n", Hex(code, length).c_str());
      }
    }
  }

  // Capstone's text without prefix words ("lock", "xacquire") and operand
  // sizes ("dword ptr"), which it prints inconsistently for a prefix it
  // ignores.
  static std::string Normalize(const std::string& text) {
    std::string out = text;
    for (const char* word : {"lock ", "xacquire ", "xrelease ", "bnd ", "rep ", "repne "}) {
      if (const size_t at = out.find(word); at != std::string::npos) {
        out.erase(at, std::strlen(word));
      }
    }
    for (size_t ptr; (ptr = out.find(" ptr ")) != std::string::npos;) {
      const size_t word = out.rfind(' ', ptr - 1);
      out.erase(word + 1, ptr + 5 - (word + 1));
    }
    return out;
  }

  // Removing some prefixes from the prefix run of `c` makes Capstone decode
  // the rest as the same instruction, which we then decode alike.
  bool AgreesWithout(const Case& c, std::initializer_list<std::vector<uint8_t>> removable_sets) {
    if (c.ours.error != X86DecodeError::kInvalid) {
      return false;
    }
    for (const std::vector<uint8_t>& removable : removable_sets) {
      std::vector<uint8_t> stripped;
      for (size_t i = 0; i < c.size; ++i) {
        const bool in_prefixes = i < c.opcode.prefix_length;
        if (!in_prefixes ||
            std::find(removable.begin(), removable.end(), c.code[i]) == removable.end()) {
          stripped.push_back(c.code[i]);
        }
      }
      const size_t removed = c.size - stripped.size();
      if (removed == 0) {
        continue;
      }
      const CapstoneResult capstone =
          capstone_.Decode(stripped.data(), stripped.size(), kAddress + removed);
      const X86DecodeResult ours = DecodeX86Instruction(stripped.data(), stripped.size());
      if (capstone.ok && Normalize(capstone.text) == Normalize(c.capstone.text) &&
          capstone.length + removed == c.capstone.length && capstone.flow == c.capstone.flow &&
          ours.ok() && ours.instruction.length == capstone.length &&
          ours.instruction.flow == capstone.flow) {
        return true;
      }
    }
    return false;
  }

  Capstone capstone_;
  std::vector<KnownException> exceptions_;
  size_t inputs_ = 0;
  size_t compared_ = 0;
  size_t agreed_ = 0;
  size_t mismatches_ = 0;
  size_t our_only_ = 0;
  size_t capstone_only_ = 0;
  size_t truncation_failures_ = 0;
  std::map<std::string, size_t> declined_;
  std::map<std::string, size_t> exception_counts_;
  std::map<std::string, SampleBucket> our_only_samples_;
  std::map<std::string, SampleBucket> mismatch_samples_;
};

// Prefix runs the sweep puts in front of every opcode.
const std::vector<std::vector<uint8_t>> kPrefixRuns = {
    {},
    {0x66},
    {0x67},
    {0xF2},
    {0xF3},
    {0xF0},
    {0x2E},
    {0x64},
    {0x66, 0xF2},
    {0x66, 0xF3},
    {0xF3, 0x66},
    {0xF2, 0xF3},
    {0xF3, 0xF2},
    {0x66, 0x67},
    {0xF0, 0x66},
    {0xF0, 0xF3},
    {0x3E, 0x67, 0x66},
};

// SIB bytes: base ESP, no base (disp32), no index, scaled index, and both.
constexpr std::array<uint8_t, 6> kSibs = {0x24, 0x25, 0x05, 0x65, 0xE5, 0x8C};

void Sweep(DiffTest& test) {
  std::vector<std::vector<uint8_t>> opcodes;
  for (int op = 0; op < 256; ++op) {
    opcodes.push_back({static_cast<uint8_t>(op)});
    opcodes.push_back({0x0F, static_cast<uint8_t>(op)});
    opcodes.push_back({0x0F, 0x38, static_cast<uint8_t>(op)});
    opcodes.push_back({0x0F, 0x3A, static_cast<uint8_t>(op)});
  }
  std::array<uint8_t, kWindow> buffer;
  for (const std::vector<uint8_t>& prefixes : kPrefixRuns) {
    for (const std::vector<uint8_t>& opcode : opcodes) {
      for (int modrm = 0; modrm < 256; ++modrm) {
        const bool has_sib = (modrm & 7) == 4 && (modrm >> 6) != 3;
        for (size_t s = 0; s < (has_sib ? kSibs.size() : 1); ++s) {
          // Displacement and immediate bytes; 0x80 keeps rel8 negative.
          buffer.fill(0x80);
          size_t pos = 0;
          for (uint8_t byte : prefixes) {
            buffer[pos++] = byte;
          }
          for (uint8_t byte : opcode) {
            buffer[pos++] = byte;
          }
          buffer[pos++] = static_cast<uint8_t>(modrm);
          if (has_sib) {
            buffer[pos] = kSibs[s];
          }
          test.Check(buffer.data(), buffer.size());
        }
      }
    }
  }
}

void Random(DiffTest& test, size_t count, uint32_t seed, bool escape) {
  std::mt19937 rng(seed);
  std::array<uint8_t, kWindow> buffer;
  for (size_t n = 0; n < count; ++n) {
    for (uint8_t& byte : buffer) {
      byte = static_cast<uint8_t>(rng());
    }
    if (escape) {
      // Up to three prefixes from 66 F2 F3, then one of the 0F maps.
      static constexpr uint8_t kMandatory[] = {0x66, 0xF2, 0xF3};
      const size_t prefixes = rng() % 4;
      size_t pos = 0;
      for (; pos < prefixes; ++pos) {
        buffer[pos] = kMandatory[rng() % 3];
      }
      buffer[pos++] = 0x0F;
      const uint32_t map = rng() % 3;
      if (map != 0) {
        buffer[pos] = map == 1 ? 0x38 : 0x3A;
      }
    }
    test.Check(buffer.data(), buffer.size());
  }
}

}  // namespace

int main() {
  DiffTest sweep;
  Sweep(sweep);
  const int sweep_status = sweep.Report("sweep");

  DiffTest random;
  Random(random, 1'000'000, 20240601, /*escape=*/false);
  Random(random, 300'000, 7, /*escape=*/true);
  const int random_status = random.Report("random");

  const bool passed = sweep_status == 0 && random_status == 0;
  std::printf("%s\n", passed ? "PASS" : "FAIL");
  return passed ? 0 : 1;
}
