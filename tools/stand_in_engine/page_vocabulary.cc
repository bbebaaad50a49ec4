#include "tools/stand_in_engine/page_vocabulary.h"

#include <cwchar>
#include <map>

namespace {

constexpr size_t kMaxFrames = 32;
constexpr std::wstring_view kMarkerPrefix = L"standin:";

bool IsSpace(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\f';
}

std::wstring ToLower(std::wstring_view text) {
  std::wstring lower(text);
  for (wchar_t& c : lower)
    c = c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
  return lower;
}

// name="value", name='value', name=value or a bare name; the first of
// repeated names counts.
std::map<std::wstring, std::wstring> ParseAttributes(std::wstring_view text) {
  std::map<std::wstring, std::wstring> attributes;
  size_t pos = 0;
  const auto skip = [&](auto part_of) {
    const size_t start = pos;
    while (pos < text.size() && part_of(text[pos]))
      ++pos;
    return text.substr(start, pos - start);
  };
  while (pos < text.size()) {
    skip([](wchar_t c) { return IsSpace(c) || c == L'/'; });
    const std::wstring name =
        ToLower(skip([](wchar_t c) { return !IsSpace(c) && c != L'=' && c != L'/'; }));
    std::wstring_view value;
    if (pos < text.size() && text[pos] == L'=') {
      ++pos;
      const wchar_t quote = pos < text.size() ? text[pos] : 0;
      if (quote == L'"' || quote == L'\'') {
        ++pos;
        value = skip([quote](wchar_t c) { return c != quote; });
        ++pos;
      } else {
        value = skip([](wchar_t c) { return !IsSpace(c); });
      }
    }
    if (!name.empty())
      attributes.emplace(name, value);
  }
  return attributes;
}

// A count between 1 and `limit` in decimal; true and `*count` unchanged
// when absent.
bool ParseCount(const std::optional<std::wstring>& text, int limit, int* count) {
  if (!text)
    return true;
  int value = 0;
  for (const wchar_t c : *text) {
    if (c < L'0' || c > L'9' || value > limit)
      return false;
    value = value * 10 + (c - L'0');
  }
  *count = value;
  return value >= 1 && value <= limit;
}

// A marker's action; nothing for an unknown verb or attribute, a missing
// url or cookie value, unreadable flags or a count out of range.
std::optional<PageAction> ParseMarker(std::wstring_view marker) {
  const size_t verb_end = std::min(marker.find_first_of(L" \t\r\n\f"), marker.size());
  const std::wstring_view verb = marker.substr(0, verb_end);
  std::map<std::wstring, std::wstring> attributes = ParseAttributes(marker.substr(verb_end));
  const auto take = [&attributes](const wchar_t* name) {
    const auto found = attributes.find(name);
    std::optional<std::wstring> value;
    if (found != attributes.end()) {
      value = found->second;
      attributes.erase(found);
    }
    return value;
  };
  PageAction action{PageAction::kPrompt};
  if (verb == L"open") {
    const std::optional<std::wstring> url = take(L"url");
    const std::optional<std::wstring> user_action = take(L"user-action");
    const std::optional<std::wstring> flags = take(L"flags");
    action = {PageAction::kOpen, url.value_or(L""), user_action == L"1"};
    action.name = take(L"name").value_or(L"");
    action.features = take(L"features").value_or(L"");
    if (!url || (user_action && *user_action != L"0" && *user_action != L"1"))
      return std::nullopt;
    if (flags) {
      wchar_t* end = nullptr;
      action.flags = static_cast<uint32_t>(std::wcstoul(flags->c_str(), &end, 0));
      if (flags->empty() || *end)
        return std::nullopt;
    }
  } else if (verb == L"cookie") {
    const std::optional<std::wstring> http_only = take(L"http-only");
    action = {PageAction::kCookie, take(L"value").value_or(L""), false, http_only == L"1"};
    if (action.text.empty() || (http_only && *http_only != L"0" && *http_only != L"1") ||
        !ParseCount(take(L"threads"), 64, &action.threads) ||
        !ParseCount(take(L"count"), 1000, &action.count)) {
      return std::nullopt;
    }
  } else if (verb == L"script-error") {
    action = {PageAction::kScriptError, take(L"message").value_or(L"")};
  } else if (verb == L"close") {
    action.verb = PageAction::kClose;
  } else if (verb == L"key") {
    int virtual_key = 0;
    if (!ParseCount(take(L"vk"), 254, &virtual_key) || virtual_key == 0)
      return std::nullopt;
    action = {PageAction::kKey};
    action.virtual_key = static_cast<unsigned>(virtual_key);
  } else if (verb == L"crash") {
    action.verb = PageAction::kCrash;
  } else if (verb != L"prompt") {
    return std::nullopt;
  }
  return attributes.empty() ? std::optional(action) : std::nullopt;
}

std::wstring FoldWhitespace(std::wstring_view text) {
  std::wstring folded;
  bool space = false;
  for (const wchar_t c : text) {
    if (IsSpace(c)) {
      space = !folded.empty();
      continue;
    }
    if (space)
      folded.push_back(L' ');
    space = false;
    folded.push_back(c);
  }
  return folded;
}

}  // namespace

ParsedPage ParsePage(std::wstring_view html) {
  ParsedPage page;
  const std::wstring lower = ToLower(html);
  const auto end_of = [&](std::wstring_view what, size_t from) {
    return std::min(lower.find(what, from), html.size());
  };
  for (size_t pos = lower.find(L'<'); pos < html.size(); pos = lower.find(L'<', pos)) {
    if (lower.compare(pos, 4, L"<!--") == 0) {
      const size_t close = end_of(L"-->", pos + 4);
      const std::wstring_view body = html.substr(pos + 4, close - pos - 4);
      if (body.starts_with(kMarkerPrefix)) {
        if (std::optional<PageAction> action = ParseMarker(body.substr(kMarkerPrefix.size())))
          page.actions.push_back(std::move(*action));
        else
          page.ignored_markers.emplace_back(body);
      }
      pos = close + 3;
      continue;
    }
    const size_t name_at = pos + 1;
    const std::wstring_view name = std::wstring_view(lower).substr(
        name_at, lower.find_first_of(L" \t\r\n\f/>", name_at) - name_at);
    const size_t tag_end = end_of(L">", pos);
    pos = std::min(tag_end + 1, html.size());
    if (name == L"iframe" && page.frames.size() < kMaxFrames) {
      std::map<std::wstring, std::wstring> attributes =
          ParseAttributes(html.substr(name_at + name.size(), tag_end - name_at - name.size()));
      const std::wstring src = FoldWhitespace(attributes[L"src"]);
      page.frames.push_back({src.empty() ? L"about:blank" : src, attributes[L"name"]});
    } else if (name == L"title" && !page.title) {
      const size_t title_end = end_of(L"</title", pos);
      page.title = FoldWhitespace(html.substr(pos, title_end - pos));
      pos = title_end;
    }
  }
  return page;
}
