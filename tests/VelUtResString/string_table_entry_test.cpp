// Reading string-table entries: references, literals and the text parent.
#include <string>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "VelUtResString/xml_entries.h"
#include "support/rows.h"

namespace {

// A reference needs both attributes, named exactly and non-empty; a literal's text is the first
// text child of its first child element, or of itself without one; CDATA, comments and white
// space are no text. A node that is no element is an empty literal.
TEST(VelUtResString, Load) {
  struct Row {
    const char *name, *entry;
    unsigned int flags, id;
    const wchar_t *src, *text;
  };
  const Row rows[] = {
      {"a reference", R"(<s resource="101" src="lib.dll">ignored</s>)", 1, 101, L"lib.dll", L""},
      {"a number's digits", R"(<s src="Lib" resource=" 42x"/>)", 1, 42, L"Lib", L""},
      {"no library", R"(<s resource="5">five</s>)", 0, 0, L"", L"five"},
      {"names are exact", R"(<s Resource="5" src="lib">t</s>)", 0, 0, L"", L"t"},
      {"a child element's text first", R"(<s>own<c>child</c></s>)", 0, 0, L"", L"child"},
      {"the first child only", R"(<s><a/><b>second</b></s>)", 0, 0, L"", L""},
      {"no CDATA", R"(<s><!-- note --><![CDATA[raw]]>text</s>)", 0, 0, L"", L"text"},
      {"white-space nodes skipped", "<s>\n  <a>\n    in a\n  </a>\n</s>", 0, 0, L"",
       L"\n    in a\n  "},
      {"a text node", "text", 0, 0, L"", L""}};
  velut_test::ForEachRow(rows, [](const Row& row) {
    velut_test::XmlTable table(std::string("<t>") + row.entry + "</t>");
    VelUtResString s;
    s.Set(3, L"stale");
    s.mText = L"stale";
    s.mFlags = 3;
    EXPECT_EQ(1, s.Load(table.Entry(0) ? table.Entry(0) : CFTreeGetChildAtIndex(table.Root(), 0)));
    EXPECT_EQ(row.flags, s.mFlags) << "flags";
    EXPECT_EQ(row.id, s.mId) << "id";
    EXPECT_EQ(row.src, s.mSrc) << "library";
    EXPECT_EQ(row.text, s.mText) << "text";
  });
}

// A null entry changes nothing. Set keeps the loaded bit, and its name may be the object's own.
TEST(VelUtResString, NullEntriesAndSet) {
  VelUtResString s;
  s.mText = L"kept";
  EXPECT_EQ(s.Load(nullptr), 0);
  EXPECT_EQ(s.mText, L"kept");
  EXPECT_EQ(s.Set(9, nullptr), 1);
  EXPECT_EQ(L"", s.mSrc) << "a null name";
  EXPECT_EQ(L"", s.mText) << "a null name leaves no text";
  s.mFlags = 3;
  s.Set(10, L"other");
  EXPECT_EQ(s.Set(11, s.mSrc.c_str() + 2), 1);
  EXPECT_EQ(s.mFlags, 3u);
  EXPECT_EQ(s.mSrc, L"her");
}

}  // namespace
