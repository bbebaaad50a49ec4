#ifndef TOOLS_STAND_IN_ENGINE_PAGE_VOCABULARY_H_
#define TOOLS_STAND_IN_ENGINE_PAGE_VOCABULARY_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the stand-in engine reads of a served page (README.md has the
// vocabulary): its <title>, its <iframe>s and the <!--standin:VERB ...-->
// markers that play the part of its scripts.
struct PageAction {
  enum Verb { kOpen, kClose, kScriptError, kPrompt, kCookie, kKey, kCrash } verb;
  // open: the URL as written; script-error: the message; cookie: the cookie
  std::wstring text;
  bool user_action = false;  // open
  bool http_only = false;    // cookie
  int threads = 1;           // cookie: set from this many threads at once,
  int count = 1;             // each setting it this many times
  unsigned virtual_key = 0;  // key
  // open: window.open's name and features, and the engine's NWMF flags when
  // the page states them.
  std::wstring name;
  std::wstring features;
  std::optional<uint32_t> flags;
};

struct FrameReference {
  std::wstring src;  // "about:blank" when the iframe names none
  std::wstring name;
};

struct ParsedPage {
  std::optional<std::wstring> title;   // white space folded
  std::vector<FrameReference> frames;  // at most 32
  std::vector<PageAction> actions;
  // Markers not understood, as written between "<!--" and "-->".
  std::vector<std::wstring> ignored_markers;
};

ParsedPage ParsePage(std::wstring_view html);

#endif  // TOOLS_STAND_IN_ENGINE_PAGE_VOCABULARY_H_
