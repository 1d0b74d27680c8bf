#include "context/AppContext.h"

#include <QDir>

namespace k71t {

AppContext::AppContext(const QString &appDirectory, Prompt &prompt_, const Clock &clock_)
    : AppDirectory(appDirectory), prompt(prompt_), clock(clock_)
{
    const QDir app(AppDirectory);
    app.mkpath(QStringLiteral("Archives"));
    ArchivesDirectory = app.filePath(QStringLiteral("Archives")) + QLatin1Char('/');
}

QString AppContext::appFile(const QString &name) const
{
    return QDir(AppDirectory).filePath(name);
}

} // namespace k71t
