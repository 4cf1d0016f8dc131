// The XML parser's pieces on their own: the byte scanner, the reference
// reader, the reading of the markup as written and the interner.
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "XMLInterner.h"
#include "XMLMarkup.h"
#include "XMLReference.h"
#include "XMLScan.h"

namespace velcf::detail {

// Names the kind of a reference in a failure.
void PrintTo(Reference kind, std::ostream* os) {
  const char* const names[] = {"kCharacter", "kEntity", "kMalformed"};
  *os << names[static_cast<int>(kind)];
}

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

// The kind, the character read, the entity's name and where reading goes on (-1: not set, for a
// malformed reference is read no further). The text ends with a zero byte, as the parser's does.
TEST(XMLReference, ReadReference) {
  struct Row {
    std::string_view text;
    Reference kind;
    char32_t cp;
    std::string_view name;
    long end;
  };
  const Row rows[] = {
      {"&#xaF;", Reference::kCharacter, 0xAF, "", 6},
      {"&#X41;", Reference::kMalformed, 0, "", -1},  // an upper-case X
      {"&#x;", Reference::kMalformed, 0, "", -1},
      {"&#xFFFE;", Reference::kMalformed, 0, "", -1},    // a noncharacter
      {"&#x110000;", Reference::kMalformed, 0, "", -1},  // past U+10FFFF
      {"&_:a;", Reference::kEntity, 0, "_:a", 5},        // '_' and ':' start and continue names
      {"&1a;", Reference::kMalformed, 0, "", -1},        // a name starting with a digit
      {"&lt", Reference::kMalformed, 0, "", -1},         // no semicolon
  };
  for (const Row& row : rows) {
    char32_t cp = 0;
    std::string_view name;
    const unsigned char* next = nullptr;
    EXPECT_EQ(row.kind, ReadReference(Bytes(row.text), cp, name, next)) << row.text;
    EXPECT_EQ(row.cp, cp) << "character of " << row.text;
    EXPECT_EQ(row.name, name) << "name in " << row.text;
    EXPECT_EQ(row.end, next == nullptr ? -1 : next - Bytes(row.text)) << "end of " << row.text;
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

// The declaration's data, white space trimmed; a value may hold "?>".
TEST(XMLMarkup, DeclarationData) {
  const std::pair<std::string_view, std::string_view> rows[] = {
      {"<?xml \t v='1' \n?>", "v='1'"},
      {"<?xml?>", ""},
      {"<?xml a='?>' b=\"'?>\"?><r/>", "a='?>' b=\"'?>\""}};
  for (const auto& [text, expected] : rows) EXPECT_EQ(expected, DeclarationData(text)) << text;
}

// A document type's name and public id ("-": none), where "PUBLIC" may touch its quote; an id
// whose quote is not closed fails.
TEST(XMLMarkup, ParseDocumentType) {
  struct Row {
    std::string_view text;
    bool ok;
    std::string_view name, public_id;
  };
  const Row rows[] = {{" r", true, "r", "-"},           {"r PUBLIC\"p\" 's'", true, "r", "p"},
                      {"r PUBLIC ''", true, "r", ""},   {"r[<!ENTITY e 'x'>]", true, "r", "-"},
                      {"r PUBLIC 'p", false, "r", "-"}, {"", false, "", "-"}};
  for (const Row& row : rows) {
    std::string_view name, public_id;
    EXPECT_EQ(row.ok, ParseDocumentType(row.text, name, public_id)) << row.text;
    EXPECT_EQ(row.name, name) << "name in " << row.text;
    EXPECT_EQ(row.public_id, public_id.data() != nullptr ? public_id : "-")
        << "public id in " << row.text;
  }
}

// Whether a tag was an empty-element tag, given where its last value starts (npos: it has none).
// A value never holds its own quote, but may hold the other one and "/>". A tag cut short is read
// to its end and no further.
TEST(XMLMarkup, IsEmptyElementTag) {
  constexpr std::size_t kNone = std::string_view::npos;
  struct Row {
    std::string_view tag;
    std::size_t last_value;
    bool expected;
  };
  const Row rows[] = {{"<e \t\r\n/>", kNone, true},  {"<e>/</e>", kNone, false},
                      {"<e a='\"/>'/>", 6, true},    {"<e a=\"'/>\">", 6, false},
                      {"<e a='/' b=''/>", 12, true}, {"<e ", kNone, false}};
  for (const Row& row : rows) {
    const std::vector<char> exact(row.tag.begin(), row.tag.end());  // no byte after the tag
    EXPECT_EQ(row.expected, IsEmptyElementTag({exact.data(), exact.size()}, 2, row.last_value))
        << row.tag;
  }
}

}  // namespace
}  // namespace velcf::detail
