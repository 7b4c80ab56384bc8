// The numpy or scipy call a user would make for the matrix work the
// benchmarks time, run by /usr/bin/python3 on OpenBLAS with one thread.
#pragma once

#include <cstdio>
#include <string>

namespace zrbench {

// Seconds per call of expression, best of five rounds, on n x n matrices
// drawn uniformly from [-1, 1]: a and b general, s = b b^T + n I positive
// definite. Wall-clock time, or processor time with processorTime. 0 when
// python fails.
inline double pythonSeconds(const std::string& expression, int n, unsigned seed, bool processorTime = false) {
  const std::string script =
      "import numpy as np, scipy.linalg as la, time, timeit\n"
      "n = " + std::to_string(n) + "\n"
      "rng = np.random.default_rng(" + std::to_string(seed) + ")\n"
      "a, b = rng.uniform(-1, 1, (n, n)), rng.uniform(-1, 1, (n, n))\n"
      "s = b @ b.T + n * np.eye(n)\n"
      "f = lambda: " + expression + "\n"
      "t = timeit.Timer(f" + (processorTime ? ", timer=time.process_time" : "") + ")\n"
      "k = max(1, int(0.2 / t.timeit(number=1)))\n"
      "print(min(t.repeat(number=k, repeat=5)) / k)\n";
  FILE* p = popen(("env -u OPENBLAS_CORETYPE -u OPENBLAS_L2_SIZE OPENBLAS_NUM_THREADS=1 /usr/bin/python3 -c '" +
                   script + "'").c_str(), "r");
  double seconds = 0;
  if (p == nullptr || std::fscanf(p, "%lf", &seconds) != 1) seconds = 0;
  if (p != nullptr) pclose(p);
  return seconds;
}

}  // namespace zrbench
