#ifndef UI_BANNER_BANNER_MODEL_H_
#define UI_BANNER_BANNER_MODEL_H_

#include <optional>
#include <span>
#include <string>

// What the mode banner shows for a document emulation value.
struct ModeName {
  const wchar_t* link;       // the link's text, with its menu arrow
  const wchar_t* long_name;  // its tip and menu entry
};
ModeName ModeNameOf(int mode);

struct ModeMenuEntry {
  unsigned command;
  int mode;
};
// The mode menu, in its order.
std::span<const ModeMenuEntry> ModeMenu();
// The mode of a menu command; none for a command the menu does not have.
std::optional<int> ModeOfCommand(unsigned command);

// At 100 % the banner draws the small logo and close button, else the large.
bool UsesLargeVariants(int snapped_scale);

// The mode link's position: 8 pixels after the sentence, never left of it.
std::string ModeLinkPos(int sentence_left, int sentence_width);

#endif  // UI_BANNER_BANNER_MODEL_H_
