// Version text through the layer's ms_wtoi.
#include <VelUt/Version.h>

#include "platform/Layer.h"

namespace VelUt {

signed char StringToVersion(const CStdStr<wchar_t>& text, unsigned int& version) {
  version = 0;
  if (text.empty()) return 0;
  const int dot = text.Find(L".");
  if (dot < 0) {
    version = static_cast<unsigned int>(ms_wtoi(text.c_str())) << 16;
    return 1;
  }
  const CStdStr<wchar_t> major = text.Left(dot);
  CStdStr<wchar_t> minor = text.Mid(dot, static_cast<int>(text.size()) - dot);
  minor.Remove(L'.');
  const unsigned int minorNumber = static_cast<unsigned int>(ms_wtoi(minor.c_str()));
  const unsigned int majorNumber = static_cast<unsigned int>(ms_wtoi(major.c_str()));
  version = (majorNumber << 16) | (minorNumber & 0xFFFFu);
  return 1;
}

}  // namespace VelUt
