#include "support/DiskLimits.h"

#include <QFile>
#include <csignal>
#include <sys/mount.h>

namespace k71t::test {

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    getrlimit(RLIMIT_FSIZE, &saved_);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previousHandler_);
}

SmallDisk::SmallDisk(int bytes)
{
    const QByteArray options = "size=" + QByteArray::number(bytes);
    mounted_ = dir_.isValid() &&
               ::mount("k71t-test", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0, options.constData()) == 0;
}

bool SmallDisk::makeReadOnly()
{
    return mounted_ && ::mount("k71t-test", QFile::encodeName(dir_.path()).constData(), "tmpfs",
                               MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

SmallDisk::~SmallDisk()
{
    if (mounted_)
        ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
}

} // namespace k71t::test
