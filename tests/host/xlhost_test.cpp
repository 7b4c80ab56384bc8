// The program xlhost with the test add-in and sheet files.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

struct Outcome {
  int status = -1;
  std::string out, err;
};

// Writes the sheet to a file and runs xlhost on it.
Outcome xlhost(const std::string& sheet, const std::string& options) {
  char dir[] = "/tmp/xlhost-test-XXXXXX";
  if (!mkdtemp(dir)) return {};
  std::string file = std::string(dir) + "/t.sheet", errFile = std::string(dir) + "/err";
  std::ofstream(file) << sheet;
  std::string cmd = std::string(XLHOST) + " " + options + " " + file + " 2>" + errFile;
  Outcome r;
  FILE* p = popen(cmd.c_str(), "r");
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  std::ifstream e(errFile);
  r.err.assign(std::istreambuf_iterator<char>(e), std::istreambuf_iterator<char>());
  std::remove(file.c_str());
  std::remove(errFile.c_str());
  rmdir(dir);
  return r;
}

const std::string addin = std::string("--addin ") + TESTADDIN;

}  // namespace

TEST(Xlhost, TsvListsEveryCellAfterTheSteps) {
  Outcome r = xlhost(
      "# constants and formulas\n"
      "A1 2.5\n"
      "B1 =ta_num(A1)\n"
      "C1 hello world\n"
      "\n"
      "A2 TRUE\n"
      "B2 =ta_cstr(C1)\n"
      "C2 =ta_kind()\n"
      "A3 =ta_echo(Z99)\n"
      "B3 =ta_num(\"x\")\n"
      "D1:E2 =ta_seq(1,3)\n"
      "A4 =ta_count()\n"
      "B4 =ta_wizard()\n"
      "C4 =ta_num(1)/3\n"
      "!calc A4\n"
      "!wizard open\n"
      "!calc B4\n"
      "!calc A4\n",
      addin + " --tsv");
  EXPECT_EQ(r.status, 4) << r.err;  // C4 is not in the formula language
  EXPECT_NE(r.err.find(":14:"), std::string::npos) << r.err;

  r = xlhost(
      "A1 2.5\n"
      "B1 =ta_num(A1)\n"
      "C1 hello world\n"
      "A2 TRUE\n"
      "B2 =ta_cstr(C1)\n"
      "C2 =ta_kind()\n"
      "A3 =ta_echo(Z99)\n"
      "B3 =ta_num(\"x\")\n"
      "C3 =ta_num(0.1)\n"
      "D1:E2 =ta_seq(1,3)\n"
      "A4 =ta_count()\n"
      "B4 =ta_wizard()\n"
      "!calc A4\n"
      "!wizard open\n"
      "!calc B4\n"
      "!recalc\n",
      addin + " --tsv");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "A1\tnum\t2.5\n"
            "B1\tnum\t5\n"
            "C1\tstr\thello world\n"
            "D1\tnum\t1\n"
            "E1\tnum\t2\n"
            "A2\tbool\tTRUE\n"
            "B2\tstr\t[hello world]\n"
            "C2\tnum\t128\n"
            "D2\tnum\t1\n"
            "E2\tnum\t2\n"
            "A3\tnil\t\n"
            "B3\terr\t#VALUE!\n"
            "C3\tnum\t0.20000000000000001\n"
            "A4\tnum\t3\n"
            "B4\tbool\tTRUE\n");
}

TEST(Xlhost, GridAndFailures) {
  Outcome r = xlhost("A1 1\nB2 =ta_num(A1)\n", addin);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("| A"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("| 2"), std::string::npos) << r.out;

  r = xlhost("A1 1\nA2 =ta_num(\n", addin);
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find(":2:"), std::string::npos) << r.err;
  r = xlhost("A1:B2 7\n", addin);
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find(":1:"), std::string::npos) << r.err;
  r = xlhost("!dance\n", addin);
  EXPECT_NE(r.status, 0);
  r = xlhost("A1 1\n", "--addin /nonexistent.xll");
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("/nonexistent.xll"), std::string::npos) << r.err;
}
