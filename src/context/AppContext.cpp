#include "context/AppContext.h"

#include <QDir>

namespace k71t {

AppContext::AppContext(const QString &appDirectory, Prompt &prompt_, const Clock &clock_)
    : appDirectory(appDirectory), prompt(prompt_), clock(clock_)
{
    const QDir app(appDirectory);
    app.mkpath(QStringLiteral("Archives"));
    archivesDirectory = app.filePath(QStringLiteral("Archives")) + QLatin1Char('/');
}

QString AppContext::appFile(const QString &name) const
{
    return QDir(appDirectory).filePath(name);
}

} // namespace k71t
