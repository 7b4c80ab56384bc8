#!/usr/bin/python3
"""Reference values for tests/matrix/cwise_test.cpp and shape_test.cpp, from
numpy, written with the functions' own rules (np.where forms keep the first
operand on ties, signed zeros and NaN, where np.minimum/np.clip would not).
Run by hand: /usr/bin/python3 tools/matrix/cwise_reference.py"""
import numpy as np

inf, nan = np.inf, np.nan
x = np.array([-2.5, -0.0, 0.0, 1.0, 3.0, nan, inf, -4.0])
y = np.array([1.0, 0.0, -0.0, 1.0, 2.0, 4.0, nan, -0.0])
cap, floor = 2.0, -1.0


def row(name, v):
    def c(e):
        if np.isnan(e):
            return "nan"
        if np.isinf(e):
            return "inf" if e > 0 else "-inf"
        return repr(float(e))
    print("      {%s, {%s}}," % (name, ", ".join(c(e) for e in v)))


with np.errstate(all="ignore"):
    print("numpy", np.__version__)
    row('"min"', np.where(y < x, y, x))
    row('"max"', np.where(y > x, y, x))
    row('"prod"', x * y)
    row('"quot"', x / y)
    row('"sqrt"', np.sqrt(x))
    row('"inverse"', 1.0 / x)
    row('"abs"', np.abs(x))
    def capfloor(c, f):
        return np.where(f > x, f, np.where(c < x, c, x))
    row('"capfloor"', capfloor(cap, floor))
    row('"crossed"', capfloor(floor, cap))  # cap -1 below floor 2
    row('"cap"', np.where(cap < x, cap, x))
    row('"floor"', np.where(floor > x, floor, x))
    for n in (2.0, 0.5, -1.0, 0.0):
        row('"pow %g"' % n, np.power(x, n))
    # precision tests on squared Frobenius norms
    a = np.array([[1.0, 2.0], [3.0, 4.0]])
    for b, p in ((a + 1e-6, 1e-5), (a + 1e-6, 1e-7), (a * 1e-6, 1e-5), (a * 1e-4, 1e-5)):
        d, na, nb = ((a - b) ** 2).sum(), (a ** 2).sum(), (b ** 2).sum()
        print("approx", d <= p * p * min(na, nb), "muchSmaller(b,a)", nb <= p * p * na)
