#include "host_functions/ui_language.h"

namespace {

constexpr uint16_t kLangChinese = 0x04;
constexpr uint16_t kSublangTaiwan = 0x01;
constexpr uint16_t kSublangHongKong = 0x03;
constexpr uint16_t kSublangMacao = 0x05;

}  // namespace

UiLanguageClass UiLanguageClassFor(uint16_t language_id) {
  // A language id is the primary language in the low ten bits and the
  // sublanguage above them.
  if ((language_id & 0x3FF) != kLangChinese)
    return kUiLanguageOther;
  switch (language_id >> 10) {
    case kSublangTaiwan:
    case kSublangHongKong:
    case kSublangMacao:
      return kUiLanguageTraditionalChinese;
    default:
      return kUiLanguageSimplifiedChinese;
  }
}
