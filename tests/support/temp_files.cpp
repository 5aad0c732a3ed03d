// SPDX-License-Identifier: MIT
#include "tests/support/temp_files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdlib>
#endif

#include <algorithm>

namespace testfiles {

#ifdef _WIN32

std::wstring Wide(const std::string &utf8) {
    int units =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), units);
    return wide;
}

std::string Utf8(const std::wstring &wide) {
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                    0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), bytes,
                        nullptr, nullptr);
    return utf8;
}

std::wstring LongPath(const std::string &utf8) {
    std::wstring wide = Wide(utf8);
    return wide.size() >= MAX_PATH ? L"\\\\?\\" + wide : wide;
}

std::string Root() {
    static const std::string root = [] {
        wchar_t base[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, base);
        std::string folder =
            Utf8(base) + "checksumme-tests-" + std::to_string(GetCurrentProcessId());
        MakeFolder(folder);
        return folder + SEPARATOR;
    }();
    return root;
}

namespace {

void RemoveTree(const std::wstring &path) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        std::wstring name = found.cFileName, inside = path + L"\\" + name;
        if (name == L"." || name == L"..") continue;
        SetFileAttributesW(inside.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveTree(inside);
        else
            DeleteFileW(inside.c_str());
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    RemoveDirectoryW(path.c_str());
}

} // namespace

void RemoveRoot() {
    std::string root = Root();
    RemoveTree(LongPath(root.substr(0, root.size() - 1)));
}

std::string Folder(const char *name) {
    std::string folder = Root() + name;
    MakeFolder(folder);
    return folder + SEPARATOR;
}

bool MakeFolder(const std::string &path) {
    return CreateDirectoryW(LongPath(path).c_str(), nullptr) != 0;
}

bool Write(const std::string &path, const std::string &bytes) {
    HANDLE file = CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return written == bytes.size();
}

bool Resize(const std::string &path, int64_t size) {
    HANDLE file =
        CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER at{};
    at.QuadPart = size;
    bool done = SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return done;
}

std::string Read(const std::string &path) {
    HANDLE file =
        CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

bool Exists(const std::string &path) {
    return GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string &path) {
    DWORD attributes = GetFileAttributesW(LongPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> Names(const std::string &folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(LongPath(folder + "*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found))
        if (std::wstring name = found.cFileName; name != L"." && name != L"..")
            names.push_back(Utf8(name));
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

bool Remove(const std::string &path) {
    std::wstring wide = LongPath(path);
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(wide.c_str()) || RemoveDirectoryW(wide.c_str());
}

bool SetReadOnly(const std::string &path, bool readOnly) {
    return SetFileAttributesW(LongPath(path).c_str(),
                              readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL) != 0;
}

int64_t WrittenAt(const std::string &path) {
    HANDLE file =
        CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME time{};
    GetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
    return (static_cast<int64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

int64_t MakeOld(const std::string &path) {
    HANDLE file =
        CreateFileW(LongPath(path).c_str(), FILE_WRITE_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    SYSTEMTIME old{2001, 2, 0, 3, 4, 5, 6, 0};
    FILETIME stamp{};
    SystemTimeToFileTime(&old, &stamp);
    SetFileTime(file, nullptr, nullptr, &stamp);
    CloseHandle(file);
    return WrittenAt(path);
}

#else

std::string Root() {
    static const std::string root = [] {
        const char *base = std::getenv("TMPDIR");
        std::string folder = std::string(base && base[0] ? base : "/tmp") + "/checksumme-tests-" +
                             std::to_string(getpid());
        MakeFolder(folder);
        return folder + SEPARATOR;
    }();
    return root;
}

void RemoveRoot() {
    nftw(
        Root().c_str(),
        [](const char *path, const struct stat *, int kind, struct FTW *) {
            if (kind == FTW_DP)
                rmdir(path);
            else
                unlink(path);
            return 0;
        },
        16, FTW_DEPTH | FTW_PHYS);
}

std::string Folder(const char *name) {
    std::string folder = Root() + name;
    MakeFolder(folder);
    return folder + SEPARATOR;
}

bool MakeFolder(const std::string &path) {
    return mkdir(path.c_str(), 0777) == 0;
}

bool Resize(const std::string &path, int64_t size) {
    return truncate(path.c_str(), static_cast<off_t>(size)) == 0;
}

bool Write(const std::string &path, const std::string &bytes) {
    int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (file < 0) return false;
    bool whole = write(file, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    close(file);
    return whole;
}

std::string Read(const std::string &path) {
    int file = open(path.c_str(), O_RDONLY);
    if (file < 0) return "<missing>";
    std::string bytes;
    char buffer[65536];
    ssize_t got = 0;
    while ((got = read(file, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, static_cast<size_t>(got));
    close(file);
    return bytes;
}

bool Exists(const std::string &path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0;
}

bool IsFolder(const std::string &path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::vector<std::string> Names(const std::string &folder) {
    std::vector<std::string> names;
    if (DIR *entries = opendir(folder.c_str())) {
        while (const dirent *entry = readdir(entries))
            if (std::string name = entry->d_name; name != "." && name != "..")
                names.push_back(name);
        closedir(entries);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool Remove(const std::string &path) {
    return unlink(path.c_str()) == 0 || rmdir(path.c_str()) == 0;
}

bool SetReadOnly(const std::string &path, bool readOnly) {
    return chmod(path.c_str(), readOnly ? 0444 : 0644) == 0;
}

int64_t WrittenAt(const std::string &path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) return 0;
    return static_cast<int64_t>(status.st_mtime);
}

int64_t MakeOld(const std::string &path) {
    struct timeval times[2] = {{981173106, 0}, {981173106, 0}}; // 2001-02-03 04:05:06
    utimes(path.c_str(), times);
    return WrittenAt(path);
}

#endif

} // namespace testfiles
