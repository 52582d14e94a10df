// The floors the program is measured against: bare Qt Widgets programs that walk the same way through
// windows of the program's sizes. A window of the start window's size whose button "&L" opens a
// maximised QMainWindow, whose Alt+Y opens a dialog of the year window's size.
//   bench_bare START_SIZE YEAR_SIZE   (sizes of the windows' insides, as "366x128")
// Built as bench_bare_data, it also does what the program cannot do without: it connects the data
// source vemka through Qt SQL's ODBC driver as the program does (the data source's name, an empty user
// name and the program's password) and keeps the connection for the run, and its button shows the
// program's Chinese text in the program's CJK font.
#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QPushButton>
#include <QShortcut>
#include <cstdio>
#ifdef BARE_WITH_DATA
#include "runtime/fonts.h"

#include <QSqlDatabase>
#include <QSqlError>
#endif

static QSize sizeOf(const char *text)
{
    int width = 0, height = 0;
    if (std::sscanf(text, "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0) {
        std::fprintf(stderr, "bench_bare: not a size: %s\n", text);
        std::exit(2);
    }
    return QSize(width, height);
}

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_bare START_SIZE YEAR_SIZE\n");
        return 2;
    }
    const QSize startSize = sizeOf(argv[1]), yearSize = sizeOf(argv[2]);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
#ifdef BARE_WITH_DATA
    rt::installFontSubstitutions();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"));
    db.setDatabaseName(QStringLiteral("vemka"));
    db.setUserName(QString());
    db.setPassword(QStringLiteral("pelvok3864"));
    if (!db.open()) {
        std::fprintf(stderr, "bench_bare_data: no connection to vemka: %s\n", qPrintable(db.lastError().text()));
        return 1;
    }
#endif
    // Gone once closed, as the program's start window.
    auto *start = new QWidget;
    start->setAttribute(Qt::WA_DeleteOnClose);
    start->setWindowTitle(QStringLiteral("bare start"));
    start->resize(startSize);
#ifdef BARE_WITH_DATA
    auto *login = new QPushButton(QStringLiteral("登录(&L)"), start);
    login->setFont(rt::fontOfTextSize(QStringLiteral("宋体"), 12));
#else
    auto *login = new QPushButton(QStringLiteral("&Login"), start);
#endif
    QObject::connect(login, &QPushButton::clicked, start, [start, yearSize] {
        auto *frame = new QMainWindow;
        frame->setAttribute(Qt::WA_DeleteOnClose);
        frame->setWindowTitle(QStringLiteral("bare frame"));
        auto *year = new QShortcut(QKeySequence(QStringLiteral("Alt+Y")), frame);
        QObject::connect(year, &QShortcut::activated, frame, [frame, yearSize] {
            auto *dialog = new QDialog(frame);
            dialog->setAttribute(Qt::WA_DeleteOnClose);
            dialog->setWindowTitle(QStringLiteral("bare year"));
            dialog->resize(yearSize);
            dialog->show();
        });
        frame->showMaximized();
        start->close();
    });
    start->show();
    return app.exec();
}
