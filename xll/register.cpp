#include "xll/register.h"

namespace xll {

namespace {

// The literal texts of the alerts, in either character width.
template <class X>
XOPER<X> literal(const char* s) {
  typedef typename traits<X>::xchar xchar;
  std::basic_string<xchar> t(s, s + std::char_traits<char>::length(s));
  return XOPER<X>(t);
}

// Shows procedure + suffix in a host alert.
template <class X>
void alertProcedure(const XOPER<X>& procedure, const char* suffix) {
  auto joined = ExcelT<X>(xlfConcatenate, procedure, literal<X>(suffix));
  ExcelT<X>(xlcAlert, *joined);
}

// The add-in's own module, looked up once by its name.
HMODULE ownModule() {
  static HMODULE module = GetModuleHandleA(ModuleNameText().c_str());
  return module;
}

}  // namespace

template <class X>
std::deque<XAddIn<X>>& XAddIn<X>::store() {
  static std::deque<XAddIn> records;
  return records;
}

template <class X>
std::vector<XAddIn<X>*>& XAddIn<X>::List() {
  static std::vector<XAddIn*> list;
  return list;
}

template <class X>
XAddIn<X>& XAddIn<X>::Add(const XArgs<X>& args) {
  std::vector<XAddIn*>& list = List();  // built before the store, so it outlives it
  XAddIn& added = store().emplace_back(args);
  list.push_back(&added);
  return added;
}

template <class X>
std::map<double, XArgs<X>>& RegisterIdMap() {
  static std::map<double, XArgs<X>> ids;
  return ids;
}

template <class X>
XOPER<X> Register(const XArgs<X>& args, size_t k) {
  XOPER<X> x(true);
  if (!(args[ArgMacroType] == 2 || args[ArgMacroType] == 1)) return x;

  XArgs<X> a(args);
  if (k != 0) a[ArgFunction] = a.aliases().at(k - 1);
  std::vector<X*> p = a.pointers();

  X res;
  res.xltype = xltypeBool;
  res.val.xbool = 1;
  int code = traits<X>::Excelv(xlfRegister, &res, static_cast<int>(p.size()), p.data());
  if (res.xltype == xltypeStr || res.xltype == xltypeMulti) {
    if (code == xlretSuccess) {
      X* r = &res;
      traits<X>::Excelv(xlFree, nullptr, 1, &r);
    }
    XLL_ENSURE_TEXT(std::string("xll::Register<") + traits<X>::name + ">", false,
                    "x.xltype != xltypeStr && x.xltype != xltypeMulti");
  }
  x = res;  // no storage of the host's to copy
  if (code != xlretSuccess || x.xltype == xltypeErr) {
    alertProcedure(a[ArgProcedure], ": failed to register.\nDid you forget #pragma XLLEXPORT?");
  } else {
    XLL_ENSURE_TEXT(std::string("xll::Register<") + traits<X>::name + ">",
                    x.xltype == xltypeNum, "x.xltype == xltypeNum");
    RegisterIdMap<X>().emplace(x.val.num, a);
  }
  if (k == 0)
    for (size_t alias = 1; alias <= args.aliases().size(); ++alias) Register(args, alias);
  return x;
}

template <class X>
XOPER<X> Unregister(const XArgs<X>& args) {
  XOPER<X> x;
  try {
    auto id = ExcelT<X>(xlfRegisterId, ModuleNameT<X>(), args[ArgProcedure]);
    x = ExcelT<X>(xlfUnregister, *id).copy();
  } catch (const std::exception&) {
    alertProcedure(args[ArgProcedure], ": failed to unregister.\n");
    x = XOPER<X>();
  }
  return x;
}

template <class X>
XOPER<X> XAddIn<X>::Register() {
  oper x = xll::Register(args_, 0);
  if (args_[ArgMacroType] == 1 || args_[ArgMacroType] == 2) {
    std::string name = args_[ArgProcedure].xltype == xltypeStr ? narrow(args_[ArgProcedure]) : "";
    procedure_ = reinterpret_cast<void*>(GetProcAddress(ownModule(), name.c_str()));
  }
  if (x.xltype == xltypeNum) registerId_ = x.val.num;
  return x;
}

template <class X>
int XAddIn<X>::RegisterAll() {
  std::vector<XAddIn*> list = List();
  for (XAddIn* a : list)
    if (to_double(a->Register()) == 0) return 0;
  return 1;
}

template <class X>
int XAddIn<X>::UnregisterAll() {
  for (XAddIn* a : List()) {
    if (oper::as(index(static_cast<const X&>(a->args_.array()), ArgMacroType)) == -1) continue;
    a->registerId_ = 0;
    if (to_double(xll::Unregister(a->args_)) == 0) return 0;
  }
  return 1;
}

template class XAddIn<xloper>;
template class XAddIn<xloper12>;
template OPER Register(const Args&, size_t);
template OPER12 Register(const XArgs<xloper12>&, size_t);
template OPER Unregister(const Args&);
template OPER12 Unregister(const XArgs<xloper12>&);
template std::map<double, Args>& RegisterIdMap();
template std::map<double, XArgs<xloper12>>& RegisterIdMap();

}  // namespace xll
