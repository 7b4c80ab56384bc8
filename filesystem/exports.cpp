// File-system worksheet functions.
#include <string>
#include <vector>

#include "addin/categories.h"
#include "filesystem/filesystem.h"
#include "platform/export.h"
#include "platform/winapi.h"
#include "pool/frame.h"

using namespace xll;

namespace {

// One name: a text; n names: an n x 1 column; none: the emptied result.
void setNames(OPER& result, const std::vector<std::string>& names) {
  if (names.empty()) return;
  if (names.size() == 1) {
    result = names.front();
    return;
  }
  OPER column(names.size(), 1);
  for (std::size_t i = 0; i < names.size(); ++i) column[i] = names[i];
  result = std::move(column);
}

}  // namespace

const CategoryTable& ZR::FileSystemCategory() {
  static const ArgRow filepath{"C#", "filepath", "is the input file path."};
  static const ArgRow dirPath{"C#", "dirPath", "is the input directory path."};
  static const CategoryTable table{
      "ZR_FileSystem",
      "The ZR Filesystem library provides useful filesystem functions.",
      "The library uses filesystem library of boost at the back end.The library exports various "
      "useful filesystem operation functions.",
      CategoryTable::DocumentationLast,
      {
          {"fs_isValidDirPath", "P#", {{"C#", "dir", "is the input directory path."}},
           "Checks if the input string is a valid directory path.", "?is_ValidDirPath"},
          {"fs_isValidFilePath", "P#", {filepath}, "Checks if the input string is a valid file path.",
           "?is_ValidFilePath"},
          {"fs_workingDir", "P#", {}, "Returns the working directory.", "?workingDir"},
          {"fs_fileSize", "P#", {filepath}, "Returns the file size (in KB)."},
          {"fs_filesInDir", "P#", {dirPath}, "returns the list of files in directory."},
          {"fs_createDir", "P#", {dirPath}, "returns true if successfully created the directory else false."},
          {"fs_user", "P#", {}, "returns the windows username."},
          {"fs_modifiedTime", "P#", {{"C#", "filePath", "is the input file path."}},
           "returns the modified date-time fo the file."},
          {"fs_emptyDir", "P#",
           {{"C#", "dirPath", "is the path to the directory that needs to be emptied and deleted."}},
           "empties the content and deletes the input folder."},
          {"fs_rename", "P#",
           {{"C#", "origFilePath", "is the original file Path."}, {"C#", "newFilePath", "is the new file Path."}},
           "Renames the file."},
          {"fs_delete", "P#", {{"C#", "path", "is the directory or filepath."}}, "Deletes file or directory."},
          {"fs_copyFile", "P#",
           {{"C#", "originalPath", "is the original location."}, {"C#", "newPath", "is the new file location."}},
           "Copy file from one location to another."},
          {"fs_filesInDirRE", "P#",
           {{"C#", "directory", "is the directory location."}, {"C#", "regex", "is the regular expression."}},
           "returns the list of files based on the regular expression."},
          {"fs_subFolders", "P#", {{"C#", "directory", "is the directory location."}},
           "returns the list of subfolders."},
      },
      {},
  };
  return table;
}

XLL_PROC(LPXLOPER, fs_isValidDirPath, "?is_ValidDirPath", (const char* dir)) {
  static OPER result;
  return framed(result, [&] { result = ZR::isDirectory(textOf(dir)); });
}

XLL_PROC(LPXLOPER, fs_isValidFilePath, "?is_ValidFilePath", (const char* path)) {
  static OPER result;
  return framed(result, [&] { result = ZR::isRegularFile(textOf(path)); });
}

XLL_PROC(LPXLOPER, fs_workingDir, "?workingDir", ()) {
  static OPER result;
  return framed(result, [&] { result = ZR::workingDir(); });
}

XLL_PROC(LPXLOPER, fs_fileSize, "?fs_fileSize", (const char* path)) {
  static OPER result;
  return framed(result, [&] { result = ZR::fileSizeKB(textOf(path)); });
}

XLL_PROC(LPXLOPER, fs_filesInDir, "?fs_filesInDir", (const char* dir)) {
  static OPER result;
  return framed(result, [&] { setNames(result, ZR::filesInDir(textOf(dir))); });
}

XLL_PROC(LPXLOPER, fs_createDir, "?fs_createDir", (const char* dir)) {
  static OPER result;
  return framed(result, [&] { result = ZR::createDir(textOf(dir)); });
}

XLL_PROC(LPXLOPER, fs_user, "?fs_user", ()) {
  static OPER result;
  return framed(result, [&] {
    char name[100];
    DWORD size = sizeof name;
    if (!GetUserNameA(name, &size)) throw "ZR::fs_user function failed.";
    result = name;
  });
}

XLL_PROC(LPXLOPER, fs_modifiedTime, "?fs_modifiedTime", (const char* path)) {
  static OPER result;
  return framed(result, [&] { result = ZR::modifiedTime(textOf(path)); });
}

XLL_PROC(LPXLOPER, fs_emptyDir, "?fs_emptyDir", (const char* dir)) {
  static OPER result;
  return framed(result, [&] {
    ZR::removeAll(textOf(dir));
    result = true;
  });
}

XLL_PROC(LPXLOPER, fs_rename, "?fs_rename", (const char* from, const char* to)) {
  static OPER result;
  return framed(result, [&] {
    ZR::renamePath(textOf(from), textOf(to));
    result = true;
  });
}

XLL_PROC(LPXLOPER, fs_delete, "?fs_delete", (const char* path)) {
  static OPER result;
  return framed(result, [&] { result = ZR::deletePath(textOf(path)); });
}

XLL_PROC(LPXLOPER, fs_copyFile, "?fs_copyFile", (const char* from, const char* to)) {
  static OPER result;
  return framed(result, [&] {
    ZR::copyFile(textOf(from), textOf(to));
    result = true;
  });
}

XLL_PROC(LPXLOPER, fs_filesInDirRE, "?fs_filesInDirRE", (const char* dir, const char* pattern)) {
  static OPER result;
  return framed(result, [&] { setNames(result, ZR::filesInDirMatching(textOf(dir), textOf(pattern))); });
}

XLL_PROC(LPXLOPER, fs_subFolders, "?fs_subFolders", (const char* dir)) {
  static OPER result;
  return framed(result, [&] { setNames(result, ZR::subFolders(textOf(dir))); });
}
