// XOPER: the owning wrapper of a host value. It owns its text, array and
// big-data storage; a pointer to it is a pointer to the host's value.
#pragma once

#include <cstdlib>
#include <string>
#include <utility>

#include "xll/xloper.h"

template <class X>
class XOPER : public X {
  typedef xll::traits<X> T;
  typedef xll::limits<X> L;

 public:
  typedef typename T::xchar xchar;
  typedef std::basic_string<xchar> string_type;

  XOPER() { this->xltype = xltypeNil; }
  XOPER(const XOPER& o) {
    this->xltype = xltypeMissing;
    copy(o);
  }
  // Deep copy of a value the host or another wrapper owns.
  explicit XOPER(const X& o) {
    this->xltype = xltypeMissing;
    copy(o);
  }
  XOPER(XOPER&& o) noexcept {
    static_cast<X&>(*this) = static_cast<const X&>(o);
    o.xltype = xltypeMissing;
  }
  XOPER(double num) {
    this->xltype = xltypeNum;
    this->val.num = num;
  }
  XOPER(int num) : XOPER(static_cast<double>(num)) {}
  XOPER(unsigned int num) : XOPER(static_cast<double>(num)) {}
  XOPER(bool b) {
    this->xltype = xltypeBool;
    this->val.xbool = b;
  }
  XOPER(const xchar* s) {
    this->xltype = xltypeMissing;
    setText(s, xll::zlength(s));
  }
  XOPER(const string_type& s) {
    this->xltype = xltypeMissing;
    setText(s.c_str(), s.size());
  }
  // An array of rows x columns nil values; no elements gives a missing value.
  XOPER(size_t rows, size_t columns) {
    this->xltype = xltypeMissing;
    if (rows * columns == 0) return;
    this->xltype = xltypeMulti;
    this->val.array.lparray = nullptr;
    this->val.array.rows = 0;
    this->val.array.columns = 0;
    try {
      realloc(rows, columns);
    } catch (...) {
      this->xltype = xltypeMissing;
      throw;
    }
  }
  ~XOPER() { free(); }

  XOPER& operator=(const XOPER& o) {
    if (this != &o) {
      XOPER tmp(o);  // a failed copy leaves this value as it was
      swap(tmp);
    }
    return *this;
  }
  XOPER& operator=(XOPER&& o) noexcept {
    if (this != &o) swap(o);
    return *this;
  }
  XOPER& operator=(const X& o) {
    if (static_cast<const X*>(this) != &o) {
      XOPER tmp(o);
      swap(tmp);
    }
    return *this;
  }
  XOPER& operator=(double num) {
    free();
    this->xltype = xltypeNum;
    this->val.num = num;
    return *this;
  }
  XOPER& operator=(int num) { return *this = static_cast<double>(num); }
  // The unsigned value, also when its signed reading is negative.
  XOPER& operator=(unsigned int num) { return *this = static_cast<double>(num); }
  XOPER& operator=(bool b) {
    free();
    this->xltype = xltypeBool;
    this->val.xbool = b;
    return *this;
  }
  XOPER& operator=(const xchar* s) {
    XOPER tmp(s);
    swap(tmp);
    return *this;
  }
  XOPER& operator=(const string_type& s) {
    XOPER tmp(s);
    swap(tmp);
    return *this;
  }

  void swap(XOPER& o) noexcept { std::swap(static_cast<X&>(*this), static_cast<X&>(o)); }

  // Error value of the given code.
  static XOPER error(int code) {
    XOPER e;
    e.xltype = xltypeErr;
    e.val.err = static_cast<typename T::xword>(code);
    return e;
  }
  // Missing value.
  static XOPER missing() {
    XOPER m;
    m.xltype = xltypeMissing;
    return m;
  }

  size_t rows() const { return xll::rows(static_cast<const X&>(*this)); }
  size_t columns() const { return xll::columns(static_cast<const X&>(*this)); }
  size_t size() const { return rows() * columns(); }

  // Element access; a value that is not an array is its own only element.
  XOPER& operator[](size_t i) { return as(xll::index(static_cast<X&>(*this), i)); }
  const XOPER& operator[](size_t i) const { return as(xll::index(static_cast<const X&>(*this), i)); }
  XOPER& operator()(size_t i, size_t j) { return as(xll::index(static_cast<X&>(*this), i, j)); }
  const XOPER& operator()(size_t i, size_t j) const {
    return as(xll::index(static_cast<const X&>(*this), i, j));
  }

  // Releases what the value owns; the value becomes missing.
  void free() noexcept { release(*this); }

  // Text of count characters, copied from s up to its first zero character
  // and padded with zeros.
  void realloc(size_t count, const xchar* s) {
    XLL_ENSURE_TEXT(fn("realloc"), this->xltype == xltypeStr, "xltype == xltypeStr");
    XLL_ENSURE_TEXT(fn("realloc"), count <= L::maxchars, "n <= limits<XLOPER>::maxchars");
    xchar* p = static_cast<xchar*>(::realloc(this->val.str, (count + 1) * sizeof(xchar)));
    XLL_ENSURE_TEXT(fn("realloc"), p != nullptr,
                    "0 != (val.str = static_cast<xll::traits<X>::xchar*>(::realloc(val.str, "
                    "(count + 1)*sizeof(xchar))))");
    this->val.str = p;
    p[0] = static_cast<xchar>(count);
    size_t k = 0;
    for (; s && k < count && s[k]; ++k) p[k + 1] = s[k];
    for (; k < count; ++k) p[k + 1] = 0;
  }

  // Array of r x c elements keeping the first ones in row-major order; new
  // elements are nil. With a source, its first na elements (all when 0)
  // replace the first elements.
  void realloc(size_t r, size_t c, const X* source, size_t na = 0) {
    if (r * c == 0) {
      free();
      return;
    }
    XLL_ENSURE(fn("realloc"), c <= xll::limits<X>::maxcols);
    XLL_ENSURE(fn("realloc"), r <= xll::limits<X>::maxrows);
    XLL_ENSURE_TEXT(fn("realloc"), this->xltype == xltypeMulti, "xltype == xltypeMulti");
    size_t n = r * c, old = size();
    if (source) XLL_ENSURE_TEXT(fn("realloc"), na <= n, "na <= size()");
    X* a = this->val.array.lparray;
    bool own = source == a;  // a source inside this array follows it when it moves
    if (n > old) {
      a = static_cast<X*>(::realloc(a, n * sizeof(X)));
      XLL_ENSURE_TEXT(fn("realloc"), a != nullptr,
                      "0 != (val.array.lparray = static_cast<X*>(::realloc(val.array.lparray, "
                      "r*c*sizeof(X))))");
      for (size_t k = old; k < n; ++k) a[k].xltype = xltypeNil;
    } else if (n < old) {
      for (size_t k = n; k < old; ++k) release(a[k]);
      // Shrinking keeps the old block when the allocator cannot move it.
      if (X* shrunk = static_cast<X*>(::realloc(a, n * sizeof(X)))) a = shrunk;
    }
    this->val.array.lparray = a;
    if (own) source = a;
    this->val.array.rows = static_cast<typename T::xrw>(r);
    this->val.array.columns = static_cast<typename T::xcol>(c);
    if (source) {
      if (na == 0) na = n;
      for (size_t k = 0; k < na; ++k) {
        if (&a[k] == &source[k]) continue;
        XOPER tmp(source[k]);
        release(a[k]);
        a[k] = static_cast<const X&>(tmp);
        tmp.xltype = xltypeMissing;
      }
    }
  }
  void realloc(size_t r, size_t c) { realloc(r, c, nullptr, 0); }

  // Big-data block: a count of 0 keeps source as a host handle.
  void realloc(LONG cbData, const BYTE* source) {
    XLL_ENSURE_TEXT(fn("realloc"), this->xltype == xltypeBigData, "xltype == xltypeBigData");
    if (cbData == 0) {
      if (this->val.bigdata.cbData != 0) std::free(this->val.bigdata.h.lpbData);
      this->val.bigdata.h.hdata = const_cast<BYTE*>(source);
      this->val.bigdata.cbData = 0;
      return;
    }
    BYTE* old = this->val.bigdata.cbData ? this->val.bigdata.h.lpbData : nullptr;
    BYTE* p = static_cast<BYTE*>(::realloc(old, static_cast<size_t>(cbData)));
    XLL_ENSURE_TEXT(fn("realloc"), p != nullptr,
                    "0 != (val.bigdata.h.lpbData = static_cast<BYTE*>(::realloc(val.bigdata.h."
                    "lpbData, cbData)))");
    if (source) std::memcpy(p, source, static_cast<size_t>(cbData));
    this->val.bigdata.h.lpbData = p;
    this->val.bigdata.cbData = cbData;
  }

  // New shape: an array keeps its first elements; any other value becomes
  // element 0 of the new array.
  void resize(size_t r, size_t c) {
    if (this->xltype != xltypeMulti) {
      if (r * c == 0) {
        free();
        return;
      }
      XOPER a(r, c);
      std::swap(static_cast<X&>(a.val.array.lparray[0]), static_cast<X&>(*this));
      swap(a);
      return;
    }
    realloc(r, c);
  }

  // Appends a value: below when the columns agree, else to the right of a
  // single row. An empty value becomes a copy of o.
  void push_back(const X& o) {
    XOPER other(o);  // o may live inside this value
    size_t n = size();
    if (n == 0) {
      swap(other);
      return;
    }
    size_t r, c;
    if (columns() == other.columns()) {
      r = rows() + other.rows();
      c = columns();
    } else {
      XLL_ENSURE(fn("push_back"), rows() == 1);
      r = 1;
      c = n + other.size();
    }
    resize(r, c);
    for (size_t k = 0, m = other.size(); k < m; ++k)
      (*this)[n + k] = static_cast<const X&>(xll::index(static_cast<const X&>(other), k));
  }
  void push_back(const xchar* s) { push_back(XOPER(s)); }

  // Removes the last n columns of a single row, else the last n rows.
  void pop_back(size_t n = 1) {
    size_t r = rows(), c = columns();
    if (r == 1) {
      XLL_ENSURE(fn("pop_back"), n <= columns());
      c -= n;
    } else {
      XLL_ENSURE(fn("pop_back"), n <= rows());
      r -= n;
    }
    if (r * c == 0)
      free();
    else if (this->xltype == xltypeMulti)
      realloc(r, c);
  }

  // Appends n characters of s (all of a zero-terminated s when n is 0), never
  // reading past its terminator.
  void append(const xchar* s, size_t n = 0) {
    XLL_ENSURE_TEXT(fn("append"), this->xltype == xltypeStr, "xltype == xltypeStr");
    // With a count, nothing past it is read: the source may end there.
    if (n == 0) {
      n = xll::zlength(s);
    } else {
      size_t k = 0;
      while (s && k < n && s[k]) ++k;
      n = k;
    }
    if (n == 0) return;
    size_t old = xll::textCount(this->val.str);
    XLL_ENSURE_TEXT(fn("append"), old + n <= L::maxchars, "n <= limits<XLOPER>::maxchars");
    xchar* p = static_cast<xchar*>(::realloc(this->val.str, (old + n + 1) * sizeof(xchar)));
    XLL_ENSURE_TEXT(fn("append"), p != nullptr,
                    "0 != (val.str = static_cast<xll::traits<X>::xchar*>(::realloc(val.str, "
                    "(count + 1)*sizeof(xchar))))");
    if (old == 0 && !this->val.str) p[0] = 0;
    for (size_t k = 0; k < n; ++k) p[old + 1 + k] = s[k];
    p[0] = static_cast<xchar>(old + n);
    this->val.str = p;
  }

  // A text equal to s without regard to letter case.
  bool operator==(const xchar* s) const {
    if (this->xltype != xltypeStr) return false;
    size_t n = xll::zlength(s);
    return xll::textCount(this->val.str) == n && xll::equalNoCase(this->val.str + 1, s, n);
  }
  bool operator!=(const xchar* s) const { return !(*this == s); }
  // A number or integer equal to i, or a 1 x 1 array holding one.
  bool operator==(int i) const {
    const X* x = this;
    if (x->xltype == xltypeMulti && size() == 1) x = &this->val.array.lparray[0];
    if (x->xltype == xltypeNum) return x->val.num == i;
    if (x->xltype == xltypeInt) return x->val.w == i;
    return false;
  }

  // The text of a text value ("" for other kinds).
  string_type text() const {
    if (this->xltype != xltypeStr || !this->val.str) return string_type();
    return string_type(this->val.str + 1, xll::textCount(this->val.str));
  }

  static XOPER& as(X& x) { return static_cast<XOPER&>(x); }
  static const XOPER& as(const X& x) { return static_cast<const XOPER&>(x); }

 private:
  static std::string fn(const char* member) {
    return std::string("XOPER<") + T::name + ">::" + member;
  }

  void setText(const xchar* s, size_t n) {
    XLL_ENSURE_TEXT(fn("XOPER"), n <= L::maxchars, "n <= limits<XLOPER>::maxchars");
    xchar* p = static_cast<xchar*>(std::malloc((n + 1) * sizeof(xchar)));
    XLL_ENSURE_TEXT(fn("XOPER"), p != nullptr,
                    "0 != (val.str = static_cast<xll::traits<X>::xchar*>(::realloc(val.str, "
                    "(count + 1)*sizeof(xchar))))");
    p[0] = static_cast<xchar>(n);
    for (size_t k = 0; k < n; ++k) p[k + 1] = s[k];
    free();
    this->xltype = xltypeStr;
    this->val.str = p;
  }

  // Deep copy of o into this missing value.
  void copy(const X& o) {
    switch (o.xltype) {
      case xltypeStr: {
        size_t n = xll::textCount(o.val.str);
        xchar* p = static_cast<xchar*>(std::malloc((n + 1) * sizeof(xchar)));
        XLL_ENSURE_TEXT(fn("XOPER"), p != nullptr,
                        "0 != (val.str = static_cast<xll::traits<X>::xchar*>(::realloc(val.str, "
                        "(count + 1)*sizeof(xchar))))");
        p[0] = static_cast<xchar>(n);
        for (size_t k = 0; k < n; ++k) p[k + 1] = o.val.str[k + 1];
        this->val.str = p;
        this->xltype = xltypeStr;
        break;
      }
      case xltypeMulti: {
        size_t r = xll::rows(o), c = xll::columns(o);
        if (r * c == 0) break;  // stays missing
        this->xltype = xltypeMulti;
        this->val.array.lparray = nullptr;
        this->val.array.rows = 0;
        this->val.array.columns = 0;
        try {
          realloc(r, c, o.val.array.lparray, r * c);
        } catch (...) {
          free();
          throw;
        }
        break;
      }
      case xltypeBigData: {
        this->xltype = xltypeBigData;
        this->val.bigdata.cbData = 0;
        this->val.bigdata.h.lpbData = nullptr;
        try {
          if (o.val.bigdata.cbData == 0)
            realloc(0, static_cast<const BYTE*>(o.val.bigdata.h.hdata));
          else
            realloc(o.val.bigdata.cbData, o.val.bigdata.h.lpbData);
        } catch (...) {
          this->xltype = xltypeMissing;
          throw;
        }
        break;
      }
      default:
        static_cast<X&>(*this) = o;
    }
  }

  static void release(X& x) noexcept {
    switch (x.xltype) {
      case xltypeStr:
        std::free(x.val.str);
        x.val.str = nullptr;
        break;
      case xltypeMulti:
        for (size_t k = 0, n = xll::size(x); k < n; ++k) release(x.val.array.lparray[k]);
        std::free(x.val.array.lparray);
        x.val.array.lparray = nullptr;
        x.val.array.rows = 0;
        x.val.array.columns = 0;
        break;
      case xltypeBigData:
        if (x.val.bigdata.cbData != 0) std::free(x.val.bigdata.h.lpbData);
        x.val.bigdata.cbData = 0;
        x.val.bigdata.h.lpbData = nullptr;
        break;
      default:
        break;
    }
    x.xltype = xltypeMissing;
  }
};

static_assert(sizeof(XOPER<xloper>) == sizeof(xloper), "a wrapper is a host value");
static_assert(sizeof(XOPER<xloper12>) == sizeof(xloper12), "a wrapper is a host value");

typedef XOPER<xloper> OPER;
typedef XOPER<xloper12> OPER12;
typedef OPER* LPOPER;
