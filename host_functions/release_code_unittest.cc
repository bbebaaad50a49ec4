#include "host_functions/release_code.h"

#include <gtest/gtest.h>

namespace {

constexpr unsigned char kServer = 3;
constexpr unsigned char kDomainController = 2;
// For releases whose reported numbers are trusted.
constexpr RealVersion kUnused = {0, 0, 0};

ReportedVersion Nt(unsigned long major, unsigned long minor, unsigned char product_type) {
  return {kPlatformNt, major, minor, 0, product_type};
}

ReportedVersion Win9x(unsigned long build) {
  return {kPlatformWin9x, 4, 0, build, 0};
}

}  // namespace

TEST(ReleaseCodeTest, Win9xSplitsAtMillennium) {
  EXPECT_EQ(ReleaseCodeForReportedVersion(Win9x(0x04000000 | 950), kUnused), 1);  // 95
  EXPECT_EQ(ReleaseCodeForReportedVersion(Win9x(0x0459FFFF), kUnused), 1);
  EXPECT_EQ(ReleaseCodeForReportedVersion(Win9x(0x045A0000), kUnused), 2);  // ME 4.90
  EXPECT_EQ(ReleaseCodeForReportedVersion(Win9x(0x045A0BB8), kUnused), 2);
}

TEST(ReleaseCodeTest, UnknownPlatformIsZero) {
  EXPECT_EQ(ReleaseCodeForReportedVersion({0, 6, 1, 7601, kProductWorkstation}, kUnused), 0);
  EXPECT_EQ(ReleaseCodeForReportedVersion({3, 6, 1, 7601, kProductWorkstation}, kUnused), 0);
}

TEST(ReleaseCodeTest, OlderNtReleases) {
  EXPECT_EQ(ReleaseCodeForReportedVersion(Nt(4, 0, kProductWorkstation), kUnused), 4);
  EXPECT_EQ(ReleaseCodeForReportedVersion(Nt(3, 51, kServer), kUnused), 4);
  EXPECT_EQ(ReleaseCodeForReportedVersion(Nt(5, 0, kProductWorkstation), kUnused), 3);
  EXPECT_EQ(ReleaseCodeForReportedVersion(Nt(5, 1, kProductWorkstation), kUnused), 6);
  EXPECT_EQ(ReleaseCodeForReportedVersion(Nt(5, 2, kServer), kUnused), 5);
  EXPECT_EQ(ReleaseCodeForReportedVersion(Nt(5, 3, kProductWorkstation), kUnused), 0);
}

TEST(ReleaseCodeTest, VistaAndSevenDependOnProductType) {
  EXPECT_EQ(ReleaseCodeForReportedVersion(Nt(6, 0, kProductWorkstation), kUnused), 7);
  EXPECT_EQ(ReleaseCodeForReportedVersion(Nt(6, 0, kServer), kUnused), 9);  // 2008
  EXPECT_EQ(ReleaseCodeForReportedVersion(Nt(6, 1, kProductWorkstation), kUnused), 8);
  EXPECT_EQ(ReleaseCodeForReportedVersion(Nt(6, 1, kServer), kUnused), 9);  // 2008 R2
  EXPECT_EQ(ReleaseCodeForReportedVersion(Nt(6, 1, kDomainController), kUnused), 9);
}

TEST(ReleaseCodeTest, LaterWorkstationsUseTheRealVersion) {
  const RealVersion windows10 = {10, 0, 19045};
  const RealVersion windows11 = {10, 0, 22631};
  EXPECT_EQ(ReleaseCodeForReportedVersion(Nt(6, 2, kProductWorkstation), windows10), 12);
  EXPECT_EQ(ReleaseCodeForReportedVersion(Nt(6, 2, kProductWorkstation), windows11), 13);
  EXPECT_EQ(ReleaseCodeForReportedVersion(Nt(10, 0, kProductWorkstation), windows11), 13);
  EXPECT_EQ(ReleaseCodeForReportedVersion(Nt(7, 0, kProductWorkstation), windows10), 12);
}

TEST(ReleaseCodeTest, LaterServersAreUnsupported) {
  const RealVersion server2019 = {10, 0, 17763};
  EXPECT_EQ(ReleaseCodeForReportedVersion(Nt(10, 0, kServer), server2019), 0);
  EXPECT_EQ(ReleaseCodeForReportedVersion(Nt(6, 2, kServer), server2019), 0);
  EXPECT_EQ(ReleaseCodeForReportedVersion(Nt(6, 3, kDomainController), server2019), 0);
}

TEST(ReleaseCodeTest, RealVersions) {
  EXPECT_EQ(ReleaseCodeForRealVersion({6, 2, 9200}), 10);
  EXPECT_EQ(ReleaseCodeForRealVersion({6, 3, 9600}), 11);
  EXPECT_EQ(ReleaseCodeForRealVersion({6, 4, 9841}), 12);  // technical preview of 10
  EXPECT_EQ(ReleaseCodeForRealVersion({6, 5, 0}), 10);
  EXPECT_EQ(ReleaseCodeForRealVersion({6, 1, 7601}), 10);
  EXPECT_EQ(ReleaseCodeForRealVersion({10, 0, 19045}), 12);
  EXPECT_EQ(ReleaseCodeForRealVersion({10, 0, 21995}), 12);
  EXPECT_EQ(ReleaseCodeForRealVersion({10, 0, 21996}), 13);
  EXPECT_EQ(ReleaseCodeForRealVersion({10, 0, 22631}), 13);
  EXPECT_EQ(ReleaseCodeForRealVersion({10, 1, 22631}), 10);
  EXPECT_EQ(ReleaseCodeForRealVersion({11, 0, 30000}), 10);
}
