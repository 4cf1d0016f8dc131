// CFXMLTreeCreateFromData and the tree, node, dictionary and array
// functions that read the result.
#include <pthread.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <CoreFoundation/CoreFoundation.h>
#include <WinAPI/CFString.h>

#include "threads/run_threads.h"

namespace {

// Owns one reference for the length of a test.
template <class T>
class Owned {
 public:
  explicit Owned(T object = nullptr) : object_(object) {}
  Owned(Owned&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  ~Owned() {
    if (object_ != nullptr) CFRelease(object_);
  }
  T get() const { return object_; }
  T release() {
    T object = object_;
    object_ = nullptr;
    return object;
  }

 private:
  T object_;
};

Owned<CFXMLTreeRef> Parse(const std::string& bytes, CFOptionFlags options = kCFXMLParserNoOptions) {
  Owned<CFDataRef> data(CFDataCreate(kCFAllocatorDefault,
                                     reinterpret_cast<const UInt8*>(bytes.data()),
                                     static_cast<CFIndex>(bytes.size())));
  return Owned<CFXMLTreeRef>(CFXMLTreeCreateFromData(kCFAllocatorDefault, data.get(), nullptr,
                                                     options, kCFXMLNodeCurrentVersion));
}

// The UTF-8 form of a CFString; "<null>" for null.
std::string Utf8(CFStringRef s) {
  if (s == nullptr) return "<null>";
  std::vector<char> buffer(
      CFStringGetMaximumSizeForEncoding(CFStringGetLength(s), kCFStringEncodingUTF8) + 1);
  if (!CFStringGetCString(s, buffer.data(), static_cast<CFIndex>(buffer.size()),
                          kCFStringEncodingUTF8)) {
    return "<not UTF-8>";
  }
  return buffer.data();
}

std::wstring Wide(CFStringRef s) {
  std::wstring text;
  CFString2CString(s, text);
  return text;
}

const CFXMLElementInfo* ElementInfo(CFXMLTreeRef tree) {
  CFXMLNodeRef node = CFXMLTreeGetNode(tree);
  if (CFXMLNodeGetTypeCode(node) != kCFXMLNodeTypeElement) return nullptr;
  return static_cast<const CFXMLElementInfo*>(CFXMLNodeGetInfoPtr(node));
}

// A compact picture of a subtree: one letter per node type, its string in
// parentheses, an element's attributes in order, its children in brackets.
//   D document  E element  T text  W white space  C CDATA  M comment
//   P processing instruction  R entity reference  Y document type
std::string Dump(CFXMLTreeRef tree) {
  CFXMLNodeRef node = CFXMLTreeGetNode(tree);
  std::string out;
  switch (CFXMLNodeGetTypeCode(node)) {
    case kCFXMLNodeTypeDocument:
      out = "D";
      break;
    case kCFXMLNodeTypeElement:
      out = "E";
      break;
    case kCFXMLNodeTypeText:
      out = "T";
      break;
    case kCFXMLNodeTypeWhitespace:
      out = "W";
      break;
    case kCFXMLNodeTypeCDATASection:
      out = "C";
      break;
    case kCFXMLNodeTypeComment:
      out = "M";
      break;
    case kCFXMLNodeTypeProcessingInstruction:
      out = "P";
      break;
    case kCFXMLNodeTypeEntityReference:
      out = "R";
      break;
    case kCFXMLNodeTypeDocumentType:
      out = "Y";
      break;
    default:
      out = "?";
      break;
  }
  if (CFXMLNodeGetTypeCode(node) != kCFXMLNodeTypeDocument) {
    out += "(" + Utf8(CFXMLNodeGetString(node));
    if (const CFXMLElementInfo* info = ElementInfo(tree)) {
      for (CFIndex i = 0; i < CFArrayGetCount(info->attributeOrder); ++i) {
        auto key = static_cast<CFStringRef>(CFArrayGetValueAtIndex(info->attributeOrder, i));
        auto value = static_cast<CFStringRef>(CFDictionaryGetValue(info->attributes, key));
        out += " " + Utf8(key) + "=" + Utf8(value);
      }
      if (info->isEmpty) out += "/";
    }
    if (CFXMLNodeGetTypeCode(node) == kCFXMLNodeTypeProcessingInstruction) {
      auto info = static_cast<const CFXMLProcessingInstructionInfo*>(CFXMLNodeGetInfoPtr(node));
      out += "|" + Utf8(info->dataString);
    }
    out += ")";
  }
  if (CFTreeGetChildCount(tree) > 0) {
    out += "[";
    for (CFIndex i = 0; i < CFTreeGetChildCount(tree); ++i) {
      if (i > 0) out += " ";
      out += Dump(CFTreeGetChildAtIndex(tree, i));
    }
    out += "]";
  }
  return out;
}

std::string DumpOf(const std::string& xml, CFOptionFlags options = 0) {
  Owned<CFXMLTreeRef> doc = Parse(xml, options);
  return doc.get() != nullptr ? Dump(doc.get()) : "null";
}

struct DumpRow {
  const char* name;
  std::string xml;
  std::string expected;
};

void CheckDumps(const std::vector<DumpRow>& rows, CFOptionFlags options = 0) {
  for (const DumpRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(DumpOf(row.xml, options), row.expected);
  }
}

// ------------------------------------------------------------- node types

static_assert(kCFXMLNodeTypeDocument == 1 && kCFXMLNodeTypeElement == 2 &&
                  kCFXMLNodeTypeAttribute == 3 && kCFXMLNodeTypeProcessingInstruction == 4 &&
                  kCFXMLNodeTypeComment == 5 && kCFXMLNodeTypeText == 6 &&
                  kCFXMLNodeTypeCDATASection == 7 && kCFXMLNodeTypeDocumentFragment == 8 &&
                  kCFXMLNodeTypeEntity == 9 && kCFXMLNodeTypeEntityReference == 10 &&
                  kCFXMLNodeTypeDocumentType == 11 && kCFXMLNodeTypeWhitespace == 12 &&
                  kCFXMLNodeTypeNotation == 13 && kCFXMLNodeTypeElementTypeDeclaration == 14 &&
                  kCFXMLNodeTypeAttributeListDeclaration == 15,
              "CoreFoundation's node type codes");
static_assert(sizeof(CFXMLElementInfo) == 2 * sizeof(void*) + 4 + 4,
              "CFXMLElementInfo keeps CoreFoundation's layout");

TEST(XMLTree, MixedDocument) {
  const std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE table>\n"
      "<!-- strings -->\n"
      "<table lang=\"de\">\n"
      "  <s id=\"a\">Hallo<!--x--><?pi data?><![CDATA[<raw>]]><b/></s>\n"
      "</table>\n";
  EXPECT_EQ(DumpOf(xml),
            "D[P(xml|version=\"1.0\" encoding=\"UTF-8\") W(\n) Y(table) W(\n) "
            "M( strings ) W(\n) "
            "E(table lang=de)[W(\n  ) E(s id=a)[T(Hallo) M(x) P(pi|data) "
            "C(<raw>) E(b/)] W(\n)] W(\n)]");

  Owned<CFXMLTreeRef> doc = Parse(xml);
  ASSERT_NE(doc.get(), nullptr);
  CFXMLNodeRef root = CFXMLTreeGetNode(doc.get());
  EXPECT_EQ(CFXMLNodeGetTypeCode(root), 1);
  EXPECT_EQ(CFXMLNodeGetString(root), nullptr);
  EXPECT_EQ(CFXMLNodeGetVersion(root), kCFXMLNodeCurrentVersion);
  auto doc_info = static_cast<const CFXMLDocumentInfo*>(CFXMLNodeGetInfoPtr(root));
  ASSERT_NE(doc_info, nullptr);
  EXPECT_EQ(doc_info->encoding, kCFStringEncodingUTF8);
  EXPECT_EQ(doc_info->sourceURL, nullptr);
  EXPECT_EQ(CFTreeGetParent(doc.get()), nullptr);

  // The walk by first child and next sibling sees the same children.
  CFTreeRef table = CFTreeGetChildAtIndex(doc.get(), 6);
  EXPECT_EQ(Utf8(CFXMLNodeGetString(CFXMLTreeGetNode(table))), "table");
  EXPECT_EQ(CFTreeGetParent(table), doc.get());
  CFIndex count = 0;
  for (CFTreeRef c = CFTreeGetFirstChild(doc.get()); c != nullptr; c = CFTreeGetNextSibling(c)) {
    EXPECT_EQ(c, CFTreeGetChildAtIndex(doc.get(), count));
    ++count;
  }
  EXPECT_EQ(count, CFTreeGetChildCount(doc.get()));

  // Nodes without a record have none.
  CFTreeRef s = CFTreeGetChildAtIndex(table, 1);
  EXPECT_EQ(CFXMLNodeGetInfoPtr(CFXMLTreeGetNode(CFTreeGetChildAtIndex(s, 0))), nullptr);
  EXPECT_EQ(CFTreeGetChildAtIndex(s, 5), nullptr);
  EXPECT_EQ(CFTreeGetChildAtIndex(s, -1), nullptr);
}

TEST(XMLTree, DocumentTypeKeepsItsPublicIdentifierOnly) {
  Owned<CFXMLTreeRef> doc = Parse(
      "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
      "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\"><html/>");
  ASSERT_NE(doc.get(), nullptr);
  CFXMLNodeRef doctype = CFXMLTreeGetNode(CFTreeGetChildAtIndex(doc.get(), 0));
  ASSERT_EQ(CFXMLNodeGetTypeCode(doctype), kCFXMLNodeTypeDocumentType);
  EXPECT_EQ(Utf8(CFXMLNodeGetString(doctype)), "html");
  auto info = static_cast<const CFXMLDocumentTypeInfo*>(CFXMLNodeGetInfoPtr(doctype));
  EXPECT_EQ(Utf8(info->externalID.publicID), "-//W3C//DTD XHTML 1.0 Strict//EN");
  EXPECT_EQ(info->externalID.systemID, nullptr);
}

// ------------------------------------------------------------- attributes

TEST(XMLTree, AttributesAreKeyedByExactName) {
  Owned<CFXMLTreeRef> doc = Parse("<e resource=\"7\" Src=\"upper\" src=\"lower\" empty=\"\"/>");
  ASSERT_NE(doc.get(), nullptr);
  const CFXMLElementInfo* info = ElementInfo(CFTreeGetChildAtIndex(doc.get(), 0));
  ASSERT_NE(info, nullptr);
  EXPECT_TRUE(info->isEmpty);
  EXPECT_EQ(CFDictionaryGetCount(info->attributes), 4);

  struct Row {
    const char* key;
    bool present;
    const char* value;
  };
  const Row rows[] = {
      {"resource", true, "7"},       {"Resource", false, nullptr}, {"RESOURCE", false, nullptr},
      {"src", true, "lower"},        {"Src", true, "upper"},       {"empty", true, ""},
      {"resource ", false, nullptr}, {"", false, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.key);
    // A key made at run time, not the parser's own string object.
    Owned<CFStringRef> key(CFStringCreateWithCString(nullptr, row.key, kCFStringEncodingUTF8));
    EXPECT_EQ(CFDictionaryContainsKey(info->attributes, key.get()), row.present);
    const void* value = CFDictionaryGetValue(info->attributes, key.get());
    if (row.present) {
      EXPECT_EQ(Utf8(static_cast<CFStringRef>(value)), row.value);
    } else {
      EXPECT_EQ(value, nullptr);
    }
  }
  EXPECT_TRUE(CFDictionaryContainsKey(info->attributes, CFSTR("resource")));

  // The order array and the key/value walk follow the document.
  std::vector<const void*> keys(4);
  std::vector<const void*> values(4);
  CFDictionaryGetKeysAndValues(info->attributes, keys.data(), values.data());
  const char* const names[] = {"resource", "Src", "src", "empty"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(Utf8(static_cast<CFStringRef>(keys[i])), names[i]);
    EXPECT_EQ(CFArrayGetValueAtIndex(info->attributeOrder, i), keys[i]);
  }
  EXPECT_EQ(CFArrayGetValueAtIndex(info->attributeOrder, 4), nullptr);
}

// CFEqual compares the attribute dictionaries of two documents by content
// (key order does not matter) and the attribute order arrays element by
// element.
TEST(XMLTree, CFEqualOnAttributeCollections) {
  struct Row {
    const char* name;
    const char* first;
    const char* second;
    bool dictionaries_equal;
    bool arrays_equal;
  };
  const Row rows[] = {
      {"same", "<e a='1' b='2'/>", "<e a='1' b='2'/>", true, true},
      {"other order", "<e a='1' b='2'/>", "<f b='2' a='1'/>", true, false},
      {"one more", "<e a='1'/>", "<e a='1' b='2'/>", false, false},
      {"other value", "<e a='1' b='2'/>", "<e a='1' b='3'/>", false, true},
      {"other key", "<e a='1' b='2'/>", "<e a='1' c='2'/>", false, false},
      {"none", "<e/>", "<f></f>", true, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Owned<CFXMLTreeRef> a = Parse(row.first);
    Owned<CFXMLTreeRef> b = Parse(row.second);
    ASSERT_NE(a.get(), nullptr);
    ASSERT_NE(b.get(), nullptr);
    const CFXMLElementInfo* x = ElementInfo(CFTreeGetChildAtIndex(a.get(), 0));
    const CFXMLElementInfo* y = ElementInfo(CFTreeGetChildAtIndex(b.get(), 0));
    ASSERT_NE(x, nullptr);
    ASSERT_NE(y, nullptr);
    EXPECT_EQ(CFEqual(x->attributes, y->attributes), row.dictionaries_equal);
    EXPECT_EQ(CFEqual(y->attributes, x->attributes), row.dictionaries_equal);
    EXPECT_EQ(CFEqual(x->attributeOrder, y->attributeOrder), row.arrays_equal);
    EXPECT_EQ(CFEqual(y->attributeOrder, x->attributeOrder), row.arrays_equal);
    EXPECT_FALSE(CFEqual(x->attributes, x->attributeOrder));
    EXPECT_EQ(CFGetTypeID(x->attributes), CFDictionaryGetTypeID());
    EXPECT_EQ(CFGetTypeID(x->attributeOrder), CFArrayGetTypeID());
    EXPECT_NE(CFArrayGetTypeID(), CFDictionaryGetTypeID());
  }
  // Trees and nodes are equal only to themselves, whatever they hold.
  Owned<CFXMLTreeRef> a = Parse("<e/>");
  Owned<CFXMLTreeRef> b = Parse("<e/>");
  EXPECT_TRUE(CFEqual(a.get(), a.get()));
  EXPECT_FALSE(CFEqual(a.get(), b.get()));
  EXPECT_FALSE(CFEqual(CFXMLTreeGetNode(a.get()), CFXMLTreeGetNode(b.get())));
  // A tree and its node are told apart by their type.
  EXPECT_EQ(CFGetTypeID(a.get()), CFTreeGetTypeID());
  EXPECT_EQ(CFGetTypeID(CFXMLTreeGetNode(a.get())), CFXMLNodeGetTypeID());
  EXPECT_NE(CFTreeGetTypeID(), CFXMLNodeGetTypeID());
}

// Only strings are keys: any other object finds nothing.
TEST(XMLTree, DictionaryKeysOtherThanStrings) {
  Owned<CFXMLTreeRef> doc = Parse("<e a='1'/>");
  ASSERT_NE(doc.get(), nullptr);
  const CFXMLElementInfo* info = ElementInfo(CFTreeGetChildAtIndex(doc.get(), 0));
  ASSERT_NE(info, nullptr);
  const UInt8 bytes[] = {'a'};
  Owned<CFDataRef> data(CFDataCreate(nullptr, bytes, 1));
  EXPECT_FALSE(CFDictionaryContainsKey(info->attributes, data.get()));
  EXPECT_EQ(CFDictionaryGetValue(info->attributes, info->attributeOrder), nullptr);
  EXPECT_FALSE(CFDictionaryContainsKey(info->attributes, nullptr));
}

TEST(XMLTree, AttributeValues) {
  CheckDumps({
      {"references", "<e a=\"&lt;&amp;&gt;&quot;&apos;&#65;&#x42;\"/>", "D[E(e a=<&>\"'AB/)]"},
      {"white space becomes spaces", "<e a=\"x\ty\r\nz\nw\"/>", "D[E(e a=x y z w/)]"},
      {"but not from references", "<e a=\"x&#9;y&#10;z\"/>", "D[E(e a=x\ty\nz/)]"},
      {"single quotes", "<e a='say \"hi\"'/>", "D[E(e a=say \"hi\"/)]"},
      {"'>' in a value", "<e a=\">\" b='/>'></e>", "D[E(e a=> b=/>)]"},
      {"start tag", "<e a=\"1\"></e>", "D[E(e a=1)]"},
      {"spaces in the tag", "<e  a = \"1\"  />", "D[E(e a=1/)]"},
      {"entity kept with a doctype", "<!DOCTYPE e><e a=\"x&nbsp;y\"/>", "D[Y(e) E(e a=x&nbsp;y/)]"},
      {"prefixed names", "<p:e xmlns:p=\"urn:x\" p:a=\"1\"/>", "D[E(p:e xmlns:p=urn:x p:a=1/)]"},
  });
}

// --------------------------------------------------------------- entities

TEST(XMLTree, ReferencesResolveIntoTheText) {
  CheckDumps({
      {"predefined", "<r>&lt;&gt;&amp;&apos;&quot;</r>", "D[E(r)[T(<>&'\")]]"},
      {"decimal and hex", "<r>&#233;&#xE9;&#xe9;</r>", "D[E(r)[T(\xC3\xA9\xC3\xA9\xC3\xA9)]]"},
      {"one text node", "<r>a &lt; b</r>", "D[E(r)[T(a < b)]]"},
      {"non-BMP", "<r>&#x1F600;&#128512;</r>", "D[E(r)[T(\xF0\x9F\x98\x80\xF0\x9F\x98\x80)]]"},
      {"a reference to white space is text", "<r>&#32;</r>", "D[E(r)[T( )]]"},
      {"an escaped reference stays text", "<r>&amp;lt;</r>", "D[E(r)[T(&lt;)]]"},
      {"other entities with a doctype", "<!DOCTYPE r><r>a&name;b&x.y-z;</r>",
       "D[Y(r) E(r)[T(a) R(name) T(b) R(x.y-z)]]"},
      {"white space around an entity", "<!DOCTYPE r><r> &e; </r>", "D[Y(r) E(r)[W( ) R(e) W( )]]"},
  });

  Owned<CFXMLTreeRef> doc = Parse("<!DOCTYPE r><r>&name;</r>");
  ASSERT_NE(doc.get(), nullptr);
  CFXMLNodeRef ref =
      CFXMLTreeGetNode(CFTreeGetChildAtIndex(CFTreeGetChildAtIndex(doc.get(), 1), 0));
  auto info = static_cast<const CFXMLEntityReferenceInfo*>(CFXMLNodeGetInfoPtr(ref));
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->entityType, kCFXMLEntityTypeParsedInternal);
}

TEST(XMLTree, ExternalEntitiesAreNeverLoaded) {
  std::string passwd;
  {
    std::ifstream in("/etc/passwd");
    std::getline(in, passwd);
  }
  ASSERT_FALSE(passwd.empty());
  const std::string xml =
      "<?xml version=\"1.0\"?>\n"
      "<!DOCTYPE r SYSTEM \"file:///etc/passwd\" [\n"
      "  <!ENTITY x SYSTEM \"file:///etc/passwd\">\n"
      "  <!ENTITY % p SYSTEM \"file:///etc/passwd\"> %p;\n"
      "  <!ENTITY big \"&x;&x;&x;&x;&x;&x;&x;&x;&x;&x;\">\n"
      "]>\n"
      "<r a=\"&x;\">&x;&big;</r>";
  const std::string dump = DumpOf(xml);
  EXPECT_EQ(dump,
            "D[P(xml|version=\"1.0\") W(\n) Y(r) W(\n) "
            "E(r a=&x;)[R(x) R(big)]]");
  EXPECT_EQ(dump.find(passwd), std::string::npos);
}

// ------------------------------------------------------------ white space

TEST(XMLTree, WhiteSpaceNodes) {
  const std::vector<DumpRow> rows = {
      {"between elements", "<r> <a/>\t<b/>\n</r>", "D[E(r)[W( ) E(a/) W(\t) E(b/) W(\n)]]"},
      {"only content", "<r>  </r>", "D[E(r)[W(  )]]"},
      {"line ends", "<r>\r\n\r</r>", "D[E(r)[W(\n\n)]]"},
      {"around a comment", "<r> <!--c--> </r>", "D[E(r)[W( ) M(c) W( )]]"},
      {"before text", "<r> <a/>x</r>", "D[E(r)[W( ) E(a/) T(x)]]"},
      {"text with spaces is text", "<r> x </r>", "D[E(r)[T( x )]]"},
      {"top level", " <r/> ", "D[W( ) E(r/) W( )]"},
      {"after the declaration", "<?xml version=\"1.0\"?>\r\n<r/>\n",
       "D[P(xml|version=\"1.0\") W(\n) E(r/) W(\n)]"},
      {"no-break space is text", "<r>\xC2\xA0</r>", "D[E(r)[T(\xC2\xA0)]]"},
      {"CDATA of spaces", "<r><![CDATA[ ]]></r>", "D[E(r)[C( )]]"},
  };
  CheckDumps(rows);

  // The option leaves them out.
  const std::vector<DumpRow> skipped = {
      {"between elements", rows[0].xml, "D[E(r)[E(a/) E(b/)]]"},
      {"only content", rows[1].xml, "D[E(r)]"},
      {"text with spaces is text", rows[5].xml, "D[E(r)[T( x )]]"},
      {"top level", rows[6].xml, "D[E(r/)]"},
  };
  CheckDumps(skipped, kCFXMLParserSkipWhitespace);
}

TEST(XMLTree, CDATACommentsAndInstructions) {
  CheckDumps({
      {"CDATA is raw", "<r><![CDATA[a&lt;<b>]]></r>", "D[E(r)[C(a&lt;<b>)]]"},
      {"empty CDATA", "<r><![CDATA[]]></r>", "D[E(r)[C()]]"},
      {"CDATA between texts", "<r>a<![CDATA[b]]>c</r>", "D[E(r)[T(a) C(b) T(c)]]"},
      {"CDATA line ends", "<r><![CDATA[a\r\nb]]></r>", "D[E(r)[C(a\nb)]]"},
      {"comment", "<r><!-- a - b --></r>", "D[E(r)[M( a - b )]]"},
      {"empty comment", "<r><!----></r>", "D[E(r)[M()]]"},
      {"instruction", "<r><?target some data?></r>", "D[E(r)[P(target|some data)]]"},
      {"instruction without data", "<r><?t?></r>", "D[E(r)[P(t|)]]"},
      {"xml-stylesheet", "<?xml-stylesheet href=\"a\"?><r/>",
       "D[P(xml-stylesheet|href=\"a\") E(r/)]"},
      {"comment before the root", "<!--c--><r/>", "D[M(c) E(r/)]"},
  });
  CheckDumps(
      {
          {"metadata left out", "<?xml version=\"1.0\"?><!--c--><r><?p?>a<!--d-->b</r>",
           "D[E(r)[T(a) T(b)]]"},
      },
      kCFXMLParserSkipMetaData);
}

// -------------------------------------------------------------- encodings

std::string Utf16(const std::u16string& text, bool big_endian, bool bom) {
  std::string out;
  std::u16string all = bom ? u"\uFEFF" + text : text;
  for (char16_t u : all) {
    const char hi = static_cast<char>(u >> 8);
    const char lo = static_cast<char>(u & 0xFF);
    out += big_endian ? std::string{hi, lo} : std::string{lo, hi};
  }
  return out;
}

TEST(XMLTree, Encodings) {
  const std::u16string body = u"<r a=\"\u00E9\">\u00E9\u20AC\U0001F600</r>";
  const std::u16string declared = u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + body;
  const std::string utf8_body = "<r a=\"\xC3\xA9\">\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80</r>";
  struct Row {
    const char* name;
    std::string bytes;
    CFStringEncoding encoding;
  };
  const Row rows[] = {
      {"UTF-8", utf8_body, kCFStringEncodingUTF8},
      {"UTF-8 with BOM", "\xEF\xBB\xBF" + utf8_body, kCFStringEncodingUTF8},
      {"UTF-8 declared", "<?xml version=\"1.0\" encoding=\"utf-8\"?>" + utf8_body,
       kCFStringEncodingUTF8},
      {"UTF-8 with BOM, declared", "\xEF\xBB\xBF<?xml version='1.0' encoding='UTF-8'?>" + utf8_body,
       kCFStringEncodingUTF8},
      {"UTF-16 label on 8-bit content", "<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + utf8_body,
       kCFStringEncodingUTF8},
      {"UTF-16LE with BOM", Utf16(body, false, true), kCFStringEncodingUTF16LE},
      {"UTF-16BE with BOM", Utf16(body, true, true), kCFStringEncodingUTF16BE},
      {"UTF-16LE without BOM", Utf16(body, false, false), kCFStringEncodingUTF16LE},
      {"UTF-16BE without BOM", Utf16(body, true, false), kCFStringEncodingUTF16BE},
      {"UTF-16LE declared", Utf16(declared, false, false), kCFStringEncodingUTF16LE},
      {"UTF-16BE declared with BOM", Utf16(declared, true, true), kCFStringEncodingUTF16BE},
      {"ISO-8859-1",
       "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r a=\"\xE9\">\xE9&#x20AC;&#x1F600;</r>",
       kCFStringEncodingISOLatin1},
      {"windows-1252",
       "<?xml version=\"1.0\" encoding=\"Windows-1252\"?><r a=\"\xE9\">\xE9\x80&#x1F600;</r>",
       kCFStringEncodingWindowsLatin1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Owned<CFXMLTreeRef> doc = Parse(row.bytes);
    ASSERT_NE(doc.get(), nullptr);
    auto doc_info =
        static_cast<const CFXMLDocumentInfo*>(CFXMLNodeGetInfoPtr(CFXMLTreeGetNode(doc.get())));
    EXPECT_EQ(doc_info->encoding, row.encoding);
    CFTreeRef r = CFTreeGetChildAtIndex(doc.get(), CFTreeGetChildCount(doc.get()) - 1);
    EXPECT_EQ(Wide(static_cast<CFStringRef>(
                  CFDictionaryGetValue(ElementInfo(r)->attributes, CFSTR("a")))),
              L"\u00E9");
    CFStringRef text = CFXMLNodeGetString(CFXMLTreeGetNode(CFTreeGetChildAtIndex(r, 0)));
    // UTF-16 inside the string, one wchar_t per character outside.
    EXPECT_EQ(CFStringGetLength(text), 4);
    EXPECT_EQ(Wide(text), L"\u00E9\u20AC\U0001F600");
  }
}

TEST(XMLTree, NonBmpCharactersRoundTrip) {
  Owned<CFXMLTreeRef> doc =
      Parse("<r k=\"\xF0\x90\x80\x80\">\xF0\x9F\x98\x80&#x10FFFF;\xF0\x9D\x84\x9E</r>");
  ASSERT_NE(doc.get(), nullptr);
  CFTreeRef r = CFTreeGetChildAtIndex(doc.get(), 0);
  CFStringRef text = CFXMLNodeGetString(CFXMLTreeGetNode(CFTreeGetChildAtIndex(r, 0)));
  ASSERT_EQ(CFStringGetLength(text), 6);
  EXPECT_EQ(CFStringGetCharacterAtIndex(text, 0), 0xD83D);
  EXPECT_EQ(CFStringGetCharacterAtIndex(text, 1), 0xDE00);
  std::wstring wide;
  EXPECT_TRUE(CFString2CString(text, wide));
  EXPECT_EQ(wide, L"\U0001F600\U0010FFFF\U0001D11E");
  EXPECT_EQ(
      Wide(static_cast<CFStringRef>(CFDictionaryGetValue(ElementInfo(r)->attributes, CFSTR("k")))),
      L"\U00010000");
}

// Texts and values about as long as the tree's blocks of storage keep every
// character (AddressSanitizer sees any write past a block).
TEST(XMLTree, LongTextsAndValues) {
  for (std::size_t n : {4090, 8180, 20000}) {
    SCOPED_TRACE(n);
    const std::string text = std::string(n - 2, 'x') + "\xC3\xA9";  // n - 1 characters
    Owned<CFXMLTreeRef> doc = Parse("<r a=\"" + text + "\">" + text + "&amp;</r>");
    ASSERT_NE(doc.get(), nullptr);
    CFTreeRef r = CFTreeGetChildAtIndex(doc.get(), 0);
    const std::wstring expected = std::wstring(n - 2, L'x') + L"\u00E9";
    EXPECT_EQ(Wide(CFXMLNodeGetString(CFXMLTreeGetNode(CFTreeGetChildAtIndex(r, 0)))),
              expected + L"&");
    EXPECT_EQ(Wide(static_cast<CFStringRef>(
                  CFDictionaryGetValue(ElementInfo(r)->attributes, CFSTR("a")))),
              expected);
  }
}

// -------------------------------------------------------------- malformed

TEST(XMLTree, MalformedDocumentsGiveNull) {
  const struct {
    const char* name;
    std::string xml;
  } rows[] = {
      {"empty", ""},
      {"white space only", " \n "},
      {"declaration only", "<?xml version=\"1.0\"?>"},
      {"text only", "hello"},
      {"unclosed", "<r>"},
      {"mismatched", "<r></s>"},
      {"bad nesting", "<a><b></a></b>"},
      {"two roots", "<r/><s/>"},
      {"text after the root", "<r/>x"},
      {"text before the root", "x<r/>"},
      {"CDATA outside the root", "<r/><![CDATA[x]]>"},
      {"bare ampersand", "<r>a & b</r>"},
      {"unterminated reference", "<r>&lt</r>"},
      {"empty reference", "<r>&;</r>"},
      {"undeclared entity", "<r>&nbsp;</r>"},
      {"undeclared entity in an attribute", "<r a=\"&nbsp;\"/>"},
      {"reference to U+0000", "<r>&#0;</r>"},
      {"reference to a surrogate", "<r>&#xD800;</r>"},
      {"reference beyond Unicode", "<r>&#x110000;</r>"},
      {"huge reference", "<r>&#99999999999999999999;</r>"},
      {"upper-case X", "<r>&#X41;</r>"},
      {"empty character reference", "<r>&#;</r>"},
      {"'<' in an attribute", "<r a=\"<\"/>"},
      {"bare '&' in an attribute", "<r a=\"&\"/>"},
      {"duplicate attribute", "<r a=\"1\" a=\"2\"/>"},
      {"unquoted attribute", "<r a=1/>"},
      {"']]>' in text", "<r>]]></r>"},
      {"'--' in a comment", "<r><!-- a -- b --></r>"},
      {"comment ending in '-'", "<r><!-- a ---></r>"},
      {"late declaration", "<r/><?xml version=\"1.0\"?>"},
      {"declaration after space", " <?xml version=\"1.0\"?><r/>"},
      {"upper-case declaration", "<?XML version=\"1.0\"?><r/>"},
      {"declaration inside", "<r><?xml version=\"1.0\"?></r>"},
      {"doctype after the root", "<r/><!DOCTYPE r>"},
      {"two doctypes", "<!DOCTYPE r><!DOCTYPE r><r/>"},
      {"doctype inside", "<r><!DOCTYPE r></r>"},
      {"unknown encoding", "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><r/>"},
      {"invalid UTF-8", "<r>\xC3</r>"},
      {"overlong UTF-8", "<r>\xC0\xAF</r>"},
      {"UTF-8 surrogate", "<r>\xED\xA0\x80</r>"},
      {"NUL byte", std::string("<r>\0</r>", 8)},
      {"control character", "<r>\x01</r>"},
      {"U+FFFE", "<r>\xEF\xBF\xBE</r>"},
      {"UTF-16 of odd length", Utf16(u"<r/>", false, true) + "x"},
      {"UTF-16 unpaired surrogate", Utf16(u"<r>\xD800</r>", false, true)},
      {"UTF-16 swapped surrogates", Utf16(u"<r>\xDE00\xD83D</r>", true, true)},
      {"bad start of a tag", "<1r/>"},
      {"space after '<'", "< r/>"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(DumpOf(row.xml), "null");
  }
}

TEST(XMLTree, TruncatedDocumentsGiveNull) {
  const std::string utf8 =
      "\xEF\xBB\xBF<?xml version=\"1.0\"?><!DOCTYPE t><t a=\"&amp;\">"
      "<s id=\"x\">\xC3\xA9&#x1F600;<![CDATA[c]]><!--m--></s><e/></t>";
  const std::string utf16 = Utf16(u"<t a=\"1\"><s>\u00E9\U0001F600</s></t>", true, true);
  for (const std::string* doc : {&utf8, &utf16}) {
    ASSERT_NE(DumpOf(*doc), "null");
    for (std::size_t n = 0; n < doc->size(); ++n) {
      SCOPED_TRACE(n);
      EXPECT_EQ(DumpOf(doc->substr(0, n)), "null");
    }
  }
}

TEST(XMLTree, NullArguments) {
  EXPECT_EQ(CFXMLTreeCreateFromData(nullptr, nullptr, nullptr, 0, 1), nullptr);
  // A CFString is no CFData.
  EXPECT_EQ(
      CFXMLTreeCreateFromData(nullptr, reinterpret_cast<CFDataRef>(CFSTR("<r/>")), nullptr, 0, 1),
      nullptr);
  EXPECT_EQ(CFXMLTreeGetNode(nullptr), nullptr);
  EXPECT_EQ(CFXMLNodeGetTypeCode(nullptr), 0);
  EXPECT_EQ(CFXMLNodeGetString(nullptr), nullptr);
  EXPECT_EQ(CFXMLNodeGetInfoPtr(nullptr), nullptr);
  EXPECT_EQ(CFTreeGetChildCount(nullptr), 0);
  EXPECT_EQ(CFTreeGetChildAtIndex(nullptr, 0), nullptr);
  EXPECT_EQ(CFTreeGetParent(nullptr), nullptr);
  EXPECT_EQ(CFTreeGetNextSibling(nullptr), nullptr);
  EXPECT_EQ(CFDictionaryGetCount(nullptr), 0);
  EXPECT_FALSE(CFDictionaryContainsKey(nullptr, CFSTR("a")));
  EXPECT_EQ(CFDictionaryGetValue(nullptr, CFSTR("a")), nullptr);
  EXPECT_EQ(CFArrayGetCount(nullptr), 0);
  EXPECT_EQ(CFArrayGetValueAtIndex(nullptr, 0), nullptr);
}

// ------------------------------------------------- depth and references

void* ParseDeep(void* arg) {
  const int depth = *static_cast<int*>(arg);
  std::string xml;
  xml.reserve(static_cast<std::size_t>(depth) * 7 + 1);
  for (int i = 0; i < depth; ++i) xml += "<a>";
  xml += "x";
  for (int i = 0; i < depth; ++i) xml += "</a>";
  Owned<CFXMLTreeRef> doc = Parse(xml);
  int levels = 0;
  CFTreeRef tree = doc.get();
  for (; CFTreeGetChildCount(tree) > 0; tree = CFTreeGetChildAtIndex(tree, 0)) ++levels;
  const bool ok =
      levels == depth + 1 && CFXMLNodeGetTypeCode(CFXMLTreeGetNode(tree)) == kCFXMLNodeTypeText;
  return ok ? arg : nullptr;
}

TEST(XMLTree, DeepNestingNeedsNoStack) {
  // pugixml parses without recursion, and so do the tree's construction and
  // release: 200,000 levels on a 256 KiB stack.
  int depth = 200000;
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 256 * 1024);
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &attr, ParseDeep, &depth), 0);
  void* result = nullptr;
  pthread_join(thread, &result);
  pthread_attr_destroy(&attr);
  EXPECT_EQ(result, &depth);
}

TEST(XMLTree, ReferenceCounting) {
  Owned<CFXMLTreeRef> doc = Parse("<r a=\"1\"><s>text</s></r>");
  ASSERT_NE(doc.get(), nullptr);
  EXPECT_EQ(CFGetRetainCount(doc.get()), 1);
  CFTreeRef r = CFTreeGetChildAtIndex(doc.get(), 0);
  CFTreeRef s = CFTreeGetChildAtIndex(r, 0);
  CFXMLNodeRef text_node = CFXMLTreeGetNode(CFTreeGetChildAtIndex(s, 0));
  CFStringRef text = CFXMLNodeGetString(text_node);
  // Get functions hand out objects without a reference for the caller.
  EXPECT_EQ(CFGetRetainCount(r), 1);
  EXPECT_EQ(CFGetRetainCount(text_node), 1);
  EXPECT_EQ(CFGetRetainCount(text), 1);
  const CFXMLElementInfo* info = ElementInfo(r);
  // A key is held by the dictionary and by the order array.
  EXPECT_EQ(CFGetRetainCount(CFArrayGetValueAtIndex(info->attributeOrder, 0)), 2);
  EXPECT_EQ(CFGetRetainCount(info->attributes), 1);

  EXPECT_EQ(CFRetain(s), s);
  EXPECT_EQ(CFGetRetainCount(s), 2);
  CFRetain(text);
  CFRelease(doc.release());
  // The retained child outlives the document, without a parent.
  EXPECT_EQ(CFGetRetainCount(s), 1);
  EXPECT_EQ(CFTreeGetParent(s), nullptr);
  EXPECT_EQ(CFTreeGetNextSibling(s), nullptr);
  EXPECT_EQ(Utf8(CFXMLNodeGetString(CFXMLTreeGetNode(s))), "s");
  EXPECT_EQ(CFXMLNodeGetString(CFXMLTreeGetNode(CFTreeGetChildAtIndex(s, 0))), text);
  CFRelease(s);
  EXPECT_EQ(Utf8(text), "text");
  EXPECT_EQ(CFGetRetainCount(text), 1);
  CFRelease(text);
  // Null is accepted; LeakSanitizer checks that nothing was left behind.
  CFRetain(nullptr);
  CFRelease(nullptr);
  EXPECT_EQ(CFGetRetainCount(nullptr), 0);
}

// Eight threads at once: each holds one entry of a shared document and
// releases it while thread 0 releases the document, and each parses
// documents of its own (the tsan preset runs this under ThreadSanitizer).
TEST(XMLTree, ThreadsReleaseOneDocumentAtOnce) {
  std::string xml = "<t>";
  for (int id = 0; id < velut_test::kThreads; ++id) {
    xml += "<s id=\"" + std::to_string(id) + "\">text " + std::to_string(id) + "</s>";
  }
  xml += "</t>";
  CFXMLTreeRef doc = Parse(xml).release();
  ASSERT_NE(doc, nullptr);
  std::vector<CFTreeRef> entries;
  for (int id = 0; id < velut_test::kThreads; ++id) {
    entries.push_back(CFTreeGetChildAtIndex(CFTreeGetChildAtIndex(doc, 0), id));
    CFRetain(entries.back());
  }
  const std::string own = DumpOf(xml);
  const int wrong = velut_test::RunOnThreads([doc, &entries, &xml, &own](int id) {
    CFTreeRef mine = entries[static_cast<std::size_t>(id)];
    int bad = 0;
    for (int round = 0; round < 20; ++round) bad += DumpOf(xml) == own ? 0 : 1;
    if (id == 0) CFRelease(doc);
    bad += Dump(mine) == "E(s id=" + std::to_string(id) + ")[T(text " + std::to_string(id) + ")]"
               ? 0
               : 1;
    CFRelease(mine);
    return bad;
  });
  EXPECT_EQ(wrong, 0);
}

}  // namespace
