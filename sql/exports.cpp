// SQL table and database-context worksheet functions.
#include <boost/shared_ptr.hpp>

#include "addin/categories.h"
#include "platform/export.h"
#include "pool/frame.h"
#include "sql/db_context.h"
#include "sql/key_value.h"

using namespace xll;

namespace {

const char* const tableHelp = "is the table object.";
const char* const handleHelp = "is the input data table handle.";

ZR::Cell cellOf(const xloper& x) {
  ZR::Cell c;
  switch (x.xltype) {
    case xltypeNum: return ZR::Cell::of(x.val.num);
    case xltypeInt: return ZR::Cell::of(static_cast<double>(x.val.w));
    case xltypeStr: return ZR::Cell::of(OPER::as(x).text());
    case xltypeBool:
      c.kind = ZR::Cell::Boolean;
      c.number = x.val.xbool ? 1 : 0;
      break;
    case xltypeErr:
      c.kind = ZR::Cell::Error;
      c.number = x.val.err;
      break;
    case xltypeMissing:
      c.kind = ZR::Cell::Missing;
      break;
    default:
      break;
  }
  return c;
}

ZR::Table tableOf(const OPER& range) {
  ZR::Table t(range.rows(), range.columns());
  for (std::size_t i = 0; i < t.rows(); ++i)
    for (std::size_t j = 0; j < t.columns(); ++j) t(i, j) = cellOf(range(i, j));
  return t;
}

OPER operOf(const ZR::Table& t) {
  OPER range(t.rows(), t.columns());
  for (std::size_t i = 0; i < t.rows(); ++i)
    for (std::size_t j = 0; j < t.columns(); ++j) {
      const ZR::Cell& c = t(i, j);
      OPER& x = range(i, j);
      switch (c.kind) {
        case ZR::Cell::Number: x = c.number; break;
        case ZR::Cell::Text: x = c.text; break;
        case ZR::Cell::Boolean: x = c.number != 0; break;
        case ZR::Cell::Error: x = OPER::error(static_cast<int>(c.number)); break;
        case ZR::Cell::Missing: x = OPER::missing(); break;
        case ZR::Cell::Nil: break;
      }
    }
  return range;
}

// An answer fits a host array (the limits' own rows and columns); a longer
// text raises the host value's own failure.
ZR::Table answerOf(ZR::DBContext& context, const char* sql) {
  ZR::AnswerLimits hostArray;
  hostArray.textBytes = limits<XLOPER>::maxchars;
  try {
    return context.query(sql, hostArray);
  } catch (const ZR::LongText& e) {
    (void)OPER(e.text);
    throw;
  }
}

const char* errorName(int code) {
  switch (code) {
    case xlerrNull: return "#NULL!";
    case xlerrDiv0: return "#DIV/0!";
    case xlerrRef: return "#REF!";
    case xlerrName: return "#NAME?";
    case xlerrNum: return "#NUM!";
    case xlerrNA: return "#N/A";
    default: return "#VALUE!";
  }
}

// A range argument, refused when it is an error value; the host gives
// #VALUE! for a range larger than it can pass.
const OPER& rangeArgument(const xloper& x, const char* name) {
  if (x.xltype != xltypeErr) return OPER::as(x);
  std::string text = std::string("SQLExports::") + name + " is the error value " + errorName(x.val.err);
  if (x.val.err == xlerrValue) text += " or a range larger than 65,535 rows";
  throw text;
}

boost::shared_ptr<ZR::KeyValue> lookupTable(const char* handle) {
  return objectFromHandle<boost::shared_ptr<ZR::KeyValue>>(handle);
}

OPER storeTable(const std::string& name, ZR::Table range) {
  boost::shared_ptr<ZR::KeyValue> table(new ZR::KeyValue(name, std::move(range)));
  return handleFactory::instance().insert(boost::any(table));
}

}  // namespace

const CategoryTable& ZR::SqlCategory() {
  static const ArgRow Trigger{"P#", "Trigger", triggerHelp};
  static const ArgRow hndl{"C#", "hndl", handleHelp};
  static const CategoryTable table{
      "ZR_SQL",
      "ZR SQL library.",
      "The functions in this library are useful for manipulating tabular data.",
      CategoryTable::DocumentationFirst,
      {
          {"dbctx_create",
           "R#",
           {{"C#", "tbl1", tableHelp},
            {"C#", "[tbl2]", tableHelp},
            {"C#", "[tbl3]", tableHelp},
            {"C#", "[tbl4]", tableHelp},
            {"C#", "[tbl5]", tableHelp},
            {"C#", "[tbl6]", tableHelp},
            {"C#", "[tbl7]", tableHelp},
            {"C#", "[tbl8]", tableHelp},
            {"C#", "[tbl9]", tableHelp},
            {"C#", "[tbl10]", tableHelp},
            {"P#", "trigger", triggerHelp}},
           "Creates a new DB Context."},
          {"tbl_createTbl",
           "R#",
           {{"C#", "tblname", "is a unique table name."}, {"P#", "data", "is the input data."}, Trigger},
           "Create table object"},
          {"tbl_displayTbl", "P#", {hndl, Trigger}, "displays the tbl object."},
          {"tbl_name", "R#", {hndl, Trigger}, "displays the tbl name."},
          {"dbctx_execute",
           "R#",
           {{"C", "dbctx", "is the DB context."},
            {"C", "sql", "is the SQL to be executed."},
            {"C", "tblname", "is unique tablename containing the result."},
            Trigger},
           "Displays the result of the query."},
      },
      {},
  };
  return table;
}

XLL_PROC(LPXLOPER, dbctx_create, "?dbctx_create",
         (char* tbl1, char* tbl2, char* tbl3, char* tbl4, char* tbl5, char* tbl6, char* tbl7,
          char* tbl8, char* tbl9, char* tbl10, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] {
    boost::shared_ptr<ZR::DBContext> context(new ZR::DBContext());
    for (const char* handle : {tbl1, tbl2, tbl3, tbl4, tbl5, tbl6, tbl7, tbl8, tbl9, tbl10}) {
      if (!handle || !*handle) continue;  // omitted
      const boost::shared_ptr<ZR::KeyValue> table = lookupTable(handle);
      context->createTable(table->name().c_str(), table->range());
    }
    result = handleFactory::instance().insert(boost::any(context));
  });
}

XLL_PROC(LPXLOPER, tbl_createTbl, "?tbl_createTbl", (char* tblname, LPXLOPER data, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] {
    if (!tblname || !*tblname) throw "SQLExports::No tablename provided";
    const OPER& range = rangeArgument(*data, "data");
    if (range.rows() < 2) throw "SQLExports::Atleast two rows expected - one column heading and data row.";
    result = storeTable(tblname, tableOf(range));
  });
}

XLL_PROC(LPXLOPER, tbl_displayTbl, "?tbl_displayTbl", (char* hndl, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = operOf(lookupTable(hndl)->range()); });
}

XLL_PROC(LPXLOPER, tbl_name, "?tbl_name", (char* hndl, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] { result = lookupTable(hndl)->name(); });
}

XLL_PROC(LPXLOPER, dbctx_execute, "?dbctx_execute", (char* dbctx, char* sql, char* tblname, LPXLOPER trigger)) {
  static OPER result;
  return framed(result, [&] {
    const boost::shared_ptr<ZR::DBContext> context = objectFromHandle<boost::shared_ptr<ZR::DBContext>>(dbctx);
    result = storeTable(tblname ? tblname : "", answerOf(*context, sql));
  });
}
