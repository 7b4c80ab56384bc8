#include "xll/category.h"

#include "xll/help.h"
#include "xll/register.h"

namespace xll {

std::vector<std::pair<std::string, std::string>>& HelpDocuments() {
  static std::vector<std::pair<std::string, std::string>> documents;
  return documents;
}

std::string& LoadFailure() {
  static std::string failure;
  return failure;
}

namespace {

void addFunction(const char* category, const FunctionRow& row) {
  std::string procedure = row.procedure ? row.procedure : std::string("?") + row.text;
  Args args(row.returnType, procedure.c_str(), row.text);
  for (const ArgRow& a : row.args) args.AddArgument(a.type, a.name, a.help);
  args[ArgCategory] = category;
  args[ArgFunctionHelp] = row.help;
  if (args.key() == 0) args.setKey(djb2(row.text));
  AddIn::Add(args);
}

void addDocumentation(const CategoryTable& table) {
  XmlConceptualDocument document(table.introduction);
  Args args(table.name);
  XmlSection(document, "Introduction", table.section);
  HelpDocuments().emplace_back(table.name, document.str());
  if (args.key() == 0) args.setKey(djb2(table.name));
  AddIn::Add(args);
}

}  // namespace

void AddCategory(const CategoryTable& table) {
  if (table.documentation == CategoryTable::DocumentationFirst) addDocumentation(table);
  for (const FunctionRow& row : table.functions) addFunction(table.name, row);
  for (const CommandRow& command : table.commands) AddIn::Add(command.procedure, command.macroText);
  if (table.documentation == CategoryTable::DocumentationLast) addDocumentation(table);
}

}  // namespace xll
