#include "engine_config/hook/x86_opcode_maps.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace {

using Row = std::array<OpcodeInfo, 256>;
// One row per MandatoryPrefix.
using PrefixedMap = std::array<Row, 4>;

using enum ImmediateKind;
using enum ModRMUse;

constexpr OpcodeInfo kNoOperands{.valid = true};

constexpr OpcodeInfo Immediate(ImmediateKind immediate, X86Flow flow = X86Flow::kNone) {
  return {.valid = true, .immediate = immediate, .flow = flow};
}

constexpr OpcodeInfo Flow(X86Flow flow) {
  return {.valid = true, .flow = flow};
}

constexpr OpcodeInfo ModRM(ModRMUse use = kAny, ImmediateKind immediate = kNone) {
  return {.valid = true, .modrm = use, .immediate = immediate};
}

constexpr OpcodeInfo Lockable(OpcodeInfo info) {
  info.lockable = true;
  return info;
}

constexpr OpcodeInfo WithRules(OpcodeInfo info) {
  info.has_modrm_rules = true;
  return info;
}

constexpr void Fill(Row& row, int first, int last, OpcodeInfo info) {
  for (int opcode = first; opcode <= last; ++opcode) {
    row[opcode] = info;
  }
}

// Mandatory prefixes that select a form, as a bit mask.
constexpr unsigned kNp = 1u << static_cast<int>(MandatoryPrefix::kNone);
constexpr unsigned k66 = 1u << static_cast<int>(MandatoryPrefix::k66);
constexpr unsigned kF3 = 1u << static_cast<int>(MandatoryPrefix::kF3);
constexpr unsigned kF2 = 1u << static_cast<int>(MandatoryPrefix::kF2);
constexpr unsigned kAll4 = kNp | k66 | kF3 | kF2;
// Not an SSE-family opcode: 66 is the operand size, F2/F3 are ignored.
constexpr unsigned kAnyPrefix = kAll4;

constexpr void Put(PrefixedMap& map, unsigned prefixes, int first, int last, OpcodeInfo info) {
  for (int prefix = 0; prefix < 4; ++prefix) {
    if (prefixes & (1u << prefix)) {
      Fill(map[prefix], first, last, info);
    }
  }
}

constexpr void Put(PrefixedMap& map, unsigned prefixes, int opcode, OpcodeInfo info) {
  Put(map, prefixes, opcode, opcode, info);
}

constexpr Row BuildOneByteMap() {
  Row m{};
  // 00-3F: ADD OR ADC SBB AND SUB XOR CMP, each as Eb,Gb Ev,Gv Gb,Eb Gv,Ev
  // AL,ib eAX,iz; columns 6 and 7 hold PUSH/POP sreg and the BCD adjusts.
  // The prefixes there (26 2E 36 3E) and 0F never reach a lookup.
  for (int row = 0x00; row < 0x40; row += 8) {
    m[row] = m[row + 1] = row == 0x38 ? ModRM() : Lockable(ModRM());
    m[row + 2] = m[row + 3] = ModRM();
    m[row + 4] = Immediate(kByte);
    m[row + 5] = Immediate(kOperandSize);
    m[row + 6] = m[row + 7] = kNoOperands;
  }
  Fill(m, 0x40, 0x61, kNoOperands);  // INC DEC PUSH POP r, PUSHA POPA
  m[0x62] = ModRM(kMemory);          // BOUND; a register form is EVEX
  m[0x63] = ModRM();                 // ARPL
  m[0x68] = Immediate(kOperandSize);
  m[0x69] = ModRM(kAny, kOperandSize);
  m[0x6A] = Immediate(kByte);
  m[0x6B] = ModRM(kAny, kByte);
  Fill(m, 0x6C, 0x6F, kNoOperands);  // INS OUTS
  Fill(m, 0x70, 0x7F, Immediate(kRel8, X86Flow::kConditionalJump));
  // Group 1; 82 is an alias of 80 outside 64-bit mode.
  m[0x80] = m[0x82] = m[0x83] = WithRules(ModRM(kAny, kByte));
  m[0x81] = WithRules(ModRM(kAny, kOperandSize));
  m[0x84] = m[0x85] = ModRM();             // TEST
  m[0x86] = m[0x87] = Lockable(ModRM());   // XCHG
  Fill(m, 0x88, 0x8B, ModRM());            // MOV
  m[0x8C] = m[0x8E] = WithRules(ModRM());  // MOV Sreg
  m[0x8D] = ModRM(kMemory);                // LEA
  m[0x8F] = WithRules(ModRM());            // POP Ev; XOP otherwise
  Fill(m, 0x90, 0x99, kNoOperands);        // NOP XCHG CBW CWD
  m[0x9A] = Immediate(kFarPointer, X86Flow::kCall);
  Fill(m, 0x9B, 0x9F, kNoOperands);  // FWAIT PUSHF POPF SAHF LAHF
  Fill(m, 0xA0, 0xA3, Immediate(kMoffs));
  Fill(m, 0xA4, 0xA7, kNoOperands);  // MOVS CMPS
  m[0xA8] = Immediate(kByte);
  m[0xA9] = Immediate(kOperandSize);
  Fill(m, 0xAA, 0xAF, kNoOperands);  // STOS LODS SCAS
  Fill(m, 0xB0, 0xB7, Immediate(kByte));
  Fill(m, 0xB8, 0xBF, Immediate(kOperandSize));
  m[0xC0] = m[0xC1] = ModRM(kAny, kByte);  // group 2
  m[0xC2] = Immediate(kWord, X86Flow::kReturn);
  m[0xC3] = Flow(X86Flow::kReturn);
  m[0xC4] = m[0xC5] = ModRM(kMemory);       // LES LDS; register forms are VEX
  m[0xC6] = WithRules(ModRM(kAny, kByte));  // group 11
  m[0xC7] = WithRules(ModRM(kAny, kOperandSize));
  m[0xC8] = Immediate(kWordByte);  // ENTER
  m[0xC9] = kNoOperands;
  m[0xCA] = Immediate(kWord, X86Flow::kReturn);
  m[0xCB] = Flow(X86Flow::kReturn);
  m[0xCC] = kNoOperands;
  m[0xCD] = Immediate(kByte);
  m[0xCE] = kNoOperands;
  m[0xCF] = Flow(X86Flow::kReturn);                                  // IRET
  Fill(m, 0xD0, 0xD3, ModRM());                                      // group 2
  m[0xD4] = m[0xD5] = Immediate(kByte);                              // AAM AAD
  m[0xD6] = m[0xD7] = kNoOperands;                                   // SALC XLAT
  Fill(m, 0xD8, 0xDF, WithRules(ModRM()));                           // x87
  Fill(m, 0xE0, 0xE3, Immediate(kRel8, X86Flow::kConditionalJump));  // LOOPcc JECXZ
  Fill(m, 0xE4, 0xE7, Immediate(kByte));                             // IN OUT
  m[0xE8] = Immediate(kRelOperandSize, X86Flow::kCall);
  m[0xE9] = Immediate(kRelOperandSize, X86Flow::kJump);
  m[0xEA] = Immediate(kFarPointer, X86Flow::kJump);
  m[0xEB] = Immediate(kRel8, X86Flow::kJump);
  Fill(m, 0xEC, 0xEF, kNoOperands);        // IN OUT DX
  m[0xF1] = kNoOperands;                   // INT1
  m[0xF4] = m[0xF5] = kNoOperands;         // HLT CMC
  m[0xF6] = m[0xF7] = WithRules(ModRM());  // group 3
  Fill(m, 0xF8, 0xFD, kNoOperands);        // CLC STC CLI STI CLD STD
  m[0xFE] = m[0xFF] = WithRules(ModRM());  // groups 4 and 5
  return m;
}

constexpr PrefixedMap Build0FMap() {
  PrefixedMap m{};
  Put(m, kAnyPrefix, 0x00, 0x01, WithRules(ModRM()));   // groups 6 and 7
  Put(m, kAnyPrefix, 0x02, 0x03, ModRM());              // LAR LSL
  Put(m, kAnyPrefix, 0x05, 0x06, kNoOperands);          // SYSCALL CLTS
  Put(m, kAnyPrefix, 0x07, Flow(X86Flow::kReturn));     // SYSRET
  Put(m, kAnyPrefix, 0x08, 0x09, kNoOperands);          // INVD WBINVD
  Put(m, kAnyPrefix, 0x0B, kNoOperands);                // UD2
  Put(m, kAnyPrefix, 0x0D, WithRules(ModRM(kMemory)));  // PREFETCH(W)
  Put(m, kAll4, 0x10, 0x11, ModRM());                   // MOVUPS MOVUPD MOVSS MOVSD
  Put(m, kNp | kF3 | kF2, 0x12, ModRM());               // MOVLPS/MOVHLPS MOVSLDUP MOVDDUP
  Put(m, k66, 0x12, ModRM(kMemory));                    // MOVLPD
  Put(m, kNp | k66, 0x13, ModRM(kMemory));              // MOVLPS MOVLPD
  Put(m, kNp | k66, 0x14, 0x15, ModRM());               // UNPCKLPx UNPCKHPx
  Put(m, kNp | kF3, 0x16, ModRM());                     // MOVHPS/MOVLHPS MOVSHDUP
  Put(m, k66, 0x16, ModRM(kMemory));                    // MOVHPD
  Put(m, kNp | k66, 0x17, ModRM(kMemory));              // MOVHPS MOVHPD
  // Prefetch hints, MPX, ENDBR and the rest of the hint-NOP space.
  Put(m, kAnyPrefix, 0x18, 0x1F, ModRM());
  Put(m, kAnyPrefix, 0x20, 0x23, WithRules(ModRM(kRegisterForced)));  // MOV CR/DR
  Put(m, kNp | k66, 0x28, 0x29, ModRM());                             // MOVAPS MOVAPD
  Put(m, kAll4, 0x2A, ModRM());                                       // CVTPI2PS .. CVTSI2SD
  Put(m, kAll4, 0x2B, ModRM(kMemory));               // MOVNTPS MOVNTPD MOVNTSS MOVNTSD
  Put(m, kAll4, 0x2C, 0x2D, ModRM());                // CVT(T)PS2PI .. CVT(T)SD2SI
  Put(m, kNp | k66, 0x2E, 0x2F, ModRM());            // (U)COMISS (U)COMISD
  Put(m, kAnyPrefix, 0x30, 0x34, kNoOperands);       // WRMSR RDTSC RDMSR RDPMC SYSENTER
  Put(m, kAnyPrefix, 0x35, Flow(X86Flow::kReturn));  // SYSEXIT
  Put(m, kAnyPrefix, 0x37, kNoOperands);             // GETSEC
  Put(m, kAnyPrefix, 0x40, 0x4F, ModRM());           // CMOVcc
  Put(m, kNp | k66, 0x50, ModRM(kRegister));         // MOVMSKPS MOVMSKPD
  Put(m, kAll4, 0x51, ModRM());                      // SQRT
  Put(m, kNp | kF3, 0x52, 0x53, ModRM());            // RSQRT RCP
  Put(m, kNp | k66, 0x54, 0x57, ModRM());            // AND ANDN OR XOR
  Put(m, kAll4, 0x58, 0x5A, ModRM());                // ADD MUL CVT
  Put(m, kNp | k66 | kF3, 0x5B, ModRM());            // CVTDQ2PS CVTPS2DQ CVTTPS2DQ
  Put(m, kAll4, 0x5C, 0x5F, ModRM());                // SUB MIN DIV MAX
  Put(m, kNp | k66, 0x60, 0x6B, ModRM());            // PUNPCK PCMPGT PACK
  Put(m, k66, 0x6C, 0x6D, ModRM());                  // PUNPCKLQDQ PUNPCKHQDQ
  Put(m, kNp | k66, 0x6E, ModRM());                  // MOVD
  Put(m, kNp | k66 | kF3, 0x6F, ModRM());            // MOVQ MOVDQA MOVDQU
  Put(m, kAll4, 0x70, ModRM(kAny, kByte));           // PSHUFW PSHUFD PSHUFHW PSHUFLW
  // Groups 12-14: shifts by an immediate.
  Put(m, kNp | k66, 0x71, 0x73, WithRules(ModRM(kRegister, kByte)));
  Put(m, kNp | k66, 0x74, 0x76, ModRM());                 // PCMPEQ
  Put(m, kNp, 0x77, kNoOperands);                         // EMMS
  Put(m, kNp, 0x78, 0x79, ModRM());                       // VMREAD VMWRITE
  Put(m, k66, 0x78, WithRules(ModRM(kRegister, kWord)));  // EXTRQ /0 ib ib
  Put(m, kF2, 0x78, ModRM(kRegister, kWord));             // INSERTQ ib ib
  Put(m, k66 | kF2, 0x79, ModRM(kRegister));              // EXTRQ INSERTQ
  Put(m, k66 | kF2, 0x7C, 0x7D, ModRM());                 // HADD HSUB
  Put(m, kNp | k66 | kF3, 0x7E, 0x7F, ModRM());           // MOVD MOVQ MOVDQA MOVDQU
  Put(m, kAnyPrefix, 0x80, 0x8F, Immediate(kRelOperandSize, X86Flow::kConditionalJump));
  Put(m, kAnyPrefix, 0x90, 0x9F, ModRM());                  // SETcc
  Put(m, kAnyPrefix, 0xA0, 0xA2, kNoOperands);              // PUSH FS, POP FS, CPUID
  Put(m, kAnyPrefix, 0xA3, ModRM());                        // BT
  Put(m, kAnyPrefix, 0xA4, ModRM(kAny, kByte));             // SHLD ib
  Put(m, kAnyPrefix, 0xA5, ModRM());                        // SHLD CL
  Put(m, kAnyPrefix, 0xA8, 0xAA, kNoOperands);              // PUSH GS, POP GS, RSM
  Put(m, kAnyPrefix, 0xAB, Lockable(ModRM()));              // BTS
  Put(m, kAnyPrefix, 0xAC, ModRM(kAny, kByte));             // SHRD ib
  Put(m, kAnyPrefix, 0xAD, ModRM());                        // SHRD CL
  Put(m, kAnyPrefix, 0xAE, WithRules(ModRM()));             // group 15
  Put(m, kAnyPrefix, 0xAF, ModRM());                        // IMUL
  Put(m, kAnyPrefix, 0xB0, 0xB1, Lockable(ModRM()));        // CMPXCHG
  Put(m, kAnyPrefix, 0xB2, ModRM(kMemory));                 // LSS
  Put(m, kAnyPrefix, 0xB3, Lockable(ModRM()));              // BTR
  Put(m, kAnyPrefix, 0xB4, 0xB5, ModRM(kMemory));           // LFS LGS
  Put(m, kAnyPrefix, 0xB6, 0xB7, ModRM());                  // MOVZX
  Put(m, kF3, 0xB8, ModRM());                               // POPCNT; JMPE without F3
  Put(m, kAnyPrefix, 0xB9, ModRM());                        // UD1
  Put(m, kAnyPrefix, 0xBA, WithRules(ModRM(kAny, kByte)));  // group 8
  Put(m, kAnyPrefix, 0xBB, Lockable(ModRM()));              // BTC
  Put(m, kAnyPrefix, 0xBC, 0xBF, ModRM());                  // BSF/TZCNT BSR/LZCNT MOVSX
  Put(m, kAnyPrefix, 0xC0, 0xC1, Lockable(ModRM()));        // XADD
  Put(m, kAll4, 0xC2, ModRM(kAny, kByte));                  // CMPccPS/PD/SS/SD
  Put(m, kNp, 0xC3, ModRM(kMemory));                        // MOVNTI
  Put(m, kNp | k66, 0xC4, ModRM(kAny, kByte));              // PINSRW
  Put(m, kNp | k66, 0xC5, ModRM(kRegister, kByte));         // PEXTRW
  Put(m, kNp | k66, 0xC6, ModRM(kAny, kByte));              // SHUFPS SHUFPD
  Put(m, kAnyPrefix, 0xC7, WithRules(ModRM()));             // group 9
  Put(m, kAnyPrefix, 0xC8, 0xCF, kNoOperands);              // BSWAP
  Put(m, k66 | kF2, 0xD0, ModRM());                         // ADDSUBPD ADDSUBPS
  Put(m, kNp | k66, 0xD1, 0xD5, ModRM());
  Put(m, k66, 0xD6, ModRM());                 // MOVQ
  Put(m, kF3 | kF2, 0xD6, ModRM(kRegister));  // MOVQ2DQ MOVDQ2Q
  Put(m, kNp | k66, 0xD7, ModRM(kRegister));  // PMOVMSKB
  Put(m, kNp | k66, 0xD8, 0xE5, ModRM());
  Put(m, k66 | kF3 | kF2, 0xE6, ModRM());   // CVTTPD2DQ CVTDQ2PD CVTPD2DQ
  Put(m, kNp | k66, 0xE7, ModRM(kMemory));  // MOVNTQ MOVNTDQ
  Put(m, kNp | k66, 0xE8, 0xEF, ModRM());
  Put(m, kF2, 0xF0, ModRM(kMemory));  // LDDQU
  Put(m, kNp | k66, 0xF1, 0xF6, ModRM());
  Put(m, kNp | k66, 0xF7, ModRM(kRegister));  // MASKMOVQ MASKMOVDQU
  Put(m, kNp | k66, 0xF8, 0xFE, ModRM());
  Put(m, kAnyPrefix, 0xFF, ModRM());  // UD0
  return m;
}

constexpr PrefixedMap Build0F38Map() {
  PrefixedMap m{};
  Put(m, kNp | k66, 0x00, 0x0B, ModRM());         // SSSE3: PSHUFB .. PMULHRSW
  Put(m, k66, 0x10, ModRM());                     // PBLENDVB
  Put(m, k66, 0x14, 0x15, ModRM());               // BLENDVPS BLENDVPD
  Put(m, k66, 0x17, ModRM());                     // PTEST
  Put(m, kNp | k66, 0x1C, 0x1E, ModRM());         // PABSB PABSW PABSD
  Put(m, k66, 0x20, 0x25, ModRM());               // PMOVSX
  Put(m, k66, 0x28, 0x29, ModRM());               // PMULDQ PCMPEQQ
  Put(m, k66, 0x2A, ModRM(kMemory));              // MOVNTDQA
  Put(m, k66, 0x2B, ModRM());                     // PACKUSDW
  Put(m, k66, 0x30, 0x35, ModRM());               // PMOVZX
  Put(m, k66, 0x37, 0x41, ModRM());               // PCMPGTQ PMIN PMAX PMULLD PHMINPOSUW
  Put(m, k66, 0x80, 0x82, ModRM(kMemory));        // INVEPT INVVPID INVPCID
  Put(m, kNp, 0xC8, 0xCD, ModRM());               // SHA
  Put(m, k66, 0xCF, ModRM());                     // GF2P8MULB
  Put(m, k66, 0xDB, 0xDF, ModRM());               // AES
  Put(m, kNp | k66, 0xF0, 0xF1, ModRM(kMemory));  // MOVBE
  Put(m, kF2, 0xF0, 0xF1, ModRM());               // CRC32 (66 F2 for 16 bits)
  Put(m, k66 | kF3, 0xF6, ModRM());               // ADCX ADOX
  return m;
}

constexpr PrefixedMap Build0F3AMap() {
  PrefixedMap m{};
  const OpcodeInfo with_byte = ModRM(kAny, kByte);
  Put(m, k66, 0x08, 0x0E, with_byte);  // ROUND BLEND PBLENDW
  Put(m, kNp | k66, 0x0F, with_byte);  // PALIGNR
  Put(m, k66, 0x14, 0x17, with_byte);  // PEXTRB PEXTRW PEXTRD EXTRACTPS
  Put(m, k66, 0x20, 0x22, with_byte);  // PINSRB INSERTPS PINSRD
  Put(m, k66, 0x40, 0x42, with_byte);  // DPPS DPPD MPSADBW
  Put(m, k66, 0x44, with_byte);        // PCLMULQDQ
  Put(m, k66, 0x60, 0x63, with_byte);  // PCMPESTRM .. PCMPISTRI
  Put(m, kNp, 0xCC, with_byte);        // SHA1RNDS4
  Put(m, k66, 0xCE, 0xCF, with_byte);  // GF2P8AFFINE(INV)QB
  Put(m, k66, 0xDF, with_byte);        // AESKEYGENASSIST
  return m;
}

constexpr Row kOneByteMap = BuildOneByteMap();
constexpr PrefixedMap k0FMap = Build0FMap();
constexpr PrefixedMap k0F38Map = Build0F38Map();
constexpr PrefixedMap k0F3AMap = Build0F3AMap();

// x87 register forms (mod == 11), one bit per rm in each reg row: Intel's
// forms plus the aliases every x87 since the 387 executes (FSTP1, FCOM2,
// FCOMP3, FXCH4, FCOMP5, FFREEP, FXCH7, FSTP8, FSTP9) and the 8087/287
// leftovers FENI, FDISI and FSETPM, which run as FNOP.
constexpr uint8_t kX87RegisterForms[8][8] = {
    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},  // D8
    {0xFF, 0xFF, 0x01, 0xFF, 0x33, 0x7F, 0xFF, 0xFF},  // D9: FNOP; FCHS FABS FTST FXAM
    {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x02, 0x00, 0x00},  // DA: FCMOVcc, FUCOMPP
    {0xFF, 0xFF, 0xFF, 0xFF, 0x1F, 0xFF, 0xFF, 0x00},  // DB: FCMOVNcc, FCLEX FINIT
    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},  // DC
    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00},  // DD
    {0xFF, 0xFF, 0xFF, 0x02, 0xFF, 0xFF, 0xFF, 0xFF},  // DE: FCOMPP
    {0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0xFF, 0xFF, 0x00},  // DF: FNSTSW AX
};
// x87 memory forms, one bit per reg: D9 /1, DB /4 /6 and DD /5 are unused.
constexpr uint8_t kX87MemoryForms[8] = {0xFF, 0xFD, 0xFF, 0xAF, 0xFF, 0xDF, 0xFF, 0xFF};

bool IsX87Form(uint8_t opcode, uint8_t modrm) {
  const int escape = opcode - 0xD8;
  const int reg = (modrm >> 3) & 7;
  if ((modrm >> 6) == 3) {
    return (kX87RegisterForms[escape][reg] >> (modrm & 7)) & 1;
  }
  return (kX87MemoryForms[escape] >> reg) & 1;
}

// Register forms of 0F 01 that exist in 32-bit mode.
bool Is0F01RegisterForm(uint8_t modrm) {
  const int reg = (modrm >> 3) & 7;
  // SVM (D8-DF), SMSW r, LMSW r.
  if (reg == 3 || reg == 4 || reg == 6) {
    return true;
  }
  static constexpr uint8_t kForms[] = {
      0xC1, 0xC2, 0xC3, 0xC4,  // VMCALL VMLAUNCH VMRESUME VMXOFF
      0xC8, 0xC9, 0xCA, 0xCB,  // MONITOR MWAIT CLAC STAC
      0xCF, 0xD0, 0xD1, 0xD4,  // ENCLS XGETBV XSETBV VMFUNC
      0xD5, 0xD6, 0xD7,        // XEND XTEST ENCLU
      0xEE, 0xEF,              // RDPKRU WRPKRU
      0xF9, 0xFA, 0xFB, 0xFC,  // RDTSCP MONITORX MWAITX CLZERO
  };
  return std::find(std::begin(kForms), std::end(kForms), modrm) != std::end(kForms);
}

// 0F AE.
bool IsGroup15Form(MandatoryPrefix prefix, bool memory, int reg) {
  switch (prefix) {
    case MandatoryPrefix::kNone:  // FXSAVE .. CLFLUSH; LFENCE MFENCE SFENCE
      return memory || reg >= 5;
    case MandatoryPrefix::k66:  // CLWB CLFLUSHOPT; TPAUSE
      return reg == 6 || (memory && reg == 7);
    case MandatoryPrefix::kF3:  // PTWRITE; UMONITOR
      return reg == 4 || (!memory && reg == 6);
    case MandatoryPrefix::kF2:  // UMWAIT
      return !memory && reg == 6;
  }
  return false;
}

// 0F C7.
bool IsGroup9Form(MandatoryPrefix prefix, bool memory, int reg) {
  if (!memory) {
    // RDRAND; RDSEED, or RDPID with F3.
    return (reg == 6 && prefix != MandatoryPrefix::kF3 && prefix != MandatoryPrefix::kF2) ||
           (reg == 7 && prefix != MandatoryPrefix::kF2);
  }
  switch (reg) {
    case 1:  // CMPXCHG8B
      return true;
    case 3:  // XRSTORS
    case 4:  // XSAVEC
    case 5:  // XSAVES
    case 7:  // VMPTRST
      return prefix == MandatoryPrefix::kNone;
    case 6:  // VMPTRLD VMCLEAR VMXON
      return prefix != MandatoryPrefix::kF2;
    default:
      return false;
  }
}

OpcodeInfo ApplyOneByteRules(uint8_t opcode, uint8_t modrm, OpcodeInfo info) {
  const int reg = (modrm >> 3) & 7;
  switch (opcode) {
    case 0x80:
    case 0x81:
    case 0x82:
    case 0x83:
      info.lockable = reg != 7;  // not CMP
      break;
    case 0x8C:
      info.valid = reg <= 5;  // ES CS SS DS FS GS
      break;
    case 0x8E:
      info.valid = reg <= 5 && reg != 1;  // loading CS is #UD
      break;
    case 0x8F:
      info.valid = reg == 0;
      break;
    case 0xC6:  // MOV Eb,ib; XABORT ib
      info.valid = reg == 0 || modrm == 0xF8;
      break;
    case 0xC7:  // MOV Ev,iz; XBEGIN rel
      info.valid = reg == 0 || modrm == 0xF8;
      if (modrm == 0xF8) {
        info.immediate = kRelOperandSize;
        info.flow = X86Flow::kConditionalJump;
      }
      break;
    case 0xF6:
    case 0xF7:  // TEST (and its /1 alias) has an immediate; NOT NEG lock
      if (reg <= 1) {
        info.immediate = opcode == 0xF6 ? kByte : kOperandSize;
      }
      info.lockable = reg == 2 || reg == 3;
      break;
    case 0xFE:  // INC DEC
      info.valid = reg <= 1;
      info.lockable = true;
      break;
    case 0xFF:
      info.lockable = reg <= 1;
      info.valid = reg != 7;
      if (reg == 3 || reg == 5) {  // far CALL/JMP take a memory pointer
        info.modrm = kMemory;
      }
      if (reg == 2 || reg == 3) {
        info.flow = X86Flow::kCall;
      } else if (reg == 4 || reg == 5) {
        info.flow = X86Flow::kJump;
      }
      break;
    default:  // D8-DF
      info.valid = IsX87Form(opcode, modrm);
      break;
  }
  return info;
}

OpcodeInfo Apply0FRules(MandatoryPrefix prefix, uint8_t opcode, uint8_t modrm, OpcodeInfo info) {
  const int reg = (modrm >> 3) & 7;
  const bool memory = (modrm >> 6) != 3;
  switch (opcode) {
    case 0x00:  // SLDT STR LLDT LTR VERR VERW
      info.valid = reg <= 5;
      break;
    case 0x01:
      info.valid = memory ? reg != 5 : Is0F01RegisterForm(modrm);
      break;
    case 0x0D:  // PREFETCH PREFETCHW PREFETCHWT1
      info.valid = reg <= 2;
      break;
    case 0x20:
    case 0x22:  // CR1 and CR5-CR7 are #UD; CR8 exists only in 64-bit mode
      info.valid = reg == 0 || (reg >= 2 && reg <= 4);
      break;
    case 0x71:
    case 0x72:  // PSRL PSRA PSLL
      info.valid = reg == 2 || reg == 4 || reg == 6;
      break;
    case 0x73:  // PSRLQ PSLLQ; PSRLDQ PSLLDQ with 66
      info.valid =
          reg == 2 || reg == 6 || (prefix == MandatoryPrefix::k66 && (reg == 3 || reg == 7));
      break;
    case 0x78:  // EXTRQ
      info.valid = reg == 0;
      break;
    case 0xAE:
      info.valid = IsGroup15Form(prefix, memory, reg);
      break;
    case 0xBA:  // BT BTS BTR BTC
      info.valid = reg >= 4;
      info.lockable = reg >= 5;
      break;
    case 0xC7:
      info.valid = IsGroup9Form(prefix, memory, reg);
      info.lockable = reg == 1;
      break;
    default:  // 21, 23: all eight debug registers
      break;
  }
  return info;
}

}  // namespace

OpcodeInfo LookupOpcode(OpcodeMap map, MandatoryPrefix prefix, uint8_t opcode) {
  const int row = static_cast<int>(prefix);
  switch (map) {
    case OpcodeMap::kOneByte:
      return kOneByteMap[opcode];
    case OpcodeMap::k0F:
      return k0FMap[row][opcode];
    case OpcodeMap::k0F38:
      return k0F38Map[row][opcode];
    case OpcodeMap::k0F3A:
      return k0F3AMap[row][opcode];
  }
  return {};
}

OpcodeInfo ApplyModRMRules(OpcodeMap map,
                           MandatoryPrefix prefix,
                           uint8_t opcode,
                           uint8_t modrm,
                           OpcodeInfo info) {
  if (map == OpcodeMap::kOneByte) {
    return ApplyOneByteRules(opcode, modrm, info);
  }
  return Apply0FRules(prefix, opcode, modrm, info);
}
