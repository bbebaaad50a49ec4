#ifndef HOST_FUNCTIONS_RELEASE_CODE_H_
#define HOST_FUNCTIONS_RELEASE_CODE_H_

// The extension names Windows releases by small codes:
//   1 Windows 95/98, 2 Windows ME, 3 Windows 2000, 4 NT 4 and older,
//   5 XP x64/Server 2003, 6 XP, 7 Vista, 8 Windows 7, 9 Server 2008 (R2),
//   10 Windows 8 (and unknown later releases), 11 Windows 8.1,
//   12 Windows 10, 13 Windows 11; 0 unknown or an unsupported server.

// Version numbers as GetVersionEx reports them: since Windows 8.1 a program
// without a compatibility manifest is told 6.2.
struct ReportedVersion {
  unsigned long platform_id;  // 1 Win9x, 2 NT
  unsigned long major;
  unsigned long minor;
  unsigned long build;         // Win9x: major and minor in the high word
  unsigned char product_type;  // 1 workstation, 2 domain controller, 3 server
};

// Version numbers of the running kernel, which are never adjusted.
struct RealVersion {
  unsigned long major;
  unsigned long minor;
  unsigned long build;
};

inline constexpr unsigned long kPlatformWin9x = 1;
inline constexpr unsigned long kPlatformNt = 2;
inline constexpr unsigned char kProductWorkstation = 1;

// For 6.2 and later the reported numbers cannot be trusted; workstations then
// take their code from `real`, servers are not supported.
int ReleaseCodeForReportedVersion(const ReportedVersion& reported, const RealVersion& real);
int ReleaseCodeForRealVersion(const RealVersion& real);

#endif  // HOST_FUNCTIONS_RELEASE_CODE_H_
