#include "platform/system/FileStamp.h"

#include <sys/stat.h>

FileStamp fileStampOf(const std::string& path) {
    FileStamp stamp;
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return stamp;
    stamp.exists = true;
    stamp.modifiedNanoseconds =
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    stamp.size = static_cast<std::int64_t>(status.st_size);
    stamp.identity = static_cast<std::uint64_t>(status.st_ino);
    return stamp;
}
