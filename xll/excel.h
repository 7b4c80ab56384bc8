// Calls into the host: the call wrappers, results owned by the host, the
// return-code errors and the cached module name.
#pragma once

#include <string>

#include "xll/oper.h"

namespace xll {

// Text of a host return code ("Excel returned ..."; 0 is "no error").
const char* returnCodeText(int code);

// A value the host filled; given back to the host (xlFree) when it goes.
template <class X>
class XExcelOwned {
 public:
  XExcelOwned() { x_.xltype = xltypeMissing; }
  ~XExcelOwned() { reset(); }
  XExcelOwned(XExcelOwned&& o) noexcept : x_(o.x_), owned_(o.owned_) { o.owned_ = false; }
  XExcelOwned& operator=(XExcelOwned&& o) noexcept {
    if (this != &o) {
      reset();
      x_ = o.x_;
      owned_ = o.owned_;
      o.owned_ = false;
    }
    return *this;
  }
  XExcelOwned(const XExcelOwned&) = delete;
  XExcelOwned& operator=(const XExcelOwned&) = delete;

  const X& operator*() const { return x_; }
  const X* operator->() const { return &x_; }
  X* get() { return &x_; }
  bool owned() const { return owned_; }
  // Marks the value as filled by the host.
  void own() { owned_ = true; }
  // A deep copy the caller owns.
  XOPER<X> copy() const { return XOPER<X>(x_); }
  // Gives the value back to the host now. Never throws.
  void reset() noexcept {
    if (owned_) {
      owned_ = false;
      X* p = &x_;
      traits<X>::Excelv(xlFree, nullptr, 1, &p);
    }
  }

 private:
  X x_;
  bool owned_ = false;
};

typedef XExcelOwned<xloper> ExcelOwnedOper;
typedef XExcelOwned<xloper12> ExcelOwnedOper12;

// Calls the host with up to three arguments; a return code other than 0
// raises its error.
template <class X, class... A>
XExcelOwned<X> ExcelT(int xlfn, const A&... args) {
  static_assert(sizeof...(A) <= 3, "at most three arguments");
  XExcelOwned<X> result;
  X* opers[sizeof...(A) + 1] = {const_cast<X*>(static_cast<const X*>(&args))...};
  int code = traits<X>::Excelv(xlfn, result.get(), static_cast<int>(sizeof...(A)), opers);
  if (code != xlretSuccess) throw std::runtime_error(returnCodeText(code));
  result.own();
  return result;
}

template <class... A>
ExcelOwnedOper Excel(int xlfn, const A&... args) {
  return ExcelT<xloper>(xlfn, static_cast<const xloper&>(args)...);
}
template <class... A>
ExcelOwnedOper12 Excel12(int xlfn, const A&... args) {
  return ExcelT<xloper12>(xlfn, static_cast<const xloper12&>(args)...);
}

// The characters of a text value as a standard string (wide characters
// above 255 become '?'); "" for other kinds.
std::string narrow(const OPER& text);
std::string narrow(const OPER12& text);

// The add-in's full file name as the host reports it; asked once.
const OPER& ModuleName();
// The same as a zero-terminated text, for the operating system's look-ups.
const std::string& ModuleNameText();

// The calling cell's reference as A1-style text with book and sheet.
OPER CallerRef();

}  // namespace xll
