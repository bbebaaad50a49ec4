#include "host_functions/release_code.h"

#include <gtest/gtest.h>

namespace {

constexpr unsigned char kServer = 3;
constexpr unsigned char kWorkstation = kProductWorkstation;

}  // namespace

TEST(ReleaseCodeTest, ReportedVersions) {
  const RealVersion windows10 = {10, 0, 19045};
  const RealVersion windows11 = {10, 0, 22631};
  const struct {
    ReportedVersion reported;
    RealVersion real;
    int code;
  } cases[] = {{{kPlatformWin9x, 4, 0, 0x0459FFFF, 0}, {}, 1},  // 95, 98
               {{kPlatformWin9x, 4, 0, 0x045A0000, 0}, {}, 2},  // ME
               {{kPlatformNt, 6, 0, 0, kWorkstation}, {}, 7},
               {{kPlatformNt, 6, 0, 0, kServer}, {}, 9},
               {{kPlatformNt, 6, 1, 0, kWorkstation}, {}, 8},
               {{kPlatformNt, 6, 2, 0, kWorkstation}, windows10, 12},
               {{kPlatformNt, 10, 0, 0, kWorkstation}, windows11, 13},
               {{kPlatformNt, 10, 0, 0, kServer}, {10, 0, 17763}, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(ReleaseCodeForReportedVersion(c.reported, c.real), c.code)
        << c.reported.major << "." << c.reported.minor;
  }
}

TEST(ReleaseCodeTest, RealVersions) {
  const struct {
    RealVersion real;
    int code;
  } cases[] = {{{6, 2, 9200}, 10},   {{6, 3, 9600}, 11},   {{6, 4, 9841}, 12},
               {{6, 1, 7601}, 10},   {{10, 0, 21995}, 12}, {{10, 0, 21996}, 13},
               {{10, 1, 22631}, 10}, {{11, 0, 30000}, 10}};
  for (const auto& c : cases)
    EXPECT_EQ(ReleaseCodeForRealVersion(c.real), c.code) << c.real.build;
}
