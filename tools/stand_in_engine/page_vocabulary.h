#ifndef TOOLS_STAND_IN_ENGINE_PAGE_VOCABULARY_H_
#define TOOLS_STAND_IN_ENGINE_PAGE_VOCABULARY_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// What the stand-in engine understands of a served page (README.md has the
// whole vocabulary): its DOCTYPE, its <title>, its <iframe>s and the
// <!--standin:VERB attributes--> markers that play the part of scripts.

// <!--standin:open url="..." name="..." features="..." user-action="1" flags="0x6"-->
struct OpenWindowAction {
  std::wstring url;  // as written; the engine resolves it against the page
  std::optional<std::wstring> name;
  std::optional<std::wstring> features;
  bool user_action = false;
  std::optional<uint32_t> flags;  // replaces the computed NWMF flags
};

// <!--standin:cookie value="name=value; path=/"-->
struct SetCookieAction {
  std::wstring value;
};

// <!--standin:close-->
struct CloseWindowAction {};

// <!--standin:script-error message="..."-->
struct ScriptErrorAction {
  std::wstring message;
};

// <!--standin:prompt-->: the page asks before it is left or printed
struct PromptAction {};

using PageAction = std::
    variant<OpenWindowAction, SetCookieAction, CloseWindowAction, ScriptErrorAction, PromptAction>;

struct FrameReference {
  std::wstring src;  // "about:blank" when the iframe names none
  std::wstring name;
};

struct ParsedPage {
  bool has_doctype = false;
  std::optional<std::wstring> title;  // folded and decoded; nothing without <title>
  std::vector<FrameReference> frames;
  std::vector<PageAction> actions;
  // Markers left out because their verb or an attribute was not understood,
  // as written between "<!--" and "-->".
  std::vector<std::wstring> ignored_markers;
};

// Iframes beyond this many are not loaded, so a page cannot make the engine
// fetch without end.
inline constexpr size_t kMaxFrames = 32;

ParsedPage ParsePage(std::wstring_view html);

// Replaces every "{standin:documentMode}" in a title by the document mode.
std::wstring ExpandTitleTokens(std::wstring_view title, int document_mode);

#endif  // TOOLS_STAND_IN_ENGINE_PAGE_VOCABULARY_H_
