#pragma once
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace k71t::test {

// A fresh folder for one test, removed afterwards.
struct TempDir {
    QTemporaryDir dir;
    QString path() const { return dir.path(); }
    QString file(const QString &name) const { return dir.filePath(name); }
    void write(const QString &name, const QByteArray &bytes) const;
    QByteArray read(const QString &name) const;
};

} // namespace k71t::test
