#!/usr/bin/python3
"""Reference values for the matrix decomposition tests, from LAPACK through
scipy: dgetrf (partial-pivot LU and determinant), dgeqrf and dgeqp3 (packed
QR), dpotrf (Cholesky) and dsyevd (eigenvalues). Run by hand with the
system's python (/usr/bin/python3) and paste the output into
tests/matrix/lu_qr_symmetric_test.cpp."""
import numpy as np
import scipy.linalg as la

np.set_printoptions(precision=17)


def cxx(name, m):
    m = np.atleast_2d(m)
    rows = ",\n    ".join("{" + ", ".join(repr(float(x)) for x in r) + "}" for r in m)
    print(f"// {name}: {m.shape[0]} x {m.shape[1]}\n{{\n    {rows}}}")


# A general square matrix; rows chosen so that pivoting swaps rows.
A = np.array([[1.5, -2.0, 0.25, 4.0],
              [6.0, 1.0, -3.5, 2.0],
              [-0.5, 7.25, 2.0, -1.0],
              [3.0, -4.0, 5.0, 0.5]])
lu, piv = la.lu_factor(A)  # dgetrf
cxx("dgetrf packed LU of A", lu)
print("// det(A) from dgetrf:", repr(float(np.prod(np.diag(lu)) * (-1) ** np.sum(piv != np.arange(4)))))
print("// numpy det(A):", repr(float(np.linalg.det(A))))

# A tall matrix (5 x 3) and a wide one (3 x 5) for the QR decompositions.
T = np.array([[2.0, -1.0, 0.5],
              [1.0, 3.0, -2.0],
              [-4.0, 0.5, 1.0],
              [0.0, 2.0, 6.0],
              [1.5, -3.0, 2.5]])
for name, M in (("T", T), ("T^T", T.T)):
    (qr, tau), r = la.qr(M, mode="raw")  # dgeqrf
    cxx(f"dgeqrf packed QR of {name}", qr)
    (qrp, taup), rp, perm = la.qr(M, mode="raw", pivoting=True)  # dgeqp3
    cxx(f"dgeqp3 packed QR of {name}, column order {list(perm)}", qrp)
cxx("numpy.linalg.svd singular values of T (of R at any scale of T)", np.linalg.svd(T, compute_uv=False))

# A symmetric positive definite matrix.
S = np.array([[4.0, 1.0, -2.0, 0.5],
              [1.0, 5.0, 1.5, -1.0],
              [-2.0, 1.5, 6.0, 2.0],
              [0.5, -1.0, 2.0, 3.0]])
cxx("dpotrf lower Cholesky factor of S", la.cholesky(S, lower=True))
cxx("eigh eigenvalues of S, increasing", la.eigh(S, eigvals_only=True))
# A symmetric indefinite one.
N = np.array([[1.0, 2.0, 3.0], [2.0, -1.0, 0.5], [3.0, 0.5, -2.0]])
cxx("eigh eigenvalues of N, increasing", la.eigh(N, eigvals_only=True))
