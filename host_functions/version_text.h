#ifndef HOST_FUNCTIONS_VERSION_TEXT_H_
#define HOST_FUNCTIONS_VERSION_TEXT_H_

#include <string_view>

// The major version in a version resource's text ("11.00.9600.16428" is 11),
// read the way wcstol reads base 10: leading blanks and a sign are accepted,
// reading stops at the first non-digit, and text without digits gives 0.
// Values beyond the int range saturate.
int MajorVersionFromText(std::wstring_view text);

#endif  // HOST_FUNCTIONS_VERSION_TEXT_H_
