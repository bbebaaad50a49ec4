#include "ui/skin/nine_part.h"

#include <algorithm>

namespace {

// Three spans of one axis: before the margin, between, after.
std::array<std::pair<int, int>, 3> Spans(int begin, int end, int margin) {
  return {{{begin, begin + margin}, {begin + margin, end - margin}, {end - margin, end}}};
}

}  // namespace

std::array<NinePart, 9> SplitNineParts(SkinSize image, int margin, const SkinRect& destination) {
  const int image_margin = std::clamp(margin, 0, std::min(image.width, image.height) / 2);
  const int destination_margin =
      std::min({image_margin, destination.width() / 2, destination.height() / 2});
  const auto source_x = Spans(0, image.width, image_margin);
  const auto source_y = Spans(0, image.height, image_margin);
  const auto destination_x = Spans(destination.left, destination.right, destination_margin);
  const auto destination_y = Spans(destination.top, destination.bottom, destination_margin);
  std::array<NinePart, 9> parts;
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) {
      parts[row * 3 + column] = {{source_x[column].first, source_y[row].first,
                                  source_x[column].second, source_y[row].second},
                                 {destination_x[column].first, destination_y[row].first,
                                  destination_x[column].second, destination_y[row].second}};
    }
  }
  return parts;
}
