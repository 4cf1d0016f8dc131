// CFXMLTreeCreateFromData and the functions that read the tree it makes.
#include <malloc.h>

#include <map>
#include <optional>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include <CoreFoundation/CoreFoundation.h>

#include "VelUtResString/xml_entries.h"

namespace {

using velut_test::XmlTable;

// The UTF-8 form of a CFString; "<null>" for null.
std::string Utf8(CFTypeRef s) {
  std::string out(s ? CFStringGetLength(CFStringRef(s)) * 3 + 1 : 0, '\0');
  CFStringGetCString(CFStringRef(s), &out[0], CFIndex(out.size()), kCFStringEncodingUTF8);
  return s ? out.c_str() : "<null>";
}

const CFXMLElementInfo* Element(CFTreeRef tree) {
  return static_cast<const CFXMLElementInfo*>(CFXMLNodeGetInfoPtr(CFXMLTreeGetNode(tree)));
}

// A tree as text: per node its type letter (below), string, record ("/": empty tag), children [].
std::string Dump(CFTreeRef tree) {
  CFXMLNodeRef node = CFXMLTreeGetNode(tree);
  const CFXMLNodeTypeCode code = CFXMLNodeGetTypeCode(node);
  const void* info = CFXMLNodeGetInfoPtr(node);
  static const std::map<CFXMLNodeTypeCode, char> kLetters = {
      {kCFXMLNodeTypeElement, 'E'},      {kCFXMLNodeTypeProcessingInstruction, 'P'},
      {kCFXMLNodeTypeComment, 'M'},      {kCFXMLNodeTypeText, 'T'},
      {kCFXMLNodeTypeCDATASection, 'C'}, {kCFXMLNodeTypeEntityReference, 'R'},
      {kCFXMLNodeTypeDocumentType, 'Y'}, {kCFXMLNodeTypeWhitespace, 'W'},
      {kCFXMLNodeTypeDocument, 'D'}};
  std::string out = kLetters.at(code) + ("(" + Utf8(CFXMLNodeGetString(node)));
  if (code == kCFXMLNodeTypeElement) {
    const auto* element = static_cast<const CFXMLElementInfo*>(info);
    for (CFIndex i = 0; i < CFArrayGetCount(element->attributeOrder); ++i) {
      const void* key = CFArrayGetValueAtIndex(element->attributeOrder, i);
      out += " " + Utf8(key) + "=" + Utf8(CFDictionaryGetValue(element->attributes, key));
    }
    out += element->isEmpty ? "/" : "";
  } else if (code == kCFXMLNodeTypeProcessingInstruction) {
    out += "|" + Utf8(static_cast<const CFXMLProcessingInstructionInfo*>(info)->dataString);
  } else if (code == kCFXMLNodeTypeDocumentType) {
    const CFXMLExternalID& id = static_cast<const CFXMLDocumentTypeInfo*>(info)->externalID;
    out += (id.publicID ? "|" + Utf8(id.publicID) : "") + (id.systemID ? "|system" : "");
  } else if (code == kCFXMLNodeTypeEntityReference) {
    const auto type = static_cast<const CFXMLEntityReferenceInfo*>(info)->entityType;
    out += type == kCFXMLEntityTypeParsedInternal ? "" : "|not internal";
  } else if (code == kCFXMLNodeTypeDocument) {
    const CFStringEncoding encoding = static_cast<const CFXMLDocumentInfo*>(info)->encoding;
    out = encoding == kCFStringEncodingUTF8 ? "" : std::to_string(encoding) + ": ";
  } else if (info != nullptr) {
    out += "|record";  // a type that has none
  }
  std::string children;
  for (CFIndex i = 0; i < CFTreeGetChildCount(tree); ++i)
    children += (i > 0 ? " " : "") + Dump(CFTreeGetChildAtIndex(tree, i));
  if (code == kCFXMLNodeTypeDocument) return out + children;
  return out + ")" + (children.empty() ? "" : "[" + children + "]");
}

// The picture of a document; "null" when it is refused.
std::string DumpOf(const std::string& xml, CFOptionFlags options = 0) {
  const XmlTable doc(xml, options);
  return doc.Document() != nullptr ? Dump(doc.Document()) : "null";
}

std::string Utf16(const std::u16string& text, bool big_endian) {
  std::string out;
  for (const char16_t u : text)
    out += {char(big_endian ? u >> 8 : u), char(big_endian ? u : u >> 8)};
  return out;
}

// Only a doctype's public id is kept, no entity loaded or expanded; white space
// is a node of its own unless skipped; one text in each encoding, with and
// without a byte-order mark or a declaration.
TEST(XMLTree, Documents) {
  const CFOptionFlags kNoSpace = kCFXMLParserSkipWhitespace, kNoMeta = kCFXMLParserSkipMetaData;
  const std::u16string body = u"<r a='\u00E9'>\u00E9\u20AC\U0001F600</r>", bom = u"\uFEFF",
                       decl16 = u"<?xml version='1.0' encoding='UTF-16'?>";
  const std::string decl = "<?xml version='1.0' encoding=", p = "P(xml|version='1.0' encoding=",
                    r = "E(r a=\xC3\xA9)[T(\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80)]",
                    le = std::to_string(kCFStringEncodingUTF16LE) + ": ",
                    be = std::to_string(kCFStringEncodingUTF16BE) + ": ";
  const std::tuple<std::string, std::string, CFOptionFlags> rows[] = {
      {"<?xml version='1.0' encoding='UTF-8'?>\n<!DOCTYPE t PUBLIC 'p' 'x'>\n<!-- s -->\n<t "
       "a='1'>\n"
       " <s>Hi<!--x--><?pi data?><![CDATA[<raw>]]><b/>&#32;</s>\n</t>\n",
       p + "'UTF-8') W(\n) Y(t|p) W(\n) M( s ) W(\n) E(t a=1)[W(\n ) "
           "E(s)[T(Hi) M(x) P(pi|data) C(<raw>) E(b/) T( )] W(\n)] W(\n)",
       0},
      {"<!DOCTYPE r SYSTEM 'file:///etc/passwd' [<!ENTITY x SYSTEM 'file:///etc/passwd'>\n"
       "<!ENTITY % p SYSTEM 'file:///etc/passwd'> %p; <!ENTITY big '&x;&x;&x;'>]>"
       "<r a='&x;' b='x&nbsp;y'>&x;&big;a&n.a-m;b<s/> &e; </r>",
       "Y(r) E(r a=&x; b=x&nbsp;y)[R(x) R(big) T(a) R(n.a-m) T(b) E(s/) W( ) R(e) W( )]", 0},
      // In values: references resolved, white space as spaces (not from references), '>'.
      {"<e a='&lt;&amp;&gt;&quot;&apos;&#65;&#x42;' b='x\ty\r\nz\nw' c='x&#9;y&#10;z' d=\"'>\" "
       "e='/>'></e>",
       "E(e a=<&>\"'AB b=x y z w c=x\ty\nz d='> e=/>)", 0},
      {"<r k='\xF0\x90\x80\x80'>\xF0\x9F\x98\x80&#x10FFFF;\xC2\xA0</r>",
       "E(r k=\xF0\x90\x80\x80)[T(\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF\xC2\xA0)]", 0},
      {"<e k='1' j='2' i='3' h='4' g='5' f='6' d='7' c='8' b='9' a='' A='?'/>",
       "E(e k=1 j=2 i=3 h=4 g=5 f=6 d=7 c=8 b=9 a= A=?/)", 0},
      {" <r> <a/>\t<b/>\r\n\r<!--c-->  <![CDATA[ ]]></r> ",
       "W( ) E(r)[W( ) E(a/) W(\t) E(b/) W(\n\n) M(c) W(  ) C( )] W( )", 0},
      {" <r> <a/>\t<b/>\n<c>  </c> x </r> ", "E(r)[E(a/) E(b/) E(c) T( x )]", kNoSpace},
      {"<r><![CDATA[a&lt;<b>]]>c]d]]e<![CDATA[]]><![CDATA[a\r\nb]]><!-- a - b --><!----><?t?></r>",
       "E(r)[C(a&lt;<b>) T(c]d]]e) C() C(a\nb) M( a - b ) M() P(t|)]", 0},
      {"<?xml version='1.0'?><!--c--><r><?p?>a<!--d-->b</r>", "E(r)[T(a) T(b)]", kNoMeta},
      {Utf16(bom + body, false), le + r, 0},
      {Utf16(body, true), be + r, 0},
      {Utf16(decl16 + body, false), le + p + "'UTF-16') " + r, 0},
      {decl + "'ISO-8859-1'?><r a='\xE9'>\xE9&#x20AC;&#x1F600;</r>",
       std::to_string(kCFStringEncodingISOLatin1) + ": " + p + "'ISO-8859-1') " + r, 0},
      {decl + "'Windows-1252'?><r a='\xE9'>\xE9\x80&#x1F600;</r>",
       std::to_string(kCFStringEncodingWindowsLatin1) + ": " + p + "'Windows-1252') " + r, 0},
  };
  for (const auto& [xml, expected, options] : rows)
    EXPECT_EQ(DumpOf(xml, options), expected) << xml;
}

// Documents that are not well-formed, and every proper prefix of two that are, give null.
TEST(XMLTree, MalformedDocumentsGiveNull) {
  const std::string rows[] = {
      // Text beside the one root (the fuzz target checks there is one); references (the reader's
      // own table has the rest); attributes.
      "<r/>x", "x<r/>", "<r/><![CDATA[x]]>", "<r>", "<r></s>", "<a><b></a></b>", "<1r/>", "< r/>",
      "<r>]]></r>", "<r>a & b</r>", "<r>&;</r>", "<r>&#31;</r>", "<r>&nbsp;</r>", "<r a='&nbsp;'/>",
      "<r a='<'/>", "<r a='&'/>", "<r a='1' a='2'/>", "<r a=1/>",
      "<r a1='' a2='' a3='' a4='' a5='' a6='' a7='' a8='' a9='' a1=''/>",
      // Comments, declarations, document types, characters and encodings.
      "<r><!-- a -- b --></r>", "<r><!-- a ---></r>", "<r/><?xml version='1.0'?>",
      " <?xml version='1.0'?><r/>", "<?XML version='1.0'?><r/>", "<r><?xml version='1.0'?></r>",
      "<r/><!DOCTYPE r>", "<!DOCTYPE r><!DOCTYPE r><r/>", "<r><!DOCTYPE r></r>",
      "<?xml version='1.0' encoding='EUC-JP'?><r/>", "<r>\xC3</r>", "<r>\xED\xA0\x80</r>",
      std::string("<r>\0</r>", 8), "<r>\xEF\xBF\xBE</r>", Utf16(u"\uFEFF<r/>", false) + "x",
      Utf16(u"\uFEFF<r>\xD800</r>", false), Utf16(u"\uFEFF<r>\xDE00\xD83D</r>", true)};
  for (const std::string& xml : rows) EXPECT_EQ(DumpOf(xml), "null") << xml;
  const std::string good =
      "\xEF\xBB\xBF<?xml version='1.0'?><!DOCTYPE t><t a='&amp;'><s id='x'>"
      "\xC3\xA9&#x1F600;<![CDATA[c]]><!--m--></s><e/></t>";
  for (const std::string& xml : {good, Utf16(u"\uFEFF<t a='1'><s>\u00E9\U0001F600</s></t>", true)})
    for (std::size_t n = 0; n <= xml.size(); ++n)
      EXPECT_EQ(DumpOf(xml.substr(0, n)) == "null", n < xml.size()) << n << " bytes of " << xml;
}

// Keys are found by their text, case and all, with few keys and with an index of many; CFEqual
// compares dictionaries in any order, arrays in order.
TEST(XMLTree, AttributeLookupAndEquality) {
  const XmlTable doc(
      "<r><e a='1' b='2'/><e a='1' b='2'/><f b='2' a='1'/><e a='1'/><e a='9' b='2'/>"
      "<e a='1' c='2'/><e src='lower' Src='upper' empty=''/>"
      "<e src='lower' Src='upper' empty='' a='' b='' c='' d='' e='' f='' g=''/></r>");
  CFTreeRef a = CFTreeGetFirstChild(CFTreeGetFirstChild(doc.Document()));
  const auto element = [a](CFIndex i) {
    return Element(CFTreeGetChildAtIndex(CFTreeGetParent(a), i));
  };
  const std::pair<const char*, const char*> lookups[] = {
      {"src", "lower"}, {"Src", "upper"}, {"SRC", "<null>"}, {"empty", ""}, {"", "<null>"}};
  for (const CFIndex e : {6, 7}) {
    const CFDictionaryRef dict = element(e)->attributes;
    for (const auto& [text, value] : lookups) {
      CFStringRef key = CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8);
      EXPECT_EQ(Utf8(CFDictionaryGetValue(dict, key)), value) << e << ", '" << text << "'";
      EXPECT_EQ(CFDictionaryContainsKey(dict, key), value[0] != '<') << e << ", " << text;
      CFRelease(key);
    }
    EXPECT_EQ(CFDictionaryGetValue(dict, element(e)->attributeOrder), nullptr);
  }
  const std::tuple<int, int, bool, bool> pairs[] = {{0, 1, true, true},   {0, 2, true, false},
                                                    {3, 0, false, false}, {0, 3, false, false},
                                                    {0, 4, false, true},  {0, 5, false, false}};
  for (const auto& [i, j, dictionaries, arrays] : pairs) {
    EXPECT_EQ(CFEqual(element(i)->attributes, element(j)->attributes), dictionaries) << i << j;
    EXPECT_EQ(CFEqual(element(i)->attributeOrder, element(j)->attributeOrder), arrays) << i << j;
    EXPECT_FALSE(CFEqual(element(i)->attributes, element(i)->attributeOrder));
  }
}

// A retained part outlives its document without a parent; names are held once per use. (Null
// arguments are called by the hostile table.)
TEST(XMLTree, RetainedPartsOutliveTheDocument) {
  std::optional<XmlTable> doc(
      std::in_place, "<!DOCTYPE r SYSTEM 'r.dtd'><?pi data?><r a='1'><p><s>text</s></p><p/></r>");
  CFTreeRef r = CFTreeGetChildAtIndex(doc->Document(), 2),
            s = CFTreeGetFirstChild(CFTreeGetFirstChild(r));
  CFStringRef text = CFXMLNodeGetString(CFXMLTreeGetNode(CFTreeGetFirstChild(s)));
  EXPECT_EQ(CFGetRetainCount(CFArrayGetValueAtIndex(Element(r)->attributeOrder, 0)), 2);
  EXPECT_EQ(CFGetRetainCount(CFXMLNodeGetString(CFXMLTreeGetNode(CFTreeGetFirstChild(r)))), 2);
  EXPECT_EQ(CFGetRetainCount(CFRetain(s)), 2);
  CFRetain(text);
  doc.reset();
  EXPECT_EQ(CFGetRetainCount(s), 1);
  EXPECT_EQ(CFTreeGetParent(s), CFTreeGetNextSibling(s));  // both null
  EXPECT_EQ(Dump(s), "E(s)[T(text)]");
  EXPECT_EQ(CFXMLNodeGetVersion(CFXMLTreeGetNode(s)), kCFXMLNodeCurrentVersion);
  CFRelease(s);
  EXPECT_EQ(Utf8(text) + std::to_string(CFGetRetainCount(text)), "text1");
  CFRelease(text);  // LeakSanitizer sees anything left behind
}

// Blocks grow to their largest size; a run of text cut by references takes memory for itself alone,
// white space between elements none; texts and values about a block's size keep every character.
TEST(XMLTree, LongTextsAndValues) {
  const auto heap = [] { return mallinfo2().uordblks + mallinfo2().hblkhd; };  // sanitizers: 0
  std::string many = "<!DOCTYPE r><r>";
  for (int i = 0; i < 3000; ++i) many += "x&e;";
  for (int i = 0; i < 3100; ++i) many += "<a/>" + std::string(i < 100 ? 20000 : 1000, ' ');
  const std::size_t before = heap();
  const XmlTable doc(many + "</r>");
  EXPECT_LT(heap(), before + many.size() / 2) << "bytes held by the tree";
  EXPECT_EQ(CFTreeGetChildCount(CFTreeGetChildAtIndex(doc.Document(), 1)), 12200);
  for (const std::size_t n : {4090, 8180, 20000}) {
    const std::string t = std::string(n - 2, 'x') + "\xC3\xA9";
    EXPECT_EQ(DumpOf("<r a='" + t + "'>" + t + "&amp;</r>"), "E(r a=" + t + ")[T(" + t + "&)]")
        << n;
  }
}

}  // namespace
