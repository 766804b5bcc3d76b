// The xBase expression language of locate() and index conditions, and the
// compiled index keys.
//
// Grammar (lowest precedence first):
//   or      := and { .OR. and }
//   and     := not { .AND. not }
//   not     := ( .NOT. | ! ) not | compare
//   compare := sum [ ( = | == | <> | # | != | < | <= | > | >= | $ ) sum ]
//   sum     := unary { ( + | - ) unary }
//   unary   := - unary | primary
//   primary := number | "text" | 'text' | .T. | .F. | name ( args ) | name | ( or )
// Operand types are checked when compiling, so evaluation cannot fail.
#include "internal.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace xbase::detail {

namespace {

enum class Tok { End, Name, Number, String, LParen, RParen, Comma, Op, DotWord };

struct Token {
  Tok kind = Tok::End;
  std::string text;  // names upper-cased, dot words upper-cased without dots
  double num = 0;
  std::size_t at = 0;
};

bool isNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool isNameChar(char c) { return isNameStart(c) || (c >= '0' && c <= '9'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

struct Parser {
  std::string_view src;
  std::size_t i = 0;
  Token tok;
  std::string error;
  Expr& e;
  const std::vector<Field>& fields;
  int depth = 0;

  Parser(std::string_view s, Expr& ex, const std::vector<Field>& f) : src(s), e(ex), fields(f) {}

  bool failAt(const std::string& msg) {
    if (error.empty()) error = msg + " at position " + std::to_string(tok.at + 1);
    return false;
  }

  bool next() {
    while (i < src.size() && (src[i] == ' ' || src[i] == '\t' || src[i] == '\r' || src[i] == '\n')) ++i;
    tok = Token{};
    tok.at = i;
    if (i >= src.size()) return true;
    char c = src[i];
    if (isNameStart(c)) {
      std::size_t b = i;
      while (i < src.size() && isNameChar(src[i])) ++i;
      tok.kind = Tok::Name;
      tok.text = upperAscii(src.substr(b, i - b));
      // alias->field: the alias is ignored.
      if (i + 1 < src.size() && src[i] == '-' && src[i + 1] == '>') {
        i += 2;
        return next();
      }
      return true;
    }
    if (isDigit(c) || (c == '.' && i + 1 < src.size() && isDigit(src[i + 1]))) {
      std::size_t b = i;
      while (i < src.size() && (isDigit(src[i]) || src[i] == '.')) ++i;
      double v = 0;
      auto r = std::from_chars(src.data() + b, src.data() + i, v);
      if (r.ec != std::errc() || r.ptr != src.data() + i) return failAt("Bad number");
      tok.kind = Tok::Number;
      tok.num = v;
      return true;
    }
    if (c == '"' || c == '\'') {
      std::size_t close = src.find(c, i + 1);
      if (close == std::string_view::npos) return failAt("Unterminated text literal");
      tok.kind = Tok::String;
      tok.text = std::string(src.substr(i + 1, close - i - 1));
      i = close + 1;
      return true;
    }
    if (c == '.') {
      std::size_t close = src.find('.', i + 1);
      if (close != std::string_view::npos) {
        std::string w = upperAscii(src.substr(i + 1, close - i - 1));
        if (w == "AND" || w == "OR" || w == "NOT" || w == "T" || w == "F" || w == "Y" || w == "N") {
          tok.kind = Tok::DotWord;
          tok.text = w;
          i = close + 1;
          return true;
        }
      }
      return failAt("Unexpected '.'");
    }
    if (c == '(') { tok.kind = Tok::LParen; ++i; return true; }
    if (c == ')') { tok.kind = Tok::RParen; ++i; return true; }
    if (c == ',') { tok.kind = Tok::Comma; ++i; return true; }
    static const char* const ops[] = {"==", "<>", "!=", "<=", ">=", "=", "#", "<", ">", "$", "+", "-", "!"};
    for (const char* op : ops) {
      std::size_t n = std::strlen(op);
      if (src.substr(i, n) == op) {
        tok.kind = Tok::Op;
        tok.text = op;
        i += n;
        return true;
      }
    }
    return failAt(std::string("Unexpected character '") + c + "'");
  }

  int add(Expr::Node n) {
    e.nodes_.push_back(std::move(n));
    return static_cast<int>(e.nodes_.size()) - 1;
  }
  VType typeOf(int n) const { return e.nodes_[static_cast<std::size_t>(n)].type; }

  int parseOr() {
    int l = parseAnd();
    while (l >= 0 && tok.kind == Tok::DotWord && tok.text == "OR") {
      if (!next()) return -1;
      int r = parseAnd();
      if (r < 0) return -1;
      if (typeOf(l) != VType::Bool || typeOf(r) != VType::Bool) return failAt("Type mismatch with .OR."), -1;
      Expr::Node n;
      n.op = Expr::Op::Or;
      n.type = VType::Bool;
      n.args = {l, r};
      l = add(std::move(n));
    }
    return l;
  }

  int parseAnd() {
    int l = parseNot();
    while (l >= 0 && tok.kind == Tok::DotWord && tok.text == "AND") {
      if (!next()) return -1;
      int r = parseNot();
      if (r < 0) return -1;
      if (typeOf(l) != VType::Bool || typeOf(r) != VType::Bool) return failAt("Type mismatch with .AND."), -1;
      Expr::Node n;
      n.op = Expr::Op::And;
      n.type = VType::Bool;
      n.args = {l, r};
      l = add(std::move(n));
    }
    return l;
  }

  int parseNot() {
    if ((tok.kind == Tok::DotWord && tok.text == "NOT") || (tok.kind == Tok::Op && tok.text == "!")) {
      if (++depth > 200) return failAt("Expression too deeply nested"), -1;
      if (!next()) return -1;
      int a = parseNot();
      --depth;
      if (a < 0) return -1;
      if (typeOf(a) != VType::Bool) return failAt("Type mismatch with .NOT."), -1;
      Expr::Node n;
      n.op = Expr::Op::Not;
      n.type = VType::Bool;
      n.args = {a};
      return add(std::move(n));
    }
    return parseCompare();
  }

  int parseCompare() {
    int l = parseSum();
    if (l < 0) return -1;
    if (tok.kind != Tok::Op) return l;
    Expr::Op op;
    const std::string& t = tok.text;
    if (t == "=") op = Expr::Op::Eq;
    else if (t == "==") op = Expr::Op::EqEq;
    else if (t == "<>" || t == "#" || t == "!=") op = Expr::Op::Ne;
    else if (t == "<") op = Expr::Op::Lt;
    else if (t == "<=") op = Expr::Op::Le;
    else if (t == ">") op = Expr::Op::Gt;
    else if (t == ">=") op = Expr::Op::Ge;
    else if (t == "$") op = Expr::Op::Contains;
    else return l;
    if (!next()) return -1;
    int r = parseSum();
    if (r < 0) return -1;
    if (typeOf(l) != typeOf(r)) return failAt("Type mismatch in comparison"), -1;
    if (op == Expr::Op::Contains && typeOf(l) != VType::Str) return failAt("Type mismatch with $"), -1;
    if (typeOf(l) == VType::Bool && op != Expr::Op::Eq && op != Expr::Op::EqEq && op != Expr::Op::Ne)
      return failAt("Logical values can only be tested for equality"), -1;
    Expr::Node n;
    n.op = op;
    n.type = VType::Bool;
    n.args = {l, r};
    return add(std::move(n));
  }

  int parseSum() {
    int l = parseUnary();
    while (l >= 0 && tok.kind == Tok::Op && (tok.text == "+" || tok.text == "-")) {
      bool plus = tok.text == "+";
      if (!next()) return -1;
      int r = parseUnary();
      if (r < 0) return -1;
      if (typeOf(l) != typeOf(r) || typeOf(l) == VType::Bool)
        return failAt(plus ? "Type mismatch with +" : "Type mismatch with -"), -1;
      if (!plus && typeOf(l) != VType::Num) return failAt("Type mismatch with -"), -1;
      Expr::Node n;
      n.op = plus ? Expr::Op::Add : Expr::Op::Sub;
      n.type = typeOf(l);
      n.args = {l, r};
      l = add(std::move(n));
    }
    return l;
  }

  int parseUnary() {
    if (tok.kind == Tok::Op && tok.text == "-") {
      if (++depth > 200) return failAt("Expression too deeply nested"), -1;
      if (!next()) return -1;
      int a = parseUnary();
      --depth;
      if (a < 0) return -1;
      if (typeOf(a) != VType::Num) return failAt("Type mismatch with unary -"), -1;
      Expr::Node n;
      n.op = Expr::Op::Neg;
      n.type = VType::Num;
      n.args = {a};
      return add(std::move(n));
    }
    if (tok.kind == Tok::Op && tok.text == "+") {
      if (!next()) return -1;
      return parseUnary();
    }
    return parsePrimary();
  }

  int parsePrimary() {
    Expr::Node n;
    switch (tok.kind) {
      case Tok::Number:
        n.op = Expr::Op::Lit;
        n.type = VType::Num;
        n.lit.type = VType::Num;
        n.lit.n = tok.num;
        if (!next()) return -1;
        return add(std::move(n));
      case Tok::String:
        n.op = Expr::Op::Lit;
        n.type = VType::Str;
        n.lit.s = tok.text;
        if (!next()) return -1;
        return add(std::move(n));
      case Tok::DotWord:
        if (tok.text == "T" || tok.text == "F" || tok.text == "Y" || tok.text == "N") {
          n.op = Expr::Op::Lit;
          n.type = VType::Bool;
          n.lit.type = VType::Bool;
          n.lit.b = tok.text == "T" || tok.text == "Y";
          if (!next()) return -1;
          return add(std::move(n));
        }
        return failAt("Unexpected ." + tok.text + "."), -1;
      case Tok::LParen: {
        if (++depth > 200) return failAt("Expression too deeply nested"), -1;
        if (!next()) return -1;
        int inner = parseOr();
        --depth;
        if (inner < 0) return -1;
        if (tok.kind != Tok::RParen) return failAt("Missing )"), -1;
        if (!next()) return -1;
        return inner;
      }
      case Tok::Name: {
        std::string name = tok.text;
        if (!next()) return -1;
        if (tok.kind == Tok::LParen) return parseCall(name);
        for (std::size_t f = 0; f < fields.size(); ++f) {
          if (fields[f].name == name) {
            n.op = Expr::Op::Field;
            n.field = static_cast<int>(f);
            char t = fields[f].type;
            n.type = (t == 'N' || t == 'F') ? VType::Num : (t == 'L' ? VType::Bool : VType::Str);
            return add(std::move(n));
          }
        }
        return failAt("Unknown field or variable " + name), -1;
      }
      case Tok::End:
        return failAt("Unexpected end of expression"), -1;
      default:
        return failAt("Unexpected symbol"), -1;
    }
  }

  int parseCall(const std::string& name) {
    struct FnInfo {
      const char* name;
      Expr::Fn fn;
      int minArgs, maxArgs;
    };
    static const FnInfo table[] = {
        {"LOWER", Expr::Fn::Lower, 1, 1},     {"UPPER", Expr::Fn::Upper, 1, 1},
        {"SUBSTR", Expr::Fn::SubStr, 2, 3},   {"LEFT", Expr::Fn::Left, 2, 2},
        {"RIGHT", Expr::Fn::Right, 2, 2},     {"TRIM", Expr::Fn::Trim, 1, 1},
        {"RTRIM", Expr::Fn::Trim, 1, 1},      {"ALLTRIM", Expr::Fn::AllTrim, 1, 1},
        {"LTRIM", Expr::Fn::LTrim, 1, 1},     {"DESCEND", Expr::Fn::Descend, 1, 1},
        {"VAL", Expr::Fn::Val, 1, 1},         {"STR", Expr::Fn::Str, 1, 3},
        {"DELETED", Expr::Fn::Deleted, 0, 0}, {"RECNO", Expr::Fn::Recno, 0, 0},
        {"LEN", Expr::Fn::Len, 1, 1},
    };
    const FnInfo* info = nullptr;
    for (const auto& f : table)
      if (name == f.name) info = &f;
    if (!info) return failAt("Unknown function " + name), -1;
    if (++depth > 200) return failAt("Expression too deeply nested"), -1;
    if (!next()) return -1;  // past "("
    std::vector<int> args;
    if (tok.kind != Tok::RParen) {
      for (;;) {
        int a = parseOr();
        if (a < 0) return -1;
        args.push_back(a);
        if (tok.kind == Tok::Comma) {
          if (!next()) return -1;
          continue;
        }
        break;
      }
    }
    --depth;
    if (tok.kind != Tok::RParen) return failAt("Missing ) after arguments of " + name), -1;
    if (!next()) return -1;
    int argc = static_cast<int>(args.size());
    if (argc < info->minArgs || argc > info->maxArgs) return failAt("Wrong number of arguments to " + name), -1;
    Expr::Node n;
    n.op = Expr::Op::Call;
    n.fn = info->fn;
    n.args = args;
    auto need = [&](int k, VType t) { return typeOf(args[static_cast<std::size_t>(k)]) == t; };
    bool ok = true;
    switch (info->fn) {
      case Expr::Fn::Lower: case Expr::Fn::Upper: case Expr::Fn::Trim: case Expr::Fn::AllTrim:
      case Expr::Fn::LTrim:
        ok = need(0, VType::Str);
        n.type = VType::Str;
        break;
      case Expr::Fn::SubStr:
        ok = need(0, VType::Str) && need(1, VType::Num) && (argc < 3 || need(2, VType::Num));
        n.type = VType::Str;
        break;
      case Expr::Fn::Left: case Expr::Fn::Right:
        ok = need(0, VType::Str) && need(1, VType::Num);
        n.type = VType::Str;
        break;
      case Expr::Fn::Descend:
        ok = !need(0, VType::Bool);
        n.type = typeOf(args[0]);
        break;
      case Expr::Fn::Val:
        ok = need(0, VType::Str);
        n.type = VType::Num;
        break;
      case Expr::Fn::Len:
        ok = need(0, VType::Str);
        n.type = VType::Num;
        break;
      case Expr::Fn::Str:
        ok = need(0, VType::Num) && (argc < 2 || need(1, VType::Num)) && (argc < 3 || need(2, VType::Num));
        n.type = VType::Str;
        break;
      case Expr::Fn::Deleted:
        n.type = VType::Bool;
        break;
      case Expr::Fn::Recno:
        n.type = VType::Num;
        break;
    }
    if (!ok) return failAt("Argument type mismatch in " + name), -1;
    return add(std::move(n));
  }
};

bool Expr::compile(std::string_view text, const std::vector<Field>& fields, std::string& error) {
  nodes_.clear();
  root_ = -1;
  fields_ = &fields;
  Parser p(text, *this, fields);
  if (!p.next()) {
    error = "Bad expression \"" + std::string(text) + "\": " + p.error;
    return false;
  }
  int r = p.parseOr();
  if (r >= 0 && p.tok.kind != Tok::End) {
    p.failAt("Unexpected text after the expression");
    r = -1;
  }
  if (r < 0) {
    error = "Bad expression \"" + std::string(text) + "\": " + p.error;
    nodes_.clear();
    return false;
  }
  root_ = r;
  return true;
}

bool Expr::test(const RecordView& rv) const {
  if (root_ < 0) return false;
  Value v = evalNode(root_, rv);
  return v.type == VType::Bool && v.b;
}

namespace {

std::string lowerStr(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string upperStr(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

// Compares two texts, the shorter one extended with blanks.
int comparePadded(std::string_view a, std::string_view b) {
  std::size_t n = std::max(a.size(), b.size());
  for (std::size_t k = 0; k < n; ++k) {
    unsigned char x = k < a.size() ? static_cast<unsigned char>(a[k]) : ' ';
    unsigned char y = k < b.size() ? static_cast<unsigned char>(b[k]) : ' ';
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

int compareStrings(std::string_view a, std::string_view b, bool exact) {
  if (!exact) {
    // With exact off the left value is compared over the length of the right.
    if (a.size() > b.size()) a = a.substr(0, b.size());
    return comparePadded(a, b);
  }
  return comparePadded(a, b);
}

std::string strOf(double v, int len, int dec) {
  if (len <= 0 || len > 255) len = 10;
  if (dec < 0) dec = 0;
  if (dec > 15) dec = 15;
  char buf[400];
  int n = std::snprintf(buf, sizeof buf, "%*.*f", len, dec, v);
  if (n < 0 || n > len) return std::string(static_cast<std::size_t>(len), '*');
  return std::string(buf, static_cast<std::size_t>(n));
}

}  // namespace

Value Expr::evalNode(int i, const RecordView& rv) const {
  const Node& n = nodes_[static_cast<std::size_t>(i)];
  Value out;
  out.type = n.type;
  auto arg = [&](std::size_t k) { return evalNode(n.args[k], rv); };
  switch (n.op) {
    case Op::Lit:
      return n.lit;
    case Op::Field: {
      const Field& f = (*fields_)[static_cast<std::size_t>(n.field)];
      std::string_view raw(rv.rec + 1 + f.offset, static_cast<std::size_t>(f.width));
      if (n.type == VType::Num) {
        out.n = parseNumber(raw);
      } else if (n.type == VType::Bool) {
        char c = raw.empty() ? ' ' : raw[0];
        out.b = c == 'T' || c == 't' || c == 'Y' || c == 'y';
      } else if (f.type == 'M' && rv.memo && *rv.memo) {
        out.s = (*rv.memo)(n.field, rv.rec);
      } else {
        out.s.assign(raw);
      }
      return out;
    }
    case Op::Add: {
      Value a = arg(0), b = arg(1);
      if (n.type == VType::Num) {
        out.n = a.n + b.n;
      } else {
        out.s = std::move(a.s);
        out.s += b.s;
      }
      return out;
    }
    case Op::Sub:
      out.n = arg(0).n - arg(1).n;
      return out;
    case Op::Neg:
      out.n = -arg(0).n;
      return out;
    case Op::And:
      out.b = arg(0).b && arg(1).b;
      return out;
    case Op::Or:
      out.b = arg(0).b || arg(1).b;
      return out;
    case Op::Not:
      out.b = !arg(0).b;
      return out;
    case Op::Contains: {
      Value a = arg(0), b = arg(1);
      out.b = b.s.find(a.s) != std::string::npos;
      return out;
    }
    case Op::Eq: case Op::EqEq: case Op::Ne: case Op::Lt: case Op::Le: case Op::Gt: case Op::Ge: {
      Value a = arg(0), b = arg(1);
      int c = 0;
      VType t = nodes_[static_cast<std::size_t>(n.args[0])].type;
      if (t == VType::Num) {
        c = a.n < b.n ? -1 : (a.n > b.n ? 1 : 0);
      } else if (t == VType::Bool) {
        c = a.b == b.b ? 0 : 1;
      } else if (n.op == Op::EqEq) {
        c = compareStrings(a.s, b.s, true);
      } else if ((n.op == Op::Eq || n.op == Op::Ne) && !rv.exact) {
        // The left value begins with the right text (its blanks as typed).
        c = a.s.compare(0, b.s.size(), b.s) == 0 && a.s.size() >= b.s.size() ? 0 : 1;
      } else {
        c = compareStrings(a.s, b.s, rv.exact);
      }
      switch (n.op) {
        case Op::Eq: case Op::EqEq: out.b = c == 0; break;
        case Op::Ne: out.b = c != 0; break;
        case Op::Lt: out.b = c < 0; break;
        case Op::Le: out.b = c <= 0; break;
        case Op::Gt: out.b = c > 0; break;
        default: out.b = c >= 0; break;
      }
      return out;
    }
    case Op::Call:
      break;
  }
  switch (n.fn) {
    case Fn::Lower:
      out.s = lowerStr(arg(0).s);
      return out;
    case Fn::Upper:
      out.s = upperStr(arg(0).s);
      return out;
    case Fn::Trim:
      out.s = std::string(trimRight(arg(0).s));
      return out;
    case Fn::AllTrim:
      out.s = std::string(trimBoth(arg(0).s));
      return out;
    case Fn::LTrim: {
      std::string s = arg(0).s;
      std::size_t k = 0;
      while (k < s.size() && s[k] == ' ') ++k;
      out.s = s.substr(k);
      return out;
    }
    case Fn::SubStr: case Fn::Left: case Fn::Right: {
      std::string s = arg(0).s;
      double a = arg(1).n;
      std::size_t size = s.size();
      if (n.fn == Fn::Left) {
        std::size_t len = a <= 0 ? 0 : (a >= static_cast<double>(size) ? size : static_cast<std::size_t>(a));
        out.s = s.substr(0, len);
        return out;
      }
      if (n.fn == Fn::Right) {
        std::size_t len = a <= 0 ? 0 : (a >= static_cast<double>(size) ? size : static_cast<std::size_t>(a));
        out.s = s.substr(size - len);
        return out;
      }
      // SubStr(s, start[, len]): start from 1; a negative start counts from the end.
      double start = a;
      std::size_t from;
      if (start >= 1) from = start > static_cast<double>(size) ? size : static_cast<std::size_t>(start) - 1;
      else if (start < 0) from = -start >= static_cast<double>(size) ? 0 : size - static_cast<std::size_t>(-start);
      else from = 0;
      std::size_t len = size - from;
      if (n.args.size() > 2) {
        double l = arg(2).n;
        len = l <= 0 ? 0 : (l >= static_cast<double>(len) ? len : static_cast<std::size_t>(l));
      }
      out.s = s.substr(from, len);
      return out;
    }
    case Fn::Descend: {
      Value a = arg(0);
      if (a.type == VType::Num) {
        out.n = -a.n;
      } else {
        out.s = std::move(a.s);
        for (char& c : out.s) c = static_cast<char>((256 - static_cast<unsigned char>(c)) & 0xFF);
      }
      return out;
    }
    case Fn::Val:
      out.n = parseNumber(arg(0).s);
      return out;
    case Fn::Len:
      out.n = static_cast<double>(arg(0).s.size());
      return out;
    case Fn::Str: {
      double v = arg(0).n;
      int len = 10, dec = 0;
      if (n.args.size() > 1) {
        double l = arg(1).n;
        len = (l >= 1 && l <= 255) ? static_cast<int>(l) : 10;
      }
      if (n.args.size() > 2) {
        double d = arg(2).n;
        dec = (d >= 0 && d <= 15) ? static_cast<int>(d) : 0;
      }
      out.s = strOf(v, len, dec);
      return out;
    }
    case Fn::Deleted:
      out.b = rv.rec && rv.rec[0] == '*';
      return out;
    case Fn::Recno:
      out.n = rv.recno;
      return out;
  }
  return out;
}

// ------------------------------------------------------------------- keys

namespace {

using Map = std::array<std::uint8_t, 256>;

std::shared_ptr<const Map> identityMap() {
  static const auto m = [] {
    auto p = std::make_shared<Map>();
    for (int c = 0; c < 256; ++c) (*p)[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(c);
    return p;
  }();
  return m;
}

std::shared_ptr<const Map> compose(const std::shared_ptr<const Map>& inner, Expr::Fn fn) {
  auto m = std::make_shared<Map>();
  for (int c = 0; c < 256; ++c) {
    std::uint8_t v = (*inner)[static_cast<std::size_t>(c)];
    if (fn == Expr::Fn::Lower && v >= 'A' && v <= 'Z') v = static_cast<std::uint8_t>(v - 'A' + 'a');
    else if (fn == Expr::Fn::Upper && v >= 'a' && v <= 'z') v = static_cast<std::uint8_t>(v - 'a' + 'A');
    else if (fn == Expr::Fn::Descend) v = static_cast<std::uint8_t>((256 - v) & 0xFF);
    (*m)[static_cast<std::size_t>(c)] = v;
  }
  return m;
}

std::shared_ptr<const Map> logicalMap() {
  static const auto m = [] {
    auto p = std::make_shared<Map>();
    for (int c = 0; c < 256; ++c)
      (*p)[static_cast<std::size_t>(c)] = (c == 'T' || c == 't' || c == 'Y' || c == 'y') ? 'T' : 'F';
    return p;
  }();
  return m;
}

}  // namespace

bool KeyExpr::segmentsOf(int node, std::vector<Segment>& out) const {
  const Expr::Node& n = expr_.node(node);
  switch (n.op) {
    case Expr::Op::Field: {
      const Field& f = (*fields_)[static_cast<std::size_t>(n.field)];
      if (f.type == 'M' || f.type == 'N' || f.type == 'F') return false;
      Segment s;
      s.offset = 1 + f.offset;
      s.len = f.type == 'L' ? 1 : f.width;
      s.map = f.type == 'L' ? logicalMap() : identityMap();
      out.push_back(std::move(s));
      return true;
    }
    case Expr::Op::Add:
      if (n.type != VType::Str) return false;
      return segmentsOf(n.args[0], out) && segmentsOf(n.args[1], out);
    case Expr::Op::Call: {
      if (n.type != VType::Str) return false;
      if (n.fn == Expr::Fn::Lower || n.fn == Expr::Fn::Upper || n.fn == Expr::Fn::Descend) {
        std::size_t first = out.size();
        if (!segmentsOf(n.args[0], out)) return false;
        for (std::size_t k = first; k < out.size(); ++k) out[k].map = compose(out[k].map, n.fn);
        return true;
      }
      if (n.fn == Expr::Fn::SubStr || n.fn == Expr::Fn::Left) {
        const Expr::Node& a1 = expr_.node(n.args[1]);
        if (a1.op != Expr::Op::Lit) return false;
        double startD = n.fn == Expr::Fn::Left ? 1 : a1.lit.n;
        double lenD = n.fn == Expr::Fn::Left ? a1.lit.n : 1e9;
        if (n.fn == Expr::Fn::SubStr && n.args.size() > 2) {
          const Expr::Node& a2 = expr_.node(n.args[2]);
          if (a2.op != Expr::Op::Lit) return false;
          lenD = a2.lit.n;
        }
        if (startD < 1 || lenD < 0 || startD > 1e6) return false;
        std::vector<Segment> inner;
        if (!segmentsOf(n.args[0], inner)) return false;
        long total = 0;
        for (const auto& s : inner) total += s.len;
        long from = static_cast<long>(startD) - 1;
        long len = lenD > 1e6 ? total : static_cast<long>(lenD);
        if (from > total) from = total;
        if (len > total - from) len = total - from;
        long at = 0;
        for (const auto& s : inner) {
          long b = std::max(at, from), e = std::min(at + s.len, from + len);
          if (b < e) {
            Segment cut = s;
            cut.offset = s.offset + static_cast<int>(b - at);
            cut.len = static_cast<int>(e - b);
            out.push_back(std::move(cut));
          }
          at += s.len;
        }
        return true;
      }
      return false;
    }
    default:
      return false;
  }
}

bool KeyExpr::compile(std::string_view text, const std::vector<Field>& fields, std::string& error) {
  fields_ = &fields;
  segs_.clear();
  numeric_ = negate_ = false;
  width_ = 0;
  if (!expr_.compile(text, fields, error)) return false;
  const Expr::Node& root = expr_.node(expr_.root());
  // A single numeric or date field, or the Descend of one: numeric key.
  int fieldNode = -1;
  if (root.op == Expr::Op::Field) fieldNode = expr_.root();
  else if (root.op == Expr::Op::Call && root.fn == Expr::Fn::Descend &&
           expr_.node(root.args[0]).op == Expr::Op::Field) {
    fieldNode = root.args[0];
    negate_ = true;
  }
  if (fieldNode >= 0) {
    const Field& f = fields[static_cast<std::size_t>(expr_.node(fieldNode).field)];
    if (f.type == 'N' || f.type == 'F' || f.type == 'D') {
      kind_ = Kind::NumberField;
      numeric_ = true;
      numOffset_ = 1 + f.offset;
      numLen_ = f.width;
      width_ = 8;
      return true;
    }
    negate_ = false;
  }
  if (expr_.type() == VType::Str && segmentsOf(expr_.root(), segs_)) {
    kind_ = Kind::Segments;
    for (const auto& s : segs_) width_ += s.len;
    if (width_ <= 0) {
      error = "Key expression \"" + std::string(text) + "\" gives an empty key";
      return false;
    }
    return true;
  }
  segs_.clear();
  kind_ = Kind::General;
  if (expr_.type() == VType::Num) {
    numeric_ = true;
    width_ = 8;
  }
  return true;
}

std::string KeyExpr::generalText(const RecordView& rv) const {
  Value v = expr_.eval(rv);
  if (v.type == VType::Bool) return v.b ? "T" : "F";
  return v.s;
}

void KeyExpr::build(const RecordView& rv, std::uint8_t* out) const {
  switch (kind_) {
    case Kind::Segments: {
      const auto* src = reinterpret_cast<const std::uint8_t*>(rv.rec);
      for (const auto& s : segs_) {
        const Map& m = *s.map;
        for (int k = 0; k < s.len; ++k) *out++ = m[src[s.offset + k]];
      }
      return;
    }
    case Kind::NumberField: {
      std::string_view raw(rv.rec + numOffset_, static_cast<std::size_t>(numLen_));
      double v = parseNumber(raw);
      encodeNumber(negate_ ? -v : v, out);
      return;
    }
    case Kind::General: {
      if (numeric_) {
        encodeNumber(expr_.eval(rv).n, out);
        return;
      }
      std::string t = generalText(rv);
      std::size_t w = static_cast<std::size_t>(width_);
      std::size_t n = std::min(w, t.size());
      std::memcpy(out, t.data(), n);
      std::memset(out + n, ' ', w - n);
      return;
    }
  }
}

}  // namespace xbase::detail
