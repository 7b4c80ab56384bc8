// The host's value layout, type and error codes, return codes and the
// function numbers this add-in calls, plus the call-back entry points.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/winapi.h"

// ---- classic value ---------------------------------------------------------

struct XLREF {
  WORD rwFirst;
  WORD rwLast;
  BYTE colFirst;
  BYTE colLast;
};

struct XLMREF {
  WORD count;
  XLREF reftbl[1];
};

typedef DWORD IDSHEET;

struct xloper {
  union {
    double num;
    char* str;  // counted: str[0] is the length (0..255), no terminator
    WORD xbool;
    WORD err;
    short w;
    struct {
      WORD count;
      XLREF ref;
    } sref;
    struct {
      XLMREF* lpmref;
      IDSHEET idSheet;
    } mref;
    struct {
      xloper* lparray;  // rows x columns values, row-major
      WORD rows;
      WORD columns;
    } array;
    struct {
      union {
        short level;
        short tbctrl;
        IDSHEET idSheet;
      } valflow;
      WORD rw;
      BYTE col;
      BYTE xlflow;
    } flow;
    struct {
      union {
        BYTE* lpbData;
        HANDLE hdata;
      } h;
      LONG cbData;
    } bigdata;
  } val;
  WORD xltype;
};
typedef xloper XLOPER;
typedef xloper* LPXLOPER;

// ---- wide value ------------------------------------------------------------

typedef char16_t XCHAR;
typedef INT32 RW;
typedef INT32 COL;

struct XLREF12 {
  RW rwFirst;
  RW rwLast;
  COL colFirst;
  COL colLast;
};

struct XLMREF12 {
  WORD count;
  XLREF12 reftbl[1];
};

struct xloper12 {
  union {
    double num;
    XCHAR* str;  // counted: str[0] is the length, no terminator
    BOOL xbool;
    int err;
    int w;
    struct {
      WORD count;
      XLREF12 ref;
    } sref;
    struct {
      XLMREF12* lpmref;
      IDSHEET idSheet;
    } mref;
    struct {
      xloper12* lparray;
      RW rows;
      COL columns;
    } array;
    struct {
      union {
        int level;
        int tbctrl;
        IDSHEET idSheet;
      } valflow;
      RW rw;
      COL col;
      BYTE xlflow;
    } flow;
    struct {
      union {
        BYTE* lpbData;
        HANDLE hdata;
      } h;
      LONG cbData;
    } bigdata;
  } val;
  DWORD xltype;
};
typedef xloper12 XLOPER12;
typedef xloper12* LPXLOPER12;

// Floating-point array of the K type letter.
struct FP {
  unsigned short rows;
  unsigned short columns;
  double array[1];  // rows x columns, row-major
};

// The value is one 8-byte-aligned union followed by the kind code. The union
// holds a pointer plus two 16-bit counts: 8 bytes with the 4-byte pointers of
// 32-bit Windows (a 16-byte value), 16 with 8-byte pointers (24 bytes).
constexpr bool kPointer32 = sizeof(void*) == 4;
static_assert(offsetof(xloper, val) == 0, "value first");
static_assert(sizeof(xloper::val) == (kPointer32 ? 8 : 16), "union: pointer and two 16-bit counts");
static_assert(offsetof(xloper, xltype) == sizeof(xloper::val), "kind after the value");
static_assert(sizeof(xloper) == (kPointer32 ? 16 : 24), "classic value size");
static_assert(offsetof(xloper, val.array.rows) == sizeof(void*), "rows after the pointer");
static_assert(offsetof(xloper, val.array.columns) == sizeof(void*) + 2, "columns after rows");
static_assert(sizeof(XLREF) == 6, "area: two 16-bit rows, two 8-bit columns");
static_assert(offsetof(xloper, val.sref.ref) == 2, "area after the count");
static_assert(offsetof(xloper12, val) == 0, "value first");
static_assert(offsetof(xloper12, xltype) == sizeof(xloper12::val), "kind after the value");
static_assert(sizeof(xloper12::val) == 24 && sizeof(xloper12) == 32, "wide value size, either pointer width");
static_assert(sizeof(XLREF12) == 16, "wide area: four 32-bit fields");
static_assert(offsetof(FP, array) == 8, "doubles follow the two counts");

// ---- kinds -----------------------------------------------------------------

enum : WORD {
  xltypeNum = 0x0001,
  xltypeStr = 0x0002,
  xltypeBool = 0x0004,
  xltypeRef = 0x0008,
  xltypeErr = 0x0010,
  xltypeFlow = 0x0020,
  xltypeMulti = 0x0040,
  xltypeMissing = 0x0080,
  xltypeNil = 0x0100,
  xltypeSRef = 0x0400,
  xltypeInt = 0x0800,
  xltypeBigData = xltypeStr | xltypeInt,
};

// ---- error codes -----------------------------------------------------------

enum : WORD {
  xlerrNull = 0,
  xlerrDiv0 = 7,
  xlerrValue = 15,
  xlerrRef = 23,
  xlerrName = 29,
  xlerrNum = 36,
  xlerrNA = 42,
};

// ---- return codes of the call-back -----------------------------------------

enum : int {
  xlretSuccess = 0,
  xlretAbort = 1,
  xlretInvXlfn = 2,
  xlretInvCount = 4,
  xlretInvXloper = 8,
  xlretStackOvfl = 16,
  xlretFailed = 32,
  xlretUncalced = 64,
  xlretNotThreadSafe = 128,
  xlretInvAsynchronousContext = 256,
  xlretNotClusterSafe = 512,
};

// ---- function numbers ------------------------------------------------------

enum : int {
  xlFree = 0x4000,
  xlCoerce = 0x4002,
  xlSheetNm = 0x4005,
  xlGetHwnd = 0x4008,
  xlGetName = 0x4009,

  xlfValue = 33,
  xlfText = 48,
  xlfDay = 67,
  xlfMonth = 68,
  xlfYear = 69,
  xlfSearch = 82,
  xlfCaller = 89,
  xlfLeft = 115,
  xlfReftext = 146,
  xlfRegister = 149,
  xlfDialogBox = 161,
  xlfUnregister = 201,
  xlfEvaluate = 257,
  xlfRegisterId = 267,
  xlfConcatenate = 336,

  xlcAlert = 0x8076,
};

// ---- the call-back library -------------------------------------------------

extern "C" {
// Version of the call-back interface (0x0C00 and above has the wide entry).
int WINAPI XLCallVer(void);
// Classic call-back: count value pointers follow.
int Excel4(int xlfn, LPXLOPER operRes, int count, ...);
// Classic call-back, array form.
int WINAPI Excel4v(int xlfn, LPXLOPER operRes, int count, LPXLOPER opers[]);
}

// The wide entry the host process exports under the name "MdCallBack12".
typedef int (WINAPI* MdCallBack12Proc)(int xlfn, int count, LPXLOPER12 opers[], LPXLOPER12 operRes);
