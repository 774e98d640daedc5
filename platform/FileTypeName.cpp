// What a file of a given st_mode is, in the words both systems' bodies use in their messages.
#include "platform/ReadFile.h"

#include <sys/stat.h>

namespace qarlo {

const char* FileTypeName(unsigned mode) {
    switch (mode & S_IFMT) {
    case S_IFREG:
        return "a regular file";
    case S_IFDIR:
        return "a directory";
    case S_IFIFO:
        return "a FIFO";
    case S_IFCHR:
        return "a character device";
#ifdef S_IFBLK
    case S_IFBLK:
        return "a block device";
#endif
#ifdef S_IFSOCK
    case S_IFSOCK:
        return "a socket";
#endif
    default:
        return "not a regular file";
    }
}

} // namespace qarlo
