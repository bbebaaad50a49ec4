#include "main_frame/dpi_query.h"

#include <tuple>

DpiQuery ChooseDpiQuery(unsigned long major, unsigned long minor, unsigned long build) {
  const auto version = std::make_tuple(major, minor, build);
  if (version < std::make_tuple(6ul, 1ul, 7600ul))
    return DpiQuery::kNone;
  if (version >= std::make_tuple(10ul, 0ul, 14955ul))
    return DpiQuery::kWindow;
  if (version >= std::make_tuple(6ul, 3ul, 0ul))
    return DpiQuery::kMonitor;
  return DpiQuery::kDeviceContext;
}

int DpiToPercent(int dpi) {
  return dpi * 100 / 96;
}
