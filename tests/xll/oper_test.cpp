// The host value wrapper: kinds, ownership, shape rules, limits, equality.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
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

TEST(Oper, ConstructionAndAssignment) {
  OPER u;
  u = 4294967295u;
  EXPECT_EQ(u.val.num, 4294967295.0);
  EXPECT_EQ(OPER(static_cast<const char*>(nullptr)).text(), "");
  EXPECT_EQ(OPER(0, 3).xltype, xltypeMissing);
  EXPECT_EQ(OPER(2, 3)[5].xltype, xltypeNil);
}

TEST(Oper, TextLimitsAndAppend) {
  EXPECT_EQ(ensureLine([] { OPER(std::string(256, 'x')); }),
            "ensure: \"n <= limits<XLOPER>::maxchars\" failed");
  OPER s("abc");
  s.append("def");
  s.append("xyz", 2);
  s.append("q", 10);  // stops at the source's terminator
  EXPECT_EQ(s.text(), "abcdefxyq");
  // A source of exactly n characters with no terminator: nothing past it is read.
  std::unique_ptr<char[]> bare(new char[3]);
  std::memcpy(bare.get(), "uvw", 3);
  s.append(bare.get(), 3);
  EXPECT_EQ(s.text(), "abcdefxyquvw");
  OPER full(std::string(255, 'x'));
  EXPECT_EQ(ensureLine([&] { full.append("z"); }), "ensure: \"n <= limits<XLOPER>::maxchars\" failed");
  EXPECT_EQ(full.text().size(), 255u);
  OPER t("ab");
  t.realloc(4, "xy");  // pads with zeros after the source's end
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
  a = a;  // self-assignment keeps the value
  EXPECT_EQ(a[1][0].text(), "inner");
}

TEST(Oper, ShapesAndTheirLimits) {
  EXPECT_EQ(ensureLine([] { OPER(1, 256); }), "ensure: \"c <= xll::limits<X>::maxcols\" failed");
  OPER tall(65535, 2);
  EXPECT_EQ(tall[131069].xltype, xltypeNil);
  EXPECT_EQ(ensureLine([&] { tall.resize(65536, 2); }), "ensure: \"r <= xll::limits<X>::maxrows\" failed");
  EXPECT_EQ(tall.rows(), 65535u);
  OPER num(1.0);
  EXPECT_EQ(ensureLine([&] { num.realloc(2, 2, nullptr); }), "ensure: \"xltype == xltypeMulti\" failed");

  OPER a(2, 2);
  for (int i = 0; i < 4; ++i) a[i] = i;
  a.resize(1, 3);
  EXPECT_EQ(a[2].val.num, 2.0);
  a.resize(0, 3);
  EXPECT_EQ(a.xltype, xltypeMissing);
  OPER s("x");
  s.resize(2, 2);  // a scalar becomes element 0
  EXPECT_EQ(s[0].text(), "x");
}

TEST(Oper, PushBackAndPopBack) {
  OPER v;
  v.push_back(OPER(1.0));
  EXPECT_EQ(v.xltype, xltypeNum);  // an empty value becomes a copy
  v.push_back(OPER(2.0));
  EXPECT_EQ(v.rows(), 2u);  // a scalar onto a scalar makes a column
  v.push_back("three");
  v.push_back(v);  // appending itself reads a copy
  EXPECT_EQ(v[5].text(), "three");
  OPER row(1, 2), col(2, 1);
  row.push_back(col);  // columns differ: a single row grows to the right
  EXPECT_EQ(row.columns(), 4u);
  OPER block(2, 2);
  EXPECT_EQ(ensureLine([&] { block.push_back(col); }), "ensure: \"rows() == 1\" failed");
  row.pop_back(3);
  EXPECT_EQ(ensureLine([&] { row.pop_back(2); }), "ensure: \"n <= columns()\" failed");
  EXPECT_EQ(ensureLine([&] { v.pop_back(7); }), "ensure: \"n <= rows()\" failed");
  OPER num(3.0);
  num.pop_back(1);
  EXPECT_EQ(num.xltype, xltypeMissing);
}

TEST(Oper, IndexChecks) {
  OPER a(2, 3);
  EXPECT_EQ(ensureLine([&] { a[6]; }), "ensure: \"i < size(x)\" failed");
  EXPECT_EQ(ensureLine([&] { a(2, 0); }), "ensure: \"i < rows(x)\" failed");
  EXPECT_EQ(ensureLine([&] { a(0, 3); }), "ensure: \"j < columns(x)\" failed");
}

TEST(Oper, Equality) {
  EXPECT_TRUE(OPER("Target") == "TARGET");
  EXPECT_FALSE(OPER("abc") == "abcd");
  double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(OPER(nan) == OPER(nan));
  EXPECT_FALSE(OPER() == OPER::missing());
  OPER r(2, 1), c(1, 2);
  r[0] = c[0] = 1;
  r[1] = c[1] = 2;
  EXPECT_FALSE(r == c);  // same elements, different shape
  OPER r2(r);
  EXPECT_TRUE(r == r2);
  OPER one(1, 1);
  one[0] = 3;
  EXPECT_TRUE(one == 3);
  EXPECT_FALSE(OPER("3") == 3);
}

TEST(Oper, NumericReading) {
  EXPECT_EQ(xll::to_double(OPER("abc")), 3.0);
  EXPECT_EQ(xll::to_double(OPER::error(xlerrNA)), 0.0);
  OPER two(2, 1);
  two[0] = 5;
  two[1] = 0;
  EXPECT_EQ(xll::to_double(two), 0.0);
  OPER nested(1, 1);
  nested[0] = OPER(1, 1);
  nested[0][0] = 7.5;
  EXPECT_EQ(xll::to_double(nested), 7.5);
  xloper empty;  // an array of no elements, as the host may hand one over
  empty.xltype = xltypeMulti;
  empty.val.array.lparray = nullptr;
  empty.val.array.rows = empty.val.array.columns = 0;
  EXPECT_EQ(xll::to_double(empty), 1.0);
  OPER ref;
  ref.xltype = xltypeSRef;
  ref.val.sref.count = 1;
  ref.val.sref.ref = XLREF{0, 2, 0, 1};
  EXPECT_TRUE(std::isnan(xll::to_double(ref)));
  EXPECT_EQ(xll::rows(ref) * xll::columns(ref), 6u);
}

TEST(Oper, BigDataAndWideValues) {
  OPER b;
  b.xltype = xltypeBigData;
  b.val.bigdata.cbData = 0;
  b.val.bigdata.h.lpbData = nullptr;
  const BYTE bytes[] = {1, 2, 3};
  b.realloc(3, bytes);
  OPER copy(b);  // a block of its own
  EXPECT_EQ(copy.val.bigdata.h.lpbData[2], 3);
  EXPECT_NE(copy.val.bigdata.h.lpbData, b.val.bigdata.h.lpbData);
  int handle = 0;
  b.realloc(0, reinterpret_cast<const BYTE*>(&handle));  // a host handle is kept as it is
  EXPECT_EQ(OPER(b).val.bigdata.h.hdata, static_cast<HANDLE>(&handle));

  EXPECT_TRUE(OPER12(u"Wide") == u"WIDE");
  EXPECT_EQ(ensureLine([] { OPER12(1, 0x4000); }), "ensure: \"c <= xll::limits<X>::maxcols\" failed");
}

}  // namespace
