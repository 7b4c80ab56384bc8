// Registered add-in records and their registration with the host.
#pragma once

#include <deque>
#include <map>
#include <vector>

#include "xll/args.h"

namespace xll {

// One function, command or category record of the add-in, with what the
// host gave it on registration.
template <class X>
class XAddIn {
 public:
  typedef XOPER<X> oper;
  typedef typename traits<X>::xchar xchar;

  explicit XAddIn(const XArgs<X>& args) : args_(args) {}

  // Keeps a copy of the record for the add-in's life and appends it to List.
  static XAddIn& Add(const XArgs<X>& args);
  // The command form: procedure and macro text.
  static XAddIn& Add(const xchar* procedure, const xchar* macroText) {
    return Add(XArgs<X>::Command(procedure, macroText));
  }

  // Every record, in the order added.
  static std::vector<XAddIn*>& List();

  const XArgs<X>& Args() const { return args_; }
  XArgs<X>& Args() { return args_; }
  bool isDocumentation() const { return args_.isDocumentation(); }

  // Registers this record; the register id and the procedure's address are
  // kept.
  oper Register();

  // Registers every record in list order; 0 at the first refusal.
  static int RegisterAll();
  // Unregisters every function and command record in list order; 0 at the
  // first failure.
  static int UnregisterAll();

 private:
  static std::deque<XAddIn>& store();

  XArgs<X> args_;
  double registerId_ = 0;
  void* procedure_ = nullptr;
};

typedef XAddIn<xloper> AddIn;
typedef XAddIn<xloper12> AddIn12;

// Registers one record with the host (alias k, 0 for its own function text):
// the register id, TRUE for a record that is not registered, or what the host
// left after a refusal.
template <class X>
XOPER<X> Register(const XArgs<X>& args, size_t k = 0);

// Unregisters one record: the host's answer, nil after a failure.
template <class X>
XOPER<X> Unregister(const XArgs<X>& args);

// Records the host registered, by register id; the first one stored stays.
template <class X>
std::map<double, XArgs<X>>& RegisterIdMap();

}  // namespace xll
