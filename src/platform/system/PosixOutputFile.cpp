#include "platform/OutputFile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The descriptor is kept wide enough for any system's handle.
int fd(std::intptr_t descriptor) {
    return static_cast<int>(descriptor);
}

std::string systemReason(int error) {
    return std::strerror(error);
}

// Why a thing that is there is not written: what it is.
std::string refusal(mode_t mode) {
    if (S_ISLNK(mode))
        return "it is a symbolic link";
    if (S_ISDIR(mode))
        return "it is a directory";
    if (S_ISFIFO(mode))
        return "it is a pipe, not a regular file";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "it is a device, not a regular file";
    return "it is not a regular file";
}

bool isStream(mode_t mode) {
    return S_ISFIFO(mode) || S_ISCHR(mode);
}

// Opens a new temporary file beside fileName. Each name is fresh and the open refuses anything
// already there, links included, so a file left by a killed run or planted beside the target is
// never written through. Returns -1 with `why` when nothing was created.
int openFreshTemporary(const std::string& fileName, std::string& temporary, std::string& why) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = fileName + "." + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".part";
        const int file =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (file >= 0)
            return file;
        if (errno != EEXIST)
            break;
    }
    why = systemReason(errno);
    return -1;
}

bool writeAll(int descriptor, std::string_view bytes, std::string& why) {
    while (!bytes.empty()) {
        const ssize_t count = ::write(descriptor, bytes.data(), bytes.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            why = systemReason(count < 0 ? errno : EIO);
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
}

// A name that was free when looked at may be taken by the time the file is moved there: then
// nothing is replaced. File systems that cannot promise that get a plain rename, and so does a
// browser's in-memory file system, which has no renameat2 and nothing else running to take the name.
int renameOntoFreeName(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
#endif
    return std::rename(from.c_str(), to.c_str());
}

} // namespace

bool replaceFile(const std::string& fileName, std::string_view bytes, std::string& why) {
    struct stat target {};
    const bool present = lstat(fileName.c_str(), &target) == 0;
    if (!present && errno != ENOENT) {
        why = systemReason(errno);
        return false;
    }
    if (present && !S_ISREG(target.st_mode)) {
        why = refusal(target.st_mode);
        return false;
    }
    std::string temporary;
    const int file = openFreshTemporary(fileName, temporary, why);
    if (file < 0)
        return false;
    bool written = writeAll(file, bytes, why);
    if (::close(file) != 0 && written) {
        why = systemReason(errno);
        written = false;
    }
    if (written) {
        const int moved = present ? std::rename(temporary.c_str(), fileName.c_str())
                                  : renameOntoFreeName(temporary, fileName);
        if (moved != 0) {
            why = errno == EEXIST ? "something else was put there while it was written" : systemReason(errno);
            written = false;
        }
    }
    if (!written)
        ::unlink(temporary.c_str());
    return written;
}

OutputFile::~OutputFile() {
    std::string ignored;
    close(ignored);
}

bool OutputFile::open(const std::string& fileName, Accept accept, std::string& why) {
    if (!close(why))
        return false;
    name = fileName;
    madeHere = false;
    const bool streams = accept == Accept::RegularFileOrStream;
    // Looked at before opening, so nothing refused is ever opened (opening a device can do
    // things); then checked again on the open descriptor, in case the name changed between.
    for (int attempt = 0; attempt < 10; ++attempt) {
        struct stat seen {};
        int flags = O_WRONLY | O_NOCTTY | O_CLOEXEC;
        if (lstat(fileName.c_str(), &seen) != 0) {
            if (errno != ENOENT) {
                why = systemReason(errno);
                return false;
            }
            descriptor = ::open(fileName.c_str(), flags | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
            if (descriptor < 0 && errno == EEXIST)
                continue;
            madeHere = descriptor >= 0;
        } else if (S_ISLNK(seen.st_mode)) {
            // Followed only to a stream: a link to a file is how data gets destroyed.
            struct stat led {};
            if (!streams) {
                why = refusal(seen.st_mode);
                return false;
            }
            if (stat(fileName.c_str(), &led) != 0) {
                why = "it is a symbolic link to nothing that can be written (" + systemReason(errno) + ")";
                return false;
            }
            if (!isStream(led.st_mode)) {
                why = "it is a symbolic link; only a pipe or a device is written through one";
                return false;
            }
            descriptor = ::open(fileName.c_str(), flags);
        } else if (S_ISREG(seen.st_mode)) {
            // Non-blocking, in case a pipe was put there since.
            descriptor = ::open(fileName.c_str(), flags | O_NOFOLLOW | O_NONBLOCK);
        } else if (streams && isStream(seen.st_mode)) {
            descriptor = ::open(fileName.c_str(), flags | O_NOFOLLOW);
        } else {
            why = refusal(seen.st_mode);
            return false;
        }
        if (descriptor < 0) {
            why = systemReason(errno);
            return false;
        }
        struct stat opened {};
        if (fstat(fd(descriptor), &opened) != 0 ||
            !(S_ISREG(opened.st_mode) || (streams && isStream(opened.st_mode)))) {
            why = refusal(opened.st_mode);
            ::close(fd(descriptor));
            descriptor = -1;
            return false;
        }
        if (S_ISREG(opened.st_mode))
            fcntl(fd(descriptor), F_SETFL, fcntl(fd(descriptor), F_GETFL) & ~O_NONBLOCK);
        device = opened.st_dev;
        inode = opened.st_ino;
        return true;
    }
    why = "it keeps changing";
    return false;
}

bool OutputFile::lock(std::string& why) {
    if (flock(fd(descriptor), LOCK_EX | LOCK_NB) == 0)
        return true;
    if (errno == EWOULDBLOCK) {
        why = "another program is writing it";
        return false;
    }
    // No locks on this file system (or this kind of file): it is written unlocked.
    if (errno == ENOLCK || errno == EOPNOTSUPP || errno == EINVAL)
        return true;
    why = systemReason(errno);
    return false;
}

bool OutputFile::truncate(std::uintmax_t size, std::string& why) {
    struct stat status {};
    if (fstat(fd(descriptor), &status) != 0) {
        why = systemReason(errno);
        return false;
    }
    if (!S_ISREG(status.st_mode))
        return true;
    if (ftruncate(fd(descriptor), static_cast<off_t>(size)) != 0 ||
        lseek(fd(descriptor), static_cast<off_t>(size), SEEK_SET) < 0) {
        why = systemReason(errno);
        return false;
    }
    return true;
}

bool OutputFile::write(std::string_view bytes, std::string& why) {
    return writeAll(fd(descriptor), bytes, why);
}

bool OutputFile::close(std::string& why) {
    if (!isOpen())
        return true;
    const int result = ::close(fd(descriptor));
    descriptor = -1;
    if (result != 0 && errno != EINTR) {
        why = systemReason(errno);
        return false;
    }
    return true;
}

void OutputFile::discard() {
    if (isOpen() && madeHere) {
        struct stat now {};
        if (lstat(name.c_str(), &now) == 0 && S_ISREG(now.st_mode) &&
            static_cast<std::uint64_t>(now.st_dev) == device &&
            static_cast<std::uint64_t>(now.st_ino) == inode)
            ::unlink(name.c_str());
    }
    madeHere = false;
    std::string ignored;
    close(ignored);
}
