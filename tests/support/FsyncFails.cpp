// Preloaded into a program under test (LD_PRELOAD): every fsync and
// fdatasync fails with EIO, as on a disk that lost the data on its way.
#include <cerrno>

extern "C" int fsync(int)
{
    errno = EIO;
    return -1;
}

extern "C" int fdatasync(int)
{
    errno = EIO;
    return -1;
}
