// The host value wrapper: kinds, ownership, shape rules, limits, equality.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "xll/oper.h"

namespace {

// The "ensure: ..." line of a framework failure.
template <class F>
std::string ensureLine(F&& f) {
  try {
    f();
  } catch (const std::runtime_error& e) {
    std::string s = e.what();
    auto at = s.find("ensure: ");
    return at == std::string::npos ? s : s.substr(at);
  }
  return "no failure";
}

TEST(Oper, KindsOfConstructionAndAssignment) {
  EXPECT_EQ(OPER().xltype, xltypeNil);
  EXPECT_EQ(OPER(1.5).xltype, xltypeNum);
  EXPECT_EQ(OPER(7).val.num, 7.0);
  OPER b;
  b = true;
  EXPECT_EQ(b.xltype, xltypeBool);
  EXPECT_EQ(b.val.xbool, 1);
  OPER u;
  u = 4294967295u;
  EXPECT_EQ(u.val.num, 4294967295.0);
  OPER s("Hello");
  ASSERT_EQ(s.xltype, xltypeStr);
  EXPECT_EQ(static_cast<unsigned char>(s.val.str[0]), 5);
  EXPECT_EQ(s.text(), "Hello");
  OPER empty(static_cast<const char*>(nullptr));
  EXPECT_EQ(empty.xltype, xltypeStr);
  EXPECT_EQ(empty.text(), "");
  EXPECT_EQ(OPER(0, 3).xltype, xltypeMissing);
  OPER a(2, 3);
  EXPECT_EQ(a.xltype, xltypeMulti);
  for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].xltype, xltypeNil);
  // Assignment frees the old value and takes the new kind.
  a = 2.0;
  EXPECT_EQ(a.xltype, xltypeNum);
}

TEST(Oper, TextLimits) {
  EXPECT_NO_THROW(OPER(std::string(255, 'x')));
  EXPECT_EQ(ensureLine([] { OPER(std::string(256, 'x')); }),
            "ensure: \"n <= limits<XLOPER>::maxchars\" failed");
  OPER s("abc");
  s.append("def");
  EXPECT_EQ(s.text(), "abcdef");
  s.append("xyz", 2);
  EXPECT_EQ(s.text(), "abcdefxy");
  s.append("q", 10);  // never reads past the source's terminator
  EXPECT_EQ(s.text(), "abcdefxyq");
  OPER full(std::string(254, 'x'));
  full.append("y");
  EXPECT_EQ(full.text().size(), 255u);
  EXPECT_EQ(ensureLine([&] { full.append("z"); }),
            "ensure: \"n <= limits<XLOPER>::maxchars\" failed");
  EXPECT_EQ(full.text().size(), 255u);  // unchanged after the failure
  OPER n(1.0);
  EXPECT_EQ(ensureLine([&] { n.append("a"); }), "ensure: \"xltype == xltypeStr\" failed");
  OPER t("ab");
  t.realloc(4, "xy");
  EXPECT_EQ(t.text(), std::string("xy\0\0", 4));
}

TEST(Oper, DeepCopiesShareNothing) {
  OPER a(1, 2);
  a[0] = "text";
  a[1] = OPER(2, 1);
  a[1][0] = "inner";
  OPER b(a);
  b[0] = "other";
  b[1][0] = 5.0;
  EXPECT_EQ(a[0].text(), "text");
  EXPECT_EQ(a[1][0].text(), "inner");
  EXPECT_NE(a[0].val.str, OPER(a)[0].val.str);
  a = a;  // self-assignment keeps the value
  EXPECT_EQ(a[0].text(), "text");
  OPER c;
  c = b;
  EXPECT_TRUE(c == b);
  OPER moved(std::move(c));
  EXPECT_EQ(c.xltype, xltypeMissing);
  EXPECT_TRUE(moved == b);
}

TEST(Oper, ArrayShapeLimits) {
  OPER wide(1, 255);
  EXPECT_EQ(wide.columns(), 255u);
  EXPECT_EQ(ensureLine([] { OPER(1, 256); }), "ensure: \"c <= xll::limits<X>::maxcols\" failed");
  // Rows are counted in full width up to 65,535; one more is refused.
  OPER tall(65535, 2);
  EXPECT_EQ(tall.rows(), 65535u);
  EXPECT_EQ(tall.size(), 131070u);
  EXPECT_EQ(tall[131069].xltype, xltypeNil);
  EXPECT_EQ(ensureLine([&] { tall.resize(65536, 2); }),
            "ensure: \"r <= xll::limits<X>::maxrows\" failed");
  EXPECT_EQ(tall.rows(), 65535u);
  EXPECT_EQ(ensureLine([] { OPER(65536, 1); }), "ensure: \"r <= xll::limits<X>::maxrows\" failed");
  OPER num(1.0);
  EXPECT_EQ(ensureLine([&] { num.realloc(2, 2, nullptr); }),
            "ensure: \"xltype == xltypeMulti\" failed");
}

TEST(Oper, ResizeKeepsLeadingElements) {
  OPER a(2, 2);
  for (int i = 0; i < 4; ++i) a[i] = i;
  a.resize(1, 3);
  EXPECT_EQ(a.rows(), 1u);
  EXPECT_EQ(a[2].val.num, 2.0);
  a.resize(2, 3);
  EXPECT_EQ(a[3].xltype, xltypeNil);
  a.resize(0, 3);
  EXPECT_EQ(a.xltype, xltypeMissing);
  OPER s("x");
  s.resize(2, 2);
  EXPECT_EQ(s.xltype, xltypeMulti);
  EXPECT_EQ(s[0].text(), "x");
  EXPECT_EQ(s[3].xltype, xltypeNil);
}

TEST(Oper, PushBackAndPopBack) {
  OPER v;
  v.push_back(OPER(1.0));
  EXPECT_EQ(v.xltype, xltypeNum);  // an empty value becomes a copy
  v.push_back(OPER(2.0));
  EXPECT_EQ(v.rows(), 2u);  // a scalar onto a scalar makes a column
  EXPECT_EQ(v.columns(), 1u);
  v.push_back("three");
  EXPECT_EQ(v(2, 0).text(), "three");
  v.push_back(v);  // appending itself reads a copy
  EXPECT_EQ(v.rows(), 6u);
  EXPECT_EQ(v[5].text(), "three");

  OPER row(1, 2);
  row[0] = 1;
  row[1] = 2;
  OPER col(2, 1);
  row.push_back(col);  // columns differ: a single row grows to the right
  EXPECT_EQ(row.rows(), 1u);
  EXPECT_EQ(row.columns(), 4u);
  OPER block(2, 2);
  EXPECT_EQ(ensureLine([&] { block.push_back(col); }), "ensure: \"rows() == 1\" failed");

  row.pop_back(3);
  EXPECT_EQ(row.columns(), 1u);
  EXPECT_EQ(ensureLine([&] { row.pop_back(2); }), "ensure: \"n <= columns()\" failed");
  row.pop_back();
  EXPECT_EQ(row.xltype, xltypeMissing);
  OPER num(3.0);
  num.pop_back(1);
  EXPECT_EQ(num.xltype, xltypeMissing);
  EXPECT_EQ(ensureLine([&] { v.pop_back(7); }), "ensure: \"n <= rows()\" failed");
  while (v.size()) v.pop_back(1);
  EXPECT_EQ(v.xltype, xltypeMissing);
}

TEST(Oper, IndexChecks) {
  OPER a(2, 3);
  EXPECT_EQ(ensureLine([&] { a[6]; }), "ensure: \"i < size(x)\" failed");
  EXPECT_EQ(ensureLine([&] { a(2, 0); }), "ensure: \"i < rows(x)\" failed");
  EXPECT_EQ(ensureLine([&] { a(0, 3); }), "ensure: \"j < columns(x)\" failed");
  OPER n(4.0);
  EXPECT_EQ(&n[0], &n);  // a scalar is its own element
  try {
    a[9];
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("\nfunction: xll::index\n"), std::string::npos);
    EXPECT_EQ(std::string(e.what()).rfind("file: ", 0), 0u);
  }
}

TEST(Oper, Equality) {
  EXPECT_TRUE(OPER("Target") == "TARGET");
  EXPECT_FALSE(OPER("abc") == "abcd");
  EXPECT_TRUE(OPER("MiXeD") == OPER("mixed"));
  EXPECT_FALSE(OPER(1.0) == OPER("1"));
  double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(OPER(nan) == OPER(nan));
  EXPECT_TRUE(OPER() == OPER());
  EXPECT_TRUE(OPER::missing() == OPER::missing());
  EXPECT_FALSE(OPER() == OPER::missing());
  EXPECT_TRUE(OPER::error(xlerrValue) == OPER::error(15));
  EXPECT_FALSE(OPER::error(xlerrNA) == OPER::error(xlerrValue));
  OPER r(2, 1), c(1, 2);
  r[0] = c[0] = 1;
  r[1] = c[1] = 2;
  EXPECT_FALSE(r == c);  // same elements, different shape
  OPER r2(r);
  EXPECT_TRUE(r == r2);
  r2[1] = "2";
  EXPECT_FALSE(r == r2);
  EXPECT_TRUE(OPER(3.0) == 3);
  OPER one(1, 1);
  one[0] = 3;
  EXPECT_TRUE(one == 3);
  EXPECT_FALSE(OPER("3") == 3);
}

TEST(Oper, NumericReading) {
  EXPECT_EQ(xll::to_double(OPER("abc")), 3.0);
  EXPECT_EQ(xll::to_double(OPER(true)), 1.0);
  EXPECT_EQ(xll::to_double(OPER()), 0.0);
  EXPECT_EQ(xll::to_double(OPER::error(xlerrNA)), 0.0);
  OPER two(2, 1);
  two[0] = 5;
  two[1] = 0;
  EXPECT_EQ(xll::to_double(two), 0.0);
  two[1] = "x";
  EXPECT_EQ(xll::to_double(two), 1.0);
  OPER nested(1, 1);
  nested[0] = OPER(1, 1);
  nested[0][0] = 7.5;
  EXPECT_EQ(xll::to_double(nested), 7.5);
  OPER ref;
  ref.xltype = xltypeSRef;
  ref.val.sref.count = 1;
  ref.val.sref.ref = XLREF{0, 2, 0, 1};
  EXPECT_TRUE(std::isnan(xll::to_double(ref)));
  EXPECT_EQ(xll::rows(ref), 3u);
  EXPECT_EQ(xll::columns(ref), 2u);
}

TEST(Oper, BigData) {
  OPER b;
  b.xltype = xltypeBigData;
  b.val.bigdata.cbData = 0;
  b.val.bigdata.h.lpbData = nullptr;
  const BYTE bytes[] = {1, 2, 3};
  b.realloc(3, bytes);
  OPER copy(b);
  EXPECT_NE(copy.val.bigdata.h.lpbData, b.val.bigdata.h.lpbData);
  EXPECT_EQ(copy.val.bigdata.h.lpbData[2], 3);
  int handle = 0;
  b.realloc(0, reinterpret_cast<const BYTE*>(&handle));  // a host handle is kept as it is
  OPER h(b);
  EXPECT_EQ(h.val.bigdata.h.hdata, static_cast<HANDLE>(&handle));
}

TEST(Oper12, WideTexts) {
  OPER12 w(u"Wide");
  EXPECT_TRUE(w == u"WIDE");
  EXPECT_EQ(xll::to_double(w), 4.0);
  OPER12 big(2, 0x3FFF);
  EXPECT_EQ(big.columns(), 0x3FFFu);
  EXPECT_EQ(ensureLine([] { OPER12(1, 0x4000); }),
            "ensure: \"c <= xll::limits<X>::maxcols\" failed");
}

}  // namespace
