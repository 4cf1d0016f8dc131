// Sequences of CStdStr operations checked against a plain std::wstring
// model with the documented clamping.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>

#include <VelUt/VelUt.h>

#include "fuzz_input.h"

namespace {

using Str = CStdStr<wchar_t>;

void Check(bool ok) {
  if (!ok) std::abort();
}

// Positions are mostly small, sometimes extreme.
int Pos(fuzz::Input& in) {
  const std::uint8_t b = in.Byte();
  switch (b % 8) {
    case 0:
      return INT_MIN;
    case 1:
      return INT_MAX;
    case 2:
      return -1;
    default:
      return static_cast<int>(b / 8) - 4;
  }
}

std::wstring Clamped(const std::wstring& s, long long first, long long count) {
  first = std::max(first, 0LL);
  count = std::max(count, 0LL);
  if (first > static_cast<long long>(s.size())) return L"";
  return s.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(count));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  Str s(in.Text(40));
  std::wstring model = s;
  for (int step = 0; step < 32 && !in.empty(); ++step) {
    const int a = Pos(in), b = Pos(in);
    const long long len = static_cast<long long>(model.size());
    switch (in.Byte() % 10) {
      case 0:
        Check(s.Mid(a, b) == Clamped(model, a, b));
        break;
      case 1:
        Check(s.Left(a) == Clamped(model, 0, std::min<long long>(a, len)));
        Check(s.Right(a) == Clamped(model, len - std::clamp<long long>(a, 0, len), a));
        break;
      case 2: {
        const wchar_t c = in.Unit();
        if (a >= 0 && a < len)
          model.insert(static_cast<std::size_t>(a), 1, c);
        else
          model.push_back(c);
        Check(s.Insert(a, c) == static_cast<int>(model.size()));
        break;
      }
      case 3: {
        const long long from = std::max(0, a);
        if (from < len)
          model.erase(static_cast<std::size_t>(from),
                      b < 0 ? std::wstring::npos : static_cast<std::size_t>(b));
        Check(s.Delete(a, b) == static_cast<int>(model.size()));
        break;
      }
      case 4: {
        // Texts are read up to their first NUL, so the model does the same.
        const std::wstring from = in.Text(3).c_str(), to = in.Text(3).c_str();
        int count = 0;
        if (!from.empty()) {
          for (std::size_t at = model.find(from); at != std::wstring::npos;
               at = model.find(from, at + to.size())) {
            model.replace(at, from.size(), to);
            ++count;
          }
        }
        Check(s.Replace(from.c_str(), to.c_str()) == count);
        break;
      }
      case 5: {
        const std::wstring sub = in.Text(3).c_str();
        const std::size_t f = model.find(sub);
        Check(s.Find(sub.c_str()) == (f == std::wstring::npos ? -1 : static_cast<int>(f)));
        break;
      }
      case 6:
        s.GetBuf(a % 4096);
        s.RelBuf(-1);
        model.resize(std::wstring(model.c_str()).size());
        break;
      case 7: {
        const Str other(in.Text(8));
        const int r = s.CompareNoCase(other.c_str());
        const int back = other.CompareNoCase(s.c_str());
        Check((r == 0) == (back == 0));
        Check((s.CollateNoCase(other.c_str()) == 0) == (other.CollateNoCase(s.c_str()) == 0));
        break;
      }
      case 8:
        if (len > 4096) break;  // repeated self-appends double the text
        ssadd(s, s.c_str() + std::clamp<long long>(a, 0, len));
        model += std::wstring(model.c_str() + std::clamp<long long>(a, 0, len));
        break;
      default:
        s.TrimLeft().TrimRight();
        model = s;  // the classic locale: checked by the unit tests
        break;
    }
    Check(s == model);
  }
  return 0;
}
