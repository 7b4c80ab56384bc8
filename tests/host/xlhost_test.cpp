// The program xlhost with the test add-in and sheet files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct Outcome {
  int status = -1;
  std::string out, err;
};

// A path as one word of a shell command, whatever it holds.
std::string shellWord(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// What xlhost is given after the options: the sheet's file, its folder,
// nothing, a file that is not there, a file it may not read.
enum class Operand { File, Folder, None, Missing, Unreadable };

// The sheet's file, or what stands in its place.
std::string operandPath(Operand operand, const std::string& dir, const std::string& file) {
  switch (operand) {
    case Operand::File: return file;
    case Operand::Folder: return dir;
    case Operand::None: return "";
    case Operand::Missing: return dir + "/none.sheet";
    case Operand::Unreadable:
      chmod(file.c_str(), 0);
      // root reads any file but this one, which the kernel lets nobody read
      return geteuid() == 0 ? "/proc/sys/vm/drop_caches" : file;
  }
  return "";
}

// Writes the sheet to a file in a folder whose name holds a blank and runs
// xlhost on it.
Outcome xlhost(const std::string& sheet, const std::string& options, Operand operand = Operand::File) {
  char dir[] = "/tmp/xlhost test-XXXXXX";
  if (!mkdtemp(dir)) return {};
  std::string file = std::string(dir) + "/t.sheet", errFile = std::string(dir) + "/err";
  std::ofstream(file) << sheet;
  const std::string path = operandPath(operand, dir, file);
  std::string target = path.empty() ? "" : shellWord(path);
  std::string cmd = shellWord(XLHOST) + " " + options + " " + target + " 2>" + shellWord(errFile);
  Outcome r;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  }
  std::ifstream e(errFile);
  r.err.assign(std::istreambuf_iterator<char>(e), std::istreambuf_iterator<char>());
  std::filesystem::remove_all(dir);
  return r;
}

const std::string addin = "--addin " + shellWord(TESTADDIN);

// A row of a table: what xlhost is given, its exit status, what it prints.
struct Row {
  const char* given;
  int status;
  const char* printed;
};

}  // namespace

TEST(Xlhost, TsvListsEveryCellAfterTheSteps) {
  Outcome r = xlhost(
      "# constants and formulas\n"
      "A1 2.5\n"
      "B1 =ta_num(A1)\n"
      "C1 hello world\n"
      "\n"
      "A2 TRUE\n"
      "B2 =ta_num(\"x\")\n"
      "C2 =ta_num(0.1)\n"
      "D1:E2 =ta_seq(1,2)\n"
      "A3 =ta_echo(Z99)\n"
      "B3 =ta_count()\n"
      "!calc B3\n"
      "!wizard open\n"
      "!wizard close\n"
      "!format A1:E3 date\n"
      "!recalc\n",
      addin + " --tsv");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "A1\tnum\t2.5\nB1\tnum\t5\nC1\tstr\thello world\nD1\tnum\t1\nE1\tnum\t2\n"
            "A2\tbool\tTRUE\nB2\terr\t#VALUE!\nC2\tnum\t0.20000000000000001\nD2\tnum\t1\nE2\tnum\t2\n"
            "A3\tnil\t\nB3\tnum\t3\n");
}

TEST(Xlhost, GridShowsDatesWhereFormatted) {
  Outcome r = xlhost("A1 45650\nB1 =ta_num(A1)\nC1 0.5\nA2 x\n!format A1:C2 date\n!format B1 number\n", addin);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "  | A          | B     | C  \n"
            "1 | 2024-12-24 | 91300 | 0.5\n"
            "2 | x          |       |    \n");
}

TEST(Xlhost, FailuresExitWithTheirStatusAndNameTheLine) {
  const Row cases[] = {
      {"A1 1\nA2 =ta_num(\n", 4, ":2: position 9: missing ')' to close the '(' at 8 in =ta_num(\n"},
      {"A1:B2 7\n", 4, ":1: a constant goes into one cell"},
      {"A1 =ta_num(1)/3\n", 4, ":1:"},
      {"!dance\n", 4, ":1: unknown step: !dance"},
      {"A1 1\n!calc IW1\n", 4, ":2: not a reference on the sheet: IW1"},
      {"!calc A65537\n", 4, ":1: not a reference on the sheet: A65537"},
      {"!format A1 percent\n", 4, ":1: unknown step"},
  };
  for (const auto& c : cases) {
    Outcome r = xlhost(c.given, addin);
    EXPECT_EQ(r.status, c.status) << c.given;
    EXPECT_NE(r.err.find(c.printed), std::string::npos) << c.given << r.err;
  }
  Outcome r = xlhost("A1 1\n", "--addin /nonexistent.xll");
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.err.find("/nonexistent.xll"), std::string::npos) << r.err;
  const std::pair<Operand, const char*> unreadable[] = {
      {Operand::Missing, "there is no such file"},
      {Operand::Folder, "it is a folder, not a sheet"},
      {Operand::Unreadable, "you may not read it"},
  };
  for (const auto& [operand, why] : unreadable) {
    r = xlhost("A1 1\n", addin, operand);
    EXPECT_EQ(r.status, 2) << why;
    EXPECT_NE(r.err.find("xlhost: cannot read the sheet "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(std::string(": ") + why + "\n"), std::string::npos) << r.err;
  }
}

TEST(Xlhost, ABadCommandLineNamesWhatItCouldNotUseThenTheUsage) {
  const Row cases[] = {
      {"--tsv --colour", 2, "xlhost: unknown option: --colour\nusage: "},
      {"--addin", 2, "xlhost: --addin needs a path after it\nusage: "},
      {"a.sheet b.sheet", 2,
       "xlhost: cannot use b.sheet: one sheet or pattern at a time, and a.sheet came first\nusage: "},
      {"--functions --tsv", 2, "xlhost: --tsv does not go with --functions\nusage: "},
      {"--tsv", 2, "xlhost: no sheet file given\nusage: "},
  };
  for (const auto& c : cases) {
    Outcome r = xlhost("", c.given, Operand::None);
    EXPECT_EQ(r.status, c.status) << c.given;
    EXPECT_EQ(r.err.rfind(c.printed, 0), 0u) << c.given << "\n" << r.err;
  }
}

// The cells show what the real host shows; standard error says why, once a cell.
TEST(Xlhost, SaysWhyACallWasNotMadeOnceACell) {
  Outcome r = xlhost(
      "A1 =ta_num(1,2)\n"
      "B1:C1 =SUM(A1)\n"
      "A2 =ta_num(ta_nope(1))\n"
      "A3 =ta_num(\"twelve\")\n"
      "A4 =ta_num(B1:C1)\n"
      "A5 =ta_int(1E10)\n"
      "A6 =ta_fp({1,\"x\"})\n"
      "A7 =ta_fp()\n"
      "A8 =ta_num(#N/A)\n"
      "!recalc\n",
      addin + " --tsv");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "A1\terr\t#VALUE!\nB1\terr\t#NAME?\nC1\terr\t#NAME?\nA2\terr\t#NAME?\nA3\terr\t#VALUE!\n"
            "A4\terr\t#VALUE!\nA5\terr\t#VALUE!\nA6\terr\t#VALUE!\nA7\terr\t#VALUE!\nA8\terr\t#N/A\n");
  EXPECT_EQ(r.err,
            "xlhost: A1: ta_num cannot be called: it takes at most 1 argument, not 2 (#VALUE!)\n"
            "xlhost: B1:C1: no function named SUM is registered (#NAME?)\n"
            "xlhost: A2: no function named ta_nope is registered (#NAME?)\n"
            "xlhost: A3: ta_num cannot be called: argument 1 is not a number: twelve (#VALUE!)\n"
            "xlhost: A4: ta_num cannot be called: argument 1 is a range of several cells where one value is "
            "needed (#VALUE!)\n"
            "xlhost: A5: ta_int cannot be called: argument 1 is out of the range of a 32-bit whole number: "
            "10000000000 (#VALUE!)\n"
            "xlhost: A6: ta_fp cannot be called: argument 1 holds a value that is not a number (#VALUE!)\n"
            "xlhost: A7: ta_fp cannot be called: argument 1 is missing where numbers are needed (#VALUE!)\n");
}

// --fpstate sets the state of the add-in's calls and hooks; an unknown one
// is a bad command line.
TEST(Xlhost, FpStateOption) {
  const Row cases[] = {
      {"--fpstate 53", 0, "A1\tnum\t639\nB1\tnum\t8064\nC1\tnum\t639\nD1\tnum\t8064\n"},
      {"--fpstate 24,ftz", 0, "A1\tnum\t127\nB1\tnum\t40832\nC1\tnum\t127\nD1\tnum\t40832\n"},
      {"--fpstate", 2, ""},
      {"--fpstate 80", 2, ""},
  };
  for (const auto& c : cases) {
    Outcome r = xlhost("A1:D1 =ta_fpstate()\n", addin + " --tsv " + c.given);
    EXPECT_EQ(r.status, c.status) << c.given << r.err;
    EXPECT_EQ(r.out, c.printed) << c.given;
    if (c.status == 2) {
      EXPECT_NE(r.err.find("--fpstate STATE"), std::string::npos) << r.err;
    }
  }
}

TEST(Xlhost, FunctionsPrintsWhatTheAddinRegistered) {
  const Row cases[] = {
      // every argument named, with its help where one was registered
      {"TA_D*", 0, "Test\n  ta_depends(Value, Dependent)\n      ta_depends for tests.\n"
                   "      Value      first argument.\n      Dependent\n"},
      // a command under its own heading; a refused registration is not listed
      {"t?.c*", 0, "Commands\n  TA.CMD\n      TA.CMD for tests.\n"},
      {"ta_hidden", 1, ""},
  };
  for (const auto& c : cases) {
    Outcome r = xlhost("", addin + " --functions '" + c.given + "'", Operand::None);
    EXPECT_EQ(r.status, c.status) << c.given << r.err;
    EXPECT_EQ(r.out, c.printed) << c.given;
  }
}
