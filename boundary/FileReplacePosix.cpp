#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

#include "boundary/FileReplace.h"

namespace rastero {

namespace {

// A symbolic link is written through, as opening it for writing would: the file it points to is
// the one replaced, and the link stays.
std::string ResolvedTarget(const char* target) {
    struct stat status;
    if (lstat(target, &status) != 0 || !S_ISLNK(status.st_mode)) return target;
    const std::unique_ptr<char, void (*)(void*)> resolved(realpath(target, nullptr), std::free);
    return resolved ? std::string(resolved.get()) : std::string(target);
}

std::string FolderPrefix(const std::string& target) {
    const auto slash = target.find_last_of('/');
    return slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
}

// A name no other writer is likely to pick: the process, the time and the attempt.
std::string CandidateName(const std::string& folder, int attempt) {
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    return folder + ".rastero-" + std::to_string(getpid()) + "-" + std::to_string(ticks) + "-" +
           std::to_string(attempt) + ".tmp";
}

}  // namespace

bool CreateTempFileBeside(const char* target, TempFile& temp) {
    try {
        const std::string folder = FolderPrefix(ResolvedTarget(target));
        // A new file gets what fopen would give it (0666 less the umask); a replaced one its old mode.
        struct stat status;
        const bool exists = stat(target, &status) == 0;
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string name = CandidateName(folder, attempt);
            const int descriptor = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (descriptor < 0) {
                if (errno == EEXIST) continue;
                return false;
            }
            if (exists) fchmod(descriptor, status.st_mode & 07777);
            std::FILE* stream = fdopen(descriptor, "wb");
            if (!stream) {
                close(descriptor);
                unlink(name.c_str());
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

bool ReplaceFile(const char* source, const char* target) {
    try {
        return rename(source, ResolvedTarget(target).c_str()) == 0;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool RemoveFile(const char* path) { return unlink(path) == 0; }

bool IsExistingUnwritableFile(const char* path) {
    return access(path, F_OK) == 0 && faccessat(AT_FDCWD, path, W_OK, AT_EACCESS) != 0;
}

bool IsExistingNonRegularFile(const char* path) {
    struct stat status;
    return stat(path, &status) == 0 && !S_ISREG(status.st_mode);
}

}  // namespace rastero

namespace rastero {

bool IsSameFile(const char* first, const char* second) {
    struct stat a, b;
    if (first == nullptr || second == nullptr || stat(first, &a) != 0 || stat(second, &b) != 0) return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace rastero
