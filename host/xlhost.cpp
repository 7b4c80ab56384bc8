// xlhost [--addin PATH] [--fpstate STATE] [--tsv] SHEETFILE
// xlhost [--addin PATH] --functions [PATTERN]
//
// Loads an add-in into the simulated host, enters the cells of a sheet file,
// calculates, runs the file's steps and prints the sheet; or prints what the
// add-in registered.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "host/fp_state.h"
#include "host/host.h"
#include "host/text.h"

#ifndef XLHOST_DEFAULT_ADDIN
#define XLHOST_DEFAULT_ADDIN ""
#endif

namespace fs = std::filesystem;

namespace {

// The usage, after what could not be used when there is something.
int usage(const std::string& why = "") {
  if (!why.empty()) std::cerr << "xlhost: " << why << '\n';
  std::cerr << "usage: xlhost [--addin PATH] [--fpstate STATE] [--tsv] SHEETFILE\n"
               "       xlhost [--addin PATH] --functions [PATTERN]\n"
               "  --addin PATH  the add-in to load (default: the built zr.xll)\n"
               "  --fpstate STATE  call the add-in (its hooks too) in this floating-point\n"
               "                state, a comma list of: 53 or 24 (x87 precision bits),\n"
               "                towardzero (x87 and SSE rounding), ftz (SSE flush-to-zero),\n"
               "                daz (SSE denormals-are-zero); the host keeps its own\n"
               "  --tsv         every cell as reference, kind and full value, tab-separated\n"
               "  --functions   the registered functions and commands: category, name,\n"
               "                arguments with their help, the function's help. PATTERN\n"
               "                picks names as util_fnsearch does: matched from the first\n"
               "                character, letter case ignored, ? one character, * any\n"
               "                run (\"*cdf\" finds names holding cdf)\n";
  return 2;
}

// Why a sheet file cannot be read, in the words scripts/example.sh uses.
std::string unreadable(const std::string& path) {
  std::error_code ec;
  const fs::file_status st = fs::status(path, ec);
  if (st.type() == fs::file_type::not_found) return "there is no such file";
  if (fs::is_directory(st)) return "it is a folder, not a sheet";
  return "you may not read it";
}

std::string_view trimmed(std::string_view s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos) return std::string_view();
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

std::string trim(const std::string& s) { return std::string(trimmed(s)); }

// The built add-in: the path compiled in, else zr.xll beside the program or
// one folder up.
std::string defaultAddin() {
  std::string compiled = XLHOST_DEFAULT_ADDIN;
  std::error_code ec;
  if (!compiled.empty() && fs::exists(compiled, ec)) return compiled;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    for (fs::path dir : {self.parent_path(), self.parent_path().parent_path()}) {
      fs::path p = dir / "zr.xll";
      if (fs::exists(p, ec)) return p.string();
    }
  }
  return compiled.empty() ? std::string("zr.xll") : compiled;
}

struct Step {
  int line;
  std::string text;
};

// One line of the file as a cell or a step; false with the reason.
bool readLine(xlsim::Host& host, std::string_view raw, int number, std::vector<Step>& steps,
              std::string& why) {
  std::string_view line = trimmed(raw);
  if (line.empty() || line[0] == '#') return true;
  if (line[0] == '!') {
    std::istringstream in{std::string(line.substr(1))};
    std::string verb, arg, extra, more;
    in >> verb >> arg >> extra >> more;
    bool ok = (verb == "recalc" && arg.empty()) || (verb == "calc" && !arg.empty() && extra.empty()) ||
              (verb == "wizard" && (arg == "open" || arg == "close") && extra.empty()) ||
              (verb == "format" && !arg.empty() && (extra == "date" || extra == "number") && more.empty());
    if (!ok) {
      why = "unknown step: " + std::string(line);
      return false;
    }
    if (verb == "calc" || verb == "format") {
      xlsim::Area a;
      if (!xlsim::parseArea(arg, a) || !xlsim::onSheet(a)) {
        why = "not a reference on the sheet: " + arg;
        return false;
      }
    }
    steps.push_back(Step{number, std::string(line)});
    return true;
  }
  size_t gap = line.find_first_of(" \t");
  if (gap == std::string::npos) {
    why = "a cell line needs a reference and a content";
    return false;
  }
  std::string ref(line.substr(0, gap)), content(trimmed(line.substr(gap)));
  try {
    host.setCell(ref, content);
  } catch (const xlsim::FormulaError& e) {
    why = std::string(e.what()) + " in " + content;
    return false;
  } catch (const std::exception& e) {
    why = e.what();
    return false;
  }
  return true;
}

// Display formats of areas, the later over the earlier: true shows dates.
using Formats = std::vector<std::pair<xlsim::Area, bool>>;

void runStep(xlsim::Host& host, const Step& s, Formats& formats) {
  std::istringstream in(s.text.substr(1));
  std::string verb, arg, kind;
  in >> verb >> arg >> kind;
  if (verb == "recalc") {
    host.recalculate();
  } else if (verb == "calc") {
    host.calculate(arg);
  } else if (verb == "format") {
    xlsim::Area a;
    xlsim::parseArea(arg, a);
    formats.emplace_back(a, kind == "date");
  } else if (arg == "open") {
    host.openWizard();
  } else {
    host.closeWizard();
  }
}

// A number as the grid shows it: yyyy-mm-dd in an area formatted as dates.
std::string cellText(const xlsim::Value& v, int row, int col, const Formats& formats) {
  if (v.kind != xlsim::Value::Number) return v.display();
  bool date = false;
  for (const auto& [a, isDate] : formats)
    if (row >= a.row1 && row <= a.row2 && col >= a.col1 && col <= a.col2) date = isDate;
  int y, m, d;
  if (!date || v.num < 1 || !xlsim::dateFromSerial(v.num, y, m, d)) return v.display();
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, d);
  return text;
}

// Writes text to the standard output after what the stream holds.
void write(const std::string& text) {
  std::cout.flush();
  std::fwrite(text.data(), 1, text.size(), stdout);
}

void printTsv(const xlsim::Host& host) {
  std::string out;
  host.forEachCell([&](int row, int col, const xlsim::Value& v) {
    xlsim::appendAreaText(out, xlsim::Area{row, col, row, col}, false);
    out += '\t';
    switch (v.kind) {
      case xlsim::Value::Number: out += "num\t" + xlsim::numberText17(v.num); break;
      case xlsim::Value::Text: out.append("str\t").append(v.str); break;
      case xlsim::Value::Boolean: out += v.flag ? "bool\tTRUE" : "bool\tFALSE"; break;
      default: out.append(v.kindName()).append("\t").append(v.display()); break;
    }
    out += '\n';
  });
  write(out);
}

void printGrid(const xlsim::Host& host, const Formats& formats) {
  xlsim::Area used;
  if (!host.usedArea(used)) {
    std::cout << "(empty sheet)\n";
    return;
  }
  const size_t maxWidth = 40;
  std::map<std::pair<int, int>, std::string> shown;
  std::vector<size_t> width(static_cast<size_t>(used.col2 + 1), 0);
  for (int c = used.col1; c <= used.col2; ++c) width[static_cast<size_t>(c)] = xlsim::columnName(c).size();
  for (const auto& [area, v] : host.nonEmptyCells()) {
    std::string t = cellText(v, area.row1, area.col1, formats);
    if (t.size() > maxWidth) t = t.substr(0, maxWidth - 3) + "...";
    auto& w = width[static_cast<size_t>(area.col1)];
    w = std::max(w, t.size());
    shown[{area.row1, area.col1}] = t;
  }
  const size_t rowWidth = std::to_string(used.row2 + 1).size();
  std::cout << std::string(rowWidth, ' ');
  for (int c = used.col1; c <= used.col2; ++c) {
    std::string h = xlsim::columnName(c);
    std::cout << " | " << h << std::string(width[static_cast<size_t>(c)] - h.size(), ' ');
  }
  std::cout << '\n';
  for (int r = used.row1; r <= used.row2; ++r) {
    std::string n = std::to_string(r + 1);
    std::cout << std::string(rowWidth - n.size(), ' ') << n;
    for (int c = used.col1; c <= used.col2; ++c) {
      auto it = shown.find({r, c});
      std::string t = it == shown.end() ? std::string() : it->second;
      std::cout << " | " << t << std::string(width[static_cast<size_t>(c)] - t.size(), ' ');
    }
    std::cout << '\n';
  }
}

std::vector<std::string> argumentNames(const std::string& text) {
  std::vector<std::string> names;
  std::istringstream in(text);
  for (std::string name; std::getline(in, name, ',');)
    if (!trim(name).empty()) names.push_back(trim(name));
  return names;
}

// The reference of one registration: name(arguments), the function's help,
// then each argument with its help.
void printFunction(const xlsim::Registration& r) {
  std::vector<std::string> names = argumentNames(r.argumentText);
  std::string call = r.functionText;
  if (r.macroType == 1) {
    std::string list;
    for (const auto& n : names) list += (list.empty() ? "" : ", ") + n;
    call += "(" + list + ")";
  }
  std::cout << "  " << call << '\n';
  if (!trim(r.functionHelp).empty()) std::cout << "      " << trim(r.functionHelp) << '\n';
  size_t width = 0;
  for (const auto& n : names) width = std::max(width, n.size());
  for (size_t i = 0; i < names.size(); ++i) {
    std::string help = i < r.argumentHelp.size() ? trim(r.argumentHelp[i]) : std::string();
    std::cout << "      " << names[i];
    if (!help.empty()) std::cout << std::string(width - names[i].size() + 2, ' ') << help;
    std::cout << '\n';
  }
}

// The active registrations whose names match the pattern: the functions by
// category, in the order the categories first came, then the commands.
// False when none matches.
bool printFunctions(const xlsim::Host& host, const std::string& pattern) {
  const std::string commands = "Commands";
  auto group = [&](const xlsim::Registration& r) { return r.macroType == 1 ? r.category : commands; };
  std::vector<const xlsim::Registration*> found;
  std::vector<std::string> groups;
  for (const auto& r : host.registrations()) {
    if (!r.active() || xlsim::search(pattern, r.functionText) != 1) continue;
    found.push_back(&r);
    if (std::find(groups.begin(), groups.end(), group(r)) == groups.end()) groups.push_back(group(r));
  }
  std::stable_partition(groups.begin(), groups.end(), [&](const std::string& g) { return g != commands; });
  for (size_t k = 0; k < groups.size(); ++k) {
    std::cout << (k ? "\n" : "") << (groups[k].empty() ? "(no category)" : groups[k]) << '\n';
    for (const auto* r : found)
      if (group(*r) == groups[k]) printFunction(*r);
  }
  return !found.empty();
}

}  // namespace

int main(int argc, char** argv) {
  std::string addin, sheet;
  bool tsv = false, functions = false;
  platform::FpState fpState;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--tsv") {
      tsv = true;
    } else if (a == "--functions") {
      functions = true;
    } else if (a == "--addin") {
      if (++i >= argc) return usage("--addin needs a path after it");
      addin = argv[i];
    } else if (a.rfind("--addin=", 0) == 0) {
      addin = a.substr(8);
    } else if (a == "--fpstate") {
      if (++i >= argc) return usage("--fpstate needs a state after it");
      if (!xlsim::parseFpState(argv[i], fpState)) return usage(std::string("unknown floating-point state: ") + argv[i]);
      xlsim::setAddinFpState(&fpState);
    } else if (a == "-h" || a == "--help") {
      usage();
      return 0;
    } else if (!a.empty() && a[0] == '-') {
      return usage("unknown option: " + a);
    } else if (sheet.empty()) {
      sheet = a;
    } else {
      return usage("cannot use " + a + ": one sheet or pattern at a time, and " + sheet + " came first");
    }
  }
  if (functions && tsv) return usage("--tsv does not go with --functions");
  if (!functions && sheet.empty()) return usage("no sheet file given");
  if (addin.empty()) addin = defaultAddin();

  std::error_code ec;
  std::ifstream in;
  if (!functions && !fs::is_directory(sheet, ec)) in.open(sheet);
  if (!functions && (!in.is_open() || !in)) {
    std::cerr << "xlhost: cannot read the sheet " << sheet << ": " << unreadable(sheet) << '\n';
    return 2;
  }

  xlsim::Host host;
  host.setAlertSink([](const std::string& text) { std::cerr << "alert: " << text << '\n'; });
  // why a cell shows #NAME? or #VALUE! without a call, once per cell
  std::set<std::pair<int, int>> noted;
  host.setNoteSink([&](const xlsim::Area* cell, const std::string& why) {
    if (cell && !noted.insert({cell->row1, cell->col1}).second) return;
    std::string where;
    if (cell) xlsim::appendAreaText(where, *cell, false);
    std::cerr << "xlhost: " << (cell ? where + ": " : std::string()) << why << '\n';
  });
  std::string error;
  if (!host.load(addin, &error)) {
    std::cerr << "xlhost: cannot load the add-in " << addin << ": " << error << '\n';
    return 3;
  }
  if (host.autoOpenResult() != 1)
    std::cerr << "xlhost: xlAutoOpen of " << addin << " returned " << host.autoOpenResult() << '\n';
  if (functions) {
    const std::string& pattern = sheet;
    bool any = printFunctions(host, pattern);
    if (!any) std::cerr << "xlhost: no registered function matches " << pattern << '\n';
    std::cout.flush();
    host.unload();
    return any ? 0 : 1;
  }

  // the whole file at once, then line by line
  std::string text;
  char buf[1 << 16];
  while (in.read(buf, sizeof buf) || in.gcount() > 0) text.append(buf, static_cast<size_t>(in.gcount()));
  if (in.bad()) {
    std::cerr << "xlhost: cannot read the sheet " << sheet << ": reading it failed\n";
    return 2;
  }
  std::vector<Step> steps;
  std::string why;
  int number = 1;
  for (size_t at = 0; at < text.size(); ++number) {
    size_t end = std::min(text.find('\n', at), text.size());
    if (!readLine(host, std::string_view(text).substr(at, end - at), number, steps, why)) {
      std::cerr << sheet << ':' << number << ": " << why << '\n';
      return 4;
    }
    at = end + 1;
  }

  host.calculate();
  Formats formats;
  for (const auto& s : steps) runStep(host, s, formats);

  if (tsv)
    printTsv(host);
  else
    printGrid(host, formats);
  std::cout.flush();
  host.unload();
  return 0;
}
