// The Windows program with one drawing operation that fails, for the test
// of the run-time error's message box: the 1000th from start-up, which
// 金光大道 reaches among its rays.

#include "failing_checkpoint.h"
#include "form1.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    Form1 form(instance);
    FailingCheckpoint failing(1000);
    form.surface().setCheckpoint(&failing);
    form.show(show);
    return form.exec();
}
