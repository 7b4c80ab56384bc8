#!/usr/bin/python3
"""Reference answers of the sqlite3 shell for tests/sql/db_context_test.cpp.

The shell loads the same table from its own SQL text (exact values, quotes
doubled) and runs the same queries; the answers are printed as C++ rows to
paste into the test. Run by hand: /usr/bin/python3 tools/sql/make_reference.py
"""
import json
import subprocess

HEADINGS = ["id", "name", "city", "unit price", "qty", "code"]
ROWS = [
    [1, "O'Brien", "Zurich", 0.1 + 0.2, 3, "A1"],
    [2, "Smith; drop table t", "Basel", 1234567.891, 10, 2],
    [3, 'first "quoted"', "Zurich", -2.5e-7, 7, 2.5],
    [4, "plain", "Geneva", 100, 1, -3],
    [5, "x", "Basel", 3.14159265358979, "12", 1e20],
    [6, "y", "Zurich", 42, "n/a", "x"],
]
QUERIES = [
    'select city, count(*) as n, sum("unit price") as total, avg(qty) from t group by city order by city',
    "select name, typeof(qty), qty from t where id >= 5 order by id",
    "select id, \"unit price\" * 3 as x, null as blank, upper(name) from t where city = 'Zurich' order by id",
    # Whole numbers go into a TEXT column as integers.
    "select id, code, typeof(code) from t order by id",
    "select printf('%5.2f|%-4d|%.*c|%.999999999s|%%|%,d', qty, id, 3, 'x', name, id * 1e6), "
    "format('%!.2c%s', code, city) from t order by id",
]


def literal(v):
    if isinstance(v, str):
        return "'" + v.replace("'", "''") + "'"
    return repr(v)


def load_sql():
    def column(j):
        kind = "TEXT" if isinstance(ROWS[0][j], str) else "REAL"
        return '"' + HEADINGS[j].replace('"', '""') + '" ' + kind
    sql = ["create table t (" + ", ".join(column(j) for j in range(len(HEADINGS))) + ");"]
    sql += ["insert into t values (" + ", ".join(literal(v) for v in r) + ");" for r in ROWS]
    return "\n".join(sql)


def cpp(v):
    if v is None:
        return "0.0"  # a null comes back as the number 0
    if isinstance(v, str):
        return json.dumps(v)
    return repr(float(v))


for q in QUERIES:
    out = subprocess.run(["sqlite3", ":memory:"], input=load_sql() + "\n.mode json\n" + q + ";\n",
                         capture_output=True, text=True, check=True).stdout
    rows = json.loads(out)
    print("    {" + json.dumps(q) + ",")
    print("     {{" + ", ".join(json.dumps(k) for k in rows[0]) + "},")
    for r in rows:
        print("      {" + ", ".join(cpp(v) for v in r.values()) + "},")
    print("     }},")
