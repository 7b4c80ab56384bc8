// Host values, their printing and their layout for the add-in.
#include <ostream>
#include <stdexcept>

#include "host/convert.h"
#include "host/host.h"
#include "host/text.h"

namespace xlsim {

Value Value::nil() { return Value(); }

Value Value::missing() {
  Value v;
  v.kind = Missing;
  return v;
}

Value Value::number(double x) {
  Value v;
  v.kind = Number;
  v.num = x;
  return v;
}

Value Value::text(const std::string& s) {
  Value v;
  v.kind = Text;
  v.str = s;
  return v;
}

Value Value::boolean(bool b) {
  Value v;
  v.kind = Boolean;
  v.flag = b;
  return v;
}

Value Value::error(int code) {
  Value v;
  v.kind = Error;
  v.err = code;
  return v;
}

Value Value::array(int rows, int columns, std::vector<Value> elements) {
  if (rows <= 0 || columns <= 0 || elements.size() != static_cast<size_t>(rows) * static_cast<size_t>(columns))
    throw std::invalid_argument("array shape does not match its elements");
  Value v;
  v.kind = Array;
  v.rows = rows;
  v.columns = columns;
  v.elements = std::move(elements);
  return v;
}

const Value& Value::at(int r, int c) const {
  if (kind != Array) return *this;
  if (r < 0 || c < 0 || r >= rows || c >= columns) throw std::out_of_range("array index");
  return elements[static_cast<size_t>(r) * static_cast<size_t>(columns) + static_cast<size_t>(c)];
}

std::string Value::kindName() const {
  switch (kind) {
    case Nil: return "nil";
    case Number: return "num";
    case Text: return "str";
    case Boolean: return "bool";
    case Error: return "err";
    case Missing: return "missing";
    case Array: return "multi";
  }
  return "?";
}

std::string Value::display() const {
  switch (kind) {
    case Nil:
    case Missing: return "";
    case Number: return numberText(num);
    case Text: return str;
    case Boolean: return flag ? "TRUE" : "FALSE";
    case Error: return errorText(err);
    case Array: {
      std::string s = "{";
      for (int r = 0; r < rows; ++r) {
        if (r) s += ';';
        for (int c = 0; c < columns; ++c) {
          if (c) s += ',';
          const Value& e = at(r, c);
          s += e.kind == Text ? "\"" + e.str + "\"" : e.display();
        }
      }
      return s + "}";
    }
  }
  return "";
}

bool Value::operator==(const Value& o) const {
  if (kind != o.kind) return false;
  switch (kind) {
    case Nil:
    case Missing: return true;
    case Number: return num == o.num;
    case Text: return str == o.str;
    case Boolean: return flag == o.flag;
    case Error: return err == o.err;
    case Array: return rows == o.rows && columns == o.columns && elements == o.elements;
  }
  return false;
}

std::ostream& operator<<(std::ostream& os, const Value& v) {
  os << v.kindName() << ':';
  if (v.kind == Value::Text)
    os << '"' << v.str << '"';
  else
    os << v.display();
  return os;
}

Value toValue(const xloper& x) { return getValue(x); }
Value toValue(const xloper12& x) { return getValue(x); }

struct HostOper::Storage {
  Arena arena;
};

HostOper::HostOper(const Value& v) : s_(new Storage) { putValue(v, x_, s_->arena); }

HostOper HostOper::reference(const Area& area, bool multi) {
  HostOper h;
  putReference(area, h.x_, h.s_->arena, multi);
  return h;
}

HostOper::HostOper(HostOper&& o) noexcept : x_(o.x_), s_(std::move(o.s_)) { o.x_.xltype = xltypeNil; }

HostOper& HostOper::operator=(HostOper&& o) noexcept {
  if (this != &o) {
    x_ = o.x_;
    s_ = std::move(o.s_);
    o.x_.xltype = xltypeNil;
  }
  return *this;
}

HostOper::~HostOper() = default;

Arg Arg::ref(const Area& a) {
  Arg r(Value::nil());
  r.isReference = true;
  r.area = a;
  return r;
}

Arg Arg::ref(const std::string& a1) {
  Area a;
  if (!parseArea(a1, a)) throw std::invalid_argument("not a reference: " + a1);
  return ref(a);
}

}  // namespace xlsim
