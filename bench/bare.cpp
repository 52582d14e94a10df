// The floor the program is measured against: a bare Qt Widgets program that walks the same way through
// windows of the program's sizes. A window of the start window's size whose button "&L" opens a
// maximised QMainWindow, whose Alt+Y opens a dialog of the year window's size.
//   bench_bare START_SIZE YEAR_SIZE   (sizes of the windows' insides, as "366x128")
#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QPushButton>
#include <QShortcut>
#include <cstdio>

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
    // Gone once closed, as the program's start window.
    auto *start = new QWidget;
    start->setAttribute(Qt::WA_DeleteOnClose);
    start->setWindowTitle(QStringLiteral("bare start"));
    start->resize(startSize);
    auto *login = new QPushButton(QStringLiteral("&Login"), start);
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
