#pragma once
// The folder the program works in. Its settings files (def.k71t, uart.cfg,
// ports.conf, sql.conf, auto.conf, series.conf, def.slo) and its log are read
// and written there: the current folder unless the command line names
// another.
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace k71t {

struct ProgramArguments {
    QString workFolder; // empty: the current folder
    bool help = false;
    bool version = false;
    QString error; // what is wrong with the command line
};

// Reads --workdir DIR (or --workdir=DIR), --user-workdir, --help and
// --version; Qt's own options are taken out before.
ProgramArguments parseProgramArguments(const QStringList &arguments, const QProcessEnvironment &environment);

// $XDG_DATA_HOME/k71t, or $HOME/.local/share/k71t when XDG_DATA_HOME is unset,
// empty or not an absolute path.
QString userWorkFolder(const QProcessEnvironment &environment);

// Creates the folder when missing and makes it the current folder.
bool enterWorkFolder(const QString &folder, QString *error);

// What `k71t --help` prints.
QString programHelpText();

} // namespace k71t
