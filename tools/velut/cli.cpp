#include "cli.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

namespace velut {

std::wstring FromUtf8(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
  return out;
}

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr,
                      nullptr);
  return out;
}

std::string JsonString(const std::wstring& text) {
  std::string out = "\"";
  for (const char c : ToUtf8(text)) {
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (u < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", u);
          out += buf;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

Args::Args(const std::vector<std::string>& argv, const std::vector<std::string>& options,
           const std::vector<std::string>& flags) {
  auto known = [](const std::vector<std::string>& list, const std::string& n) {
    return std::find(list.begin(), list.end(), n) != list.end();
  };
  bool words_only = false;
  for (std::size_t i = 0; i < argv.size(); ++i) {
    const std::string& a = argv[i];
    if (words_only || a.size() < 3 || a.compare(0, 2, "--") != 0) {
      if (a == "--") {
        if (!words_only) {
          words_only = true;
          continue;
        }
      }
      positional_.push_back(FromUtf8(a));
      continue;
    }
    std::string name = a.substr(2);
    std::string value;
    const std::size_t eq = name.find('=');
    const bool inline_value = eq != std::string::npos;
    if (inline_value) {
      value = name.substr(eq + 1);
      name.resize(eq);
    }
    if (known(options, name)) {
      if (!inline_value) {
        if (i + 1 >= argv.size()) throw UsageError("--" + name + " needs a value");
        value = argv[++i];
      }
      options_[name] = value;
    } else if (known(flags, name) || name == "json") {
      if (inline_value) throw UsageError("--" + name + " takes no value");
      flags_[name] = true;
    } else {
      throw UsageError("unknown option --" + name);
    }
  }
}

std::wstring Args::Option(const std::string& name, const std::wstring& fallback) const {
  const auto it = options_.find(name);
  return it == options_.end() ? fallback : FromUtf8(it->second);
}

wchar_t Args::CharOption(const std::string& name, wchar_t fallback) const {
  if (!Has(name)) return fallback;
  const std::wstring v = Option(name, L"");
  if (v.size() != 1) throw UsageError("--" + name + " takes exactly one character");
  return v[0];
}

const std::vector<std::wstring>& Args::Positional(std::size_t min, std::size_t max) const {
  if (positional_.size() < min)
    throw UsageError(min == 1 ? "missing argument" : "missing arguments");
  if (positional_.size() > max) throw UsageError("too many arguments");
  return positional_;
}

void PrintText(const Args& args, const std::wstring& text,
               const std::vector<std::pair<std::string, long long>>& fields) {
  if (!args.Json()) {
    std::cout << ToUtf8(text) << '\n';
    return;
  }
  std::cout << "{\"text\":" << JsonString(text);
  for (const auto& f : fields) std::cout << ",\"" << f.first << "\":" << f.second;
  std::cout << "}\n";
}

}  // namespace velut
