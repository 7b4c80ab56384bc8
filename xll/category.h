// Registration rows as data: one table per category, from which the
// records and the category's help document are built at load time.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace xll {

// Help of the trailing trigger argument most functions are registered with.
constexpr const char* triggerHelp = "is an optional argument for static dependencies.";

struct ArgRow {
  const char* type;
  const char* name;
  const char* help;
};

struct FunctionRow {
  const char* text;        // function text the host shows
  const char* returnType;  // type text of the result
  std::vector<ArgRow> args;
  const char* help;
  const char* procedure = nullptr;  // exported procedure; "?" + text when null
};

struct CommandRow {
  const char* procedure;
  const char* macroText;
};

struct CategoryTable {
  const char* name;
  const char* introduction;
  const char* section;  // text of the help document's "Introduction" section
  enum { DocumentationFirst, DocumentationLast } documentation;
  std::vector<FunctionRow> functions;
  std::vector<CommandRow> commands;  // after the functions
};

// Builds the records of one category (in its order) and its help document.
void AddCategory(const CategoryTable& table);

// Rendered help documents of the categories, in load order.
std::vector<std::pair<std::string, std::string>>& HelpDocuments();

// What went wrong while the records were built at load time ("" if nothing).
std::string& LoadFailure();

// A category's table, built on first use.
using CategoryTableOf = const CategoryTable& (*)();

// Builds the records of the categories in the order given, then the alert
// level and the command "ALERT.FILTER"; a failure is kept in LoadFailure.
void LoadAddIn(std::initializer_list<CategoryTableOf> categories);

}  // namespace xll
