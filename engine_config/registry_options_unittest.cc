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
  for (const std::wstring& name : std::vector<std::wstring>{
           L"T\u0161bProcGrowth", L"\u4154abProcGrowth", L"TabProcGrowth\u0100suffix",
           L"FormSuggest PW As\u212A", L"TabProcGrowth" + std::wstring(300, L' ')}) {
    EXPECT_EQ(FindRegistryOption(name.c_str()), nullptr);
  }
}

// Each query is made with a buffer of `buffer_size` (null for 0) that is the
// head of 10 bytes of 0xAA.
TEST(RegistryOptionsTest, AnswersLikeTheRegistry) {
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
      {"LocalMachineCompatibilityMode", TextWidth::kWide, 77, {}},  // absent
  };
  for (const auto& c : cases) {
    const uint32_t size = static_cast<uint32_t>(c.bytes.size());
    // A size query, a buffer one byte short, exactly large enough, larger.
    for (uint32_t buffer_size : {0u, size - 1, size, size + 2}) {
      std::vector<unsigned char> buffer(10, 0xAA);
      OptionQuery query{buffer_size ? buffer.data() : nullptr, buffer_size, 77};
      const long status = AnswerOptionQuery(*FindRegistryOption(c.name), c.width, &query);
      const bool absent = size == 0;
      const bool fits = buffer_size >= size;
      std::vector<unsigned char> expected = c.bytes;
      expected.resize(10, 0xAA);
      EXPECT_EQ(status, absent                 ? kRegFileNotFound
                        : fits || !buffer_size ? kRegSuccess
                                               : kRegMoreData)
          << c.name << buffer_size;
      EXPECT_EQ(query.size, absent ? buffer_size : size) << c.name;
      EXPECT_EQ(query.type, c.type) << c.name;
      EXPECT_EQ(buffer, fits && !absent ? expected : std::vector<unsigned char>(10, 0xAA));
    }
  }
}
