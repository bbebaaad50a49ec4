#include "tools/stand_in_engine/document_mode.h"

#include <gtest/gtest.h>

namespace {

TEST(DocumentModeTest, StandardValuesFollowTheDoctype) {
  for (const auto& [value, version] :
       {std::pair{7000u, 7}, {8000u, 8}, {9000u, 9}, {10000u, 10}, {11000u, 11}}) {
    EXPECT_TRUE(IsKnownEmulation(value));
    EXPECT_EQ(DocumentModeFor(value, true), version) << value;
    EXPECT_EQ(DocumentModeFor(value, false), kQuirksDocumentMode) << value;
  }
}

TEST(DocumentModeTest, ForcingValuesIgnoreTheDoctype) {
  for (const auto& [value, version] :
       {std::pair{8888u, 8}, {9999u, 9}, {10001u, 10}, {11001u, 11}}) {
    EXPECT_EQ(DocumentModeFor(value, true), version) << value;
    EXPECT_EQ(DocumentModeFor(value, false), version) << value;
  }
}

TEST(DocumentModeTest, MissingOrUnknownValuesUseTheDefault) {
  EXPECT_EQ(DocumentModeFor(std::nullopt, true), 7);
  EXPECT_EQ(DocumentModeFor(std::nullopt, false), kQuirksDocumentMode);
  for (const uint32_t unknown : {0u, 1u, 6999u, 7001u, 11002u, 12000u, 0xFFFFFFFFu}) {
    EXPECT_FALSE(IsKnownEmulation(unknown));
    EXPECT_EQ(DocumentModeFor(unknown, true), 7) << unknown;
  }
}

}  // namespace
