#ifndef HOST_FUNCTIONS_UI_LANGUAGE_H_
#define HOST_FUNCTIONS_UI_LANGUAGE_H_

#include <cstdint>

// Which of the three text sets the user interface shows.
enum UiLanguageClass : int {
  kUiLanguageOther = 0,
  kUiLanguageSimplifiedChinese = 1,
  kUiLanguageTraditionalChinese = 2,
};

// Chinese as written in Taiwan, Hong Kong and Macao is traditional; every
// other Chinese locale is simplified.
UiLanguageClass UiLanguageClassFor(uint16_t language_id);

#endif  // HOST_FUNCTIONS_UI_LANGUAGE_H_
