// The XML parser's pieces on their own: the byte scanner, the reference
// reader, the reading of the markup as written and the interner.
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

// 8-byte words are read whole, the bytes after them one by one.
TEST(XMLScan, AsciiPrefix) {
  const std::pair<std::string_view, std::size_t> rows[] = {
      {"\xC3\xA9zzzzzz", 0}, {"abcdefg\x80zzzzzzzz", 7}, {"abcdefghijklmnopq\x80", 17}};
  for (const auto& [text, expected] : rows)
    EXPECT_EQ(expected, AsciiPrefix(Bytes(text), text.size())) << "ASCII prefix of " << text;
}

// The character read (0: another entity), the name and the length; length 0: malformed, read no
// further. The text ends with a zero byte, as the parser's does.
TEST(XMLReference, ReadReference) {
  const std::tuple<std::string_view, char32_t, std::string_view, std::size_t> rows[] = {
      {"&#xaF;", 0xAF, "", 6},  {"&#X41;", 0, "", 0}, {"&#x;", 0, "", 0}, {"&#xFFFE;", 0, "", 0},
      {"&#x110000;", 0, "", 0}, {"&1a;", 0, "", 0},   {"&lt", 0, "", 0}};
  for (const auto& [text, cp, name, length] : rows) {
    char32_t read_cp = 0;
    std::string_view read_name;
    const unsigned char* next = nullptr;
    const Reference kind = length == 0 ? Reference::kMalformed
                           : cp == 0   ? Reference::kEntity
                                       : Reference::kCharacter;
    EXPECT_EQ(kind, ReadReference(Bytes(text), read_cp, read_name, next)) << text;
    EXPECT_EQ(cp, read_cp) << "character of " << text;
    EXPECT_EQ(name, read_name) << "name in " << text;
    EXPECT_EQ(length == 0 ? nullptr : Bytes(text) + length, next) << "end of " << text;
  }
}

// "axxxxxxxxxxb" and "ayyyyyyyyyyb" share a slot of the small cache in front of the table, so the
// one not in it is found by its hash; 12 bytes are compared as two overlapping words of 8, 5 bytes
// as two of 4. The strings are stand-ins.
TEST(XMLInterner, FindsEachNameByItsHash) {
  const char strings[2] = {};
  const auto* first = reinterpret_cast<const __CFString*>(&strings[0]);
  const auto* second = reinterpret_cast<const __CFString*>(&strings[1]);
  Interner interner;
  EXPECT_EQ(nullptr, interner.Find("axxxxxxxxxxb", 12)) << "axxxxxxxxxxb is new";
  interner.Add(first);
  EXPECT_EQ(nullptr, interner.Find("ayyyyyyyyyyb", 12)) << "ayyyyyyyyyyb is new";
  interner.Add(second);
  EXPECT_EQ(first, interner.Find(std::string("axxxxxxxxxxb").c_str(), 12)) << "not cached";
  EXPECT_EQ(second, interner.Find(std::string("ayyyyyyyyyyb").c_str(), 12)) << "cached";
  EXPECT_EQ(nullptr, interner.Find("abcde", 5)) << "abcde is new";
  interner.Add(first);
  const std::vector<char> exact = {'a', 'b', 'c', 'd', 'e'};  // no byte after the name to read
  EXPECT_EQ(first, interner.Find(exact.data(), exact.size())) << "abcde found again";
}

// The declaration's data; a document type's name and public id ("-": none), where "PUBLIC" may
// touch its quote; whether a tag was an empty-element tag, given the last value (if any) after
// the last "='". A value never holds its own quote, but may hold the other one and "/>". A tag
// cut short is read to its end and no further.
TEST(XMLMarkup, ReadAsWritten) {
  const std::pair<std::string_view, std::string_view> declarations[] = {
      {"<?xml \t v='1' \n?>", "v='1'"},
      {"<?xml?>", ""},
      {"<?xml a='?>' b=\"'?>\"?><r/>", "a='?>' b=\"'?>\""}};
  for (const auto& [text, expected] : declarations)
    EXPECT_EQ(expected, DeclarationData(text)) << text;
  const std::tuple<std::string_view, bool, std::string_view, std::string_view> types[] = {
      {" r", true, "r", "-"},           {"r PUBLIC\"p\" 's'", true, "r", "p"},
      {"r PUBLIC ''", true, "r", ""},   {"r[<!ENTITY e 'x'>]", true, "r", "-"},
      {"r PUBLIC 'p", false, "r", "-"}, {"", false, "", "-"}};
  for (const auto& [text, ok, name, public_id] : types) {
    std::string_view read_name, read_id;
    EXPECT_EQ(ok, ParseDocumentType(text, read_name, read_id)) << text;
    EXPECT_EQ(name, read_name) << "name in " << text;
    EXPECT_EQ(public_id, read_id.data() != nullptr ? read_id : "-") << "public id in " << text;
  }
  const std::pair<std::string_view, bool> tags[] = {
      {"<e \t\r\n/>", true},    {"<e>/</e>", false},       {"<e a='\"/>'/>", true},
      {"<e a=\"'/>\">", false}, {"<e a='/' b=''/>", true}, {"<e ", false}};
  for (const auto& [tag, expected] : tags) {
    const std::size_t equals = tag.rfind('=');
    const std::size_t value = equals == tag.npos ? tag.npos : equals + 2;
    const std::vector<char> exact(tag.begin(), tag.end());  // no byte after the tag to read
    EXPECT_EQ(expected, IsEmptyElementTag({exact.data(), exact.size()}, 2, value)) << tag;
  }
}

}  // namespace
}  // namespace velcf::detail
