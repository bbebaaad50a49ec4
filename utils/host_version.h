#ifndef UTILS_HOST_VERSION_H_
#define UTILS_HOST_VERSION_H_

// This build's version: answered to the extension and registered by the
// installer.
inline constexpr char kHostVersion[] = "2.26.20.0";

#endif  // UTILS_HOST_VERSION_H_
