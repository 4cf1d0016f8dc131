// Reading string-table entries: references, literals and the text parent.
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "VelUtResString/xml_entries.h"

namespace {

// {entry, mFlags, mId, mSrc, mText}: a reference needs both attributes, named exactly and
// non-empty; a literal's text is the first text child of its first child element, or of itself
// without one; CDATA, comments and white space are no text.
TEST(VelUtResString, Load) {
  const std::tuple<const char*, unsigned int, unsigned int, const wchar_t*, const wchar_t*> rows[] =
      {
          {R"(<s resource="101" src="lib.dll">ignored</s>)", 1, 101, L"lib.dll", L""},
          {R"(<s src="Lib" resource=" 42x"/>)", 1, 42, L"Lib", L""},
          {R"(<s resource="5">five</s>)", 0, 0, L"", L"five"},
          {R"(<s Resource="5" src="lib">t</s>)", 0, 0, L"", L"t"},
          {R"(<s>own<c>child</c></s>)", 0, 0, L"", L"child"},
          {R"(<s><a/><b>second</b></s>)", 0, 0, L"", L""},
          {R"(<s><!-- note --><![CDATA[raw]]>text</s>)", 0, 0, L"", L"text"},
          {"<s>\n  <a>\n    in a\n  </a>\n</s>", 0, 0, L"", L"\n    in a\n  "},
      };
  for (const auto& [entry, flags, id, src, text] : rows) {
    SCOPED_TRACE(entry);
    velut_test::XmlTable table(std::string("<t>") + entry + "</t>");
    VelUtResString s;
    s.Set(3, L"stale");
    s.mText = L"stale";
    s.mFlags = 3;
    EXPECT_EQ(s.Load(table.Entry(0)), 1);
    EXPECT_EQ(std::tie(s.mFlags, s.mId, s.mSrc, s.mText), std::tie(flags, id, src, text));
  }
}

// A null entry changes nothing; a node that is no element is an empty
// literal. Set keeps the loaded bit, and its name may be the object's own.
TEST(VelUtResString, NullEntriesAndSet) {
  velut_test::XmlTable table("<t>text</t>");
  VelUtResString s;
  s.mText = L"kept";
  EXPECT_EQ(s.Load(nullptr), 0);
  EXPECT_EQ(s.mText, L"kept");
  EXPECT_EQ(s.Set(9, nullptr), 1);
  EXPECT_EQ(s.mSrc + s.mText, L"");
  s.mFlags = 3;
  s.Set(10, L"other");
  EXPECT_EQ(s.Set(11, s.mSrc.c_str() + 2), 1);
  EXPECT_EQ(s.mFlags, 3u);
  EXPECT_EQ(s.mSrc, L"her");
  EXPECT_EQ(s.Load(CFTreeGetChildAtIndex(table.Root(), 0)), 1);  // a text node
  EXPECT_EQ(s.mFlags + s.mId + s.mSrc.size() + s.mText.size(), 0u);
}

}  // namespace
