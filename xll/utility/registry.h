// A registry key of the current user and its typed values.
#pragma once

#include <string>

#include "platform/winapi.h"
#include "xll/ensure.h"

namespace Reg {

template <class T>
struct traits;

template <>
struct traits<DWORD> {
  static constexpr DWORD type = REG_DWORD;
  static LPBYTE data(DWORD& t) { return reinterpret_cast<LPBYTE>(&t); }
  static DWORD size(const DWORD&) { return sizeof(DWORD); }
};

// An open key; closed when it goes.
template <class C>
class Key {
 public:
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  ~Key() {
    if (h_) RegCloseKey(h_);
  }

  // The value of the given name; it must exist and be of T's registry type.
  template <class T>
  T QueryValue(const C* name) const {
    T t{};
    DWORD type = 0, size = traits<T>::size(t);
    XLL_ENSURE_TEXT("Reg::Key<char>::QueryValue",
                    ERROR_SUCCESS == RegQueryValueExA(h_, name, 0, &type, traits<T>::data(t), &size),
                    "ERROR_SUCCESS == RegQueryValueEx(h_, name, 0, &type, traits<T>::data(t), &size)");
    XLL_ENSURE_TEXT("Reg::Key<char>::QueryValue", traits<T>::type == type,
                    "traits<T>::type == type");
    return t;
  }

  template <class T>
  LONG SetValue(const C* name, T t) {
    return RegSetValueExA(h_, name, 0, traits<T>::type, traits<T>::data(t), traits<T>::size(t));
  }

 protected:
  Key() = default;
  HKEY h_ = nullptr;
};

// Opens the key, or creates it as a volatile key, with the given access.
template <class C>
class CreateKey : public Key<C> {
 public:
  CreateKey(HKEY h, const C* k, REGSAM r = KEY_ALL_ACCESS) {
    XLL_ENSURE_TEXT("Reg::CreateKey<char>::CreateKey",
                    ERROR_SUCCESS == RegCreateKeyExA(h, k, 0, nullptr, REG_OPTION_VOLATILE, r,
                                                     nullptr, &this->h_, 0),
                    "ERROR_SUCCESS == RegCreateKeyEx(h, k, 0, NULL, REG_OPTION_VOLATILE, r, NULL, "
                    "&h_, 0)");
  }
};

}  // namespace Reg
