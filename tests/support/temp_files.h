// SPDX-License-Identifier: MIT
/*
 * Scratch files for tests, in the system's temporary folder: written, read back, timed and
 * removed by path. Paths are UTF-8 and of any length (on Windows long ones get the \\?\ prefix
 * here, apart from the product's own handling, and reach the system through its W calls).
 */
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testfiles {

#ifdef _WIN32
inline constexpr char SEPARATOR[] = "\\";
#else
inline constexpr char SEPARATOR[] = "/";
#endif

// Every test program's scratch files lie in a folder of its own in the temporary folder
// (checksumme-tests-PID), so that programs run side by side; RemoveRoot takes it away at the end.
std::string Root();
void RemoveRoot();
std::string Folder(const char *name); // in Root(), created if missing; ends in SEPARATOR
bool Write(const std::string &path, const std::string &bytes);
std::string Read(const std::string &path); // "<missing>" when it cannot be opened
bool Exists(const std::string &path);
bool IsFolder(const std::string &path);
std::vector<std::string> Names(const std::string &folder); // its entries but . and .., sorted
bool Remove(const std::string &path);                      // a file or an empty folder
bool MakeFolder(const std::string &path);
bool SetReadOnly(const std::string &path, bool readOnly);
// Makes the file size bytes long, sharing it as another program would; false when it cannot.
bool Resize(const std::string &path, int64_t size);
// The modification time, in the system's units (0 when there is no such file); MakeOld sets it
// back to 2001 and returns it, so that any write shows.
int64_t WrittenAt(const std::string &path);
int64_t MakeOld(const std::string &path);

#ifdef _WIN32
std::wstring Wide(const std::string &utf8);     // UTF-16 as the system converts it
std::wstring LongPath(const std::string &utf8); // with \\?\ when MAX_PATH or longer
std::string Utf8(const std::wstring &wide);
#endif

} // namespace testfiles
