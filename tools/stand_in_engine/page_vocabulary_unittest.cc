#include "tools/stand_in_engine/page_vocabulary.h"

#include <gtest/gtest.h>

namespace {

OpenWindowAction OnlyOpen(const ParsedPage& page) {
  EXPECT_EQ(page.actions.size(), 1u);
  if (page.actions.size() != 1 || !std::holds_alternative<OpenWindowAction>(page.actions[0]))
    return {};
  return std::get<OpenWindowAction>(page.actions[0]);
}

TEST(PageVocabularyTitleTest, FirstTitleFoldedAndDecoded) {
  const ParsedPage page = ParsePage(
      L"<html><head><TITLE lang=en>\n  Fish &amp;\tChips &#x263A; </TITLE>"
      L"<title>second</title></head></html>");
  EXPECT_EQ(page.title, L"Fish & Chips \x263A");
}

TEST(PageVocabularyTitleTest, MarkupInsideTheTitleIsText) {
  EXPECT_EQ(ParsePage(L"<title>a <b>bold</b> &lt;move&gt;</title>").title, L"a <b>bold</b> <move>");
}

TEST(PageVocabularyTitleTest, MissingEmptyCommentedAndUnterminated) {
  EXPECT_FALSE(ParsePage(L"<html><body>no title</body></html>").title);
  EXPECT_EQ(ParsePage(L"<title>   </title>").title, L"");
  EXPECT_FALSE(ParsePage(L"<!-- <title>hidden</title> -->").title);
  EXPECT_EQ(ParsePage(L"<title>runs to the end").title, L"runs to the end");
  // "<titlebar>" is another element.
  EXPECT_FALSE(ParsePage(L"<titlebar>x</titlebar>").title);
}

TEST(PageVocabularyDoctypeTest, OnlyAtTheStartOfTheDocument) {
  EXPECT_TRUE(ParsePage(L"<!DOCTYPE html><title>t</title>").has_doctype);
  EXPECT_TRUE(ParsePage(L"\xFEFF \r\n<!-- a --><!--b--> <!doctype HTML PUBLIC \"x\">").has_doctype);
  EXPECT_FALSE(ParsePage(L"<html><!DOCTYPE html>").has_doctype);
  EXPECT_FALSE(ParsePage(L"<!-- never closed <!DOCTYPE html>").has_doctype);
  EXPECT_FALSE(ParsePage(L"").has_doctype);
}

TEST(PageVocabularyFrameTest, SourcesAndNamesInDocumentOrder) {
  const ParsedPage page = ParsePage(
      L"<IFRAME SRC='a.html' name=left></IFRAME>"
      L"<iframe name=\"r&amp;d\" src=\" http://h/b?x=1&amp;y=2 \">"
      L"<iframe title='no source'>");
  ASSERT_EQ(page.frames.size(), 3u);
  EXPECT_EQ(page.frames[0].src, L"a.html");
  EXPECT_EQ(page.frames[0].name, L"left");
  EXPECT_EQ(page.frames[1].src, L"http://h/b?x=1&y=2");
  EXPECT_EQ(page.frames[1].name, L"r&d");
  EXPECT_EQ(page.frames[2].src, L"about:blank");
  EXPECT_EQ(page.frames[2].name, L"");
}

TEST(PageVocabularyFrameTest, QuotedGreaterThanDoesNotEndTheTag) {
  const ParsedPage page = ParsePage(L"<iframe title=\"a > b\" src=\"c.html\"><title>t</title>");
  ASSERT_EQ(page.frames.size(), 1u);
  EXPECT_EQ(page.frames[0].src, L"c.html");
  EXPECT_EQ(page.title, L"t");
}

TEST(PageVocabularyFrameTest, HiddenFramesAreNotLoaded) {
  const ParsedPage page = ParsePage(
      L"<!-- <iframe src=a> --><script>document.write('<iframe src=b>')</script>"
      L"<textarea><iframe src=c></textarea><iframe src=d>");
  ASSERT_EQ(page.frames.size(), 1u);
  EXPECT_EQ(page.frames[0].src, L"d");
}

TEST(PageVocabularyFrameTest, StopsAtTheFrameLimit) {
  std::wstring html;
  for (size_t i = 0; i < kMaxFrames + 5; ++i)
    html += L"<iframe src=f" + std::to_wstring(i) + L">";
  const ParsedPage page = ParsePage(html);
  ASSERT_EQ(page.frames.size(), kMaxFrames);
  EXPECT_EQ(page.frames.back().src, L"f" + std::to_wstring(kMaxFrames - 1));
}

TEST(PageVocabularyMarkerTest, EveryVerbInDocumentOrder) {
  const ParsedPage page = ParsePage(
      L"<!--standin:cookie value=\"a=1; path=/\"-->"
      L"<body><!--standin:open url=\"popup.html\" name='w' features=\"width=300\" "
      L"user-action=\"1\"-->"
      L"<!--standin:script-error message=\"boom\"--><!--standin:close--><!--standin:prompt-->"
      L"</body>");
  ASSERT_EQ(page.actions.size(), 5u);
  ASSERT_TRUE(std::holds_alternative<SetCookieAction>(page.actions[0]));
  EXPECT_EQ(std::get<SetCookieAction>(page.actions[0]).value, L"a=1; path=/");
  ASSERT_TRUE(std::holds_alternative<OpenWindowAction>(page.actions[1]));
  const auto& open = std::get<OpenWindowAction>(page.actions[1]);
  EXPECT_EQ(open.url, L"popup.html");
  EXPECT_EQ(open.name, L"w");
  EXPECT_EQ(open.features, L"width=300");
  EXPECT_TRUE(open.user_action);
  EXPECT_FALSE(open.flags);
  ASSERT_TRUE(std::holds_alternative<ScriptErrorAction>(page.actions[2]));
  EXPECT_EQ(std::get<ScriptErrorAction>(page.actions[2]).message, L"boom");
  EXPECT_TRUE(std::holds_alternative<CloseWindowAction>(page.actions[3]));
  EXPECT_TRUE(std::holds_alternative<PromptAction>(page.actions[4]));
  EXPECT_TRUE(page.ignored_markers.empty());
}

TEST(PageVocabularyMarkerTest, OpenWithoutOptionsKeepsThemAbsent) {
  const OpenWindowAction open = OnlyOpen(ParsePage(L"<!--standin:open url=x.html-->"));
  EXPECT_EQ(open.url, L"x.html");
  EXPECT_FALSE(open.name);
  EXPECT_FALSE(open.features);
  EXPECT_FALSE(open.user_action);
  // Present but empty differs from absent: the host sees "" rather than null.
  const OpenWindowAction named = OnlyOpen(ParsePage(L"<!--standin:open url=x name=\"\"-->"));
  EXPECT_EQ(named.name, L"");
}

TEST(PageVocabularyMarkerTest, FlagsInDecimalOrHexUpToThirtyTwoBits) {
  EXPECT_EQ(OnlyOpen(ParsePage(L"<!--standin:open url=x flags=\"0x40006\"-->")).flags, 0x40006u);
  EXPECT_EQ(OnlyOpen(ParsePage(L"<!--standin:open url=x flags=65536-->")).flags, 65536u);
  EXPECT_EQ(OnlyOpen(ParsePage(L"<!--standin:open url=x flags=0XFFFFFFFF-->")).flags, 0xFFFFFFFFu);
}

TEST(PageVocabularyMarkerTest, MalformedMarkersAreReportedNotActedOn) {
  const wchar_t* const kBad[] = {
      L"standin:open",                          // no url
      L"standin:open url=\"\"",                 // empty url
      L"standin:open url=x user-action=yes",    // not 0 or 1
      L"standin:open url=x user_action=1",      // misspelt attribute
      L"standin:open url=x flags=0x100000000",  // above 32 bits
      L"standin:open url=x flags=0x",           // no digits
      L"standin:open url=x flags=-1",           // not a number
      L"standin:cookie",                        // no value
      L"standin:cookie value=\"\"",             // empty value
      L"standin:cookie value=a=b httponly=1",   // the page cannot set HttpOnly
      L"standin:close now=1",                   // close takes nothing
      L"standin:prompt text=x",                 // nor does prompt
      L"standin:navigate url=x",                // unknown verb
      L"standin:",                              // no verb
  };
  for (const wchar_t* bad : kBad) {
    const ParsedPage page = ParsePage(std::wstring(L"<!--") + bad + L"-->");
    EXPECT_TRUE(page.actions.empty()) << bad;
    ASSERT_EQ(page.ignored_markers.size(), 1u) << bad;
    EXPECT_EQ(page.ignored_markers[0], bad);
  }
}

TEST(PageVocabularyMarkerTest, OnlyCommentsThatStartWithThePrefixAreMarkers) {
  const ParsedPage page = ParsePage(
      L"<!-- standin:close--><!--STANDIN:close--><!--x standin:close-->"
      L"<script>/*<!--standin:close-->*/</script>");
  EXPECT_TRUE(page.actions.empty());
  EXPECT_TRUE(page.ignored_markers.empty());
}

TEST(PageVocabularyMarkerTest, ValuesKeepQuotesAndAngleBracketsAndEndAtTheComment) {
  const ParsedPage page = ParsePage(
      L"<!--standin:cookie value='say \"hi\" > <there>'-->"
      L"<!--standin:cookie value=\"first\" value=\"second\"-->"
      L"<!--standin:cookie value=\"never closed");
  ASSERT_EQ(page.actions.size(), 3u);
  EXPECT_EQ(std::get<SetCookieAction>(page.actions[0]).value, L"say \"hi\" > <there>");
  EXPECT_EQ(std::get<SetCookieAction>(page.actions[1]).value, L"first");
  EXPECT_EQ(std::get<SetCookieAction>(page.actions[2]).value, L"never closed");
}

TEST(PageVocabularyBadInputTest, TruncatedAndStrayMarkupIsSurvived) {
  const wchar_t* const kInputs[] = {
      L"<",  L"<<<",  L"<iframe", L"<iframe src=", L"<iframe src=\"", L"<iframe =x ==>",      L"</",
      L"<!", L"<!--", L"<!---->", L"<title",       L"a < b > c",      L"<ifram\xFFFD src=x>",
  };
  for (const wchar_t* input : kInputs) {
    const ParsedPage page = ParsePage(input);
    EXPECT_TRUE(page.actions.empty()) << input;
  }
  const ParsedPage truncated = ParsePage(L"<iframe src=\"a.html");
  ASSERT_EQ(truncated.frames.size(), 1u);
  EXPECT_EQ(truncated.frames[0].src, L"a.html");
  const std::wstring with_nul(L"<title>a\0b</title>", 18);
  EXPECT_EQ(ParsePage(with_nul).title, std::wstring(L"a\0b", 3));
}

TEST(ExpandTitleTokensTest, ReplacesEveryToken) {
  EXPECT_EQ(ExpandTitleTokens(L"mode {standin:documentMode}", 11), L"mode 11");
  EXPECT_EQ(ExpandTitleTokens(L"{standin:documentMode}{standin:documentMode}", 5), L"55");
  EXPECT_EQ(ExpandTitleTokens(L"{standin:documentmode} {standin:", 7),
            L"{standin:documentmode} {standin:");
  EXPECT_EQ(ExpandTitleTokens(L"", 7), L"");
}

}  // namespace
