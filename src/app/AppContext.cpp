#include "app/AppContext.h"

#include <QDir>

namespace k71t {

AppContext::AppContext(const QString &appDirectory, Prompt &prompt_, const Clock &clock_)
    : AppDirectory(appDirectory), prompt(prompt_), clock(clock_), link(image, portSettings, meterAddress, portMap)
{
}

QString AppContext::appFile(const QString &name) const
{
    return QDir(AppDirectory).filePath(name);
}

} // namespace k71t
