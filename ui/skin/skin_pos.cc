#include "ui/skin/skin_pos.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace {

// Larger than any screen; keeps the arithmetic far from overflow.
constexpr int kMaxOffset = 100000;

std::string_view Trim(std::string_view text) {
  const size_t begin = text.find_first_not_of(' ');
  if (begin == std::string_view::npos)
    return {};
  return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

std::optional<PosCoord> ParseCoord(std::string_view text) {
  text = Trim(text);
  PosCoord coord;
  bool backwards = false;
  if (text.starts_with('|')) {
    coord.anchor = PosAnchor::kCentre;
    text.remove_prefix(1);
  }
  if (text.starts_with('-')) {
    backwards = true;
    text.remove_prefix(1);
    if (coord.anchor == PosAnchor::kNear)
      coord.anchor = PosAnchor::kFar;
  }
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || !(text[0] >= '0' && text[0] <= '9') || error != std::errc() ||
      end != text.data() + text.size() || value > kMaxOffset) {
    return std::nullopt;
  }
  coord.offset = backwards && coord.anchor == PosAnchor::kCentre ? -value : value;
  return coord;
}

int ResolveCoord(const PosCoord& coord, int near_edge, int far_edge) {
  switch (coord.anchor) {
    case PosAnchor::kNear:
      return near_edge + coord.offset;
    case PosAnchor::kFar:
      return far_edge - coord.offset;
    case PosAnchor::kCentre:
      return near_edge + (far_edge - near_edge) / 2 + coord.offset;
  }
  return near_edge;
}

}  // namespace

std::optional<SkinPos> ParsePos(std::string_view text) {
  std::vector<PosCoord> coords;
  while (true) {
    const size_t comma = text.find(',');
    const std::optional<PosCoord> coord = ParseCoord(text.substr(0, comma));
    if (!coord || coords.size() == 4)
      return std::nullopt;
    coords.push_back(*coord);
    if (comma == std::string_view::npos)
      break;
    text.remove_prefix(comma + 1);
  }
  if (coords.size() != 2 && coords.size() != 4)
    return std::nullopt;
  SkinPos pos{coords[0], coords[1]};
  if (coords.size() == 4) {
    pos.right = coords[2];
    pos.bottom = coords[3];
  }
  return pos;
}

SkinRect ResolvePos(const SkinPos& pos, const SkinRect& parent, SkinSize natural) {
  SkinRect rect;
  rect.left = ResolveCoord(pos.left, parent.left, parent.right);
  rect.top = ResolveCoord(pos.top, parent.top, parent.bottom);
  if (pos.right && pos.bottom) {
    rect.right = ResolveCoord(*pos.right, parent.left, parent.right);
    rect.bottom = ResolveCoord(*pos.bottom, parent.top, parent.bottom);
  } else {
    rect.right = rect.left + natural.width;
    rect.bottom = rect.top + natural.height;
  }
  rect.right = std::max(rect.right, rect.left);
  rect.bottom = std::max(rect.bottom, rect.top);
  return rect;
}
