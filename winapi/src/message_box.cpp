// Message boxes through an installable handler; the default one writes the
// text to standard error.
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>

#include <WinAPI/Message.h>
#include <WinAPI/Resource.h>

#include <textbase/unicode.h>

namespace {

int DefaultMessageBox(const wchar_t* text, UINT /*type*/, UINT /*helpId*/) {
  std::string bytes = velut::textbase::Utf8FromWide(text, velut::textbase::Utf8Rule::kReplace);
  bytes += '\n';
  std::fwrite(bytes.data(), 1, bytes.size(), stderr);
  std::fflush(stderr);
  return IDOK;
}

std::atomic<AFX_MESSAGEBOX_HANDLER> g_message_box{DefaultMessageBox};

}  // namespace

AFX_MESSAGEBOX_HANDLER AfxSetMessageBoxHandler(AFX_MESSAGEBOX_HANDLER handler) {
  return g_message_box.exchange(handler != nullptr ? handler : DefaultMessageBox);
}

int AfxMessageBox(LPCWSTR text, UINT type, UINT helpId) {
  return g_message_box.load()(text != nullptr ? text : L"", type, helpId);
}

int AfxMessageBox(UINT promptId, UINT type, UINT helpId) {
  const std::wstring text = loadStringFromWin32ResourceDLL(AfxGetResourceHandle(), promptId);
  return AfxMessageBox(text.c_str(), type, helpId);
}
