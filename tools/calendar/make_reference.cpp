// Writes the QuantLib reference data of the calendar tests into a folder
// (tests/calendar/data). See README.
#include <ql/time/calendars/australia.hpp>
#include <ql/time/calendars/nullcalendar.hpp>
#include <ql/time/calendars/switzerland.hpp>
#include <ql/time/calendars/target.hpp>
#include <ql/time/calendars/unitedkingdom.hpp>
#include <ql/time/calendars/unitedstates.hpp>
#include <ql/time/calendars/weekendsonly.hpp>
#include <ql/version.hpp>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "quantlib_differences.h"

namespace ql = QuantLib;

namespace {

const long firstSerial = 367;    // 1 January 1901, QuantLib's first date
const long lastSerial = 73050;   // 31 December 2099

struct Reference {
  const char* name;      // as QA::createCalendar takes it
  const char* quantlib;  // the QuantLib calendar used
  ql::Calendar calendar;
};

std::vector<Reference> references() {
  return {
      {"Switzerland", "Switzerland()", ql::Switzerland()},
      {"Target", "TARGET()", ql::TARGET()},
      {"WeekDaysOnly", "WeekendsOnly()", ql::WeekendsOnly()},
      {"NULL", "NullCalendar()", ql::NullCalendar()},
      {"UK", "UnitedKingdom(UnitedKingdom::Exchange)", ql::UnitedKingdom(ql::UnitedKingdom::Exchange)},
      {"US", "UnitedStates(UnitedStates::NYSE)", ql::UnitedStates(ql::UnitedStates::NYSE)},
      {"Australia", "Australia()", ql::Australia()},
  };
}

// Gives QuantLib access to its Easter table.
struct Easter : ql::Calendar {
  static int monday(int year) { return WesternImpl::easterMonday(year); }
};

std::string source() {
  return std::string("# Source: QuantLib ") + QL_VERSION +
         " (Debian package libquantlib0-dev), written by tools/calendar/make_reference.\n";
}

ql::Date fromYmd(int ymd) { return ql::Date(ymd % 100, ql::Month(ymd / 100 % 100), ymd / 10000); }

void writeEaster(const std::string& dir) {
  std::ofstream out(dir + "/easter_monday.txt");
  out << source() << "# Year and day of year of Easter Monday (Calendar::WesternImpl::easterMonday).\n";
  for (int y = 1901; y <= 2099; ++y) out << y << ' ' << Easter::monday(y) << '\n';
}

void writeHolidays(const std::string& dir, const Reference& r) {
  std::ofstream out(dir + "/holidays_" + r.name + ".txt");
  const bool weekend = r.calendar.isWeekend(ql::Saturday) && r.calendar.isWeekend(ql::Sunday);
  out << source() << "# Calendar " << r.quantlib << ", 1901 to 2099.\n"
      << "# Line 'weekend yes|no': Saturdays and Sundays are holidays or not; then per year the\n"
      << "# year, each Monday-to-Friday holiday as MMDD and each business Saturday or Sunday\n"
      << "# as +MMDD (or, with 'weekend no', each Saturday or Sunday holiday as MMDD).\n"
      << "weekend " << (weekend ? "yes" : "no") << '\n';
  for (int y = 1901; y <= 2099; ++y) {
    out << y;
    for (ql::Date d(1, ql::January, y); d <= ql::Date(31, ql::December, y); ++d) {
      const bool weekendDay = d.weekday() == ql::Saturday || d.weekday() == ql::Sunday;
      const bool expectedBusiness = !(weekend && weekendDay);
      if (r.calendar.isBusinessDay(d) == expectedBusiness) continue;
      char text[8];
      std::snprintf(text, sizeof text, "%s%02d%02d", expectedBusiness ? "" : "+", int(d.month()), d.dayOfMonth());
      out << ' ' << text;
    }
    out << '\n';
  }
}

// Makes QuantLib's calendar follow the known differences.
void align(Reference& r) {
  for (const auto& k : calendar_reference::knownDifferences) {
    if (std::string(k.calendar) != r.name) continue;
    for (int ymd : k.dates) {
      if (k.holidayHere) r.calendar.addHoliday(fromYmd(ymd));
      else r.calendar.removeHoliday(fromYmd(ymd));
    }
  }
}

bool inRange(const ql::Date& d) { return d.serialNumber() >= firstSerial && d.serialNumber() <= lastSerial; }

struct Cases {
  std::mt19937 rng{20110430};

  long uniform(long lo, long hi) { return std::uniform_int_distribution<long>(lo, hi)(rng); }

  // A third each: any day, a holiday or weekend day, a day near a month's turn.
  ql::Date rollDate(const ql::Calendar& c) {
    switch (uniform(0, 2)) {
      case 0: return ql::Date(uniform(firstSerial, lastSerial));
      case 1: {
        ql::Date d(uniform(firstSerial + 10, lastSerial - 10));
        while (c.isBusinessDay(d) && d.serialNumber() < lastSerial - 10) ++d;
        return d;
      }
      default: {
        const ql::Date d = ql::Date::endOfMonth(ql::Date(uniform(firstSerial + 31, lastSerial - 31)));
        return d + uniform(-4, 2);
      }
    }
  }

  void write(std::ostream& out, const Reference& r) {
    const ql::Calendar& c = r.calendar;
    for (int i = 0; i < 200; ++i) {
      const ql::Date d = rollDate(c);
      const ql::Date f = c.adjust(d, ql::Following), mf = c.adjust(d, ql::ModifiedFollowing);
      const ql::Date p = c.adjust(d, ql::Preceding), mp = c.adjust(d, ql::ModifiedPreceding);
      if (!inRange(f) || !inRange(p)) continue;
      out << "adjust " << r.name << ' ' << d.serialNumber() << ' ' << f.serialNumber() << ' '
          << mf.serialNumber() << ' ' << p.serialNumber() << ' ' << mp.serialNumber() << '\n';
    }
    for (int i = 0; i < 100; ++i) {
      const ql::Date d = rollDate(c);
      ql::Date ref(uniform(firstSerial + 31, lastSerial - 31));
      if (i % 2 == 0) ref = c.endOfMonth(ref);
      // Month-end roll: modified following, then the month's last business day when the
      // reference is a month end and the roll is not.
      ql::Date x = c.adjust(d, ql::ModifiedFollowing);
      if (c.isEndOfMonth(ref) && !c.isEndOfMonth(x)) x = c.endOfMonth(x);
      if (!inRange(x)) continue;
      out << "monthend " << r.name << ' ' << d.serialNumber() << ' ' << ref.serialNumber() << ' '
          << x.serialNumber() << '\n';
    }
    const long spans[] = {10, 300, 10000};
    for (int i = 0; i < 150; ++i) {
      const ql::Date d(uniform(firstSerial, lastSerial));
      long n = uniform(1, spans[i % 3]);
      if (uniform(0, 1)) n = -n;
      try {
        const ql::Date x = c.advance(d, ql::Integer(n), ql::Days);
        if (!inRange(x)) continue;
        out << "step " << r.name << ' ' << d.serialNumber() << ' ' << n << ' ' << x.serialNumber() << '\n';
      } catch (const std::exception&) {  // before 1901
      }
    }
    const long widths[] = {0, 7, 40, 400, 73000};
    for (int i = 0; i < 150; ++i) {
      const long s = uniform(firstSerial, lastSerial);
      const long e = std::min(lastSerial, std::max(firstSerial, s + uniform(-widths[i % 5] / 10, widths[i % 5])));
      const ql::Date a(s), b(e);
      const auto business = c.businessDaysBetween(a, b, true, true);
      const auto holidays = a <= b ? long(c.holidayList(a, b, true).size()) : 0L;
      out << "count " << r.name << ' ' << s << ' ' << e << ' ' << business << ' ' << holidays << '\n';
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_reference DATA_DIR\n";
    return 2;
  }
  const std::string dir = argv[1];
  std::vector<Reference> refs = references();
  writeEaster(dir);
  for (const Reference& r : refs) writeHolidays(dir, r);

  std::ofstream out(dir + "/random_cases.txt");
  out << source()
      << "# QuantLib's calendars (see holidays_*.txt) with the known differences of\n"
      << "# tests/calendar/quantlib_differences.h applied; dates are serials of the 1900 date system.\n"
      << "# adjust CAL DATE FOLLOWING MODIFIEDFOLLOWING PRECEDING MODIFIEDPRECEDING\n"
      << "# monthend CAL DATE REFERENCE RESULT (modified following, moved to the month's last\n"
      << "#   business day when REFERENCE is a month end and the roll is not)\n"
      << "# step CAL DATE N RESULT (advance by N business days)\n"
      << "# count CAL START END BUSINESSDAYS HOLIDAYS (both ends included; QuantLib's signed\n"
      << "#   businessDaysBetween and 0 holidays when START > END)\n";
  Cases cases;
  for (Reference& r : refs) {
    align(r);
    cases.write(out, r);
  }
  return 0;
}
