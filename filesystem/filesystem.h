// Files and folders of the local file system. Paths are narrow texts in the
// system's code page, relative to the working folder. Failures raise
// boost::filesystem::filesystem_error (operation, message, quoted paths).
#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace ZR {

bool isDirectory(const std::string& path);
bool isRegularFile(const std::string& path);
std::string workingDir();
// Size in units of 1,024 bytes.
double fileSizeKB(const std::string& path);

// Names (no folder part) of the entries directly in a folder, in the order
// the system gives them; nothing when the path is not a folder.
std::vector<std::string> filesInDir(const std::string& dir);
std::vector<std::string> subFolders(const std::string& dir);
// Files whose whole name the pattern matches; the pattern is compiled first.
std::vector<std::string> filesInDirMatching(const std::string& dir, const std::string& pattern);

// Creates one folder (its parent must exist): true when made or already a
// folder, false when another made it in the meantime.
bool createDir(const std::string& path);
// Last write time as a local serial date-time of the 1900 date system.
double modifiedTime(const std::string& path);
// Seconds since 1970 UTC as a local serial date-time (the current time zone,
// daylight saving included).
double localSerial(std::time_t t);
// Removes the path and everything under it.
void removeAll(const std::string& path);
// Moves a file or folder, replacing an existing file at the target.
void renamePath(const std::string& from, const std::string& to);
// Removes a file or an empty folder; false when the path is neither.
bool deletePath(const std::string& path);
// Copies a regular file (or a link to one), refusing any other kind of
// source before opening it; an existing target is a failure.
void copyFile(const std::string& from, const std::string& to);

}  // namespace ZR
