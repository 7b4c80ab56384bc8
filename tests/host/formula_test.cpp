#include "host/formula.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

using namespace xlsim;

namespace {

// A parsed formula as a compact text: numbers, "texts", TRUE/FALSE, #code,
// {rows x columns: elements}, R(row1,col1:row2,col2), name(args), _ missing.
std::string show(const Expr& e) {
  std::ostringstream os;
  switch (e.kind) {
    case Expr::Number: os << e.number; break;
    case Expr::Text: os << '"' << e.text << '"'; break;
    case Expr::Boolean: os << (e.boolean ? "TRUE" : "FALSE"); break;
    case Expr::Error: os << '#' << e.error; break;
    case Expr::Missing: os << '_'; break;
    case Expr::Reference:
      os << "R(" << e.area.row1 << ',' << e.area.col1 << ':' << e.area.row2 << ',' << e.area.col2 << ')';
      break;
    case Expr::Array:
      os << '{' << e.rows << 'x' << e.columns << ':';
      for (size_t i = 0; i < e.elements.size(); ++i) os << (i ? "," : "") << show(e.elements[i]);
      os << '}';
      break;
    case Expr::Call:
      os << e.name << '(';
      for (size_t i = 0; i < e.args.size(); ++i) os << (i ? "," : "") << show(e.args[i]);
      os << ')';
      break;
  }
  return os.str();
}

}  // namespace

TEST(Formula, ParsesEveryKindOfTerm) {
  struct Case {
    const char* text;
    const char* shown;
  } cases[] = {
      // numbers
      {"=1", "1"}, {"=-2.5", "-2.5"}, {"=+3", "3"}, {"=.5", "0.5"}, {"=1.", "1"}, {"=1.5E-2", "0.015"},
      {"=-2e+3", "-2000"}, {"42", "42"}, {"  =  7  ", "7"}, {"=1e-400", "0"}, {"=007", "7"},
      // texts, Booleans, errors
      {R"(="say ""hi""")", R"("say "hi"")"}, {R"("")", R"("")"}, {R"("a,b)(")", R"("a,b)(")"},
      {"=tRuE", "TRUE"}, {"=false", "FALSE"}, {"=#NULL!", "#0"}, {"=#div/0!", "#7"}, {"=#VALUE!", "#15"},
      {"=#REF!", "#23"}, {"=#name?", "#29"}, {"=#NUM!", "#36"}, {"=#n/a", "#42"},
      // references, normalised
      {"=$A$1", "R(0,0:0,0)"}, {"=b3", "R(2,1:2,1)"}, {"=A3:B1", "R(0,0:2,1)"}, {"=$C$1:A$5", "R(0,0:4,2)"},
      {"= A1 : B2 ", "R(0,0:1,1)"}, {"=AA10", "R(9,26:9,26)"}, {"=A1:XFD1048576", "R(0,0:1048575,16383)"},
      // calls, omitted arguments, names that look like cells or constants
      {R"(=SUM.IF_2(A1:B2, -1.5, "x""y", true, #N/A, {1,2}, g(3)))",
       R"(SUM.IF_2(R(0,0:1,1),-1.5,"x"y",TRUE,#42,{1x2:1,2},g(3)))"},
      {"=f()", "f()"}, {"=f( )", "f()"}, {"=f(,)", "f(_,_)"}, {"=f(1,,3)", "f(1,_,3)"}, {"=f(1,)", "f(1,_)"},
      {"=f( , ,)", "f(_,_,_)"}, {"=LOG10(100)", "LOG10(100)"}, {"=a1 (2)", "a1(2)"}, {"=TRUE()", "TRUE()"},
      {"_x.y(1)", "_x.y(1)"}, {"=f(A1(1),A1)", "f(A1(1),R(0,0:0,0))"},
      // array constants, row-major
      {"={1,2;3,4}", "{2x2:1,2,3,4}"}, {R"(={ -1 , "a""b" ; TRUE , #DIV/0! ; .5, false })",
                                        R"({3x2:-1,"a"b",TRUE,#7,0.5,FALSE})"},
      {"={1;2;3}", "{3x1:1,2,3}"}, {"={7}", "{1x1:7}"},
  };
  for (const auto& c : cases) {
    try {
      EXPECT_EQ(show(parseFormula(c.text)), c.shown) << c.text;
    } catch (const FormulaError& e) {
      ADD_FAILURE() << c.text << ": " << e.what();
    }
  }
}

TEST(Formula, DeepNestingIsParsedOrRefused) {
  std::string ok;
  for (int i = 0; i < 200; ++i) ok += "f(";
  ok += "1" + std::string(200, ')');
  EXPECT_EQ(show(parseFormula(ok)), ok);
  // far deeper than any real formula: refused, not a stack overflow
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "f(";
  EXPECT_THROW(parseFormula(deep), FormulaError);
}

TEST(Formula, ErrorsNameTheReasonAndPosition) {
  struct Case {
    const char* text;
    size_t position;
    const char* reason;  // part of the message
  } cases[] = {
      {"", 0, "empty"}, {"=   ", 4, "empty"}, {"=f(1", 4, "missing ')'"},
      {"=f(g(1)", 7, "missing ')' to close the '(' at 3"},
      {"=f(1))", 5, "unexpected ')'"}, {"=f(1 2)", 5, "expected ',' or ')'"}, {"=1 2", 3, "unexpected '2'"},
      {"=12abc", 3, "unexpected 'a'"}, {R"(="abc)", 1, "unterminated text"},
      {R"(=f("a"",1))", 3, "unterminated text"}, {"={1,2", 5, "missing '}' to close the '{' at 2"}, {"={1,2;3}", 7, "differ"},
      {"={1,,2}", 4, "expected a number"}, {"={A1}", 2, "expected a number"}, {"={{1}}", 2, "expected a number"},
      {"={1 2}", 4, "expected ',', ';' or '}'"}, {"=#BAD!", 1, "unknown error"}, {"=foo", 1, "unknown name 'foo'"},
      {"=A1B", 1, "unknown name"}, {"=XFE1", 1, "invalid reference"}, {"=A0", 1, "invalid reference"},
      {"=A1:", 4, "after ':'"}, {"=$A$1(2)", 5, "unexpected '('"}, {"=$", 1, "invalid reference"},
      {"=-x", 1, "expected a number"}, {"=1e999", 1, "out of range"}, {"==1", 1, "unexpected '='"},
  };
  for (const auto& c : cases) {
    try {
      Expr e = parseFormula(c.text);
      ADD_FAILURE() << "no error for " << c.text << ": " << show(e);
    } catch (const FormulaError& err) {
      EXPECT_EQ(err.position, c.position) << c.text << ": " << err.what();
      EXPECT_NE(std::string(err.what()).find(c.reason), std::string::npos) << c.text << ": " << err.what();
      // the message counts from 1, as a reader does
      EXPECT_EQ(std::string(err.what()).rfind("position " + std::to_string(c.position + 1) + ": ", 0), 0u)
          << err.what();
    }
  }
}

TEST(Formula, CellConstants) {
  EXPECT_EQ(show(parseConstant("-1.25e2")), "-125");
  EXPECT_EQ(show(parseConstant("True")), "TRUE");
  EXPECT_EQ(show(parseConstant("#num!")), "#36");
  // anything else stays text exactly as written
  for (const char* text : {"", " 12", "12 ", "1,000", "\"quoted\"", "A1", "f(1)", "#N/A ", "TRUE1", "1e999",
                           "inf", "nan", "0x10", "2024-01-01"})
    EXPECT_EQ(show(parseConstant(text)), "\"" + std::string(text) + "\"");
}
