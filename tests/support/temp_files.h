/*
 * Scratch files for tests, inside the Wine prefix's temporary folder: written, read back and
 * removed by path.
 */
#pragma once

#include <string>

namespace testfiles {

std::string Folder(const char *name); // created if missing
bool Write(const std::string &path, const std::string &bytes);
std::string Read(const std::string &path); // "<missing>" when it cannot be opened
bool Exists(const std::string &path);

} // namespace testfiles
