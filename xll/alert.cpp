#include "xll/alert.h"

#include <memory>
#include <string>

#include "xll/excel.h"
#include "xll/utility/registry.h"

namespace xll {

namespace {

const char* const keyName = "Software\\VORN\\xll";
const char* const valueName = "xll_alert_level";
const DWORD defaultLevel = XLL_ALERT_ERROR | XLL_ALERT_WARNING;

struct AlertState {
  std::unique_ptr<Reg::CreateKey<char>> key;
  DWORD level = defaultLevel;
  std::string notice;  // shown once when the add-in opens
};

AlertState& state() {
  static AlertState s;
  return s;
}

void save() {
  AlertState& s = state();
  if (s.key) s.key->SetValue<DWORD>(valueName, s.level);
}

}  // namespace

void LoadAlertLevel() {
  AlertState& s = state();
  try {
    s.key = std::make_unique<Reg::CreateKey<char>>(HKEY_CURRENT_USER, keyName, KEY_ALL_ACCESS);
  } catch (const std::exception&) {
    // Without the key the add-in works on at the default level, unsaved.
    s.key.reset();
    s.level = defaultLevel;
    s.notice = "The alert level cannot be kept: the registry key HKEY_CURRENT_USER\\Software\\VORN\\xll "
               "cannot be opened. Alerts use the default level 3.";
    return;
  }
  try {
    s.level = s.key->QueryValue<DWORD>(valueName);
  } catch (const std::exception&) {
    s.level = defaultLevel;
    save();
  }
}

DWORD AlertLevel() { return state().level; }

std::string TakeAlertNotice() {
  std::string notice;
  notice.swap(state().notice);
  return notice;
}

void AlertClear(DWORD bit) {
  state().level &= ~bit;
  save();
}

void AlertSet(DWORD bit) {
  state().level |= bit;
  save();
}

int AlertError(const char* text, bool forced) {
  if (!(AlertLevel() & XLL_ALERT_ERROR) && !forced) return 0;
  int answer = MessageBoxA(GetActiveWindow(), text, "Error", MB_OKCANCEL | MB_ICONERROR);
  if (answer == IDCANCEL) AlertClear(XLL_ALERT_ERROR);
  return answer;
}

int AlertFilter() {
  const size_t cols = 7;
  OPER table;
  // Appends a row of the dialog table and gives its index.
  auto row = [&](const OPER& kind, const OPER& x, const OPER& y, const OPER& w, const OPER& h,
                 const char* text, const OPER& init) {
    size_t r = table.rows();
    table.resize(r + 1, cols);
    const OPER* cells[] = {&kind, &x, &y, &w, &h};
    for (size_t c = 0; c < 5; ++c) table(r, c) = *cells[c];
    table(r, 5) = text;
    table(r, 6) = init;
    return r;
  };
  const OPER nil;
  DWORD level = AlertLevel();
  row(nil, 10, 10, 230, 90, "Alert Filter", nil);
  row(14, 10, 10, 95, 70, "Show alerts:", nil);
  size_t error = row(13, nil, nil, nil, nil, "Error", static_cast<int>(level & XLL_ALERT_ERROR));
  size_t warning =
      row(13, nil, nil, nil, nil, "Warning", static_cast<int>(level & XLL_ALERT_WARNING));
  size_t info = row(13, nil, nil, nil, nil, "Info", static_cast<int>(level & XLL_ALERT_INFO));
  size_t ok = row(3, 135, 20, nil, nil, "OK", nil);
  row(2, 135, 55, nil, nil, "Cancel", nil);

  OPER answer;
  try {
    answer = Excel(xlfDialogBox, table).copy();
  } catch (const std::exception&) {
    return 0;
  }
  // Cancelled, or not the table of this dialog: nothing changes.
  if (answer.xltype != xltypeMulti || answer.rows() <= info || answer.columns() < cols) return 1;
  if (!(answer(0, 6) == static_cast<int>(ok))) return 1;
  const std::pair<size_t, DWORD> boxes[] = {
      {error, XLL_ALERT_ERROR}, {warning, XLL_ALERT_WARNING}, {info, XLL_ALERT_INFO}};
  for (const auto& [r, bit] : boxes) {
    if (to_double(static_cast<const xloper&>(answer(r, 6))) == 0)
      AlertClear(bit);
    else
      AlertSet(bit);
  }
  return 1;
}

}  // namespace xll
