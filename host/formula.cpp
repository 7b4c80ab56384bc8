#include "host/formula.h"

#include <algorithm>
#include <utility>

#include "host/text.h"

namespace xlsim {

namespace {

constexpr int kMaxDepth = 1000;  // nested calls; keeps the recursion off the stack limit
const int kErrorCodes[] = {0, 7, 15, 23, 29, 36, 42};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isNameStart(char c) { return isLetter(c) || c == '_'; }
bool isNameChar(char c) { return isNameStart(c) || isDigit(c) || c == '.'; }
char upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

bool equalsNoCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i)
    if (upper(a[i]) != b[i]) return false;
  return i == a.size() && !b[i];
}

Expr booleanExpr(bool b) {
  Expr e;
  e.kind = Expr::Boolean;
  e.boolean = b;
  return e;
}

class Parser {
 public:
  explicit Parser(const std::string& s) : s_(s) {}

  Expr formula() {
    skipBlanks();
    if (pos_ < s_.size() && s_[pos_] == '=') ++pos_;
    skipBlanks();
    if (atEnd()) fail("empty formula");
    Expr e = expression(0);
    skipBlanks();
    if (!atEnd()) fail(unexpected());
    return e;
  }

 private:
  [[noreturn]] void fail(const std::string& why) { fail(why, pos_); }
  [[noreturn]] void fail(const std::string& why, size_t at) {
    throw FormulaError("position " + place(at) + ": " + why, at);
  }
  // A position as the message counts it: the first character is 1.
  static std::string place(size_t at) { return std::to_string(at + 1); }
  std::string unexpected() const {
    return atEnd() ? "unexpected end of formula" : "unexpected '" + std::string(1, s_[pos_]) + "'";
  }

  bool atEnd() const { return pos_ >= s_.size(); }
  char peek() const { return atEnd() ? '\0' : s_[pos_]; }
  void skipBlanks() {
    while (!atEnd() && isBlank(s_[pos_])) ++pos_;
  }
  size_t afterBlanks(size_t i) const {
    while (i < s_.size() && isBlank(s_[i])) ++i;
    return i;
  }

  Expr expression(int depth) {
    char c = peek();
    if (c == '{') return array();
    if (c == '$' || isNameStart(c)) return referenceOrCall(depth);
    Expr e;
    if (constant(e)) return e;
    fail(unexpected());
  }

  // A number, text, Boolean or error literal; false when none starts here.
  bool constant(Expr& e) {
    char c = peek();
    if (c == '"') {
      text(e);
    } else if (c == '#') {
      error(e);
    } else if (isDigit(c) || c == '.' || c == '+' || c == '-') {
      number(e);
    } else if (isNameStart(c)) {
      size_t start = pos_, end = nameEnd(pos_);
      std::string word = s_.substr(start, end - start);
      if (!equalsNoCase(word, "TRUE") && !equalsNoCase(word, "FALSE")) return false;
      pos_ = end;
      e = booleanExpr(upper(word[0]) == 'T');
    } else {
      return false;
    }
    return true;
  }

  // The literals below fill a fresh node e.
  void text(Expr& e) {
    size_t start = pos_++;
    e.kind = Expr::Text;
    for (;;) {
      size_t quote = s_.find('"', pos_);
      if (quote == std::string::npos) fail("unterminated text", start);
      e.text.append(s_, pos_, quote - pos_);
      pos_ = quote + 1;
      if (peek() == '"') {
        e.text.push_back('"');
        ++pos_;
      } else {
        return;
      }
    }
  }

  void error(Expr& e) {
    for (int code : kErrorCodes) {
      std::string literal = errorText(code);
      if (s_.size() - pos_ >= literal.size() && errorCode(s_.substr(pos_, literal.size())) == code) {
        pos_ += literal.size();
        e.kind = Expr::Error;
        e.error = code;
        return;
      }
    }
    fail("unknown error literal");
  }

  void number(Expr& e) {
    size_t start = pos_;
    size_t i = pos_;
    if (s_[i] == '+' || s_[i] == '-') ++i;
    size_t digits = 0;
    for (; i < s_.size() && isDigit(s_[i]); ++i) ++digits;
    if (i < s_.size() && s_[i] == '.')
      for (++i; i < s_.size() && isDigit(s_[i]); ++i) ++digits;
    if (digits == 0) fail("expected a number", start);
    if (i < s_.size() && (s_[i] == 'e' || s_[i] == 'E')) {
      size_t j = i + 1;
      if (j < s_.size() && (s_[j] == '+' || s_[j] == '-')) ++j;
      size_t k = j;
      while (k < s_.size() && isDigit(s_[k])) ++k;
      if (k > j) i = k;
    }
    e.kind = Expr::Number;
    if (!parseNumber(s_.substr(start, i - start), e.number)) fail("number out of range", start);
    pos_ = i;
  }

  Expr array() {
    size_t open = pos_++;
    Expr e;
    e.kind = Expr::Array;
    int columns = 0;
    for (;;) {
      skipBlanks();
      if (atEnd()) fail("missing '}' to close the '{' at " + place(open));
      Expr element;
      if (!constant(element)) fail("expected a number, text, Boolean or error in the array");
      e.elements.push_back(std::move(element));
      ++columns;
      skipBlanks();
      char c = peek();
      if (c == ',') {
        ++pos_;
        continue;
      }
      if (c != ';' && c != '}') {
        if (atEnd()) fail("missing '}' to close the '{' at " + place(open));
        fail("expected ',', ';' or '}' in the array");
      }
      if (e.rows == 0)
        e.columns = columns;
      else if (columns != e.columns)
        fail("array rows differ in length");
      ++e.rows;
      columns = 0;
      ++pos_;
      if (c == '}') return e;
    }
  }

  size_t nameEnd(size_t i) const {
    while (i < s_.size() && isNameChar(s_[i])) ++i;
    return i;
  }

  // End of a cell reference shape ([$]letters[$]digits) at i, or 0.
  size_t cellEnd(size_t i, bool& dollar) const {
    dollar = false;
    if (i < s_.size() && s_[i] == '$') ++i, dollar = true;
    size_t letters = i;
    while (i < s_.size() && isLetter(s_[i])) ++i;
    if (i == letters) return 0;
    if (i < s_.size() && s_[i] == '$') ++i, dollar = true;
    size_t digits = i;
    while (i < s_.size() && isDigit(s_[i])) ++i;
    if (i == digits || (i < s_.size() && isNameChar(s_[i]))) return 0;
    return i;
  }

  Area cell(size_t start, size_t end) {
    int row, col;
    if (!parseCell(std::string_view(s_).substr(start, end - start), row, col))
      fail("invalid reference '" + s_.substr(start, end - start) + "'", start);
    return Area{row, col, row, col};
  }

  Expr referenceOrCall(int depth) {
    size_t start = pos_;
    bool dollar;
    size_t end = cellEnd(start, dollar);
    // A1( is a call to a function named A1.
    if (end && (dollar || afterBlanks(end) >= s_.size() || s_[afterBlanks(end)] != '(')) {
      Expr e;
      e.kind = Expr::Reference;
      e.area = cell(start, end);
      pos_ = end;
      size_t colon = afterBlanks(end);
      if (colon < s_.size() && s_[colon] == ':') {
        size_t second = afterBlanks(colon + 1);
        size_t secondEnd = cellEnd(second, dollar);
        if (!secondEnd) fail("expected a cell reference after ':'", second);
        Area b = cell(second, secondEnd);
        e.area = Area{std::min(e.area.row1, b.row1), std::min(e.area.col1, b.col1),
                      std::max(e.area.row1, b.row1), std::max(e.area.col1, b.col1)};
        pos_ = secondEnd;
      }
      return e;
    }
    if (s_[start] == '$') fail("invalid reference", start);

    end = nameEnd(start);
    size_t paren = afterBlanks(end);
    if (paren < s_.size() && s_[paren] == '(') return call(s_.substr(start, end - start), paren, depth);
    Expr e;
    if (constant(e)) return e;
    fail("unknown name '" + s_.substr(start, end - start) + "'", start);
  }

  Expr call(std::string name, size_t paren, int depth) {
    if (depth >= kMaxDepth) fail("formula nested too deeply", paren);
    Expr e;
    e.kind = Expr::Call;
    e.name = std::move(name);
    pos_ = paren + 1;
    skipBlanks();
    if (peek() == ')') {
      ++pos_;
      return e;
    }
    e.args.reserve(2);
    for (;;) {
      skipBlanks();
      if (atEnd()) fail("missing ')' to close the '(' at " + place(paren));
      char c = peek();
      e.args.push_back(c == ',' || c == ')' ? Expr() : expression(depth + 1));
      skipBlanks();
      c = peek();
      if (c == ',') {
        ++pos_;
      } else if (c == ')') {
        ++pos_;
        return e;
      } else if (atEnd()) {
        fail("missing ')' to close the '(' at " + place(paren));
      } else {
        fail("expected ',' or ')'");
      }
    }
  }

  const std::string& s_;
  size_t pos_ = 0;
};

}  // namespace

Expr parseFormula(const std::string& text) { return Parser(text).formula(); }

Expr parseConstant(const std::string& text) {
  Expr e;
  if (parseNumber(text, e.number)) {
    e.kind = Expr::Number;
  } else if (equalsNoCase(text, "TRUE") || equalsNoCase(text, "FALSE")) {
    e = booleanExpr(upper(text[0]) == 'T');
  } else if ((e.error = errorCode(text)) >= 0) {
    e.kind = Expr::Error;
  } else {
    e.error = 0;
    e.kind = Expr::Text;
    e.text = text;
  }
  return e;
}

}  // namespace xlsim
