// Names are narrow strings in the system code page, as fopen takes them, so the narrow (ANSI)
// file functions see exactly the names the rest of the library uses.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <new>

// windows.h makes ReplaceFile a macro for its own function of that name.
#undef ReplaceFile

#include "boundary/FileReplace.h"

namespace rastero {

namespace {

// The folder part of a path, its last separator or a drive's colon included. In a double-byte
// code page a trail byte may equal '\\', so a lead byte takes its trail byte with it.
std::string FolderPrefix(const std::string& target) {
    size_t end = 0;
    for (size_t i = 0; i < target.size(); ++i) {
        const char c = target[i];
        if (IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < target.size()) {
            ++i;
            continue;
        }
        if (c == '\\' || c == '/' || (c == ':' && i == 1)) end = i + 1;
    }
    return target.substr(0, end);
}

// A name no other writer is likely to pick: the process, the time and the attempt.
std::string CandidateName(const std::string& folder, int attempt) {
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    return folder + ".rastero-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(ticks) + "-" +
           std::to_string(attempt) + ".tmp";
}

std::FILE* StreamOver(HANDLE handle) {
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (descriptor < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* stream = _fdopen(descriptor, "wb");
    if (!stream) _close(descriptor);
    return stream;
}

}  // namespace

bool CreateTempFileBeside(const char* target, TempFile& temp) {
    try {
        const std::string folder = FolderPrefix(target);
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string name = CandidateName(folder, attempt);
            const HANDLE handle = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                              FILE_ATTRIBUTE_NORMAL, nullptr);
            if (handle == INVALID_HANDLE_VALUE) {
                if (GetLastError() == ERROR_FILE_EXISTS) continue;
                return false;
            }
            std::FILE* stream = StreamOver(handle);
            if (!stream) {
                DeleteFileA(name.c_str());
                return false;
            }
            temp.stream = stream;
            temp.path = std::move(name);
            return true;
        }
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// Unlike rename on Windows, this replaces an existing target.
bool ReplaceFile(const char* source, const char* target) {
    return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveFile(const char* path) { return DeleteFileA(path) != 0; }

// Folders, and devices such as NUL or COM1 that answer to any folder's name.
bool IsExistingUnwritableFile(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
           (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool IsExistingNonRegularFile(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
    const HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const bool device = GetFileType(handle) != FILE_TYPE_DISK;
    CloseHandle(handle);
    return device;
}

namespace {

// The volume and the file's index on it name a file, whatever path led to it.
bool FileIdentity(const char* path, BY_HANDLE_FILE_INFORMATION& info) {
    const HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    return known;
}

}  // namespace

bool IsSameFile(const char* first, const char* second) {
    BY_HANDLE_FILE_INFORMATION a, b;
    if (first == nullptr || second == nullptr || !FileIdentity(first, a) || !FileIdentity(second, b)) return false;
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace rastero
