// The XML parser's pieces on their own: the byte scanner, the reference
// reader, the interner and the reading of the markup as written.
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "XMLInterner.h"
#include "XMLMarkup.h"
#include "XMLReference.h"
#include "XMLScan.h"

namespace velcf::detail {
namespace {

const unsigned char* Bytes(std::string_view text) {
  return reinterpret_cast<const unsigned char*>(text.data());
}

// SameBytes at every length to 17, with one byte changed at its start, middle and end.
TEST(XMLScan, AsciiPrefixAndSameBytes) {
  // The 8-byte words first, then byte by byte.
  const std::pair<std::string, std::size_t> prefixes[] = {
      {"\xC3\xA9zzzzzz", 0}, {"abcdefg\x80zzzzzzzz", 7}, {"abcdefghijklmnopq\x80", 17}};
  for (const auto& [text, expected] : prefixes)
    EXPECT_EQ(expected, AsciiPrefix(Bytes(text), text.size())) << "ASCII prefix of " << text;
  const std::string base = "abcdefghijklmnopq";
  for (std::size_t size = 0; size <= base.size(); ++size) {
    EXPECT_TRUE(SameBytes(base.data(), std::string(base).data(), size)) << size;
    for (const std::size_t at : {std::size_t{0}, size / 2, size - 1}) {
      std::string other = base;
      other[at % base.size()] = '_';
      EXPECT_EQ(size == 0, SameBytes(base.data(), other.data(), size)) << size << ", at " << at;
    }
  }
}

// Characters and entities (cp 0: another entity) with their name and length, then malformed ones.
TEST(XMLReference, ReadReference) {
  const std::tuple<std::string, char32_t, std::string_view, std::size_t> rows[] = {
      {"&#65;", 'A', "", 5},
      {"&#x41;x", 'A', "", 6},
      {"&#xaF;", 0xAF, "", 6},
      {"&#xAf;", 0xAF, "", 6},
      {"&#x10FFFF;", 0x10FFFF, "", 10},
      {"&lt;", '<', "lt", 4},
      {"&gt;", '>', "gt", 4},
      {"&amp;", '&', "amp", 5},
      {"&apos;", '\'', "apos", 6},
      {"&quot;", '"', "quot", 6},
      {"&n.a-m:_1;", 0, "n.a-m:_1", 10},
      {"&\xC3\xA9;", 0, "\xC3\xA9", 4}};
  for (const auto& [text, cp, name, length] : rows) {
    char32_t read_cp = 0;
    std::string_view read_name;
    const unsigned char* next = nullptr;
    const Reference kind = cp != 0 ? Reference::kCharacter : Reference::kEntity;
    EXPECT_EQ(kind, ReadReference(Bytes(text), read_cp, read_name, next)) << text;
    EXPECT_EQ(cp, read_cp) << "character of " << text;
    EXPECT_EQ(name, read_name) << "name in " << text;
    EXPECT_EQ(Bytes(text) + length, next) << "length of " << text;
  }
  for (const std::string text :
       {"&#X41;", "&#x;", "&#65", "&#6a;", "&#0;", "&#xD800;", "&#xFFFE;", "&#x110000;",
        "&#x100000041;", "&#99999999999999999999;", "&1a;", "&a b;"}) {
    char32_t cp = 0;
    std::string_view name;
    const unsigned char* next = nullptr;
    EXPECT_EQ(Reference::kMalformed, ReadReference(Bytes(text), cp, name, next)) << text;
    EXPECT_EQ(nullptr, next) << "nothing read of " << text;
  }
}

// Past 64 slots the table grows and empties the small cache in front of it: every name must then
// be found by its hash. The strings are stand-ins, never read.
TEST(XMLInterner, FindsWhatWasAdded) {
  char strings[200];
  std::vector<std::string> names;  // the interned texts stay in place
  names.reserve(200);
  Interner interner;
  for (int i = 0; i < 200; ++i) {
    names.push_back("name" + std::to_string(i));
    EXPECT_EQ(nullptr, interner.Find(names[i].data(), names[i].size())) << names[i] << " is new";
    interner.Add(reinterpret_cast<const __CFString*>(&strings[i]));
  }
  for (int i = 0; i < 200; ++i) {
    const std::string copy = names[i];
    EXPECT_EQ(static_cast<const void*>(&strings[i]), interner.Find(copy.data(), copy.size()));
  }
  EXPECT_EQ(nullptr, interner.Find("nbme17", 6)) << "the length and ends of name17";
}

TEST(XMLMarkup, DeclarationData) {
  const std::pair<std::string_view, std::string_view> rows[] = {
      {"<?xml version='1.0'?><r/>", "version='1.0'"},
      {"<?xml \t v='1' \n?>", "v='1'"},
      {"<?xml?>", ""},
      {"<?xml a='?>' b=\"'?>\"?><r/>", "a='?>' b=\"'?>\""}};
  for (const auto& [text, expected] : rows) EXPECT_EQ(expected, DeclarationData(text)) << text;
}

// The public id: null data when there is none; "PUBLIC" may touch its quote.
TEST(XMLMarkup, ParseDocumentType) {
  const std::tuple<std::string_view, bool, std::string_view, const char*> rows[] = {
      {" r", true, "r", nullptr},           {"r PUBLIC 'p' 's'", true, "r", "p"},
      {"r PUBLIC\"p\"", true, "r", "p"},    {"r PUBLIC ''", true, "r", ""},
      {"r SYSTEM 's'", true, "r", nullptr}, {"r[<!ENTITY e 'x'>]", true, "r", nullptr},
      {"r PUBLIC 'p", false, "r", nullptr}, {" [", false, "", nullptr}};
  for (const auto& [text, ok, name, public_id] : rows) {
    std::string_view read_name, read_id = "unset";
    EXPECT_EQ(ok, ParseDocumentType(text, read_name, read_id)) << text;
    EXPECT_EQ(name, read_name) << "name in " << text;
    if (!ok) continue;
    const std::string id = read_id.data() != nullptr ? std::string(read_id) : "<none>";
    EXPECT_EQ(public_id != nullptr ? public_id : "<none>", id) << "public id in " << text;
  }
}

// A value never holds its own quote; it may hold the other one and "/>".
TEST(XMLMarkup, IsEmptyElementTag) {
  constexpr std::size_t kNone = std::string_view::npos;
  const std::tuple<std::string_view, std::size_t, std::size_t, bool> rows[] = {
      {"<e/>", 2, kNone, true},         {"<e>", 2, kNone, false},
      {"<e \t\r\n/>", 2, kNone, true},  {"<e>/</e>", 2, kNone, false},
      {"<e a='x'/>", 2, 6, true},       {"<e a='x' >", 2, 6, false},
      {"<e a='\"/>'/>", 2, 6, true},    {"<e a='\"/>' >", 2, 6, false},
      {"<e a=\"'/>\" />", 2, 6, true},  {"<e a=\"'/>\">", 2, 6, false},
      {"<e a='/' b=''/>", 2, 12, true}, {"<e", 2, kNone, false}};
  for (const auto& [text, name_end, value, expected] : rows)
    EXPECT_EQ(expected, IsEmptyElementTag(text, name_end, value)) << text;
}

}  // namespace
}  // namespace velcf::detail
