#pragma once
// The folder browser of the monthly archive: a title, a preselected folder
// and, with a file mask, OK only for a folder where the mask names at
// least one entry.
#include <QString>

class QWidget;

namespace k71t {

class Prompt;

// Whether `folder` + "/" + `mask` names at least one entry ("*.*" names
// every entry but "." and "..", with a dot in its name or not).
bool folderMatchesMask(const QString &folder, const QString &mask);

// 0 when a folder was chosen (its whole path in *out: paths here may be
// longer than a fixed buffer, and a cut path would name another folder),
// 1 when the operator cancelled, -1 without `out`.
int BrowseForFolder(Prompt &prompt, QWidget *owner, const QString &initial, const QString &mask, QString *out,
                    const QString &title);

} // namespace k71t
