#include "host/formula.h"

#include <gtest/gtest.h>

#include <string>

using namespace xlsim;

namespace {

Area area(int r1, int c1, int r2, int c2) { return Area{r1, c1, r2, c2}; }

// Parses text, expecting a FormulaError; returns it.
FormulaError parseError(const std::string& text) {
  try {
    Expr e = parseFormula(text);
    ADD_FAILURE() << "no error for " << text << " (kind " << e.kind << ")";
  } catch (const FormulaError& err) {
    return err;
  }
  return FormulaError("", std::string::npos);
}

}  // namespace

TEST(FormulaConstants, Numbers) {
  struct Case {
    const char* text;
    double value;
  } cases[] = {
      {"=1", 1},        {"=-2.5", -2.5},    {"=+3", 3},         {"=.5", 0.5},    {"=1.", 1},
      {"=1e3", 1000},   {"=1.5E-2", 0.015}, {"=-2e+3", -2000},  {"42", 42},      {"  =  7  ", 7},
      {"=0.1", 0.1},    {"=1e-400", 0},     {"=007", 7},
  };
  for (const auto& c : cases) {
    Expr e = parseFormula(c.text);
    ASSERT_EQ(e.kind, Expr::Number) << c.text;
    EXPECT_EQ(e.number, c.value) << c.text;
  }
}

TEST(FormulaConstants, TextsBooleansErrors) {
  Expr t = parseFormula(R"(="say ""hi""")");
  ASSERT_EQ(t.kind, Expr::Text);
  EXPECT_EQ(t.text, "say \"hi\"");
  EXPECT_EQ(parseFormula(R"("")").text, "");
  EXPECT_EQ(parseFormula(R"("""")").text, "\"");
  EXPECT_EQ(parseFormula(R"("a,b)(")").text, "a,b)(");

  EXPECT_TRUE(parseFormula("=TRUE").boolean);
  EXPECT_TRUE(parseFormula("=tRuE").boolean);
  Expr f = parseFormula("=false");
  EXPECT_EQ(f.kind, Expr::Boolean);
  EXPECT_FALSE(f.boolean);

  struct Case {
    const char* text;
    int code;
  } errors[] = {{"=#NULL!", 0}, {"=#DIV/0!", 7}, {"=#VALUE!", 15}, {"=#REF!", 23},
                {"=#NAME?", 29}, {"=#NUM!", 36}, {"=#N/A", 42},   {"=#n/a", 42},
                {"=#name?", 29}, {"=#div/0!", 7}};
  for (const auto& c : errors) {
    Expr e = parseFormula(c.text);
    ASSERT_EQ(e.kind, Expr::Error) << c.text;
    EXPECT_EQ(e.error, c.code) << c.text;
  }
}

TEST(FormulaReferences, CellsAndAreas) {
  struct Case {
    const char* text;
    Area area;
  } cases[] = {
      {"=A1", area(0, 0, 0, 0)},
      {"=$A$1", area(0, 0, 0, 0)},
      {"=A$1", area(0, 0, 0, 0)},
      {"=$B3", area(2, 1, 2, 1)},
      {"=b3", area(2, 1, 2, 1)},
      {"=A1:B3", area(0, 0, 2, 1)},
      {"=B3:A1", area(0, 0, 2, 1)},    // normalised
      {"=A3:B1", area(0, 0, 2, 1)},    // rows and columns each normalised
      {"=$C$1:A$5", area(0, 0, 4, 2)},
      {"= A1 : B2 ", area(0, 0, 1, 1)},
      {"=AA10", area(9, 26, 9, 26)},
      {"=XFD1048576", area(1048575, 16383, 1048575, 16383)},
      {"=A1:XFD1048576", area(0, 0, 1048575, 16383)},
  };
  for (const auto& c : cases) {
    Expr e = parseFormula(c.text);
    ASSERT_EQ(e.kind, Expr::Reference) << c.text;
    EXPECT_EQ(e.area, c.area) << c.text << " gave " << e.area.row1 << "," << e.area.col1 << ","
                              << e.area.row2 << "," << e.area.col2;
  }
}

TEST(FormulaCalls, ArgumentsOfEveryKind) {
  Expr e = parseFormula(R"(=SUM.IF_2(A1:B2, -1.5, "x""y", true, #N/A, {1,2}, g(3)))");
  ASSERT_EQ(e.kind, Expr::Call);
  EXPECT_EQ(e.name, "SUM.IF_2");
  ASSERT_EQ(e.args.size(), 7u);
  EXPECT_EQ(e.args[0].kind, Expr::Reference);
  EXPECT_EQ(e.args[0].area, area(0, 0, 1, 1));
  EXPECT_EQ(e.args[1].number, -1.5);
  EXPECT_EQ(e.args[2].text, "x\"y");
  EXPECT_EQ(e.args[3].kind, Expr::Boolean);
  EXPECT_TRUE(e.args[3].boolean);
  EXPECT_EQ(e.args[4].error, 42);
  EXPECT_EQ(e.args[5].kind, Expr::Array);
  ASSERT_EQ(e.args[6].kind, Expr::Call);
  EXPECT_EQ(e.args[6].name, "g");
  ASSERT_EQ(e.args[6].args.size(), 1u);
  EXPECT_EQ(e.args[6].args[0].number, 3);
}

TEST(FormulaCalls, OmittedArguments) {
  struct Case {
    const char* text;
    std::string shape;  // one letter per argument: M missing, N number
  } cases[] = {
      {"=f()", ""},        {"=f( )", ""},        {"=f(,)", "MM"},     {"=f(1,,3)", "NMN"},
      {"=f(1,)", "NM"},    {"=f(,1)", "MN"},     {"=f( , ,)", "MMM"}, {"=f(1)", "N"},
  };
  for (const auto& c : cases) {
    Expr e = parseFormula(c.text);
    ASSERT_EQ(e.kind, Expr::Call) << c.text;
    std::string shape;
    for (const Expr& a : e.args) shape += a.kind == Expr::Missing ? 'M' : a.kind == Expr::Number ? 'N' : '?';
    EXPECT_EQ(shape, c.shape) << c.text;
  }
}

TEST(FormulaCalls, NamesThatLookLikeCellsOrConstants) {
  // A cell-shaped name followed by '(' is a function name.
  for (const char* text : {"=LOG10(100)", "=A1(2)", "=a1 (2)", "=TRUE()", "=false( )", "_x.y(1)"}) {
    Expr e = parseFormula(text);
    EXPECT_EQ(e.kind, Expr::Call) << text;
  }
  EXPECT_EQ(parseFormula("=LOG10(100)").name, "LOG10");
  EXPECT_EQ(parseFormula("=sum(1)").name, "sum");  // as written
  EXPECT_EQ(parseFormula("=f(A1(1))").args[0].kind, Expr::Call);
  EXPECT_EQ(parseFormula("=f(A1)").args[0].kind, Expr::Reference);
}

TEST(FormulaCalls, DeepNesting) {
  std::string ok;
  for (int i = 0; i < 200; ++i) ok += "f(";
  ok += "1" + std::string(200, ')');
  Expr e = parseFormula(ok);
  int depth = 0;
  const Expr* p = &e;
  while (p->kind == Expr::Call) {
    ++depth;
    p = &p->args.at(0);
  }
  EXPECT_EQ(depth, 200);
  EXPECT_EQ(p->number, 1);

  // Far deeper than any real formula: refused, not a stack overflow.
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "f(";
  EXPECT_THROW(parseFormula(deep), FormulaError);
}

TEST(FormulaArrays, ShapeAndElements) {
  Expr e = parseFormula("={1,2;3,4}");
  ASSERT_EQ(e.kind, Expr::Array);
  EXPECT_EQ(e.rows, 2);
  EXPECT_EQ(e.columns, 2);
  ASSERT_EQ(e.elements.size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(e.elements[i].number, i + 1);  // row-major

  Expr m = parseFormula(R"(={ -1 , "a""b" ; TRUE , #DIV/0! ; .5, false })");
  EXPECT_EQ(m.rows, 3);
  EXPECT_EQ(m.columns, 2);
  ASSERT_EQ(m.elements.size(), 6u);
  EXPECT_EQ(m.elements[0].number, -1);
  EXPECT_EQ(m.elements[1].text, "a\"b");
  EXPECT_TRUE(m.elements[2].boolean);
  EXPECT_EQ(m.elements[3].error, 7);
  EXPECT_EQ(m.elements[4].number, 0.5);
  EXPECT_EQ(m.elements[5].kind, Expr::Boolean);
  EXPECT_FALSE(m.elements[5].boolean);

  Expr row = parseFormula("={1,2,3}");
  EXPECT_EQ(row.rows, 1);
  EXPECT_EQ(row.columns, 3);
  Expr column = parseFormula("={1;2;3}");
  EXPECT_EQ(column.rows, 3);
  EXPECT_EQ(column.columns, 1);
  Expr single = parseFormula("={7}");
  EXPECT_EQ(single.rows, 1);
  EXPECT_EQ(single.columns, 1);
}

TEST(FormulaErrors, ReasonAndPosition) {
  struct Case {
    const char* text;
    size_t position;
    const char* reason;  // part of the message
  } cases[] = {
      {"", 0, "empty"},
      {"=", 1, "empty"},
      {"=   ", 4, "empty"},
      {"=f(1", 4, "missing ')'"},
      {"=f(", 3, "missing ')'"},
      {"=f(g(1)", 7, "missing ')'"},
      {"=f(1))", 5, "unexpected ')'"},
      {"=f(1 2)", 5, "expected ',' or ')'"},
      {"=f(1) x", 6, "unexpected 'x'"},
      {"=1 2", 3, "unexpected '2'"},
      {"=12abc", 3, "unexpected 'a'"},
      {R"(="abc)", 1, "unterminated text"},
      {R"(=f("a"",1))", 3, "unterminated text"},
      {"={1,2", 5, "missing '}'"},
      {"={1,2;3}", 7, "differ"},
      {"={1;2,3}", 7, "differ"},
      {"={1,,2}", 4, "expected a number"},
      {"={}", 2, "expected a number"},
      {"={A1}", 2, "expected a number"},
      {"={{1}}", 2, "expected a number"},
      {"={1 2}", 4, "expected ',', ';' or '}'"},
      {"=#BAD!", 1, "unknown error"},
      {"=foo", 1, "unknown name 'foo'"},
      {"=A1B", 1, "unknown name"},
      {"=XFE1", 1, "invalid reference"},
      {"=A0", 1, "invalid reference"},
      {"=A1048577", 1, "invalid reference"},
      {"=A1:", 4, "after ':'"},
      {"=A1:foo", 4, "after ':'"},
      {"=$A$1(2)", 5, "unexpected '('"},
      {"=$", 1, "invalid reference"},
      {"=-", 1, "expected a number"},
      {"=-x", 1, "expected a number"},
      {"=1e999", 1, "out of range"},
      {"=f(1,)x", 6, "unexpected 'x'"},
      {"=)", 1, "unexpected ')'"},
      {"==1", 1, "unexpected '='"},
  };
  for (const auto& c : cases) {
    FormulaError err = parseError(c.text);
    EXPECT_EQ(err.position, c.position) << c.text << ": " << err.what();
    EXPECT_NE(std::string(err.what()).find(c.reason), std::string::npos) << c.text << ": " << err.what();
    EXPECT_NE(std::string(err.what()).find(std::to_string(c.position)), std::string::npos) << err.what();
  }
}

TEST(FormulaConstant, CellContents) {
  Expr n = parseConstant("-1.25e2");
  ASSERT_EQ(n.kind, Expr::Number);
  EXPECT_EQ(n.number, -125);
  EXPECT_EQ(parseConstant(".5").number, 0.5);

  Expr b = parseConstant("True");
  ASSERT_EQ(b.kind, Expr::Boolean);
  EXPECT_TRUE(b.boolean);
  EXPECT_FALSE(parseConstant("FALSE").boolean);
  EXPECT_EQ(parseConstant("FALSE").kind, Expr::Boolean);

  Expr err = parseConstant("#num!");
  ASSERT_EQ(err.kind, Expr::Error);
  EXPECT_EQ(err.error, 36);

  // Anything else stays text exactly as written.
  for (const char* text : {"", " 12", "12 ", "1,000", "abc", "\"quoted\"", "A1", "f(1)", "#N/A ",
                           "TRUE1", "1e999", "inf", "nan", "0x10", "2024-01-01"}) {
    Expr t = parseConstant(text);
    EXPECT_EQ(t.kind, Expr::Text) << text;
    EXPECT_EQ(t.text, text);
  }
}
