#include "app/program.h"

#include "app/book.h"
#include "app/pictures.h"
#include "app/text_font.h"
#include "app/window_classes.h"
#include "runtime/accessibility.h"
#include "runtime/fonts.h"
#include "runtime/qt_translation.h"
#include "runtime/style.h"

#include <QApplication>
#include <QStringList>
#include <QThreadPool>
#include <QWidget>
#include <algorithm>

int runProgram(int argc, char *argv[])
{
    // QApplication keeps its argument count and vector for its whole life.
    char programName[] = "fitmarkel";
    char *qtArgv[] = {argc > 0 ? argv[0] : programName, nullptr};
    int qtArgc = 1;
    QApplication qapp(qtArgc, qtArgv);
    // Qt scales large pictures and fills large areas on its global thread pool, a worker per core, and
    // each worker keeps its stack and a heap arena of its own for the rest of the run. The program's
    // pictures and windows are small: one worker is enough.
    QThreadPool::globalInstance()->setMaxThreadCount(1);
    rt::installQtTranslation();
    rt::installFontSubstitutions(installTextFont());
    rt::installAccessibleButtons();
    rt::installStyle();
    QApplication::setWindowIcon(pictures::appIcon());
    registerWindowClasses();

    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    book app;
    app.create();
    if (!app.open(arguments.join(QLatin1Char(' ')))) {
        app.destroy();
        return 1;
    }
    int status = 0;
    const auto windows = QApplication::topLevelWidgets();
    const bool anyOpen = std::any_of(windows.begin(), windows.end(), [](QWidget *w) { return w->isVisible(); });
    if (anyOpen)
        status = qapp.exec();
    app.close();
    app.destroy();
    return status;
}
