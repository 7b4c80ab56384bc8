// A minimal host for benchmarks and the pool's tests: answers the calling
// cell, its reference text and the main window, and keeps a number of
// top-level windows.
#pragma once

#include <string>

#include "platform/standin.h"

class ScriptedHost : public standin::CallHandler {
 public:
  explicit ScriptedHost(int windows = 0) {
    standin::reset();
    main_ = standin::createWindow("XLMAIN", "Book1", nullptr);
    for (int i = 0; i < windows; ++i)
      standin::createWindow(i % 2 ? "EXCEL7" : "XLDESK", "", i % 3 ? main_ : nullptr);
    standin::setCallHandler(this);
  }
  ~ScriptedHost() override {
    standin::setCallHandler(nullptr);
    standin::reset();
  }

  // The reference text of the calling cell.
  void setCaller(const std::string& ref) {
    text_.assign(1, static_cast<char>(ref.size()));
    text_ += ref;
  }

  HWND mainWindow() const { return main_; }

  int version() override { return 0x0C00; }
  int call(int xlfn, LPXLOPER result, int count, LPXLOPER opers[]) override {
    switch (xlfn) {
      case xlfCaller:
        result->xltype = xltypeSRef;
        result->val.sref.count = 1;
        result->val.sref.ref = XLREF{0, 0, 0, 0};
        return xlretSuccess;
      case xlfReftext:
        result->xltype = xltypeStr;
        result->val.str = &text_[0];
        return xlretSuccess;
      case xlGetHwnd:
        result->xltype = xltypeInt;
        result->val.w = static_cast<short>(reinterpret_cast<intptr_t>(main_));
        return xlretSuccess;
      case xlFree:
        return xlretSuccess;
      default:
        return xlretInvXlfn;
    }
  }

 private:
  HWND main_;
  std::string text_ = std::string(1, '\0');
};
