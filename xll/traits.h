// What differs between the classic and the wide host value.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/xlcall.h"

namespace xll {

template <class X>
struct traits;

template <class X>
struct limits;

template <>
struct traits<xloper> {
  typedef char xchar;       // text character
  typedef WORD xword;       // Boolean, error
  typedef short xint;       // integer kind
  typedef WORD xrw;         // array rows field
  typedef WORD xcol;        // array columns field
  typedef DWORD xtype;      // wide enough for either kind field
  static constexpr const char* name = "struct xloper";
  // The array-form call-back of the host; returns its return code.
  static int Excelv(int xlfn, xloper* res, int count, xloper** opers);
  static int Excel(int xlfn, xloper* res, int count, ...);
};

template <>
struct traits<xloper12> {
  typedef XCHAR xchar;
  typedef int xword;
  typedef int xint;
  typedef RW xrw;
  typedef COL xcol;
  typedef DWORD xtype;
  static constexpr const char* name = "struct xloper12";
  static int Excelv(int xlfn, xloper12* res, int count, xloper12** opers);
  static int Excel(int xlfn, xloper12* res, int count, ...);
};

template <>
struct limits<xloper> {
  static constexpr size_t maxargs = 30;
  static constexpr size_t maxchars = 255;
  static constexpr size_t maxrows = 65535;
  static constexpr size_t maxcols = 255;
};

template <>
struct limits<xloper12> {
  static constexpr size_t maxargs = 255;
  static constexpr size_t maxchars = 32767;
  static constexpr size_t maxrows = 0xFFFFF;
  static constexpr size_t maxcols = 0x3FFF;
};

}  // namespace xll
