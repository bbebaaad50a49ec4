#include "tools/stand_in_engine/page_vocabulary.h"

#include <array>

#include "tools/stand_in_engine/html_text.h"

namespace {

constexpr std::wstring_view kMarkerPrefix = L"standin:";
constexpr std::wstring_view kDocumentModeToken = L"{standin:documentMode}";
constexpr std::wstring_view kCommentOpen = L"<!--";
constexpr std::wstring_view kCommentClose = L"-->";
constexpr wchar_t kByteOrderMark = 0xFEFF;

// Elements whose content is text up to their end tag, not markup.
constexpr std::array<std::wstring_view, 4> kTextElements = {L"title", L"script", L"style",
                                                            L"textarea"};

struct Attribute {
  std::wstring name;  // lower case
  std::wstring value;
};
using Attributes = std::vector<Attribute>;

wchar_t ToLower(wchar_t c) {
  return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool IsAsciiAlpha(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

bool IsTagNameChar(wchar_t c) {
  return IsAsciiAlpha(c) || (c >= L'0' && c <= L'9');
}

// `lower_prefix` is lower-case ASCII.
bool StartsWithIgnoreCase(std::wstring_view text, size_t pos, std::wstring_view lower_prefix) {
  if (pos > text.size() || text.size() - pos < lower_prefix.size())
    return false;
  for (size_t i = 0; i < lower_prefix.size(); ++i) {
    if (ToLower(text[pos + i]) != lower_prefix[i])
      return false;
  }
  return true;
}

size_t FindIgnoreCase(std::wstring_view text, std::wstring_view lower_needle, size_t from) {
  for (size_t pos = from; pos < text.size(); ++pos) {
    if (StartsWithIgnoreCase(text, pos, lower_needle))
      return pos;
  }
  return std::wstring_view::npos;
}

std::wstring_view Trim(std::wstring_view text) {
  while (!text.empty() && IsHtmlWhitespace(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsHtmlWhitespace(text.back()))
    text.remove_suffix(1);
  return text;
}

size_t SkipWhitespace(std::wstring_view text, size_t pos, size_t end) {
  while (pos < end && IsHtmlWhitespace(text[pos]))
    ++pos;
  return pos;
}

// Reads name="value" pairs from text[pos, end). In a tag (`in_tag`) an
// unquoted ">" ends the list and the position after it is returned; a marker
// has no such end. The first of repeated names counts, as in HTML.
size_t ParseAttributes(std::wstring_view text,
                       size_t pos,
                       size_t end,
                       bool in_tag,
                       Attributes* attributes) {
  const auto ends_name = [in_tag](wchar_t c) {
    return IsHtmlWhitespace(c) || c == L'=' || c == L'/' || (in_tag && c == L'>');
  };
  while (pos < end) {
    pos = SkipWhitespace(text, pos, end);
    if (pos < end && text[pos] == L'/') {
      ++pos;
      continue;
    }
    if (pos >= end)
      break;
    if (in_tag && text[pos] == L'>')
      return pos + 1;
    const size_t name_start = pos;
    while (pos < end && !ends_name(text[pos]))
      ++pos;
    if (pos == name_start) {  // a stray "=" with no name
      ++pos;
      continue;
    }
    Attribute attribute;
    for (size_t i = name_start; i < pos; ++i)
      attribute.name.push_back(ToLower(text[i]));
    pos = SkipWhitespace(text, pos, end);
    if (pos < end && text[pos] == L'=') {
      pos = SkipWhitespace(text, pos + 1, end);
      size_t value_start = pos;
      size_t value_end = pos;
      if (pos < end && (text[pos] == L'"' || text[pos] == L'\'')) {
        value_start = pos + 1;
        const size_t quote = text.find(text[pos], value_start);
        value_end = quote == std::wstring_view::npos || quote > end ? end : quote;
        pos = value_end < end ? value_end + 1 : end;
      } else {
        while (pos < end && !IsHtmlWhitespace(text[pos]) && !(in_tag && text[pos] == L'>'))
          ++pos;
        value_end = pos;
      }
      attribute.value =
          DecodeCharacterReferences(text.substr(value_start, value_end - value_start));
    }
    bool repeated = false;
    for (const Attribute& existing : *attributes)
      repeated = repeated || existing.name == attribute.name;
    if (!repeated)
      attributes->push_back(std::move(attribute));
  }
  return end;
}

const std::wstring* FindAttribute(const Attributes& attributes, std::wstring_view name) {
  for (const Attribute& attribute : attributes) {
    if (attribute.name == name)
      return &attribute.value;
  }
  return nullptr;
}

bool OnlyKnownAttributes(const Attributes& attributes,
                         std::initializer_list<std::wstring_view> known) {
  for (const Attribute& attribute : attributes) {
    bool found = false;
    for (const std::wstring_view name : known)
      found = found || attribute.name == name;
    if (!found)
      return false;
  }
  return true;
}

// "6", "0x40006": a 32-bit number; nothing for anything else.
std::optional<uint32_t> ParseFlags(std::wstring_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty())
    return std::nullopt;
  uint64_t value = 0;
  for (const wchar_t c : text) {
    int digit = -1;
    if (c >= L'0' && c <= L'9')
      digit = c - L'0';
    else if (base == 16 && ToLower(c) >= L'a' && ToLower(c) <= L'f')
      digit = ToLower(c) - L'a' + 10;
    if (digit < 0)
      return std::nullopt;
    value = value * base + digit;
    if (value > UINT32_MAX)
      return std::nullopt;
  }
  return static_cast<uint32_t>(value);
}

std::optional<PageAction> ParseOpen(const Attributes& attributes) {
  if (!OnlyKnownAttributes(attributes, {L"url", L"name", L"features", L"user-action", L"flags"}))
    return std::nullopt;
  OpenWindowAction open;
  const std::wstring* url = FindAttribute(attributes, L"url");
  if (!url || url->empty())
    return std::nullopt;
  open.url = *url;
  if (const std::wstring* name = FindAttribute(attributes, L"name"))
    open.name = *name;
  if (const std::wstring* features = FindAttribute(attributes, L"features"))
    open.features = *features;
  if (const std::wstring* user_action = FindAttribute(attributes, L"user-action")) {
    if (*user_action != L"0" && *user_action != L"1")
      return std::nullopt;
    open.user_action = *user_action == L"1";
  }
  if (const std::wstring* flags = FindAttribute(attributes, L"flags")) {
    open.flags = ParseFlags(*flags);
    if (!open.flags)
      return std::nullopt;
  }
  return open;
}

std::optional<PageAction> ParseMarker(std::wstring_view body) {
  size_t verb_end = 0;
  while (verb_end < body.size() && !IsHtmlWhitespace(body[verb_end]))
    ++verb_end;
  const std::wstring_view verb = body.substr(0, verb_end);
  Attributes attributes;
  ParseAttributes(body, verb_end, body.size(), /*in_tag=*/false, &attributes);

  if (verb == L"open")
    return ParseOpen(attributes);
  if (verb == L"cookie") {
    const std::wstring* value = FindAttribute(attributes, L"value");
    if (!OnlyKnownAttributes(attributes, {L"value"}) || !value || value->empty())
      return std::nullopt;
    return SetCookieAction{*value};
  }
  if (verb == L"close" || verb == L"prompt") {
    if (!attributes.empty())
      return std::nullopt;
    return verb == L"close" ? PageAction(CloseWindowAction{}) : PageAction(PromptAction{});
  }
  if (verb == L"script-error") {
    if (!OnlyKnownAttributes(attributes, {L"message"}))
      return std::nullopt;
    const std::wstring* message = FindAttribute(attributes, L"message");
    return ScriptErrorAction{message ? *message : std::wstring()};
  }
  return std::nullopt;
}

bool HasDoctype(std::wstring_view html) {
  size_t pos = !html.empty() && html[0] == kByteOrderMark ? 1 : 0;
  for (;;) {
    pos = SkipWhitespace(html, pos, html.size());
    if (html.substr(pos, kCommentOpen.size()) != kCommentOpen)
      break;
    const size_t close = html.find(kCommentClose, pos + kCommentOpen.size());
    if (close == std::wstring_view::npos)
      return false;
    pos = close + kCommentClose.size();
  }
  return StartsWithIgnoreCase(html, pos, L"<!doctype");
}

bool IsTextElement(std::wstring_view name) {
  for (const std::wstring_view element : kTextElements) {
    if (name == element)
      return true;
  }
  return false;
}

void AddFrame(const Attributes& attributes, ParsedPage* page) {
  if (page->frames.size() >= kMaxFrames)
    return;
  FrameReference frame;
  const std::wstring* src = FindAttribute(attributes, L"src");
  const std::wstring_view trimmed = src ? Trim(*src) : std::wstring_view();
  frame.src = trimmed.empty() ? L"about:blank" : std::wstring(trimmed);
  if (const std::wstring* name = FindAttribute(attributes, L"name"))
    frame.name = *name;
  page->frames.push_back(std::move(frame));
}

}  // namespace

ParsedPage ParsePage(std::wstring_view html) {
  ParsedPage page;
  page.has_doctype = HasDoctype(html);
  size_t pos = 0;
  while ((pos = html.find(L'<', pos)) != std::wstring_view::npos) {
    if (html.substr(pos, kCommentOpen.size()) == kCommentOpen) {
      const size_t body_start = pos + kCommentOpen.size();
      const size_t close = html.find(kCommentClose, body_start);
      const size_t body_end = close == std::wstring_view::npos ? html.size() : close;
      const std::wstring_view body = html.substr(body_start, body_end - body_start);
      if (body.substr(0, kMarkerPrefix.size()) == kMarkerPrefix) {
        if (std::optional<PageAction> action = ParseMarker(body.substr(kMarkerPrefix.size())))
          page.actions.push_back(std::move(*action));
        else
          page.ignored_markers.emplace_back(body);
      }
      pos = close == std::wstring_view::npos ? html.size() : close + kCommentClose.size();
      continue;
    }
    if (pos + 1 >= html.size() || !IsAsciiAlpha(html[pos + 1])) {
      // End tags, <!DOCTYPE>, <?...?>: nothing to read in them.
      const bool declaration =
          pos + 1 < html.size() &&
          (html[pos + 1] == L'/' || html[pos + 1] == L'!' || html[pos + 1] == L'?');
      const size_t close = declaration ? html.find(L'>', pos) : std::wstring_view::npos;
      pos = declaration ? (close == std::wstring_view::npos ? html.size() : close + 1) : pos + 1;
      continue;
    }
    size_t name_end = pos + 1;
    while (name_end < html.size() && IsTagNameChar(html[name_end]))
      ++name_end;
    std::wstring name;
    for (size_t i = pos + 1; i < name_end; ++i)
      name.push_back(ToLower(html[i]));
    Attributes attributes;
    pos = ParseAttributes(html, name_end, html.size(), /*in_tag=*/true, &attributes);
    if (name == L"iframe") {
      AddFrame(attributes, &page);
    } else if (IsTextElement(name)) {
      const size_t end_tag = FindIgnoreCase(html, L"</" + name, pos);
      const size_t content_end = end_tag == std::wstring_view::npos ? html.size() : end_tag;
      if (name == L"title" && !page.title) {
        page.title =
            CollapseWhitespace(DecodeCharacterReferences(html.substr(pos, content_end - pos)));
      }
      pos = content_end;
    }
  }
  return page;
}

std::wstring ExpandTitleTokens(std::wstring_view title, int document_mode) {
  std::wstring out;
  size_t pos = 0;
  for (size_t token; (token = title.find(kDocumentModeToken, pos)) != std::wstring_view::npos;
       pos = token + kDocumentModeToken.size()) {
    out.append(title.substr(pos, token - pos));
    out.append(std::to_wstring(document_mode));
  }
  out.append(title.substr(pos));
  return out;
}
