#pragma once
// Disks that fill up, for tests of writes that fail halfway.
#include <QString>
#include <QTemporaryDir>
#include <sys/resource.h>

namespace k71t::test {

// Files of this process may not grow beyond `bytes` while it lives: a write
// past that fails halfway (EFBIG), as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

// A tiny file system of its own (tmpfs of `bytes`), mounted for the test's
// lifetime when the process may mount (root); a full disk for real.
class SmallDisk {
public:
    explicit SmallDisk(int bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;
    bool mounted() const { return mounted_; }
    // Mounts it again read-only (what is on it stays readable).
    bool makeReadOnly();
    QString path() const { return dir_.path(); }
    QString file(const QString &name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
};

} // namespace k71t::test
