#!/usr/bin/python3
"""Reference values for the matrix tests, from numpy (Debian's python3-numpy)
and, where float64 overflows or underflows on the way, mpmath (python3-mpmath).

Run by hand: /usr/bin/python3 tools/matrix/make_reference.py
Prints C++ initialisers to paste into tests/matrix/*_test.cpp.
"""
import math

import numpy as np


def cpp(values):
    return "{" + ", ".join(repr(float(v)).replace("inf", "INF").replace("nan", "NAN") for v in values) + "}"


rng = np.random.default_rng(20261206)

# Products of small random shapes, row-major, including 1 x n and n x 1.
for (m, k, n) in [(2, 3, 2), (1, 4, 1), (2, 0, 3)]:
    a = rng.uniform(-10, 10, (m, k))
    b = rng.uniform(-10, 10, (k, n))
    print(f"// {m}x{k} times {k}x{n}")
    print("a", cpp(a.ravel()))
    print("b", cpp(b.ravel()))
    print("a@b", cpp((a @ b).ravel()))

# Reductions of a long row-major sequence x_0 = 1e16, x_k = 1 / k: plain
# left-to-right loops (numpy's own sum is pairwise and rounds differently).
n = 2000
x = [1e16] + [1.0 / k for k in range(1, n)]
s = 0.0 if not x else x[0]
for v in x[1:]:
    s = s + v
p = 1.0
y = [1.0 + 1.0 / (k + 3) for k in range(n)]
p = y[0]
for v in y[1:]:
    p = p * v
print("sequential sum", repr(s), "numpy pairwise", repr(float(np.sum(np.array(x)))))
print("sequential mean", repr(s / n))
print("sequential product of 1 + 1/(k+3)", repr(p), "numpy", repr(float(np.prod(np.array(y)))))

# Min, max, sum and trace of a 4 x 3 random matrix with an infinity and a NaN.
c = rng.uniform(-100, 100, (4, 3))
c[1, 2] = math.inf
c[3, 0] = math.nan
print("c", cpp(c.ravel()))
print("nanmin", repr(float(np.nanmin(c))), "nanmax(finite)", repr(float(np.nanmax(c[np.isfinite(c)]))))
print("trace", repr(float(np.trace(c))))
print("sum", repr(float(np.sum(c))))

# Answers that are doubles although squares, sums or products on the way to
# them are not (tests/matrix/*: mtrx_norm, mtrx_det, mtrx_coeffProd). numpy
# cannot give them at float64; mpmath at 60 digits gives the exact value
# rounded once, and at 53 bits, whose exponent has no bounds, what the
# plain double computation gives scaled to 1.
import mpmath as mp

print("mpmath", mp.__version__)
mp.mp.dps = 60
for x, y in ((3e200, 4e200), (3e-200, 4e-200)):
    print("norm {%r, %r}" % (x, y), repr(float(mp.sqrt(mp.mpf(x) ** 2 + mp.mpf(y) ** 2))))


def det(rows):  # by cofactors: mp.det calls a pivot below its tolerance 0
    if len(rows) == 1:
        return mp.mpf(rows[0][0])
    return mp.fsum((-1) ** j * mp.mpf(rows[0][j]) * det([r[:j] + r[j + 1:] for r in rows[1:]])
                   for j in range(len(rows)) if rows[0][j] != 0)


print("det {1e308,1e308,0;-1e308,1e308,0;0,0,1e-310}",
      repr(float(det([[1e308, 1e308, 0], [-1e308, 1e308, 0], [0, 0, 1e-310]]))))
mp.mp.prec = 53
p = mp.mpf(1)
for v in (1e-170, 1e-170, 1e300):
    p = p * mp.mpf(v)
print("product 1e-170 * 1e-170 * 1e300 rounded at each step", repr(float(p)))
