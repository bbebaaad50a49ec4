#ifndef HOST_FUNCTIONS_VERSION_COMPARE_H_
#define HOST_FUNCTIONS_VERSION_COMPARE_H_

#include <string_view>

// Versions are four dot-separated decimal numbers, each read like "%d"
// (missing or unreadable parts count as 0). Returns the first non-zero
// difference (first minus second), or 0 when all four parts are equal.
int CompareVersions(std::string_view first, std::string_view second);
int CompareVersions(std::wstring_view first, std::wstring_view second);

#endif  // HOST_FUNCTIONS_VERSION_COMPARE_H_
