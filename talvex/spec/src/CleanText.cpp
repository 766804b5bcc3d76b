#include "talvex/spec/CleanText.h"

#include <charconv>
#include <cstdio>

namespace talvex::spec {

namespace {

void removeAll(std::string& s, std::string_view what) {
  for (std::size_t p = s.find(what); p != std::string::npos; p = s.find(what, p)) s.erase(p, what.size());
}

bool isPlainChar(char c) { return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'; }

}  // namespace

std::string trimmed(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t' || text[b] == '\r' || text[b] == '\n' || text[b] == '\0')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t' || text[e - 1] == '\r' || text[e - 1] == '\n' ||
                   text[e - 1] == '\0'))
    --e;
  return std::string(text.substr(b, e - b));
}

std::string CleanNumberText(std::string_view text) {
  std::string s(text);
  for (char& c : s) {
    if (c == 'O') c = '0';
    else if (c == 'I') c = '1';
    else if (c == '?' || c == '<' || c == '>') c = ' ';
  }
  return s;
}

bool isPlainNumberText(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (!isPlainChar(c)) return false;
  return true;
}

bool readPlainNumber(std::string_view text, double& value) {
  if (!isPlainNumberText(text)) return false;
  std::string_view t = text;
  if (t.front() == '+') t.remove_prefix(1);
  if (t.empty()) return false;
  const char* end = t.data() + t.size();
  auto r = std::from_chars(t.data(), end, value);
  return r.ec == std::errc() && r.ptr == end;
}

int readWholeNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  long long v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > 1000000000LL) break;
  }
  return static_cast<int>(negative ? -v : v);
}

std::string fixed2(double value) {
  char buf[64];
  const double r = value;
  std::snprintf(buf, sizeof buf, "%.2f", r);
  std::string s(buf);
  if (s == "-0.00") s = "0.00";
  return s;
}

std::string CleanConstantText(std::string_view text) {
  std::string s = CleanNumberText(text);
  removeAll(s, "Ca.");
  removeAll(s, "ca.");
  removeAll(s, "Ca");
  removeAll(s, "ca");
  if (const auto eq = s.find('='); eq != std::string::npos) s = s.substr(eq + 1);
  s = trimmed(s);
  if (!s.empty() && (s.front() == '<' || s.front() == '(')) s.erase(0, 1);
  if (!s.empty() && s.back() == ')') s.pop_back();
  if (!s.empty() && s.back() == '?') s.pop_back();
  if (!s.empty() && s.back() == '(') s.pop_back();
  if (const auto p = s.find('('); p != std::string::npos) s.resize(p);
  for (std::size_t p = s.find('-', 1); p != std::string::npos; p = s.find('-', p + 1)) {
    const std::string part = trimmed(std::string_view(s).substr(0, p));
    if (isPlainNumberText(part)) {
      s = part;
      break;
    }
  }
  return trimmed(s);
}

}  // namespace talvex::spec
