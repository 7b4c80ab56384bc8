#include "xll/args.h"

namespace xll {

uint32_t djb2(const char* s, size_t n) {
  uint32_t h = 5381;
  for (size_t i = 0; i < n; ++i) h = h * 33 + static_cast<unsigned char>(s[i]);
  return h;
}

uint32_t djb2(const char* s) { return djb2(s, zlength(s)); }

uint32_t djb2(const OPER12& text) {
  uint32_t h = 5381;
  for (char16_t c : text.text()) h = h * 33 + static_cast<unsigned char>(c);
  return h;
}

template <>
const OPER12& ModuleNameT<xloper12>() {
  static const OPER12 name = Excel12(xlGetName).copy();
  return name;
}

template <class X>
std::vector<X*> XArgs<X>::pointers() {
  static const std::string fn = std::string("xll::XArgs<") + traits<X>::name + ">::pointers";
  XLL_ENSURE_TEXT(fn, array_.size() < limits<X>::maxargs, "size() < limits<X>::maxargs");
  const oper& module = ModuleNameT<X>();
  if (key_ != 0) {
    static const xchar pattern[] = {'.', '?', 'l', 'l', 0};
    static const xchar chm[] = {'c', 'h', 'm', '!', 0};
    auto search = ExcelT<X>(xlfSearch, oper(pattern), module);
    XLL_ENSURE_TEXT(fn, search->xltype == xltypeNum, "search.xltype == xltypeNum");
    auto left = ExcelT<X>(xlfLeft, module, oper(search->val.num));
    auto topic = ExcelT<X>(xlfConcatenate, *left, oper(chm), oper(static_cast<double>(key_)));
    array_[ArgHelpTopic] = topic.copy();
  }
  std::vector<X*> p(array_.size());
  p[0] = const_cast<oper*>(&module);
  for (size_t i = 1; i < p.size(); ++i) p[i] = &array_[i];
  return p;
}

template class XArgs<xloper>;
template class XArgs<xloper12>;

}  // namespace xll
