// The file-system worksheet functions through the simulated host, inside a
// temporary folder made and removed by each test.
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include <boost/filesystem.hpp>

#include "tests/support/addin_test.h"

namespace {

namespace fs = boost::filesystem;
using xlsim::Value;
using zrtest::isError;

class FileSystemSheet : public zrtest::AddinTest {
 protected:
  void SetUp() override {
    AddinTest::SetUp();
    root = (fs::temp_directory_path() / fs::unique_path("zr-fs-%%%%-%%%%")).string();
    fs::create_directory(root);
  }
  void TearDown() override { fs::remove_all(root); }

  std::string at(const std::string& name) const { return root + "/" + name; }
  std::string file(const std::string& name, size_t bytes = 0) {
    fs::create_directories(fs::path(at(name)).parent_path());
    std::ofstream(at(name)) << std::string(bytes, 'z');
    return at(name);
  }
  std::string folder(const std::string& name) {
    fs::create_directories(at(name));
    return at(name);
  }
  Value call(const std::string& f, const std::vector<xlsim::Arg>& args) { return host.call(f, args, "B2"); }
  // The sorted texts of a result; none for a result that is not a text.
  static std::vector<std::string> names(const Value& v) {
    std::vector<std::string> out;
    if (v.is(Value::Text)) out.push_back(v.str);
    for (const Value& e : v.elements) out.push_back(e.str);
    std::sort(out.begin(), out.end());
    return out;
  }
  // The message of a call that fails: its operation and quoted paths are the
  // library's, the system's message between them is not compared.
  // The message names the arguments, or the given paths.
  void expectFailure(const std::string& f, const std::vector<std::string>& args, const std::string& op,
                     std::vector<std::string> quoted = {}) {
    std::vector<xlsim::Arg> in;
    for (const std::string& a : args) in.push_back(Value::text(a));
    if (quoted.empty()) quoted = args;
    std::string paths;
    for (const std::string& q : quoted) paths += (paths.empty() ? "\"" : ", \"") + q + "\"";
    EXPECT_TRUE(isError(call(f, in), xlerrValue)) << f;
    const std::string m = errorOf("B2");
    EXPECT_EQ(m.rfind(op + ": ", 0), 0u) << m;
    EXPECT_GT(m.size(), op.size() + paths.size() + 4) << m;
    EXPECT_EQ(m.substr(m.size() - std::min(m.size(), paths.size() + 2)), ": " + paths) << m;
  }
  Value text(const std::string& s) { return Value::text(s); }

  std::string root;
};

TEST_F(FileSystemSheet, KindsAndLists) {
  const std::string f = file("f.txt"), one = folder("one"), mix = folder("mix"), subs = folder("subs");
  file("one/only.txt");
  for (const char* n : {"mix/a.txt", "mix/b.dat", "mix/c", "mix/s1/inner.txt"}) file(n);
  folder("mix/s2");
  folder("subs/x");
  folder("subs/y");
  struct Kind {
    std::string path;
    bool dir, file;
  };
  for (const Kind& k : {Kind{root, true, false}, Kind{f, false, true}, Kind{at("none"), false, false},
                        Kind{"", false, false}}) {
    EXPECT_EQ(call("fs_isValidDirPath", {text(k.path)}), Value::boolean(k.dir)) << k.path;
    EXPECT_EQ(call("fs_isValidFilePath", {text(k.path)}), Value::boolean(k.file)) << k.path;
  }
  EXPECT_EQ(call("fs_filesInDir", {text(one)}), text("only.txt"));
  const Value three = call("fs_filesInDir", {text(mix)});
  EXPECT_EQ(three.rows * 10 + three.columns, 31);
  EXPECT_EQ(names(three), (std::vector<std::string>{"a.txt", "b.dat", "c"}));
  EXPECT_EQ(names(call("fs_subFolders", {text(mix)})), (std::vector<std::string>{"s1", "s2"}));
  // No names leave the emptied result, nothing of the last one.
  for (const std::string& p : {subs, f, at("none")})
    EXPECT_TRUE(call("fs_filesInDir", {text(p)}).is(Value::Missing)) << p;
  EXPECT_TRUE(call("fs_subFolders", {text(one)}).is(Value::Missing));

  // The pattern must match the whole name, with letter case.
  const std::string re = folder("re");
  for (const char* n : {"re/abc.txt", "re/cab.txt", "re/Abc.txt", "re/a"}) file(n);
  folder("re/abc.dir");
  EXPECT_EQ(names(call("fs_filesInDirRE", {text(re), text("a.*")})), (std::vector<std::string>{"a", "abc.txt"}));
  EXPECT_EQ(call("fs_filesInDirRE", {text(re), text("c.b\\.txt")}), text("cab.txt"));
  EXPECT_TRUE(call("fs_filesInDirRE", {text(re), text("ABC.*")}).is(Value::Missing));
  // An invalid pattern fails before the folder is looked at.
  EXPECT_TRUE(isError(call("fs_filesInDirRE", {text(at("none")), text("a(")}), xlerrValue));
  EXPECT_NE(errorOf("B2").find(">>>HERE>>>"), std::string::npos);
}

TEST_F(FileSystemSheet, SizesAndTimes) {
  EXPECT_EQ(call("fs_fileSize", {text(file("k", 1536))}), Value::number(1.5));
  EXPECT_EQ(call("fs_fileSize", {text(file("empty"))}), Value::number(0));
  expectFailure("fs_fileSize", {root}, "boost::filesystem::file_size");
  expectFailure("fs_fileSize", {at("none")}, "boost::filesystem::file_size");
  expectFailure("fs_modifiedTime", {at("none")}, "boost::filesystem::last_write_time");
  const Value now = call("fs_modifiedTime", {text(root)});
  ASSERT_TRUE(now.is(Value::Number));
  EXPECT_NEAR(now.num, 25569 + std::time(nullptr) / 86400.0, 1.0);
}

TEST_F(FileSystemSheet, Changes) {
  const std::string made = at("made");
  EXPECT_EQ(call("fs_createDir", {text(made)}), Value::boolean(true));
  EXPECT_TRUE(fs::is_directory(made));
  EXPECT_EQ(call("fs_createDir", {text(made)}), Value::boolean(true));
  expectFailure("fs_createDir", {at("no/parent")}, "boost::filesystem::create_directory");
  expectFailure("fs_createDir", {file("plain")}, "boost::filesystem::create_directory");

  // Renaming replaces an existing file; copying refuses to.
  const std::string a = file("a", 3), b = file("b", 7), c = at("c");
  EXPECT_EQ(call("fs_rename", {text(a), text(b)}), Value::boolean(true));
  EXPECT_FALSE(fs::exists(a));
  EXPECT_EQ(fs::file_size(b), 3u);
  expectFailure("fs_rename", {a, c}, "boost::filesystem::rename");
  EXPECT_EQ(call("fs_copyFile", {text(b), text(c)}), Value::boolean(true));
  EXPECT_EQ(fs::file_size(c), 3u);
  file("b", 5);
  expectFailure("fs_copyFile", {b, c}, "boost::filesystem::copy_file");
  EXPECT_EQ(fs::file_size(c), 3u);

  EXPECT_EQ(call("fs_delete", {text(c)}), Value::boolean(true));
  EXPECT_EQ(call("fs_delete", {text(made)}), Value::boolean(true));
  EXPECT_FALSE(fs::exists(c) || fs::exists(made));
  EXPECT_EQ(call("fs_delete", {text(at("none"))}), Value::boolean(false));
  file("full/x");
  expectFailure("fs_delete", {at("full")}, "boost::filesystem::remove");

  // Emptying removes the folder itself.
  file("full/sub/deep/y");
  for (const std::string& p : {at("full"), at("none"), b})
    EXPECT_EQ(call("fs_emptyDir", {text(p)}), Value::boolean(true)) << p;
  EXPECT_FALSE(fs::exists(at("full")) || fs::exists(b));
}

TEST_F(FileSystemSheet, StatusFailures) {
  // A link to itself cannot be followed.
  fs::create_symlink(at("loop"), at("loop"));
  expectFailure("fs_isValidDirPath", {at("loop")}, "boost::filesystem::status");
  expectFailure("fs_delete", {at("loop")}, "boost::filesystem::status");
  expectFailure("fs_filesInDir", {root}, "boost::filesystem::status", {at("loop")});
  // Emptying does not follow links.
  EXPECT_EQ(call("fs_emptyDir", {text(root)}), Value::boolean(true));
  EXPECT_FALSE(fs::exists(fs::symlink_status(root)));
}

TEST_F(FileSystemSheet, WorkingFolderAndUser) {
  const fs::path before = fs::current_path();
  fs::current_path(root);
  file("rel.txt");
  EXPECT_EQ(call("fs_workingDir", {}), text(fs::current_path().string()));
  EXPECT_EQ(call("fs_isValidFilePath", {text("rel.txt")}), Value::boolean(true));
  fs::current_path(before);

  standin::setUserName("jdoe");
  EXPECT_EQ(call("fs_user", {}), text("jdoe"));
  standin::setUserName(std::string(99, 'u'));
  EXPECT_EQ(call("fs_user", {}), text(std::string(99, 'u')));
  standin::setUserName(std::string(100, 'u'));
  EXPECT_TRUE(isError(call("fs_user", {}), xlerrValue));
  EXPECT_EQ(errorOf("B2"), "ZR::fs_user function failed.");
}

TEST_F(FileSystemSheet, Registration) {
  std::vector<std::string> rows;
  for (const xlsim::Registration& r : host.registrations())
    if (r.category == "ZR_FileSystem") rows.push_back(r.functionText + " " + r.procedure);
  EXPECT_EQ(rows, (std::vector<std::string>{
                      "fs_isValidDirPath ?is_ValidDirPath", "fs_isValidFilePath ?is_ValidFilePath",
                      "fs_workingDir ?workingDir", "fs_fileSize ?fs_fileSize", "fs_filesInDir ?fs_filesInDir",
                      "fs_createDir ?fs_createDir", "fs_user ?fs_user", "fs_modifiedTime ?fs_modifiedTime",
                      "fs_emptyDir ?fs_emptyDir", "fs_rename ?fs_rename", "fs_delete ?fs_delete",
                      "fs_copyFile ?fs_copyFile", "fs_filesInDirRE ?fs_filesInDirRE",
                      "fs_subFolders ?fs_subFolders"}));
}

}  // namespace
