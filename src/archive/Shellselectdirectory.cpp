#include "archive/Shellselectdirectory.h"

#include "common/Prompt.h"

#include <QDirIterator>

namespace k71t {

bool folderMatchesMask(const QString &folder, const QString &mask)
{
    if (folder.isEmpty())
        return false;
    const QDir::Filters filters = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
    const QStringList names =
        mask.isEmpty() || mask == QLatin1String("*.*") ? QStringList() : QStringList{mask};
    QDirIterator entries(folder, names, filters);
    return entries.hasNext();
}

int BrowseForFolder(Prompt &prompt, QWidget *owner, const QString &initial, const QString &mask, QString *out,
                    const QString &title)
{
    if (!out)
        return -1;
    std::function<bool(const QString &)> acceptable;
    if (!mask.isEmpty())
        acceptable = [mask](const QString &folder) { return folderMatchesMask(folder, mask); };
    const QString chosen = prompt.browseFolder(owner, title, initial, acceptable);
    if (chosen.isEmpty())
        return 1;
    *out = chosen;
    return 0;
}

} // namespace k71t
