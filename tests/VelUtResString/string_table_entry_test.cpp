// Reading string-table entries: references, literals and the text parent.
#include <string>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "VelUtResString/xml_entries.h"

namespace {

using velut_test::XmlTable;

struct EntryRow {
  const char* name;
  const char* entry;  // one element, placed inside <t>...</t>
  unsigned int flags;
  unsigned int id;
  const wchar_t* src;
  const wchar_t* text;
};

TEST(VelUtResStringLoad, Entries) {
  const EntryRow rows[] = {
      {"reference", R"(<s resource="101" src="lib.dll">ignored</s>)", 1, 101, L"lib.dll", L""},
      {"reference, no content", R"(<s src="Lib" resource="7"/>)", 1, 7, L"Lib", L""},
      {"id without digits", R"(<s resource="abc" src="x"/>)", 1, 0, L"x", L""},
      {"id with leading number", R"(<s resource=" 42x" src="x"/>)", 1, 42, L"x", L""},
      {"negative id as unsigned", R"(<s resource="-1" src="x"/>)", 1, 0xFFFFFFFFu, L"x", L""},
      {"only resource", R"(<s resource="5">five</s>)", 0, 0, L"", L"five"},
      {"only src", R"(<s src="lib">own</s>)", 0, 0, L"", L"own"},
      {"empty src", R"(<s resource="5" src="">text</s>)", 0, 0, L"", L"text"},
      {"capital Resource", R"(<s Resource="5" src="lib">t</s>)", 0, 0, L"", L"t"},
      {"plain literal", R"(<s>Hello</s>)", 0, 0, L"", L"Hello"},
      {"empty element", R"(<s/>)", 0, 0, L"", L""},
      {"text then child element", R"(<s>own<c>child</c></s>)", 0, 0, L"", L"child"},
      {"children A and B", R"(<s><a>first</a><b>second</b></s>)", 0, 0, L"", L"first"},
      {"first child has no text", R"(<s><a/><b>second</b></s>)", 0, 0, L"", L""},
      {"comment before text", R"(<s><!-- note -->text</s>)", 0, 0, L"", L"text"},
      {"only CDATA", R"(<s><![CDATA[raw]]></s>)", 0, 0, L"", L""},
      {"CDATA then text", R"(<s><![CDATA[raw]]>after</s>)", 0, 0, L"", L"after"},
      {"entities resolved", R"(<s>a &amp; b &#x1F600;</s>)", 0, 0, L"", L"a & b \U0001F600"},
      {"white space is no text", "<s>\n  <a>\n    in a\n  </a>\n</s>", 0, 0, L"",
       L"\n    in a\n  "},
      {"non-BMP literal", "<s>\xF0\x9F\x98\x80</s>", 0, 0, L"", L"\U0001F600"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    XmlTable table(std::string("<t>") + r.entry + "</t>");
    ASSERT_TRUE(table.ok());
    VelUtResString s;
    s.mText = L"stale";
    s.mFlags = 3;
    EXPECT_EQ(s.Load(table.Entry(0)), 1);
    EXPECT_EQ(s.mFlags, r.flags);
    EXPECT_EQ(s.mId, r.id);
    EXPECT_EQ(s.mSrc, r.src);
    EXPECT_EQ(s.mText, r.text);
  }
}

TEST(VelUtResStringLoad, NullEntryKeepsTheObject) {
  XmlTable table("<t><s>kept</s></t>");
  VelUtResString s;
  ASSERT_EQ(s.Load(table.Entry(0)), 1);
  EXPECT_EQ(s.Load(nullptr), 0);
  EXPECT_EQ(s.mText, L"kept");
}

TEST(VelUtResStringLoad, NonElementEntriesAreEmptyLiterals) {
  // The document node itself and a text node: neither has attributes.
  XmlTable table("<t>text</t>");
  VelUtResString s;
  s.Set(3, L"lib");
  CFTreeRef text = CFTreeGetChildAtIndex(table.Root(), 0);
  EXPECT_EQ(s.Load(text), 1);
  EXPECT_EQ(s.mFlags, 0u);
  EXPECT_EQ(s.mText, L"");
  EXPECT_EQ(s.mSrc, L"");
}

TEST(VelUtResStringSet, ReferencesAndTheLoadedBit) {
  VelUtResString s;
  EXPECT_EQ(s.mFlags, 0u);  // a new object is an empty literal
  EXPECT_EQ(s.mText, L"");
  EXPECT_EQ(s.Set(9, nullptr), 1);
  EXPECT_EQ(s.mFlags, VelUtResString::kReference);
  EXPECT_EQ(s.mSrc, L"");
  s.mFlags |= VelUtResString::kLoaded;
  s.mText = L"loaded";
  EXPECT_EQ(s.Set(10, L"other"), 1);
  EXPECT_EQ(s.mFlags, 3u);  // the loaded bit stays
  EXPECT_EQ(s.mId, 10u);
  EXPECT_EQ(s.mText, L"");
  EXPECT_EQ(s.Set(11, s.mSrc.c_str() + 2), 1);  // a pointer into mSrc itself
  EXPECT_EQ(s.mSrc, L"her");
}

}  // namespace
