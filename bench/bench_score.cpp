// Times the weight lookup and the scoring of a height in the real libraries, on the data source vemka
// of ODBCINI (a SQLite file, named as the second argument for the direct lookup). Prints, per run:
//   lookup <µs>         common::lookupWeightLimits through the program's transaction
//   lookup_floor <µs>   the same row through one sqlite3 statement prepared once
//   focusout <ms>       Tab out of the height edit of a first-year window to the new total
//   worst_height <ms>   the same for the largest height the edit admits, 999999.99
// Each figure is the median of many calls, the lookups interleaved call by call.
//   bench_score RUNS DATABASE   (year 1's settings row must exist)
#include "common/data_source.h"
#include "common/weight_limits.h"
#include "runtime/fonts.h"
#include "runtime/transaction.h"
#include "score/my_maskedit.h"
#include "score/register.h"
#include "score/year_score_window.h"
#include "settings/register.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename F> double microseconds(F &&f)
{
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

bool lookups(int runs, const char *database)
{
    sqlite3 *db = nullptr;
    sqlite3_stmt *st = nullptr;
    if (sqlite3_open_v2(database, &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK
        || sqlite3_prepare_v2(db, "SELECT z1, z2, z3, z4 FROM dx1234_m WHERE s <= ?1 AND s > (?1 - 1)", -1, &st,
                              nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "bench_score: %s\n", sqlite3_errmsg(db));
        return false;
    }
    const float height = 170.0f;
    std::vector<double> program, floor;
    float sum = 0; // read back, so that nothing is optimised away
    for (int i = 0; i < runs; ++i) {
        program.push_back(microseconds([&] {
            sum += common::lookupWeightLimits(common::Sex::Male, height).limits[3].value_or(0);
        }));
        floor.push_back(microseconds([&] {
            sqlite3_bind_double(st, 1, height);
            if (sqlite3_step(st) == SQLITE_ROW)
                for (int c = 0; c < 4; ++c)
                    sum += float(sqlite3_column_double(st, c));
            sqlite3_reset(st);
        }));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    std::printf("lookup %.2f\nlookup_floor %.2f\n", median(program), median(floor));
    return sum > 0;
}

// Types a height into the focused height edit and times the Tab that scores it.
double scoreHeight(QWidget *window, const QString &height)
{
    auto *edit = window->findChild<my_maskedit *>(QStringLiteral("em_s1"));
    edit->setFocus(Qt::MouseFocusReason);
    QCoreApplication::processEvents();
    edit->setText(height);
    return microseconds([&] { QTest::keyClick(edit, Qt::Key_Tab); }) / 1000.0;
}

bool heights(int runs)
{
    score::YearScoreWindow window(score::yearParameters(1));
    if (!window.openEvent())
        return false;
    window.show();
    QApplication::setActiveWindow(&window);
    if (!QTest::qWaitForWindowActive(&window))
        return false;
    auto *weight = window.findChild<my_maskedit *>(QStringLiteral("em_s2"));
    weight->setText(QStringLiteral("60"));
    auto *total = window.findChild<QLineEdit *>(QStringLiteral("em_xn_t"));
    std::vector<double> focusOut, worst;
    for (int i = 0; i < runs; ++i) {
        // The worst-case height puts the weight into another band: every Tab changes the total.
        const QString before = total->text();
        focusOut.push_back(scoreHeight(&window, QStringLiteral("170.5")));
        if (total->text() == before) {
            std::fprintf(stderr, "bench_score: the total did not change\n");
            return false;
        }
        worst.push_back(scoreHeight(&window, QStringLiteral("999999.99")));
    }
    std::printf("focusout %.3f\nworst_height %.3f\n", median(focusOut), median(worst));
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_score RUNS DATABASE\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    char *qtArgv[] = {argv[0], nullptr};
    int qtArgc = 1;
    QApplication app(qtArgc, qtArgv);
    rt::installFontSubstitutions();
    settings::registerWindows();
    score::registerWindows();

    rt::Transaction &sqlca = rt::sqlca();
    common::useProgramDataSource(sqlca);
    if (sqlca.connect() != 0) {
        std::fprintf(stderr, "bench_score: %s\n", qPrintable(sqlca.SQLErrText));
        return 1;
    }
    const bool ok = lookups(runs * 50, argv[2]) && heights(runs);
    sqlca.disconnect();
    return ok ? 0 : 1;
}
