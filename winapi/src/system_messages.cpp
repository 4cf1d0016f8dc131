// The system message table: the English texts of Windows for the codes the
// layer sets, and the texts the application puts in their place.
#include "system_messages.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <shared_mutex>

#include <WinAPI/Message.h>

namespace {

struct SystemMessage {
  DWORD code;
  const wchar_t* text;
};

// The English texts of Windows for the codes the layer sets, a few
// neighbours and the common COM HRESULTs, sorted by code. Each ends in CR
// LF, as the system's own texts do (the COM texts without a period, as
// Windows writes them).
const SystemMessage kSystemMessages[] = {
    {0, L"The operation completed successfully.\r\n"},
    {2, L"The system cannot find the file specified.\r\n"},
    {3, L"The system cannot find the path specified.\r\n"},
    {4, L"The system cannot open the file.\r\n"},
    {5, L"Access is denied.\r\n"},
    {6, L"The handle is invalid.\r\n"},
    {8, L"Not enough memory resources are available to process this command.\r\n"},
    {11, L"An attempt was made to load a program with an incorrect format.\r\n"},
    {14, L"Not enough memory resources are available to complete this operation.\r\n"},
    {17, L"The system cannot move the file to a different disk drive.\r\n"},
    {19, L"The media is write protected.\r\n"},
    {31, L"A device attached to the system is not functioning.\r\n"},
    {32,
     L"The process cannot access the file because it is being used by another "
     L"process.\r\n"},
    {50, L"The request is not supported.\r\n"},
    {80, L"The file exists.\r\n"},
    {87, L"The parameter is incorrect.\r\n"},
    {89, L"The system cannot start another process at this time.\r\n"},
    {111, L"The file name is too long.\r\n"},
    {112, L"There is not enough space on the disk.\r\n"},
    {122, L"The data area passed to a system call is too small.\r\n"},
    {123, L"The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {126, L"The specified module could not be found.\r\n"},
    {145, L"The directory is not empty.\r\n"},
    {170, L"The requested resource is in use.\r\n"},
    {183, L"Cannot create a file when that file already exists.\r\n"},
    {193, L"%1 is not a valid Win32 application.\r\n"},
    {206, L"The filename or extension is too long.\r\n"},
    {223, L"The file size exceeds the limit allowed and cannot be saved.\r\n"},
    {234, L"More data is available.\r\n"},
    {235, L"No work was done.\r\n"},
    {258, L"The wait operation timed out.\r\n"},
    {267, L"The directory name is invalid.\r\n"},
    {317,
     L"The system cannot find message text for message number 0x%1 in the "
     L"message file for %2.\r\n"},
    {998, L"Invalid access to memory location.\r\n"},
    {1004, L"Invalid flags.\r\n"},
    {1113,
     L"No mapping for the Unicode character exists in the target multi-byte "
     L"code page.\r\n"},
    {1460, L"This operation returned because the timeout period expired.\r\n"},
    {1813, L"The specified resource type cannot be found in the image file.\r\n"},
    {1814, L"The specified resource name cannot be found in the image file.\r\n"},
    {1815, L"The specified resource language ID cannot be found in the image file.\r\n"},
    {1921, L"The name of the file cannot be resolved by the system.\r\n"},
    {0x8000000A, L"The data necessary to complete this operation is not yet available.\r\n"},
    {0x80004001, L"Not implemented\r\n"},
    {0x80004002, L"No such interface supported\r\n"},
    {0x80004003, L"Invalid pointer\r\n"},
    {0x80004004, L"Operation aborted\r\n"},
    {0x80004005, L"Unspecified error\r\n"},
    {0x8000FFFF, L"Catastrophic failure\r\n"},
    {0x800300FD, L"An unexpected error occurred.\r\n"},
    {0x80040154, L"Class not registered\r\n"},
    {0x800401F0, L"CoInitialize has not been called.\r\n"},
};

// Texts the application set with SetSystemMessageText: a text, or none
// (nullopt) to hide the table's. Never destroyed, so late calls at exit
// still find it.
struct Overrides {
  std::shared_mutex mutex;
  std::map<DWORD, std::optional<std::wstring>> texts;
};

Overrides& GetOverrides() {
  static Overrides* overrides = new Overrides;
  return *overrides;
}

}  // namespace

namespace velwin::detail {

bool FindSystemMessage(DWORD code, std::wstring& text) {
  {
    Overrides& o = GetOverrides();
    std::shared_lock<std::shared_mutex> lock(o.mutex);
    const auto it = o.texts.find(code);
    if (it != o.texts.end()) {
      if (!it->second) return false;
      text = *it->second;
      return true;
    }
  }
  const auto it = std::lower_bound(std::begin(kSystemMessages), std::end(kSystemMessages), code,
                                   [](const SystemMessage& m, DWORD c) { return m.code < c; });
  if (it != std::end(kSystemMessages) && it->code == code) {
    text = it->text;
    return true;
  }
  return false;
}

bool HasSystemMessagesIn(DWORD languageId) {
  const DWORD primary = languageId & 0x3FF;
  return languageId <= 0xFFFF && (primary == 0x00 || primary == 0x09 || primary == 0x7F);
}

}  // namespace velwin::detail

void SetSystemMessageText(DWORD code, LPCWSTR text) {
  Overrides& o = GetOverrides();
  std::unique_lock<std::shared_mutex> lock(o.mutex);
  o.texts[code] = text != nullptr ? std::optional<std::wstring>(text) : std::nullopt;
}

void ResetSystemMessageText(DWORD code) {
  Overrides& o = GetOverrides();
  std::unique_lock<std::shared_mutex> lock(o.mutex);
  o.texts.erase(code);
}
