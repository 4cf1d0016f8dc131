// The markup read from the text as written; see XMLMarkup.h.
#include "XMLMarkup.h"

#include "XMLChars.h"

namespace velcf::detail {
namespace {

bool IsSpace(char c) { return IsXmlSpace(static_cast<unsigned char>(c)); }

void SkipSpace(std::string_view& rest) {
  while (!rest.empty() && IsSpace(rest.front())) rest.remove_prefix(1);
}

}  // namespace

std::string_view DeclarationData(std::string_view text) {
  // The data is quoted where it holds "?>", and ends at the first "?>"
  // outside quotes.
  const std::size_t size = text.size();
  std::size_t end = 5;
  char quote = 0;
  while (end + 1 < size && (quote != 0 || text[end] != '?' || text[end + 1] != '>')) {
    if (quote != 0 && text[end] == quote) {
      quote = 0;
    } else if (quote == 0 && (text[end] == '"' || text[end] == '\'')) {
      quote = text[end];
    }
    ++end;
  }
  std::size_t begin = 5;
  while (begin < end && IsSpace(text[begin])) ++begin;
  while (end > begin && IsSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

bool ParseDocumentType(std::string_view text, std::string_view& name, std::string_view& public_id) {
  // The external identifier and the internal subset are never read
  // further.
  std::string_view rest = text;
  SkipSpace(rest);
  std::size_t n = 0;
  while (n < rest.size() && !IsSpace(rest[n]) && rest[n] != '[') ++n;
  if (n == 0) return false;
  name = rest.substr(0, n);
  rest.remove_prefix(n);
  SkipSpace(rest);
  public_id = std::string_view();
  if (rest.substr(0, 6) != "PUBLIC") return true;
  rest.remove_prefix(6);
  SkipSpace(rest);
  if (rest.empty() || (rest.front() != '"' && rest.front() != '\'')) return true;
  const std::size_t close = rest.find(rest.front(), 1);
  if (close == std::string_view::npos) return false;
  public_id = rest.substr(1, close - 1);
  return true;
}

bool IsEmptyElementTag(std::string_view text, std::size_t name_end, std::size_t last_value) {
  std::size_t i = name_end;
  if (last_value != std::string_view::npos) {
    i = text.find(text[last_value - 1], last_value);
    if (i == std::string_view::npos) return false;
    ++i;
  }
  while (i < text.size() && IsSpace(text[i])) ++i;
  return i < text.size() && text[i] == '/';
}

}  // namespace velcf::detail
