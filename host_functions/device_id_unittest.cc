#include "host_functions/device_id.h"

#include <gtest/gtest.h>

namespace {

TEST(DeviceIdTest, Crc32IsTheZlibOne) {
  EXPECT_EQ(Crc32("abc"), 0x352441C2u);
  EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
  EXPECT_EQ(Crc32(""), 0u);
}

}  // namespace
