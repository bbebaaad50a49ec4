#include "tools/stand_in_engine/journal_line.h"

#include <gtest/gtest.h>

namespace {

TEST(JournalLineTest, RecordThenFields) {
  EXPECT_EQ(FormatJournalLine(L"close", {}), "close\n");
  EXPECT_EQ(FormatJournalLine(L"cookie", {{L"url", L"http://h/"}, {L"value", L"a=b"}}),
            "cookie\turl=http://h/\tvalue=a=b\n");
}

TEST(JournalLineTest, SeparatorsInsideValuesAreEscaped) {
  EXPECT_EQ(FormatJournalLine(L"x", {{L"v", L"a\tb\nc\rd\\e"}}), "x\tv=a\\tb\\nc\\rd\\\\e\n");
}

TEST(JournalLineTest, WrittenAsUtf8) {
  EXPECT_EQ(FormatJournalLine(L"title", {{L"text", L"caf\xE9"}}), "title\ttext=caf\xC3\xA9\n");
}

}  // namespace
