// The parts of the markup that the XML parser reads from the text as
// written, where pugixml keeps less than the tree needs: the data of the
// XML declaration, the name and public id of the document type, and
// whether an element was written as an empty-element tag.
#pragma once

#include <cstddef>
#include <string_view>

namespace velcf::detail {

// The data of the XML declaration that starts `text` ("<?xml" first):
// what stands between "<?xml" and the "?>" outside quotes, without the
// white space around it.
// Example:
//   DeclarationData("<?xml version='1.0' ?><a/>") -> "version='1.0'"
std::string_view DeclarationData(std::string_view text);

// Reads the text of a document type declaration as pugixml gives it (the
// root element's name, then an optional external identifier and internal
// subset). Sets name and, for a PUBLIC identifier, public_id (left with a
// null data() otherwise). False when there is no name or the public id's
// quote is not closed.
// Example:
//   ParseDocumentType(" r PUBLIC \"-//x\" \"y.dtd\"") -> name "r", public_id "-//x"
bool ParseDocumentType(std::string_view text, std::string_view& name, std::string_view& public_id);

// True when the element whose name ends at `name_end` in `text` (the
// document as written) was written as an empty-element tag ("<e/>"), not
// as a start tag ("<e>"). `last_value`: where its last attribute's value
// starts, just past the opening quote, or npos when it has none; the
// value ends at the next quote of the same kind, since a value never
// holds its own quote.
// Example:
//   IsEmptyElementTag("<e a='>'/>", 2, 6) -> true
bool IsEmptyElementTag(std::string_view text, std::size_t name_end, std::size_t last_value);

}  // namespace velcf::detail
