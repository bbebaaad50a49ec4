#include "engine_config/registry_options.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

namespace {

using Kind = RegistryOption::Kind;

constexpr RegistryOption kOptions[] = {
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

constexpr size_t kOptionCount = std::size(kOptions);

// Name lengths, worked out once: the lookup runs on every registry read of
// the process.
constexpr std::array<size_t, kOptionCount> kNameLengths = [] {
  std::array<size_t, kOptionCount> lengths{};
  for (size_t i = 0; i < kOptionCount; ++i)
    lengths[i] = std::char_traits<char>::length(kOptions[i].name);
  return lengths;
}();

constexpr size_t kLongestOptionName = *std::max_element(kNameLengths.begin(), kNameLengths.end());

uint32_t CodeUnit(char c) {
  return static_cast<unsigned char>(c);
}

uint32_t CodeUnit(wchar_t c) {
  // wchar_t is signed on some platforms; a negative unit must not look ASCII.
  return static_cast<uint32_t>(c);
}

uint32_t AsciiLower(uint32_t unit) {
  return (unit >= 'A' && unit <= 'Z') ? unit - 'A' + 'a' : unit;
}

template <typename Char>
const RegistryOption* Find(const Char* name) {
  // Scanning stops early: nothing longer than the longest option can match.
  char folded[kLongestOptionName + 1];
  size_t length = 0;
  for (; name[length] != 0; ++length) {
    const uint32_t unit = CodeUnit(name[length]);
    if (length == kLongestOptionName || unit > 0x7F)
      return nullptr;
    folded[length] = static_cast<char>(AsciiLower(unit));
  }
  for (size_t row = 0; row < kOptionCount; ++row) {
    if (kNameLengths[row] != length)
      continue;
    const char* option_name = kOptions[row].name;
    size_t i = 0;
    while (i < length && AsciiLower(CodeUnit(option_name[i])) == CodeUnit(folded[i]))
      ++i;
    if (i == length)
      return &kOptions[row];
  }
  return nullptr;
}

void StoreLittleEndian(uint32_t value, size_t bytes, unsigned char* out) {
  for (size_t i = 0; i < bytes; ++i)
    out[i] = static_cast<unsigned char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

const RegistryOption* FindRegistryOption(const char* name) {
  return Find(name);
}

const RegistryOption* FindRegistryOption(const wchar_t* name) {
  return Find(name);
}

long AnswerOptionQuery(const RegistryOption& option, TextWidth width, OptionQuery* query) {
  if (option.kind == Kind::kAbsent)
    return kRegFileNotFound;

  uint32_t answer_size = sizeof(uint32_t);
  size_t unit_size = 1;
  if (option.kind == Kind::kString) {
    unit_size = width == TextWidth::kWide ? 2 : 1;
    answer_size = static_cast<uint32_t>((std::strlen(option.text) + 1) * unit_size);
  }
  query->type = option.kind == Kind::kString ? kRegSz : kRegDword;
  const uint32_t buffer_size = query->size;
  query->size = answer_size;
  if (!query->data)
    return kRegSuccess;
  if (buffer_size < answer_size)
    return kRegMoreData;

  if (option.kind == Kind::kNumber) {
    StoreLittleEndian(option.number, sizeof(uint32_t), query->data);
    return kRegSuccess;
  }
  // The terminating zero is part of the answer.
  for (size_t i = 0; i * unit_size < answer_size; ++i)
    StoreLittleEndian(CodeUnit(option.text[i]), unit_size, query->data + i * unit_size);
  return kRegSuccess;
}
