#include "engine_config/registry_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Kind = RegistryOption::Kind;

struct Row {
  const char* name;
  Kind kind;
  const char* text;
  uint32_t number;
};

// The whole table, in its search order.
const Row kRows[] = {
    {"Disable Script Debugger", Kind::kString, "yes", 0},
    {"DisableScriptDebuggerIE", Kind::kString, "yes", 0},
    {"FormSuggest Passwords", Kind::kString, "yes", 0},
    {"FormSuggest PW Ask", Kind::kString, "yes", 0},
    {"MSCompatibilityMode", Kind::kNumber, nullptr, 1},
    {"TLDUpdates", Kind::kNumber, nullptr, 1},
    {"StaleCompatCache", Kind::kNumber, nullptr, 1},
    {"IntranetCompatibilityMode", Kind::kNumber, nullptr, 1},
    {"LocalMachineCompatibilityMode", Kind::kAbsent, nullptr, 0},
    {"Use FormSuggest", Kind::kString, "no", 0},
    {"SmoothScroll", Kind::kNumber, nullptr, 0},
    {"TabProcGrowth", Kind::kNumber, nullptr, 0},
    {"WarnOnIntranet", Kind::kNumber, nullptr, 0},
};

std::wstring Widen(const std::string& ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

std::string Flip(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
    else if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

TEST(RegistryOptionsTest, EveryRowIsFoundThroughBothWidthsInAnyCase) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    for (const std::string& name : {std::string(row.name), Flip(row.name)}) {
      const RegistryOption* narrow = FindRegistryOption(name.c_str());
      ASSERT_NE(narrow, nullptr);
      EXPECT_EQ(FindRegistryOption(Widen(name).c_str()), narrow);
      EXPECT_STREQ(narrow->name, row.name);
      EXPECT_EQ(narrow->kind, row.kind);
      if (row.kind == Kind::kString) {
        EXPECT_STREQ(narrow->text, row.text);
      }
      if (row.kind == Kind::kNumber) {
        EXPECT_EQ(narrow->number, row.number);
      }
    }
  }
}

TEST(RegistryOptionsTest, NamesThatAreNotExactlyAnOptionAreNotFound) {
  for (const char* name : {"", "TabProcGrowt", "TabProcGrowthX", " TabProcGrowth", "TabProcGrowth ",
                           "Disable  Script Debugger", "Disable_Script_Debugger", "iexplore.exe",
                           "LocalMachineCompatibilityModes"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(FindRegistryOption(name), nullptr);
    EXPECT_EQ(FindRegistryOption(Widen(name).c_str()), nullptr);
  }
  const std::string long_name(300, 'a');
  EXPECT_EQ(FindRegistryOption(long_name.c_str()), nullptr);
  EXPECT_EQ(FindRegistryOption(Widen(long_name).c_str()), nullptr);
  // A long name that starts like an option.
  const std::string padded = std::string("TabProcGrowth") + std::string(300, ' ');
  EXPECT_EQ(FindRegistryOption(Widen(padded).c_str()), nullptr);
}

// Keeping only the low byte of each unit would turn these into option names.
TEST(RegistryOptionsTest, WideNamesWithNonAsciiUnitsNeverMatch) {
  const wchar_t* const kLookAlikes[] = {
      L"T\u0161bProcGrowth",                  // low byte of U+0161 is 'a'
      L"\u4154abProcGrowth",                  // low byte of U+4154 is 'T'
      L"\u0154abProcGrowth",                  // low byte of U+0154 is 'T'
      L"TabProcGrowt\u0168",                  // low byte of U+0168 is 'h'
      L"Smooth\u0153croll",                   // low byte of U+0153 is 'S'
      L"\u0157arnOnIntranet",                 // low byte of U+0157 is 'W'
      L"LocalMachineCompatibilityMod\u0165",  // low byte of U+0165 is 'e'
      L"TabProcGrowth\u0100suffix",           // low byte of U+0100 ends the name
  };
  for (const wchar_t* name : kLookAlikes)
    EXPECT_EQ(FindRegistryOption(name), nullptr);

  // Case folding is ASCII only: the Kelvin sign is no 'k'.
  EXPECT_NE(FindRegistryOption(L"FormSuggest PW Ask"), nullptr);
  EXPECT_EQ(FindRegistryOption(L"FormSuggest PW As\u212A"), nullptr);
}

TEST(RegistryOptionsTest, AnsiNamesWithHighBytesNeverMatch) {
  EXPECT_EQ(FindRegistryOption("T\xE1"
                               "bProcGrowth"),
            nullptr);
  EXPECT_EQ(FindRegistryOption("TabProcGrowth\xFF"), nullptr);
  EXPECT_EQ(FindRegistryOption("\xD4"
                               "abProcGrowth"),
            nullptr);  // 'T' | 0x80
}

TEST(RegistryOptionsTest, NumberAnswers) {
  const RegistryOption& option = *FindRegistryOption("MSCompatibilityMode");
  for (TextWidth width : {TextWidth::kAnsi, TextWidth::kWide}) {
    // Size query.
    OptionQuery query;
    query.size = 0;
    EXPECT_EQ(AnswerOptionQuery(option, width, &query), kRegSuccess);
    EXPECT_EQ(query.size, 4u);
    EXPECT_EQ(query.type, kRegDword);

    // Exactly large enough, and larger: the bytes after the number stay.
    for (uint32_t size : {4u, 8u}) {
      std::vector<unsigned char> buffer(8, 0xAA);
      query = {buffer.data(), size, 0};
      EXPECT_EQ(AnswerOptionQuery(option, width, &query), kRegSuccess);
      EXPECT_EQ(query.size, 4u);
      EXPECT_EQ(query.type, kRegDword);
      EXPECT_EQ(buffer, (std::vector<unsigned char>{1, 0, 0, 0, 0xAA, 0xAA, 0xAA, 0xAA}));
    }

    // Too small: nothing is copied.
    for (uint32_t size : {0u, 2u, 3u}) {
      std::vector<unsigned char> buffer(4, 0xAA);
      query = {buffer.data(), size, 0};
      EXPECT_EQ(AnswerOptionQuery(option, width, &query), kRegMoreData);
      EXPECT_EQ(query.size, 4u);
      EXPECT_EQ(query.type, kRegDword);
      EXPECT_EQ(buffer, std::vector<unsigned char>(4, 0xAA));
    }
  }

  std::vector<unsigned char> buffer(4, 0xAA);
  OptionQuery query{buffer.data(), 4, 0};
  EXPECT_EQ(AnswerOptionQuery(*FindRegistryOption("SmoothScroll"), TextWidth::kWide, &query),
            kRegSuccess);
  EXPECT_EQ(buffer, std::vector<unsigned char>(4, 0));
}

TEST(RegistryOptionsTest, StringAnswersAnsi) {
  const RegistryOption& option = *FindRegistryOption("Use FormSuggest");
  OptionQuery query;
  EXPECT_EQ(AnswerOptionQuery(option, TextWidth::kAnsi, &query), kRegSuccess);
  EXPECT_EQ(query.size, 3u);  // "no" and its zero
  EXPECT_EQ(query.type, kRegSz);

  std::vector<unsigned char> buffer(4, 0xAA);
  query = {buffer.data(), 2, 0};
  EXPECT_EQ(AnswerOptionQuery(option, TextWidth::kAnsi, &query), kRegMoreData);
  EXPECT_EQ(query.size, 3u);
  EXPECT_EQ(buffer, std::vector<unsigned char>(4, 0xAA));

  query = {buffer.data(), 3, 0};
  EXPECT_EQ(AnswerOptionQuery(option, TextWidth::kAnsi, &query), kRegSuccess);
  EXPECT_EQ(query.size, 3u);
  EXPECT_EQ(buffer, (std::vector<unsigned char>{'n', 'o', 0, 0xAA}));
}

TEST(RegistryOptionsTest, StringAnswersWide) {
  const RegistryOption& option = *FindRegistryOption(L"disable script debugger");
  OptionQuery query;
  EXPECT_EQ(AnswerOptionQuery(option, TextWidth::kWide, &query), kRegSuccess);
  EXPECT_EQ(query.size, 8u);  // "yes" and its zero, two bytes each
  EXPECT_EQ(query.type, kRegSz);

  for (uint32_t size : {0u, 1u, 6u, 7u}) {
    std::vector<unsigned char> buffer(10, 0xAA);
    query = {buffer.data(), size, 0};
    EXPECT_EQ(AnswerOptionQuery(option, TextWidth::kWide, &query), kRegMoreData) << size;
    EXPECT_EQ(query.size, 8u);
    EXPECT_EQ(buffer, std::vector<unsigned char>(10, 0xAA));
  }

  std::vector<unsigned char> buffer(10, 0xAA);
  query = {buffer.data(), 8, 0};
  EXPECT_EQ(AnswerOptionQuery(option, TextWidth::kWide, &query), kRegSuccess);
  EXPECT_EQ(query.size, 8u);
  EXPECT_EQ(buffer, (std::vector<unsigned char>{'y', 0, 'e', 0, 's', 0, 0, 0, 0xAA, 0xAA}));
}

TEST(RegistryOptionsTest, AbsentOptionLeavesTheQueryAlone) {
  const RegistryOption& option = *FindRegistryOption(L"LocalMachineCompatibilityMode");
  std::vector<unsigned char> buffer(4, 0xAA);
  OptionQuery query{buffer.data(), 4, 77};
  EXPECT_EQ(AnswerOptionQuery(option, TextWidth::kWide, &query), kRegFileNotFound);
  EXPECT_EQ(query.size, 4u);
  EXPECT_EQ(query.type, 77u);
  EXPECT_EQ(buffer, std::vector<unsigned char>(4, 0xAA));
}
