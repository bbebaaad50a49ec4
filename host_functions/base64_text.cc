#include "host_functions/base64_text.h"

namespace {

bool IsAlphabet(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
         c == '/';
}

}  // namespace

bool IsBase64Text(std::string_view text) {
  if (text.empty() || text.size() % 4 != 0)
    return false;
  size_t padding = 0;
  while (padding < 2 && text[text.size() - 1 - padding] == '=')
    ++padding;
  for (size_t i = 0; i < text.size() - padding; ++i) {
    if (!IsAlphabet(text[i]))
      return false;
  }
  return true;
}
