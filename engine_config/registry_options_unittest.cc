#include "engine_config/registry_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Keeping only the low byte of each unit, or folding beyond ASCII, would turn
// the look-alikes into option names.
TEST(RegistryOptionsTest, NamesMatchWholeInAnyAsciiCase) {
  const RegistryOption* option = FindRegistryOption("TabProcGrowth");
  ASSERT_NE(option, nullptr);
  EXPECT_EQ(FindRegistryOption(L"tABpROCgROWTH"), option);
  for (const char* name : {"", "TabProcGrowt", "TabProcGrowthX", " TabProcGrowth",
                           "T\xE1"
                           "bProcGrowth",
                           "\xD4"
                           "abProcGrowth"}) {
    EXPECT_EQ(FindRegistryOption(name), nullptr) << name;
  }
  for (const wchar_t* name : {L"T\u0161bProcGrowth", L"\u4154abProcGrowth",
                              L"TabProcGrowth\u0100suffix", L"FormSuggest PW As\u212A"}) {
    EXPECT_EQ(FindRegistryOption(name), nullptr);
  }
  EXPECT_EQ(FindRegistryOption((std::wstring(L"TabProcGrowth") + std::wstring(300, L' ')).c_str()),
            nullptr);
}

namespace {

struct Answer {
  long status;
  uint32_t size;
  uint32_t type;
  std::vector<unsigned char> buffer;
};

// Asks with a buffer of `buffer_size` (null for 0) inside 10 bytes of 0xAA.
Answer Ask(const char* name, TextWidth width, uint32_t buffer_size) {
  Answer answer{0, buffer_size, 77, std::vector<unsigned char>(10, 0xAA)};
  OptionQuery query{buffer_size ? answer.buffer.data() : nullptr, buffer_size, 77};
  answer.status = AnswerOptionQuery(*FindRegistryOption(name), width, &query);
  answer.size = query.size;
  answer.type = query.type;
  return answer;
}

std::vector<unsigned char> Padded(std::vector<unsigned char> bytes) {
  bytes.resize(10, 0xAA);
  return bytes;
}

}  // namespace

TEST(RegistryOptionsTest, AnswersLikeTheRegistry) {
  const std::vector<unsigned char> untouched(10, 0xAA);
  const struct {
    const char* name;
    TextWidth width;
    uint32_t type;
    std::vector<unsigned char> bytes;
  } cases[] = {
      {"TLDUpdates", TextWidth::kAnsi, kRegDword, {1, 0, 0, 0}},
      {"SmoothScroll", TextWidth::kWide, kRegDword, {0, 0, 0, 0}},
      {"Use FormSuggest", TextWidth::kAnsi, kRegSz, {'n', 'o', 0}},
      {"Disable Script Debugger", TextWidth::kWide, kRegSz, {'y', 0, 'e', 0, 's', 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const uint32_t size = static_cast<uint32_t>(c.bytes.size());
    // A size query, a buffer one byte short, exactly large enough, larger.
    for (uint32_t buffer_size : {0u, size - 1, size, size + 2}) {
      const Answer answer = Ask(c.name, c.width, buffer_size);
      const bool fits = buffer_size >= size;
      EXPECT_EQ(answer.status, fits || !buffer_size ? kRegSuccess : kRegMoreData) << buffer_size;
      EXPECT_EQ(answer.size, size);
      EXPECT_EQ(answer.type, c.type);
      EXPECT_EQ(answer.buffer, fits ? Padded(c.bytes) : untouched);
    }
  }
  const Answer absent = Ask("LocalMachineCompatibilityMode", TextWidth::kWide, 4);
  EXPECT_EQ(absent.status, kRegFileNotFound);
  EXPECT_EQ(absent.size, 4u);
  EXPECT_EQ(absent.type, 77u);
  EXPECT_EQ(absent.buffer, untouched);
}
