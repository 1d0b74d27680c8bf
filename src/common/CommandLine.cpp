#include "common/CommandLine.h"

#include <QCommandLineParser>
#include <QHash>

namespace k71t
{

namespace
{

struct Parsed {
    bool ok = false;
    QList<GivenOption> options;
    QStringList words;
};

Parsed parse(const QList<QCommandLineOption> &options, const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    parser.addOptions(options);
    Parsed out;
    out.ok = parser.parse(QStringList{QString()} + arguments);
    if (!out.ok)
        return out;
    QHash<QString, qsizetype> byName;
    for (qsizetype i = 0; i < options.size(); ++i)
        for (const QString &name : options.at(i).names())
            byName.insert(name, i);
    QList<qsizetype> valuesTaken(options.size(), 0);
    for (const QString &name : parser.optionNames()) {
        const qsizetype i = byName.value(name);
        const QCommandLineOption &option = options.at(i);
        GivenOption given{option.names().constFirst(), QString()};
        if (!option.valueName().isEmpty())
            given.value = parser.values(given.name).value(valuesTaken[i]++);
        out.options << given;
    }
    out.words = parser.positionalArguments();
    return out;
}

const QCommandLineOption *optionNamed(const QList<QCommandLineOption> &options, const QString &name)
{
    for (const QCommandLineOption &option : options)
        if (option.names().contains(name))
            return &option;
    return nullptr;
}

// Where the parser stopped: the index of the argument, and why.
qsizetype findCulprit(const QList<QCommandLineOption> &options, const QStringList &arguments,
                      CommandLine::Problem &problem)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if (a == QLatin1String("--") || !a.startsWith(QLatin1Char('-')) || a == QLatin1String("-"))
            break;
        const QString body = a.mid(a.startsWith(QLatin1String("--")) ? 2 : 1);
        const qsizetype equals = body.indexOf(QLatin1Char('='));
        const QCommandLineOption *option = optionNamed(options, equals < 0 ? body : body.left(equals));
        const bool takesValue = option && !option->valueName().isEmpty();
        if (!option || (!takesValue && equals >= 0)) {
            problem = CommandLine::Problem::UnknownOption;
            return i;
        }
        if (takesValue && equals < 0 && ++i >= arguments.size()) {
            problem = CommandLine::Problem::MissingValue;
            return arguments.size() - 1;
        }
    }
    problem = CommandLine::Problem::UnknownOption;
    return 0;
}

// "--" and a single-dash word ("-device") are no options of ours, though
// the parser would take them: the index of the first one before the first
// word (values of options passed over), or -1.
qsizetype foreignForm(const QList<QCommandLineOption> &options, const QStringList &arguments)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if (!a.startsWith(QLatin1Char('-')) || a == QLatin1String("-"))
            return -1;
        if (a == QLatin1String("--") || (!a.startsWith(QLatin1String("--")) && a.size() > 2))
            return i;
        const QString body = a.mid(2);
        const QCommandLineOption *option = optionNamed(options, body);
        if (option && !option->valueName().isEmpty())
            ++i; // its value, whatever it looks like
    }
    return -1;
}

} // namespace

CommandLine readCommandLine(const QList<QCommandLineOption> &options, const QStringList &arguments)
{
    CommandLine out;
    Parsed parsed = parse(options, arguments);
    const qsizetype foreign = foreignForm(options, arguments);
    if (!parsed.ok || foreign >= 0) {
        qsizetype at = parsed.ok ? arguments.size() : findCulprit(options, arguments, out.problem);
        if (foreign >= 0 && foreign <= at) {
            at = foreign;
            out.problem = CommandLine::Problem::UnknownOption;
        }
        out.culprit = arguments.value(at);
        // The options before it are read as they would be without it.
        parsed = parse(options, arguments.mid(0, at));
    }
    out.options = parsed.options;
    if (out.problem == CommandLine::Problem::None)
        out.words = parsed.words;
    return out;
}

QCommandLineOption valueOption(const QString &name, const QString &valueName)
{
    return QCommandLineOption(name, QString(), valueName);
}

QCommandLineOption switchOption(const QStringList &names)
{
    return QCommandLineOption(names);
}

} // namespace k71t
