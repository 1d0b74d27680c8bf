#pragma once
// A command line as QCommandLineParser reads it (--name VALUE, --name=VALUE,
// and a one-letter -h), handed over in the order it was given, so a program checks its
// options one after the other as the operator wrote them: the first bad one
// is the one told. The first word ends the options; what follows it (a
// command and its own options) is left as it is.
#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

namespace k71t
{

struct GivenOption {
    QString name;  // the option's first name ("device", "help")
    QString value; // empty for a switch
};

struct CommandLine {
    // The options before the first word, or before the argument the parser
    // stopped at; a repeated option each time it was given.
    QList<GivenOption> options;
    QStringList words;
    // What the parser stopped at, as typed ("--porty", "-x", "--workdir").
    enum class Problem { None, UnknownOption, MissingValue };
    Problem problem = Problem::None;
    QString culprit;
};

// `arguments` without the program's name.
CommandLine readCommandLine(const QList<QCommandLineOption> &options, const QStringList &arguments);

// An option with a value named `valueName`, or a switch without one.
QCommandLineOption valueOption(const QString &name, const QString &valueName);
QCommandLineOption switchOption(const QStringList &names);

} // namespace k71t
