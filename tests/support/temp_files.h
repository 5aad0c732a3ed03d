/*
 * Scratch files for tests, inside the Wine prefix's temporary folder: written, read back and
 * removed by path. Paths are UTF-8, of any length (long ones get the \\?\ prefix here, apart
 * from the product's own handling), and reach the system through its W calls.
 */
#pragma once

#include <string>

namespace testfiles {

std::string Folder(const char *name); // created if missing
bool Write(const std::string &path, const std::string &bytes);
std::string Read(const std::string &path); // "<missing>" when it cannot be opened
bool Exists(const std::string &path);
bool Remove(const std::string &path); // a file or an empty folder
bool MakeFolder(const std::string &path);
bool SetReadOnly(const std::string &path, bool readOnly);

std::wstring Wide(const std::string &utf8);     // UTF-16 as the system converts it
std::wstring LongPath(const std::string &utf8); // with \\?\ when MAX_PATH or longer
std::string Utf8(const std::wstring &wide);

} // namespace testfiles
