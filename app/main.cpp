#include "form1.h"
#include "form1_layout.h"
#include "qt_values.h"

#include <QApplication>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>

namespace {

bool isSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

// Qt aborts with a long trace when it cannot reach a display; a person
// starting the program deserves one sentence instead. Where a platform or a
// Wayland display is named, Qt is left to judge for itself.
bool displayReachable()
{
    if (isSet("QT_QPA_PLATFORM") || isSet("WAYLAND_DISPLAY"))
        return true;
    if (!isSet("DISPLAY"))
        return false;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reachable;
}

} // namespace

int main(int argc, char* argv[])
{
    if (!displayReachable()) {
        std::fprintf(stderr, "tuxing: no display is reachable; start it inside a desktop session or set DISPLAY.\n");
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tuxing"));
    QApplication::setApplicationVersion(toQString(form1Window().version));

    Form1 form;
    form.show();
    return application.exec();
}
