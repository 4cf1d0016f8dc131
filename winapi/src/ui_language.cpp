#include "ui_language.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <WinAPI/Error.h>
#include <WinAPI/Resource.h>

#include "thread_object.h"

extern char** environ;

namespace velwin::detail {
namespace {

// A language code and the LANGID of the language without a region.
struct Language {
  const char* code;
  LANGID neutral;
};

const Language kLanguages[] = {
    {"af", 0x0036}, {"am", 0x005E}, {"ar", 0x0001}, {"as", 0x004D}, {"az", 0x002C},
    {"be", 0x0023}, {"bg", 0x0002}, {"bn", 0x0045}, {"bo", 0x0051}, {"br", 0x007E},
    {"bs", 0x781A}, {"ca", 0x0003}, {"co", 0x0083}, {"cs", 0x0005}, {"cy", 0x0052},
    {"da", 0x0006}, {"de", 0x0007}, {"el", 0x0008}, {"en", 0x0009}, {"es", 0x000A},
    {"et", 0x0025}, {"eu", 0x002D}, {"fa", 0x0029}, {"fi", 0x000B}, {"fil", 0x0064},
    {"fo", 0x0038}, {"fr", 0x000C}, {"fy", 0x0062}, {"ga", 0x003C}, {"gd", 0x0091},
    {"gl", 0x0056}, {"gu", 0x0047}, {"ha", 0x0068}, {"he", 0x000D}, {"hi", 0x0039},
    {"hr", 0x001A}, {"hu", 0x000E}, {"hy", 0x002B}, {"id", 0x0021}, {"ig", 0x0070},
    {"is", 0x000F}, {"it", 0x0010}, {"ja", 0x0011}, {"ka", 0x0037}, {"kk", 0x003F},
    {"kl", 0x006F}, {"km", 0x0053}, {"kn", 0x004B}, {"ko", 0x0012}, {"kok", 0x0057},
    {"ky", 0x0040}, {"lb", 0x006E}, {"lo", 0x0054}, {"lt", 0x0027}, {"lv", 0x0026},
    {"mi", 0x0081}, {"mk", 0x002F}, {"ml", 0x004C}, {"mn", 0x0050}, {"mr", 0x004E},
    {"ms", 0x003E}, {"mt", 0x003A}, {"nb", 0x7C14}, {"ne", 0x0061}, {"nl", 0x0013},
    {"nn", 0x7814}, {"no", 0x0014}, {"oc", 0x0082}, {"or", 0x0048}, {"pa", 0x0046},
    {"pl", 0x0015}, {"ps", 0x0063}, {"pt", 0x0016}, {"rm", 0x0017}, {"ro", 0x0018},
    {"ru", 0x0019}, {"rw", 0x0087}, {"sa", 0x004F}, {"se", 0x003B}, {"si", 0x005B},
    {"sk", 0x001B}, {"sl", 0x0024}, {"sq", 0x001C}, {"sr", 0x7C1A}, {"sv", 0x001D},
    {"sw", 0x0041}, {"ta", 0x0049}, {"te", 0x004A}, {"tg", 0x0028}, {"th", 0x001E},
    {"tk", 0x0042}, {"tn", 0x0032}, {"tr", 0x001F}, {"tt", 0x0044}, {"ug", 0x0080},
    {"uk", 0x0022}, {"ur", 0x0020}, {"uz", 0x0043}, {"vi", 0x002A}, {"wo", 0x0088},
    {"xh", 0x0034}, {"yo", 0x006A}, {"zh", 0x7804}, {"zu", 0x0035},
};

// A language in a region, optionally in a script ("latn", "cyrl", "hans",
// "hant"; "" for the region's usual one).
struct Locale {
  const char* language;
  const char* region;
  const char* script;
  LANGID id;
};

const Locale kLocales[] = {
    {"af", "ZA", "", 0x0436},     {"am", "ET", "", 0x045E},     {"ar", "AE", "", 0x3801},
    {"ar", "BH", "", 0x3C01},     {"ar", "DZ", "", 0x1401},     {"ar", "EG", "", 0x0C01},
    {"ar", "IQ", "", 0x0801},     {"ar", "JO", "", 0x2C01},     {"ar", "KW", "", 0x3401},
    {"ar", "LB", "", 0x3001},     {"ar", "LY", "", 0x1001},     {"ar", "MA", "", 0x1801},
    {"ar", "OM", "", 0x2001},     {"ar", "QA", "", 0x4001},     {"ar", "SA", "", 0x0401},
    {"ar", "SY", "", 0x2801},     {"ar", "TN", "", 0x1C01},     {"ar", "YE", "", 0x2401},
    {"as", "IN", "", 0x044D},     {"az", "AZ", "", 0x042C},     {"az", "AZ", "cyrl", 0x082C},
    {"az", "AZ", "latn", 0x042C}, {"be", "BY", "", 0x0423},     {"bg", "BG", "", 0x0402},
    {"bn", "BD", "", 0x0845},     {"bn", "IN", "", 0x0445},     {"bo", "CN", "", 0x0451},
    {"br", "FR", "", 0x047E},     {"bs", "BA", "", 0x141A},     {"bs", "BA", "cyrl", 0x201A},
    {"bs", "BA", "latn", 0x141A}, {"ca", "ES", "", 0x0403},     {"co", "FR", "", 0x0483},
    {"cs", "CZ", "", 0x0405},     {"cy", "GB", "", 0x0452},     {"da", "DK", "", 0x0406},
    {"de", "AT", "", 0x0C07},     {"de", "CH", "", 0x0807},     {"de", "DE", "", 0x0407},
    {"de", "LI", "", 0x1407},     {"de", "LU", "", 0x1007},     {"el", "GR", "", 0x0408},
    {"en", "AU", "", 0x0C09},     {"en", "BZ", "", 0x2809},     {"en", "CA", "", 0x1009},
    {"en", "GB", "", 0x0809},     {"en", "IE", "", 0x1809},     {"en", "IN", "", 0x4009},
    {"en", "JM", "", 0x2009},     {"en", "MY", "", 0x4409},     {"en", "NZ", "", 0x1409},
    {"en", "PH", "", 0x3409},     {"en", "SG", "", 0x4809},     {"en", "TT", "", 0x2C09},
    {"en", "US", "", 0x0409},     {"en", "ZA", "", 0x1C09},     {"en", "ZW", "", 0x3009},
    {"es", "419", "", 0x580A},    {"es", "AR", "", 0x2C0A},     {"es", "BO", "", 0x400A},
    {"es", "CL", "", 0x340A},     {"es", "CO", "", 0x240A},     {"es", "CR", "", 0x140A},
    {"es", "DO", "", 0x1C0A},     {"es", "EC", "", 0x300A},     {"es", "ES", "", 0x0C0A},
    {"es", "GT", "", 0x100A},     {"es", "HN", "", 0x480A},     {"es", "MX", "", 0x080A},
    {"es", "NI", "", 0x4C0A},     {"es", "PA", "", 0x180A},     {"es", "PE", "", 0x280A},
    {"es", "PR", "", 0x500A},     {"es", "PY", "", 0x3C0A},     {"es", "SV", "", 0x440A},
    {"es", "US", "", 0x540A},     {"es", "UY", "", 0x380A},     {"es", "VE", "", 0x200A},
    {"et", "EE", "", 0x0425},     {"eu", "ES", "", 0x042D},     {"fa", "IR", "", 0x0429},
    {"fi", "FI", "", 0x040B},     {"fil", "PH", "", 0x0464},    {"fo", "FO", "", 0x0438},
    {"fr", "BE", "", 0x080C},     {"fr", "CA", "", 0x0C0C},     {"fr", "CH", "", 0x100C},
    {"fr", "FR", "", 0x040C},     {"fr", "LU", "", 0x140C},     {"fr", "MC", "", 0x180C},
    {"fy", "NL", "", 0x0462},     {"ga", "IE", "", 0x083C},     {"gd", "GB", "", 0x0491},
    {"gl", "ES", "", 0x0456},     {"gu", "IN", "", 0x0447},     {"ha", "NG", "", 0x0468},
    {"he", "IL", "", 0x040D},     {"hi", "IN", "", 0x0439},     {"hr", "BA", "", 0x101A},
    {"hr", "HR", "", 0x041A},     {"hu", "HU", "", 0x040E},     {"hy", "AM", "", 0x042B},
    {"id", "ID", "", 0x0421},     {"ig", "NG", "", 0x0470},     {"is", "IS", "", 0x040F},
    {"it", "CH", "", 0x0810},     {"it", "IT", "", 0x0410},     {"ja", "JP", "", 0x0411},
    {"ka", "GE", "", 0x0437},     {"kk", "KZ", "", 0x043F},     {"kl", "GL", "", 0x046F},
    {"km", "KH", "", 0x0453},     {"kn", "IN", "", 0x044B},     {"ko", "KR", "", 0x0412},
    {"kok", "IN", "", 0x0457},    {"ky", "KG", "", 0x0440},     {"lb", "LU", "", 0x046E},
    {"lo", "LA", "", 0x0454},     {"lt", "LT", "", 0x0427},     {"lv", "LV", "", 0x0426},
    {"mi", "NZ", "", 0x0481},     {"mk", "MK", "", 0x042F},     {"ml", "IN", "", 0x044C},
    {"mn", "MN", "", 0x0450},     {"mr", "IN", "", 0x044E},     {"ms", "BN", "", 0x083E},
    {"ms", "MY", "", 0x043E},     {"mt", "MT", "", 0x043A},     {"nb", "NO", "", 0x0414},
    {"ne", "NP", "", 0x0461},     {"nl", "BE", "", 0x0813},     {"nl", "NL", "", 0x0413},
    {"nn", "NO", "", 0x0814},     {"no", "NO", "", 0x0414},     {"oc", "FR", "", 0x0482},
    {"or", "IN", "", 0x0448},     {"pa", "IN", "", 0x0446},     {"pl", "PL", "", 0x0415},
    {"ps", "AF", "", 0x0463},     {"pt", "BR", "", 0x0416},     {"pt", "PT", "", 0x0816},
    {"rm", "CH", "", 0x0417},     {"ro", "MD", "", 0x0818},     {"ro", "RO", "", 0x0418},
    {"ru", "MD", "", 0x0819},     {"ru", "RU", "", 0x0419},     {"rw", "RW", "", 0x0487},
    {"sa", "IN", "", 0x044F},     {"se", "NO", "", 0x043B},     {"si", "LK", "", 0x045B},
    {"sk", "SK", "", 0x041B},     {"sl", "SI", "", 0x0424},     {"sq", "AL", "", 0x041C},
    {"sr", "BA", "", 0x1C1A},     {"sr", "BA", "cyrl", 0x1C1A}, {"sr", "BA", "latn", 0x181A},
    {"sr", "ME", "", 0x301A},     {"sr", "ME", "cyrl", 0x301A}, {"sr", "ME", "latn", 0x2C1A},
    {"sr", "RS", "", 0x281A},     {"sr", "RS", "cyrl", 0x281A}, {"sr", "RS", "latn", 0x241A},
    {"sv", "FI", "", 0x081D},     {"sv", "SE", "", 0x041D},     {"sw", "KE", "", 0x0441},
    {"ta", "IN", "", 0x0449},     {"te", "IN", "", 0x044A},     {"tg", "TJ", "", 0x0428},
    {"th", "TH", "", 0x041E},     {"tk", "TM", "", 0x0442},     {"tn", "ZA", "", 0x0432},
    {"tr", "TR", "", 0x041F},     {"tt", "RU", "", 0x0444},     {"ug", "CN", "", 0x0480},
    {"uk", "UA", "", 0x0422},     {"ur", "PK", "", 0x0420},     {"uz", "UZ", "", 0x0443},
    {"uz", "UZ", "cyrl", 0x0843}, {"uz", "UZ", "latn", 0x0443}, {"vi", "VN", "", 0x042A},
    {"wo", "SN", "", 0x0488},     {"xh", "ZA", "", 0x0434},     {"yo", "NG", "", 0x046A},
    {"zh", "CN", "", 0x0804},     {"zh", "HK", "", 0x0C04},     {"zh", "MO", "", 0x1404},
    {"zh", "SG", "", 0x1004},     {"zh", "TW", "", 0x0404},     {"zu", "ZA", "", 0x0435},
};

// A language written in a script, without a region.
const Locale kScripts[] = {
    {"az", "", "cyrl", 0x742C}, {"az", "", "latn", 0x782C}, {"bs", "", "cyrl", 0x641A},
    {"bs", "", "latn", 0x681A}, {"sr", "", "cyrl", 0x6C1A}, {"sr", "", "latn", 0x701A},
    {"uz", "", "cyrl", 0x7843}, {"uz", "", "latn", 0x7C43}, {"zh", "", "hans", 0x0004},
    {"zh", "", "hant", 0x7C04},
};

bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The parts of a locale name: language[_-]script?[_-]region?[.codeset][@modifier].
struct LocaleName {
  std::string language, script, region;
};

bool Parse(const char* p, const char* end, LocaleName& out) {
  auto word = [&](std::string& w, bool (*accept)(char)) {
    w.clear();
    while (p < end && accept(*p)) w.push_back(*p++);
  };
  word(out.language, IsAlpha);
  if (out.language.size() < 2 || out.language.size() > 3) return false;
  for (char& c : out.language) c = Lower(c);
  while (p < end && (*p == '_' || *p == '-')) {
    ++p;
    std::string w;
    word(w, [](char c) { return IsAlpha(c) || IsDigit(c); });
    if (w.size() == 4 && out.script.empty() && out.region.empty()) {
      for (char& c : w) c = Lower(c);
      out.script = w;
    } else if ((w.size() == 2 || w.size() == 3) && out.region.empty()) {
      for (char& c : w) c = Upper(c);
      out.region = w;
    } else {
      return false;
    }
  }
  if (p < end && *p == '.') {  // the codeset says nothing about the language
    while (p < end && *p != '@') ++p;
  }
  if (p < end && *p == '@') {
    const std::string modifier(p + 1, end);
    if (modifier == "latin") out.script = "latn";
    if (modifier == "cyrillic") out.script = "cyrl";
    p = end;
  }
  return p == end;
}

}  // namespace

// The locale name of `lang` ("de-DE", "sr-Latn-RS", "de"); "" when the
// tables do not hold it. Of a region's entries for one LANGID, the one
// that names its script wins, as Windows names it so.
std::string LocaleNameOfLanguage(LANGID lang) {
  const auto name = [](const Locale& l) {
    std::string text = l.language;
    if (*l.script != '\0') text += std::string("-") + Upper(*l.script) + (l.script + 1);
    if (*l.region != '\0') text += std::string("-") + l.region;
    return text;
  };
  const Locale* found = nullptr;
  for (const Locale& l : kLocales)
    if (l.id == lang && (found == nullptr || *found->script == '\0')) found = &l;
  for (const Locale& l : kScripts)
    if (l.id == lang && found == nullptr) found = &l;
  if (found != nullptr) return name(*found);
  for (const Language& l : kLanguages)
    if (l.neutral == lang) return l.code;
  return std::string();
}

LANGID LanguageOfLocaleName(const char* text, std::size_t length) {
  if (text == nullptr) return 0;
  const char* end = text + length;
  LocaleName name;
  if (!Parse(text, end, name)) return 0;
  const Language* language = nullptr;
  for (const Language& l : kLanguages)
    if (name.language == l.code) language = &l;
  if (language == nullptr) return 0;
  if (!name.region.empty()) {
    // The region in the given script, else in the region's usual one.
    for (const std::string& script : {name.script, std::string()})
      for (const Locale& l : kLocales)
        if (name.language == l.language && name.region == l.region && script == l.script)
          return l.id;
  }
  if (!name.script.empty()) {
    for (const Locale& l : kScripts)
      if (name.language == l.language && name.script == l.script) return l.id;
  }
  return language->neutral;
}

namespace {

// The value of "name=value" when `entry` names `name`; null otherwise.
const char* ValueOf(const char* entry, const char* name) {
  while (*name != '\0' && *entry == *name) ++entry, ++name;
  return *name == '\0' && *entry == '=' ? entry + 1 : nullptr;
}

// The first of LC_ALL, `category` and LANG that is set and not empty, of
// the entries env[i] for i in `indexes` (all of them when null).
const char* Choose(char** env, const std::vector<std::size_t>* indexes, const char* category) {
  const char* all = nullptr;
  const char* own = nullptr;
  const char* lang = nullptr;
  const std::size_t n = indexes != nullptr ? indexes->size() : SIZE_MAX;
  for (std::size_t k = 0; k < n; ++k) {
    const char* v = env[indexes != nullptr ? (*indexes)[k] : k];
    if (v == nullptr) break;
    if (v[0] != 'L') continue;  // most variables are passed over here
    const char* value;
    if (v[1] == 'A') {
      if ((value = ValueOf(v, "LANG")) != nullptr) lang = lang != nullptr ? lang : value;
    } else if (v[1] == 'C' && v[2] == '_') {
      if ((value = ValueOf(v, "LC_ALL")) != nullptr) {
        all = all != nullptr ? all : value;
      } else if ((value = ValueOf(v, category)) != nullptr) {
        own = own != nullptr ? own : value;
      }
    }
  }
  for (const char* value : {all, own, lang})
    if (value != nullptr && *value != '\0') return value;
  return nullptr;
}

// The environment as a thread last read it: its array, its number of
// entries and last entry, and where the entries that begin with 'L' are.
// setenv and putenv replace an entry of the same name in place or add one
// at the end; unsetenv moves the later entries down in place; anything
// else that changes the array is undefined behaviour for POSIX. So while
// the array, its end, its last entry and its 'L' entries are the same, the
// other entries cannot have become 'L' entries, and only those few are
// read again.
class EnvironmentScan {
 public:
  // Choose() over the environment; throws std::bad_alloc.
  const char* Find(const char* category) {
    char** const env = environ;
    if (env == nullptr) return nullptr;
    if (!Same(env)) Read(env);
    return Choose(env, &named_l_, category);
  }

 private:
  bool Same(char** env) const {
    // env[count_] is read only when the array still ends at or after it.
    if (env != array_ || (count_ > 0 && env[count_ - 1] != last_) || env[count_] != nullptr)
      return false;
    for (std::size_t k = 0; k < named_l_.size(); ++k)
      if (env[named_l_[k]] != entries_l_[k]) return false;
    return true;
  }

  void Read(char** env) {
    array_ = nullptr;  // until the copy is complete
    named_l_.clear();
    entries_l_.clear();
    std::size_t n = 0;
    for (; env[n] != nullptr; ++n) {
      if (env[n][0] != 'L') continue;
      named_l_.push_back(n);
      entries_l_.push_back(env[n]);
    }
    count_ = n;
    last_ = n > 0 ? env[n - 1] : nullptr;
    array_ = env;
  }

  char** array_ = nullptr;
  std::size_t count_ = 0;
  const char* last_ = nullptr;
  std::vector<std::size_t> named_l_;
  std::vector<const char*> entries_l_;
};

}  // namespace

const char* LocaleVariable(const char* category) {
  if (EnvironmentScan* scan = ThreadObject<EnvironmentScan>()) {
    try {
      return scan->Find(category);
    } catch (const std::bad_alloc&) {
      // No memory for the copy: the environment is read as it stands.
    }
  }
  return environ != nullptr ? Choose(environ, nullptr, category) : nullptr;
}

namespace {

// Read at every string lookup: kept in the static TLS block, which takes
// no call to reach.
thread_local LANGID t_thread_language __attribute__((tls_model("initial-exec"))) = 0;

// The last locale name a thread read and its language, so that an
// unchanged environment costs no parsing. Longer names are parsed each
// time.
struct LastName {
  char text[46];
  std::uint8_t length;
  bool known;
  LANGID language;
};
thread_local LastName t_last_name __attribute__((tls_model("initial-exec"))) = {};

// The user's language: the first non-empty of LC_ALL, LC_MESSAGES, LANG.
LANGID UserLanguage() {
  const char* value = LocaleVariable("LC_MESSAGES");
  if (value == nullptr) return 0;
  LastName& last = t_last_name;
  // The kept text holds no zero unit, so this stops at the end of `value`.
  std::size_t n = 0;
  while (n < last.length && value[n] == last.text[n]) ++n;
  if (last.known && n == last.length && value[n] == '\0') return last.language;
  const std::size_t length = std::strlen(value);
  const LANGID language = LanguageOfLocaleName(value, length);
  if (length < sizeof last.text) {
    std::memcpy(last.text, value, length);
    last.length = static_cast<std::uint8_t>(length);
    last.language = language;
    last.known = true;
  }
  return language;
}

}  // namespace

LANGID PreferredLanguage() { return t_thread_language != 0 ? t_thread_language : UserLanguage(); }

int LanguageRank(LANGID preferred, LANGID present) {
  constexpr LANGID kPrimaryMask = 0x03FF;
  constexpr LANGID kDefaultRegion = 0x0400;
  const LANGID primary = preferred & kPrimaryMask;
  if (preferred != 0) {
    if (present == preferred) return 0;
    if (primary != 0 && (present & kPrimaryMask) == primary) {
      if (present == primary) return 1;
      if (present == (primary | kDefaultRegion)) return 2;
      return 3;
    }
  }
  if (present == 0) return 4;
  if ((present & kPrimaryMask) == 0) return 5;
  if (present == 0x0409) return 6;
  return 7;
}

}  // namespace velwin::detail

LANGID SetThreadUILanguage(LANGID lang) {
  velwin::detail::t_thread_language = lang;
  return lang;
}

LANGID GetThreadUILanguage() { return velwin::detail::t_thread_language; }

int LCIDToLocaleName(LCID locale, LPWSTR name, int size, DWORD /*flags*/) {
  const std::string text = locale > 0xFFFF
                               ? std::string()
                               : velwin::detail::LocaleNameOfLanguage(static_cast<LANGID>(locale));
  const int needed = static_cast<int>(text.size()) + 1;
  if (text.empty() || size < 0 || (size > 0 && name == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (size == 0) return needed;
  if (size < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(text.begin(), text.end(), name);
  name[text.size()] = L'\0';
  return needed;
}

LCID LocaleNameToLCID(LPCWSTR name, DWORD /*flags*/) {
  if (name == nullptr) return 0;
  // Locale names are ASCII; anything else names no locale.
  std::string narrow;
  for (const wchar_t* p = name; *p != L'\0'; ++p) {
    if (*p < 0x20 || *p > 0x7E) return 0;
    narrow.push_back(static_cast<char>(*p));
  }
  return velwin::detail::LanguageOfLocaleName(narrow.data(), narrow.size());
}
