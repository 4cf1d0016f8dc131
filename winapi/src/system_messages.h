// The layer's system message table: the texts FormatMessage reads for
// FORMAT_MESSAGE_FROM_SYSTEM, with those the application set in their place.
#pragma once

#include <string>

#include <WinAPI/Types.h>

namespace velwin::detail {

// The table's text for `code`, the override included; false when none.
bool FindSystemMessage(DWORD code, std::wstring& text);

// Whether the table answers in `languageId`: 0, neutral, invariant and
// English languages read the one English table.
bool HasSystemMessagesIn(DWORD languageId);

}  // namespace velwin::detail
