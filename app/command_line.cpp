#include "command_line.h"

#include "pace.h"
#include "qt_values.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

QString paceDescription()
{
    return QStringLiteral("Paints each picture at N points per second, a whole number from %1 to %2, "
                          "instead of as fast as the machine can.")
        .arg(kSlowestPace)
        .arg(kFastestPace);
}

} // namespace

CommandLine::CommandLine()
    : m_paceOption(toQString(kPaceOption), paceDescription(), QStringLiteral("N"))
    , m_helpOption({ QStringLiteral("h"), QStringLiteral("help") }, QStringLiteral("Displays this help."))
    , m_versionOption({ QStringLiteral("v"), QStringLiteral("version") }, QStringLiteral("Displays the version."))
{
    // Qt's options are single words after a single dash, such as -platform;
    // read as bundles of one-letter options, -stylesheet would ask for help.
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.addOption(m_paceOption);
    m_parser.addOption(m_helpOption);
    m_parser.addOption(m_versionOption);
}

std::optional<int> CommandLine::readBeforeQt(const QStringList& arguments)
{
    const bool parsed = m_parser.parse(arguments);
    if (m_parser.isSet(m_helpOption)) {
        // The parser would name the program "<executable_name>" while no
        // application exists.
        QString help = m_parser.helpText();
        help.remove(0, help.indexOf(u'\n') + 1);
        std::printf("Usage: %s [options] [Qt options]\n%s\n"
                    "Qt's own options, such as -platform, -display and -style, work as for any Qt program.\n",
            qPrintable(QCoreApplication::applicationName()), qPrintable(help));
        return 0;
    }
    if (m_parser.isSet(m_versionOption)) {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
            qPrintable(QCoreApplication::applicationVersion()));
        return 0;
    }
    // Unknown options may yet be Qt's.
    if (!parsed && m_parser.unknownOptionNames().isEmpty())
        return refuse(m_parser.errorText());
    for (const QString& value : m_parser.values(m_paceOption)) {
        const PaceReading reading = readPace(value.toStdString());
        if (!reading.pointsPerSecond)
            return refuse(toQString(reading.refusal));
        m_pace = reading.pointsPerSecond;
    }
    return std::nullopt;
}

std::optional<int> CommandLine::readAfterQt(const QStringList& arguments)
{
    if (!m_parser.parse(arguments))
        return refuse(m_parser.errorText());
    if (!m_parser.positionalArguments().isEmpty())
        return refuse(QStringLiteral("unexpected argument '%1'").arg(m_parser.positionalArguments().constFirst()));
    return std::nullopt;
}

int CommandLine::refuse(const QString& problem) const
{
    const QByteArray name = QCoreApplication::applicationName().toLocal8Bit();
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", name.constData(), qPrintable(problem),
        name.constData());
    return kUsageError;
}
