#include "command_line.h"
#include "form1.h"
#include "form1_layout.h"
#include "qt_values.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

namespace {

// What Qt says while it looks for a display is held back until it has found
// one: when it finds none it reports a fatal error and aborts with a trace, and
// a person starting the program deserves one sentence instead. Qt itself
// decides where to run, so its -platform and -display options and its
// environment work as they do for any Qt program.
QStringList g_startUpMessages;

void holdStartUpMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg) {
        std::fputs("tuxing: no display is reachable; start it inside a desktop session or set DISPLAY.\n", stderr);
        std::_Exit(1);
    }
    g_startUpMessages << qFormatLogMessage(type, context, message);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication::setApplicationName(QStringLiteral("tuxing"));
    QApplication::setApplicationVersion(toQString(form1Window().version));
    CommandLine commandLine;
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const std::optional<int> status = commandLine.readBeforeQt(arguments))
        return *status;

    const QtMessageHandler defaultHandler = qInstallMessageHandler(holdStartUpMessage);
    QApplication application(argc, argv);
    qInstallMessageHandler(defaultHandler);
    for (const QString& message : std::as_const(g_startUpMessages))
        std::fprintf(stderr, "%s\n", qPrintable(message));
    if (const std::optional<int> status = commandLine.readAfterQt(QApplication::arguments()))
        return *status;

    Form1 form;
    if (const std::optional<std::int64_t> pace = commandLine.pace())
        form.setPace(*pace);
    form.show();
    return application.exec();
}
