#include "host_functions/release_code.h"

namespace {

// Windows ME is 4.90; 95 and 98 are below.
constexpr unsigned long kWindowsMeVersionWord = 0x045A;
constexpr unsigned long kFirstWindows11Build = 21996;

int NtReleaseCode(const ReportedVersion& reported, const RealVersion& real) {
  const bool workstation = reported.product_type == kProductWorkstation;
  if (reported.major < 5)
    return 4;
  if (reported.major == 5) {
    switch (reported.minor) {
      case 0:
        return 3;
      case 1:
        return 6;
      case 2:
        return 5;
      default:
        return 0;
    }
  }
  if (reported.major == 6 && reported.minor == 0)
    return workstation ? 7 : 9;
  if (reported.major == 6 && reported.minor == 1)
    return workstation ? 8 : 9;
  return workstation ? ReleaseCodeForRealVersion(real) : 0;
}

}  // namespace

int ReleaseCodeForReportedVersion(const ReportedVersion& reported, const RealVersion& real) {
  switch (reported.platform_id) {
    case kPlatformWin9x:
      return (reported.build >> 16) < kWindowsMeVersionWord ? 1 : 2;
    case kPlatformNt:
      return NtReleaseCode(reported, real);
    default:
      return 0;
  }
}

int ReleaseCodeForRealVersion(const RealVersion& real) {
  if (real.major == 6) {
    switch (real.minor) {
      case 3:
        return 11;
      case 4:
        return 12;
      default:
        return 10;
    }
  }
  if (real.major == 10 && real.minor == 0)
    return real.build >= kFirstWindows11Build ? 13 : 12;
  return 10;
}
