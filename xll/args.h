// Registration records: the arguments of the host's register call for one
// function, command or category, with the help key.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "xll/excel.h"

namespace xll {

// djb2 over unsigned 8-bit characters, modulo 2^32.
uint32_t djb2(const char* s, size_t n);
uint32_t djb2(const char* s);
inline uint32_t djb2(const OPER& text) {
  return djb2(text.xltype == xltypeStr ? text.val.str + 1 : "", textCount(text.val.str));
}
// Over a wide text: the low 8 bits of each character.
uint32_t djb2(const OPER12& text);

// Elements of the registration array.
enum ArgsIndex : size_t {
  ArgModule = 0,
  ArgProcedure = 1,
  ArgType = 2,
  ArgFunction = 3,
  ArgNames = 4,
  ArgMacroType = 5,
  ArgCategory = 6,
  ArgShortcut = 7,
  ArgHelpTopic = 8,
  ArgFunctionHelp = 9,
  ArgHelp = 10,
};

template <class X>
class XArgs {
 public:
  typedef XOPER<X> oper;
  typedef typename traits<X>::xchar xchar;
  struct Arg {
    oper type, name, help;
  };

  // A function record: procedure, type text and function text.
  XArgs(const xchar* type, const xchar* procedure, const xchar* functionText) : array_(1, 10) {
    array_[ArgProcedure] = procedure;
    array_[ArgType] = type;
    array_[ArgFunction] = functionText;
    array_[ArgNames] = oper(static_cast<const xchar*>(nullptr));
    array_[ArgMacroType] = 1;
  }
  // A documentation-only record of a category.
  explicit XArgs(const xchar* category) : array_(1, 7) {
    array_[ArgMacroType] = -1;
    array_[ArgCategory] = category;
    key_ = djb2(array_[ArgCategory]);
  }
  // A command record: procedure and macro text.
  static XArgs Command(const xchar* procedure, const xchar* macroText) {
    XArgs a;
    a.array_[ArgProcedure] = procedure;
    a.array_[ArgFunction] = macroText;
    a.array_[ArgMacroType] = 2;
    return a;
  }

  XArgs& AddArgument(const xchar* type, const xchar* name, const xchar* help) {
    array_[ArgType].append(type);
    if (to_double(array_[ArgNames]) != 0) array_[ArgNames].append(sep());
    array_[ArgNames].append(name);
    array_.push_back(oper(help));
    args_.push_back(Arg{oper(type), oper(name), oper(help)});
    return *this;
  }

  oper& operator[](size_t i) { return array_[i]; }
  const oper& operator[](size_t i) const { return array_[i]; }
  const oper& array() const { return array_; }
  const std::vector<Arg>& arguments() const { return args_; }
  uint32_t key() const { return key_; }
  void setKey(uint32_t key) { key_ = key; }
  std::vector<oper>& aliases() { return aliases_; }
  const std::vector<oper>& aliases() const { return aliases_; }

  // True for a documentation-only record.
  bool isDocumentation() const { return array_.size() > ArgMacroType && array_[ArgMacroType] == -1; }

  // The register call's arguments: the module name in place of element 0,
  // and, when the key is set, the help topic made in element 8 of this copy.
  std::vector<X*> pointers();

 private:
  XArgs() : array_(1, 10) {}
  static const xchar* sep() {
    static const xchar s[] = {',', ' ', 0};
    return s;
  }

  oper array_;
  std::vector<Arg> args_;
  uint32_t key_ = 0;
  std::vector<oper> aliases_;
};

typedef XArgs<xloper> Args;

// The module name of the given kind of value.
template <class X>
const XOPER<X>& ModuleNameT();
template <>
inline const OPER& ModuleNameT<xloper>() {
  return ModuleName();
}
template <>
const OPER12& ModuleNameT<xloper12>();

}  // namespace xll
