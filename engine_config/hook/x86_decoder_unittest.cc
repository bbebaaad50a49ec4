#include "engine_config/hook/x86_decoder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(const std::string& hex) {
  std::vector<uint8_t> bytes;
  unsigned value;
  int consumed;
  for (const char* p = hex.c_str(); std::sscanf(p, "%2x%n", &value, &consumed) == 1;
       p += consumed) {
    bytes.push_back(static_cast<uint8_t>(value));
  }
  return bytes;
}

// Decodes from a heap block of exactly these bytes, so that ASan reports any
// read past the end.
X86DecodeResult Decode(const std::string& hex) {
  const std::vector<uint8_t> bytes = Bytes(hex);
  return DecodeX86Instruction(bytes.data(), bytes.size());
}

// Lengths of the instructions that make up `hex`, or -1 where decoding fails.
std::vector<int> Lengths(const std::string& hex) {
  const std::vector<uint8_t> bytes = Bytes(hex);
  std::vector<int> lengths;
  for (size_t pos = 0; pos < bytes.size();) {
    const X86DecodeResult result = DecodeX86Instruction(bytes.data() + pos, bytes.size() - pos);
    lengths.push_back(result.ok() ? result.instruction.length : -1);
    if (!result.ok()) {
      break;
    }
    pos += result.instruction.length;
  }
  return lengths;
}

struct LengthCase {
  const char* hex;
  int length;  // 0: invalid
};

void ExpectLengths(const std::vector<LengthCase>& cases) {
  for (const LengthCase& c : cases) {
    SCOPED_TRACE(c.hex);
    const X86DecodeResult result = Decode(c.hex);
    if (c.length == 0) {
      EXPECT_EQ(result.error, X86DecodeError::kInvalid);
    } else {
      ASSERT_TRUE(result.ok()) << static_cast<int>(result.error);
      EXPECT_EQ(result.instruction.length, c.length);
    }
  }
}

TEST(X86DecoderTest, SplitsRealPrologues) {
  EXPECT_EQ(Lengths("8b ff 55 8b ec 5d ff 25 00 10 40 00"), (std::vector<int>{2, 1, 2, 1, 6}));
  EXPECT_EQ(Lengths("8d 4c 24 04 83 e4 f0 ff 71 fc 55 89 e5"), (std::vector<int>{4, 3, 3, 1, 2}));
  EXPECT_EQ(Lengths("55 89 e5 57 56 53 83 e4 f0 83 ec 20"),
            (std::vector<int>{1, 2, 1, 1, 1, 3, 3}));
  EXPECT_EQ(Lengths("8b ff 55 8b ec 83 e4 f0 83 ec 40"), (std::vector<int>{2, 1, 2, 3, 3}));
  // mov edi,edi; push ebp; mov ebp,esp; sub esp,0x10c; mov eax,[abs].
  EXPECT_EQ(Lengths("8b ff 55 8b ec 81 ec 0c 01 00 00 a1 04 30 00 10"),
            (std::vector<int>{2, 1, 2, 6, 5}));
  // CET: endbr32; push ebp; mov ebp,esp.
  EXPECT_EQ(Lengths("f3 0f 1e fb 55 89 e5"), (std::vector<int>{4, 1, 2}));
}

TEST(X86DecoderTest, ReportsOperandPositions) {
  const X86Instruction load = Decode("8b 45 08").instruction;
  EXPECT_EQ(load.length, 3);
  EXPECT_EQ(load.flow, X86Flow::kNone);
  EXPECT_EQ(load.displacement_offset, 2);
  EXPECT_EQ(load.displacement_size, 1);
  EXPECT_FALSE(load.has_absolute_address);
  EXPECT_EQ(load.immediate_size, 0);

  // mov dword [esp+4], imm32: SIB, disp8, then the immediate.
  const X86Instruction store = Decode("c7 44 24 04 78 56 34 12").instruction;
  EXPECT_EQ(store.length, 8);
  EXPECT_EQ(store.displacement_offset, 3);
  EXPECT_EQ(store.displacement_size, 1);
  EXPECT_EQ(store.immediate_offset, 4);
  EXPECT_EQ(store.immediate_size, 4);

  const X86Instruction enter = Decode("c8 10 00 01").instruction;
  EXPECT_EQ(enter.length, 4);
  EXPECT_EQ(enter.immediate_offset, 1);
  EXPECT_EQ(enter.immediate_size, 3);
}

TEST(X86DecoderTest, ClassifiesControlTransfers) {
  struct FlowCase {
    const char* hex;
    X86Flow flow;
  };
  const FlowCase cases[] = {
      {"90", X86Flow::kNone},
      {"cc", X86Flow::kNone},
      {"cd 2e", X86Flow::kNone},
      {"0f 34", X86Flow::kNone},  // SYSENTER
      {"eb fe", X86Flow::kJump},
      {"e9 00 00 00 00", X86Flow::kJump},
      {"ff e0", X86Flow::kJump},                 // jmp eax
      {"ff 25 00 10 40 00", X86Flow::kJump},     // jmp [abs]
      {"ff 28", X86Flow::kJump},                 // jmp far [eax]
      {"ea 00 00 00 00 08 00", X86Flow::kJump},  // jmp 0008:00000000
      {"74 00", X86Flow::kConditionalJump},
      {"0f 8f 00 00 00 00", X86Flow::kConditionalJump},
      {"e3 fe", X86Flow::kConditionalJump},              // jecxz
      {"e0 fe", X86Flow::kConditionalJump},              // loopne
      {"e2 fe", X86Flow::kConditionalJump},              // loop
      {"c7 f8 00 00 00 00", X86Flow::kConditionalJump},  // xbegin
      {"e8 00 00 00 00", X86Flow::kCall},
      {"ff d0", X86Flow::kCall},              // call eax
      {"ff 15 00 10 40 00", X86Flow::kCall},  // call [abs]
      {"ff 18", X86Flow::kCall},              // call far [eax]
      {"9a 00 00 00 00 08 00", X86Flow::kCall},
      {"c3", X86Flow::kReturn},
      {"c2 08 00", X86Flow::kReturn},
      {"cb", X86Flow::kReturn},
      {"ca 04 00", X86Flow::kReturn},
      {"cf", X86Flow::kReturn},     // iret
      {"0f 35", X86Flow::kReturn},  // sysexit
  };
  for (const FlowCase& c : cases) {
    SCOPED_TRACE(c.hex);
    const X86DecodeResult result = Decode(c.hex);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.instruction.length, static_cast<int>(Bytes(c.hex).size()));
    EXPECT_EQ(result.instruction.flow, c.flow);
  }
}

TEST(X86DecoderTest, ReportsRelativeBranchDisplacements) {
  struct RelativeCase {
    const char* hex;
    int32_t displacement;
    int immediate_offset;
    int immediate_size;
  };
  const RelativeCase cases[] = {
      {"eb fe", -2, 1, 1},
      {"eb 7f", 127, 1, 1},
      {"e9 fb ff ff ff", -5, 1, 4},
      {"e9 00 00 00 80", INT32_MIN, 1, 4},
      {"e8 78 56 34 12", 0x12345678, 1, 4},
      {"66 e9 fe ff", -2, 2, 2},  // jmp rel16
      {"66 e8 00 80", -0x8000, 2, 2},
      {"0f 84 10 00 00 00", 16, 2, 4},
      {"66 0f 84 ff 7f", 0x7FFF, 3, 2},
      {"67 e3 80", -128, 2, 1},  // jcxz
      {"c7 f8 f0 ff ff ff", -16, 2, 4},
  };
  for (const RelativeCase& c : cases) {
    SCOPED_TRACE(c.hex);
    const X86Instruction insn = Decode(c.hex).instruction;
    EXPECT_EQ(insn.length, static_cast<int>(Bytes(c.hex).size()));
    EXPECT_TRUE(insn.has_relative_target);
    EXPECT_EQ(insn.relative_displacement, c.displacement);
    EXPECT_EQ(insn.immediate_offset, c.immediate_offset);
    EXPECT_EQ(insn.immediate_size, c.immediate_size);
  }
  for (const char* hex : {"ff 25 00 10 40 00", "c2 08 00", "ea 00 00 00 00 08 00", "6a fe"}) {
    SCOPED_TRACE(hex);
    EXPECT_FALSE(Decode(hex).instruction.has_relative_target);
  }
}

TEST(X86DecoderTest, DecodesModRMAndSibForms) {
  struct MemoryCase {
    const char* hex;
    int length;
    int displacement_size;
    bool absolute;
  };
  const MemoryCase cases[] = {
      {"8b c0", 2, 0, false},                 // mov eax,eax
      {"8b 00", 2, 0, false},                 // [eax]
      {"8b 40 08", 3, 1, false},              // [eax+8]
      {"8b 80 00 01 00 00", 6, 4, false},     // [eax+0x100]
      {"8b 05 00 10 40 00", 6, 4, true},      // [abs]
      {"8b 45 00", 3, 1, false},              // [ebp+0]: ebp needs mod 01
      {"8b 04 24", 3, 0, false},              // [esp]
      {"8b 44 24 04", 4, 1, false},           // [esp+4]
      {"8b 84 24 00 01 00 00", 7, 4, false},  // [esp+0x100]
      {"8b 04 25 00 10 40 00", 7, 4, true},   // SIB without base or index
      {"8b 04 85 00 10 40 00", 7, 4, false},  // [eax*4+table]
      {"8b 44 25 08", 4, 1, false},           // SIB base ebp with mod 01
      {"8b 84 25 00 01 00 00", 7, 4, false},  // SIB base ebp with mod 10
      {"0f 20 05", 3, 0, false},              // MOV CR ignores mod
      {"67 8b c0", 3, 0, false},
      {"67 8b 04", 3, 0, false},        // [si]: 16-bit forms have no SIB
      {"67 8b 06 00 10", 5, 2, false},  // [disp16]
      {"67 8b 46 08", 4, 1, false},     // [bp+8]
      {"67 8b 86 00 01", 5, 2, false},  // [bp+0x100]
      {"a1 00 10 40 00", 5, 4, true},   // mov eax,[moffs32]
      {"a3 00 10 40 00", 5, 4, true},
      {"67 a0 00 10", 4, 2, false},  // mov al,[moffs16]
  };
  for (const MemoryCase& c : cases) {
    SCOPED_TRACE(c.hex);
    const X86DecodeResult result = Decode(c.hex);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.instruction.length, c.length);
    EXPECT_EQ(result.instruction.displacement_size, c.displacement_size);
    EXPECT_EQ(result.instruction.has_absolute_address, c.absolute);
    if (c.displacement_size != 0) {
      EXPECT_EQ(result.instruction.displacement_offset + c.displacement_size, c.length);
    }
  }
}

TEST(X86DecoderTest, SizesImmediatesByOperandSize) {
  ExpectLengths({
      {"05 01 00 00 00", 5},
      {"66 05 01 00", 4},  // add eAX,iz
      {"b8 01 00 00 00", 5},
      {"66 b8 01 00", 4},
      {"b0 01", 2},
      {"68 00 10 40 00", 5},
      {"66 68 00 10", 4},
      {"6a 01", 2},
      {"69 c0 01 00 00 00", 6},
      {"66 69 c0 01 00", 5},
      {"6b c0 01", 3},
      {"81 c0 01 00 00 00", 6},
      {"66 81 c0 01 00", 5},
      {"83 c0 01", 3},
      {"80 c0 01", 3},
      {"82 c0 01", 3},  // 82 is valid outside 64-bit mode
      {"c7 c0 01 00 00 00", 6},
      {"66 c7 c0 01 00", 5},
      {"c6 c0 01", 3},
      {"9a 00 00 00 00 08 00", 7},
      {"66 9a 00 00 08 00", 6},  // ptr16:32, ptr16:16
      {"66 ea 00 00 08 00", 6},
      {"c2 08 00", 3},
      {"66 c2 08 00", 4},  // iw is not operand-sized
      {"c8 08 00 00", 4},
      {"66 c8 08 00 00", 5},
      {"a1 00 10 40 00", 5},
      {"67 a1 00 10", 4},
      {"66 a1 00 10 40 00", 6},
      {"c0 e0 04", 3},
      {"d1 e0", 2},
      {"cd 80", 2},
      {"d4 0a", 2},
      {"e4 60", 2},
      {"d6", 1},  // SALC
  });
}

TEST(X86DecoderTest, GivesTestItsImmediateOnlyForRegFieldZeroAndOne) {
  ExpectLengths({
      {"f6 c1 01", 3},  // test cl,1
      {"f6 c9 01", 3},  // /1 alias of TEST
      {"f6 d1", 2},     // not cl
      {"f6 f1", 2},     // div cl
      {"f7 c1 01 00 00 00", 6},
      {"66 f7 c1 01 00", 5},
      {"f7 45 08 01 00 00 00", 7},
      {"f7 d8", 2},     // neg eax
      {"f7 7d 08", 3},  // idiv dword [ebp+8]
  });
}

TEST(X86DecoderTest, AcceptsLegacyPrefixesUpToFifteenBytes) {
  ExpectLengths({
      {"64 a1 18 00 00 00", 6},  // mov eax,fs:[0x18]
      {"2e 3e 26 36 65 90", 6},
      {"f3 a4", 2},
      {"f2 ae", 2},
      {"f3 90", 2},              // rep movsb, repne scasb, pause
      {"f2 e8 00 00 00 00", 6},  // bnd call
      {"66 66 66 66 66 66 66 66 66 66 66 66 66 66 90", 15},
      {"66 67 f0 01 00", 5},
  });
  EXPECT_EQ(Decode("66 66 66 66 66 66 66 66 66 66 66 66 66 66 66 90").error,
            X86DecodeError::kTooLong);
  // Eleven bytes of operands after five prefixes.
  EXPECT_EQ(Decode("2e 2e 2e 2e 2e c7 84 24 00 01 00 00 01 00 00 00").error,
            X86DecodeError::kTooLong);
  // Known too long before the buffer runs out.
  EXPECT_EQ(Decode("2e 2e 2e 2e 2e 2e 2e 2e 2e 2e 2e e9").error, X86DecodeError::kTooLong);
}

TEST(X86DecoderTest, AllowsLockOnlyOnMemoryReadModifyWrite) {
  ExpectLengths({
      {"f0 01 08", 3},              // lock add [eax],ecx
      {"f0 83 00 01", 4},           // lock add dword [eax],1
      {"f0 0f c1 08", 4},           // lock xadd [eax],ecx
      {"f0 0f b1 0a", 4},           // lock cmpxchg [edx],ecx
      {"f0 0f c7 0e", 4},           // lock cmpxchg8b [esi]
      {"f0 87 08", 3},              // lock xchg [eax],ecx
      {"f0 ff 00", 3},              // lock inc dword [eax]
      {"f0 f7 18", 3},              // lock neg dword [eax]
      {"f0 0f ba 28 01", 5},        // lock bts dword [eax],1
      {"f0 01 c8", 0},              // register destination
      {"f0 03 08", 0},              // memory source
      {"f0 83 38 01", 0},           // cmp
      {"f0 8b 00", 0},              // mov
      {"f0 f7 00 01 00 00 00", 0},  // test
      {"f0 0f ba 20 01", 0},        // bt
      {"f0 90", 0},
  });
}

TEST(X86DecoderTest, DecodesTwoByteMap) {
  ExpectLengths({
      {"0f 0b", 2},           // ud2
      {"0f a2", 2},           // cpuid
      {"0f 31", 2},           // rdtsc
      {"0f b6 c0", 3},        // movzx
      {"0f af 45 08", 4},     // imul
      {"0f 44 c1", 3},        // cmove
      {"0f 94 c0", 3},        // sete
      {"0f a4 c2 04", 4},     // shld ib
      {"0f ba e0 05", 4},     // bt ib
      {"0f ba c0 05", 0},     // group 8 /0
      {"0f 1f 44 00 00", 5},  // nop dword [eax+eax]
      {"66 0f 1f 84 00 00 00 00 00", 9},
      {"0f 18 08", 3},  // prefetcht0
      {"0f c8", 2},     // bswap
      {"0f 01 d0", 3},  // xgetbv
      {"0f 01 f9", 3},  // rdtscp
      {"0f 01 10", 3},  // lgdt
      {"0f 01 28", 0},  // group 7 /5 memory
      {"0f 01 f8", 0},  // swapgs: 64-bit only
      {"0f 00 30", 0},  // group 6 /6
      {"0f 20 c0", 3},  // mov eax,cr0
      {"0f 20 c8", 0},  // cr1
      {"0f 23 f8", 3},  // mov dr7,eax
      {"0f ae f0", 3},  // mfence
      {"0f ae 00", 3},  // fxsave
      {"0f ae c0", 0},
      {"0f c7 0e", 3},  // cmpxchg8b
      {"0f c7 ce", 0},
      {"0f c7 f0", 3},  // rdrand
      {"0f b2 00", 3},  // lss
      {"0f b2 c0", 0},
      {"0f b9 c0", 3},  // ud1 has a ModRM
      {"0f ff 00", 3},  // ud0 too
      {"0f 04", 0},
      {"0f 0a", 0},
      {"0f 24 c0", 0},
      {"0f 36", 0},
      {"0f 7a 00", 0},
  });
}

TEST(X86DecoderTest, SelectsSseFormsByMandatoryPrefix) {
  ExpectLengths({
      {"0f 10 c1", 3},
      {"66 0f 10 c1", 4},
      {"f3 0f 10 c1", 4},
      {"f2 0f 10 c1", 4},
      {"0f 28 45 08", 4},  // movaps
      {"66 0f 6f 00", 4},
      {"f3 0f 6f 00", 4},
      {"f2 0f 6f 00", 0},
      {"66 0f 6c c1", 4},
      {"0f 6c c1", 0},  // punpcklqdq needs 66
      {"0f 77", 2},
      {"66 0f 77", 0},  // emms has no 66 form
      {"0f 60 c1", 3},
      {"f3 0f 60 c1", 0},
      {"f3 0f b8 c1", 4},
      {"0f b8 c1", 0},
      {"f2 0f b8 c1", 0},     // popcnt
      {"f2 f3 0f b8 c1", 5},  // the last of F2/F3 decides
      {"f3 f2 0f b8 c1", 0},
      {"f3 66 0f b8 c1", 5},  // F3 wins over 66
      {"0f 70 c1 1b", 4},
      {"66 0f 70 c1 1b", 5},  // pshufw/pshufd ib
      {"0f c2 c1 01", 4},     // cmpps ib
      {"0f c5 c1 01", 4},
      {"0f c5 01 01", 0},  // pextrw: register only
      {"0f 13 01", 3},
      {"0f 13 c1", 0},  // movlps: memory only
      {"f2 0f f0 01", 4},
      {"f2 0f f0 c1", 0},  // lddqu
      {"66 0f 73 d8 08", 5},
      {"0f 73 d8 08", 0},  // psrldq
      {"0f 71 d0 05", 4},
      {"0f 71 10 05", 0},
      {"0f 71 c0 05", 0},
      {"66 0f 78 c0 04 08", 6},  // extrq ib ib
      {"f2 0f 78 c1 04 08", 6},  // insertq ib ib
      {"0f 78 c1", 3},           // vmread
  });
}

TEST(X86DecoderTest, DecodesThreeByteMaps) {
  ExpectLengths({
      {"0f 38 00 c1", 4},
      {"66 0f 38 00 c1", 5},  // pshufb mm / xmm
      {"66 0f 38 10 c1", 5},
      {"0f 38 10 c1", 0},           // pblendvb needs 66
      {"66 0f 38 17 44 24 04", 7},  // ptest
      {"66 0f 38 2a 00", 5},
      {"66 0f 38 2a c0", 0},  // movntdqa: memory only
      {"66 0f 38 dc c1", 5},  // aesenc
      {"0f 38 c8 c1", 4},     // sha1nexte
      {"0f 38 f0 00", 4},
      {"66 0f 38 f1 00", 5},
      {"0f 38 f0 c0", 0},  // movbe
      {"f2 0f 38 f0 c1", 5},
      {"66 f2 0f 38 f1 c1", 6},  // crc32
      {"66 0f 38 f6 c1", 5},
      {"f3 0f 38 f6 c1", 5},  // adcx, adox
      {"0f 38 50 c1", 0},
      {"66 0f 3a 0f c1 08", 6},
      {"0f 3a 0f c1 08", 5},           // palignr
      {"66 0f 3a 63 c1 0c", 6},        // pcmpistri
      {"66 0f 3a 44 44 24 04 11", 8},  // pclmulqdq
      {"0f 3a cc c1 01", 5},           // sha1rnds4
      {"0f 3a 08 c1 01", 0},
      {"66 0f 3a 00 c1 01", 0},
  });
}

TEST(X86DecoderTest, DecodesX87) {
  ExpectLengths({
      {"d9 c0", 2},
      {"d9 e8", 2},
      {"d9 ee", 2},
      {"d9 ef", 0},
      {"d9 d1", 0},
      {"d9 08", 0},              // d9 /1 memory
      {"d9 45 08", 3},           // fld dword [ebp+8]
      {"dd 05 00 10 40 00", 6},  // fld qword [abs]
      {"db 28", 2},
      {"db 20", 0},  // fld tbyte; db /4 memory
      {"db e3", 2},
      {"db e5", 0},  // fninit
      {"da e9", 2},
      {"da e8", 0},  // fucompp
      {"de d9", 2},
      {"de d8", 0},  // fcompp
      {"df e0", 2},
      {"df e1", 0},  // fnstsw ax
      {"df c0", 2},  // ffreep
      {"9b", 1},     // fwait is its own instruction
  });
}

TEST(X86DecoderTest, RejectsUndefinedEncodings) {
  ExpectLengths({
      {"8d c0", 0},     // lea with a register operand
      {"fe 10", 0},     // group 4 /2
      {"ff 38", 0},     // group 5 /7
      {"ff d8", 0},     // call far needs memory
      {"ff e8", 0},     // jmp far needs memory
      {"8e c8", 0},     // mov cs,eax
      {"8c f0", 0},     // no segment register 6
      {"c6 08 01", 0},  // group 11 /1
      {"c6 f8 01", 3},  // xabort
      {"c7 c8 00 00 00 00", 0},
      {"8f c0", 2},  // pop eax
      {"8f 20", 0},  // neither POP nor an XOP map
  });
}

TEST(X86DecoderTest, DeclinesVexEvexXop3DNowAndPadLock) {
  EXPECT_EQ(Decode("c5 f8 77").error, X86DecodeError::kVex);  // vzeroupper
  EXPECT_EQ(Decode("c4 e2 79 00 c0").error, X86DecodeError::kVex);
  EXPECT_EQ(Decode("62 f1 7c 48 58 c0").error, X86DecodeError::kEvex);
  EXPECT_EQ(Decode("8f e8 78 c2 c0 01").error, X86DecodeError::kXop);
  EXPECT_EQ(Decode("0f 0f c1 bf").error, X86DecodeError::k3DNow);
  EXPECT_EQ(Decode("0f 0e").error, X86DecodeError::k3DNow);  // femms
  EXPECT_EQ(Decode("f3 0f a7 c8").error, X86DecodeError::kPadLock);
  // With a memory ModRM byte the same opcodes are LES, LDS and BOUND.
  ExpectLengths({{"c4 00", 2}, {"c5 45 08", 3}, {"62 00", 2}});
}

TEST(X86DecoderTest, FailsOnTruncatedInput) {
  EXPECT_EQ(DecodeX86Instruction(nullptr, 0).error, X86DecodeError::kTruncated);
  for (const char* hex : {"8b ff", "ff 25 00 10 40 00", "e9 00 00 00 00", "c2 08 00",
                          "8b 84 24 00 01 00 00", "66 0f 3a 0f c1 08", "c8 08 00 00",
                          "9a 00 00 00 00 08 00", "67 a1 00 10", "c4 00", "f3 0f 1e fb"}) {
    const std::vector<uint8_t> whole = Bytes(hex);
    for (size_t size = 0; size < whole.size(); ++size) {
      SCOPED_TRACE(std::string(hex) + " cut to " + std::to_string(size));
      const std::vector<uint8_t> cut(whole.begin(), whole.begin() + size);
      EXPECT_EQ(DecodeX86Instruction(cut.data(), cut.size()).error, X86DecodeError::kTruncated);
    }
  }
}

}  // namespace
