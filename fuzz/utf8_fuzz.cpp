// MultiByteToWideChar and WideCharToMultiByte, which take blocks of text
// in vectors where the CPU has them, and the plain path that other CPUs
// take, against the codec taken one unit at a time: the same count, the
// same last error, the same units in the output (a short buffer included).
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include <VelUt/VelUt.h>

#include <textbase/transcode.h>
#include <textbase/unicode.h>

#include "fuzz_input.h"

namespace {

using velut::textbase::Utf8Errors;
using velut::textbase::Utf8Outcome;
using velut::textbase::Utf8Path;

struct Result {
  int count;
  DWORD error;  // meaningful when count is 0
};

// Decodes [text, text + n) one sequence at a time.
Result SlowDecode(const std::string& bytes, bool stop, std::vector<wchar_t>& out) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const auto* end = p + bytes.size();
  const std::size_t room = out.size();
  std::size_t written = 0;
  while (p < end) {
    char32_t cp;
    if (!velut::textbase::DecodeUtf8(p, end, cp, stop ? Utf8Errors::kStop : Utf8Errors::kReplace))
      return {0, ERROR_NO_UNICODE_TRANSLATION};
    if (room > 0) {
      if (written >= room) return {0, ERROR_INSUFFICIENT_BUFFER};
      out[written] = static_cast<wchar_t>(cp);
    }
    ++written;
  }
  return {static_cast<int>(written), 0};
}

// Encodes each unit of `text` on its own.
Result SlowEncode(const std::wstring& text, bool stop, std::vector<char>& out) {
  const std::size_t room = out.size();
  std::size_t written = 0;
  for (const wchar_t unit : text) {
    char bytes[4];
    const char* end =
        velut::textbase::WriteUtf8(bytes, static_cast<char32_t>(static_cast<std::uint32_t>(unit)),
                                   stop ? Utf8Errors::kStop : Utf8Errors::kReplace);
    if (end == nullptr) return {0, ERROR_NO_UNICODE_TRANSLATION};
    const auto len = static_cast<std::size_t>(end - bytes);
    if (room > 0) {
      if (written + len > room) return {0, ERROR_INSUFFICIENT_BUFFER};
      for (std::size_t k = 0; k < len; ++k) out[written + k] = bytes[k];
    }
    written += len;
  }
  return {static_cast<int>(written), 0};
}

// What the API would report for a conversion that ended as `result` with
// `room` units of output.
Result Reported(velut::textbase::Utf8Result result, std::size_t room) {
  switch (result.outcome) {
    case Utf8Outcome::kDone:
      return {static_cast<int>(result.count), 0};
    case Utf8Outcome::kRefused:
      return {0, ERROR_NO_UNICODE_TRANSLATION};
    case Utf8Outcome::kFull:
      break;
  }
  return {0, room > 0 ? ERROR_INSUFFICIENT_BUFFER : ERROR_INVALID_PARAMETER};
}

// The output size the first byte asks for: 0 (count only), or the size
// needed with up to 7 units less or more.
std::size_t Room(std::uint8_t how, int needed) {
  if ((how & 0x08) != 0) return 0;
  const int room = needed + static_cast<int>(how & 0x07) - 3;
  return room < 1 ? 1 : static_cast<std::size_t>(room);
}

// Input: a byte (bit 3: count only, bits 0-2: the room, bit 4: stop at
// an error, bit 5: wide to UTF-8), then the text.
void Conversion(fuzz::Input& in) {
  const std::uint8_t how = in.Byte();
  const bool stop = (how & 0x10) != 0;
  if ((how & 0x20) == 0) {
    // UTF-8 to wide: the rest of the input as bytes.
    std::string bytes;
    while (!in.empty() && bytes.size() < 4096) bytes.push_back(static_cast<char>(in.Byte()));
    if (bytes.empty()) return;
    std::vector<wchar_t> none;
    const Result needed = SlowDecode(bytes, stop, none);
    std::vector<wchar_t> slow(Room(how, needed.count), L'#');
    std::vector<wchar_t> fast(slow);
    const Result want = SlowDecode(bytes, stop, slow);
    SetLastError(0);
    const int got = MultiByteToWideChar(
        CP_UTF8, stop ? MB_ERR_INVALID_CHARS : 0, bytes.data(), static_cast<int>(bytes.size()),
        fast.empty() ? nullptr : fast.data(), static_cast<int>(fast.size()));
    FUZZ_CHECK(got == want.count);
    FUZZ_CHECK(got != 0 || GetLastError() == want.error);
    FUZZ_CHECK(fast == slow);
    // The API takes the fastest path; the plain one and the baseline
    // vectors (without SSSE3) must agree with the codec as well.
    for (const Utf8Path path : {Utf8Path::kPlain, Utf8Path::kBaseline}) {
      std::vector<wchar_t> other(slow.size(), L'#');
      const Result by_path = Reported(
          velut::textbase::DecodeUtf8Text(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                          bytes.size(), other.empty() ? nullptr : other.data(),
                                          other.empty() ? INT_MAX : other.size(),
                                          stop ? Utf8Errors::kStop : Utf8Errors::kReplace, path),
          other.size());
      FUZZ_CHECK(by_path.count == want.count);
      FUZZ_CHECK(by_path.count != 0 || by_path.error == want.error);
      FUZZ_CHECK(other == slow);
    }
  } else {
    // Wide to UTF-8: the rest of the input as units, ASCII standing for
    // itself.
    const std::wstring text = in.AsciiRest(4096);
    if (text.empty()) return;
    std::vector<char> none;
    const Result needed = SlowEncode(text, stop, none);
    std::vector<char> slow(Room(how, needed.count), '#');
    std::vector<char> fast(slow);
    const Result want = SlowEncode(text, stop, slow);
    SetLastError(0);
    const int got = WideCharToMultiByte(
        CP_UTF8, stop ? WC_ERR_INVALID_CHARS : 0, text.data(), static_cast<int>(text.size()),
        fast.empty() ? nullptr : fast.data(), static_cast<int>(fast.size()), nullptr, nullptr);
    FUZZ_CHECK(got == want.count);
    FUZZ_CHECK(got != 0 || GetLastError() == want.error);
    FUZZ_CHECK(fast == slow);
    for (const Utf8Path path : {Utf8Path::kPlain, Utf8Path::kBaseline}) {
      std::vector<char> other(slow.size(), '#');
      const Result by_path =
          Reported(velut::textbase::EncodeUtf8Text(
                       text.data(), text.size(), other.empty() ? nullptr : other.data(),
                       other.empty() ? INT_MAX : other.size(),
                       stop ? Utf8Errors::kStop : Utf8Errors::kReplace, path),
                   other.size());
      FUZZ_CHECK(by_path.count == want.count);
      FUZZ_CHECK(by_path.count != 0 || by_path.error == want.error);
      FUZZ_CHECK(other == slow);
    }
  }
}

}  // namespace

const std::vector<fuzz::Case> fuzz::kCases = {{"UTF-8", Conversion}};
