// Value conversions and system services: GUID, date-time and version
// text, and the system's text for an error code.
#include <cstdio>
#include <cstring>
#include <string>

#include <VelUt/VelUt.h>

namespace {

// Wide text as UTF-8, for printing whatever the C locale.
std::string Utf8(const std::wstring& text) {
  std::string out(text.size() * 4, '\0');
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0],
                                    static_cast<int>(out.size()), nullptr, nullptr);
  out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return out;
}
}  // namespace

int main() {
  int failures = 0;
  auto check = [&failures](bool ok, const char* what) {
    if (!ok) std::fprintf(stderr, "convert_example: %s failed\n", what), ++failures;
  };

  _GUID id;
  check(VelUt::StringToGuid(L"{6b29fc40-ca47-1067-b31d-00dd010662da}", id) == 1, "StringToGuid");
  check(VelUt::GuidToString(id, 1) == L"{6B29FC40-CA47-1067-B31D-00DD010662DA}", "GuidToString");

  CTime when;
  check(VelUt::StringToTime(L"2024-05-17T08:30:00", when) == 1 && when.GetHour() == 8,
        "StringToTime");
  // The text follows the user's locale (LC_ALL, LC_TIME, LANG).
  std::printf("convert_example: %s\n", Utf8(VelUt::FormatDateTimeForUserLocale(when)).c_str());

  unsigned int version = 0;
  check(VelUt::StringToVersion(L"4.2", version) == 1 && version == 0x00040002, "StringToVersion");

  check(VelUt::GetSystemErrorMessage(2) == L"The system cannot find the file specified",
        "GetSystemErrorMessage");

  std::printf("convert_example: %s\n", failures == 0 ? "ok" : "FAILED");
  return failures == 0 ? 0 : 1;
}
