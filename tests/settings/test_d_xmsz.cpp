// The settings form over the real data source through its ODBC driver, SQLite and PostgreSQL alike.
#include "settings/d_xmsz.h"
#include "test_data_source.h"

#include <QtTest>

using rt::sqlca;
using Status = d_xmsz::RowStatus;

namespace {

const char *const kFlags[] = {"xm_t_m", "xm_1_m", "xm_5_m", "xm_l_m", "xm_z_m", "xm_w_m", "xm_t_w",
                              "xm_8_w", "xm_5_w", "xm_l_w", "xm_z_w", "xm_y_w", "xm_w_w"};

// Sets the thirteen flags: "1" for those named in `on`, "0" for the others; the key last.
void setFlags(d_xmsz &form, const QString &nj, const QStringList &on)
{
    for (const char *flag : kFlags)
        form.setItem(form.getRow(), QLatin1String(flag), on.contains(QLatin1String(flag)) ? "1" : "0");
    form.setItem(form.getRow(), QStringLiteral("nj"), nj);
}

// Retrieves the year, inserts one row and sets its flags.
void newRow(d_xmsz &form, const QString &nj, const QStringList &on)
{
    form.retrieve(nj);
    form.insertRow(0);
    setFlags(form, nj, on);
}

QString stored(TestDataSource &source, const QString &nj, const QString &column)
{
    const QVariant v = source.scalar(QStringLiteral("SELECT %1 FROM xmsz WHERE nj = ?").arg(column), {nj});
    return v.isNull() ? QString() : v.toString();
}

} // namespace

class TestForm : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        source = std::make_unique<TestDataSource>(TestDataSource::SchemaOnly);
        QVERIFY2(source->isValid(), qPrintable(source->error()));
        QCOMPARE(TestDataSource::connectSqlca(), 0L);
    }
    void cleanup()
    {
        TestDataSource::disconnectSqlca();
        source.reset();
    }

    void emptyTableThenInsertGivesRowOne()
    {
        d_xmsz form;
        QCOMPARE(form.retrieve(QStringLiteral("41")), 0L);
        QCOMPARE(form.getRow(), 0L);
        QCOMPARE(form.insertRow(0), 1L);
        QCOMPARE(form.getRow(), 1L);
        QCOMPARE(form.rowCount(), 1L);
        QCOMPARE(form.rowStatus(1), Status::New);
        QVERIFY(form.getItemString(1, QStringLiteral("nj")).isNull());
        QCOMPARE(form.insertRow(0), -1L); // one row at most
        QCOMPARE(form.setItem(2, QStringLiteral("nj"), QStringLiteral("41")), -1);
        QCOMPARE(form.setItem(1, QStringLiteral("no_such"), QStringLiteral("1")), -1);
    }

    void saveAndCommitWritesOneRow()
    {
        d_xmsz form;
        newRow(form, QStringLiteral("41"), {"xm_5_m", "xm_w_w"});
        QCOMPARE(form.rowStatus(1), Status::NewModified);
        QCOMPARE(form.update(), 1);
        QCOMPARE(sqlca().commit(), 0);
        QCOMPARE(form.rowStatus(1), Status::NotModified);

        QCOMPARE(source->count(QStringLiteral("xmsz")), 1);
        for (const char *flag : kFlags) {
            const bool on = QByteArray(flag) == "xm_5_m" || QByteArray(flag) == "xm_w_w";
            QCOMPARE(stored(*source, QStringLiteral("41"), QLatin1String(flag)), on ? QStringLiteral("1") : QStringLiteral("0"));
        }
        d_xmsz reader;
        QCOMPARE(reader.retrieve(QStringLiteral("41")), 1L);
        QCOMPARE(reader.getItemString(1, QStringLiteral("xm_5_m")), QStringLiteral("1"));
        QCOMPARE(reader.retrieve(QStringLiteral("42")), 0L);
    }

    void secondSaveIsAnUpdate()
    {
        d_xmsz form;
        newRow(form, QStringLiteral("42"), {"xm_t_m"});
        QCOMPARE(form.update(), 1);
        QCOMPARE(sqlca().commit(), 0);
        setFlags(form, QStringLiteral("42"), {"xm_1_m"});
        QCOMPARE(form.rowStatus(1), Status::DataModified);
        QCOMPARE(form.update(), 1);
        QCOMPARE(sqlca().commit(), 0);
        QCOMPARE(source->count(QStringLiteral("xmsz")), 1);
        QCOMPARE(stored(*source, QStringLiteral("42"), QStringLiteral("xm_t_m")), QStringLiteral("0"));
        QCOMPARE(stored(*source, QStringLiteral("42"), QStringLiteral("xm_1_m")), QStringLiteral("1"));
    }

    // A re-save of an unchanged row writes nothing and opens no transaction; a rolled-back change
    // leaves the table as it was and the row marked, so the next save repeats it.
    void resaveUnchangedAndRolledBackChange()
    {
        d_xmsz form;
        newRow(form, QStringLiteral("41"), {"xm_t_m"});
        QCOMPARE(form.update(), 1);
        QCOMPARE(sqlca().commit(), 0);
        QCOMPARE(form.update(), 1);
        QVERIFY(!source->anotherSessionHoldsTransaction());
        QCOMPARE(sqlca().commit(), 0);

        setFlags(form, QStringLiteral("41"), {"xm_1_m"});
        QCOMPARE(form.update(false), 1);
        QCOMPARE(sqlca().rollback(), 0);
        QCOMPARE(stored(*source, QStringLiteral("41"), QStringLiteral("xm_t_m")), QStringLiteral("1"));
        QCOMPARE(form.rowStatus(1), Status::DataModified);
        QCOMPARE(form.update(), 1);
        QCOMPARE(sqlca().commit(), 0);
        QCOMPARE(stored(*source, QStringLiteral("41"), QStringLiteral("xm_1_m")), QStringLiteral("1"));
        QCOMPARE(source->count(QStringLiteral("xmsz")), 1);
    }

    void carriedColumnsSurviveEverySave()
    {
        QVERIFY(source->exec(QStringLiteral("INSERT INTO xmsz (nj, xm_58_m, xm_58_w) VALUES ('43', 'a', 'b')")));
        d_xmsz form;
        QCOMPARE(form.retrieve(QStringLiteral("43")), 1L);
        QCOMPARE(form.getItemString(1, QStringLiteral("xm_58_m")), QStringLiteral("a"));
        for (int round = 0; round < 2; ++round) {
            setFlags(form, QStringLiteral("43"), {"xm_z_m"});
            form.setItem(1, QStringLiteral("xm_58_m"), QStringLiteral("z")); // carried, never written
            QCOMPARE(form.update(), 1);
            QCOMPARE(sqlca().commit(), 0);
            QCOMPARE(stored(*source, QStringLiteral("43"), QStringLiteral("xm_58_m")), QStringLiteral("a"));
            QCOMPARE(stored(*source, QStringLiteral("43"), QStringLiteral("xm_58_w")), QStringLiteral("b"));
        }
        // A new row leaves them to the table.
        d_xmsz fresh;
        newRow(fresh, QStringLiteral("44"), {});
        fresh.setItem(1, QStringLiteral("xm_58_w"), QStringLiteral("z"));
        QCOMPARE(fresh.update(), 1);
        QCOMPARE(sqlca().commit(), 0);
        QVERIFY(source->scalar(QStringLiteral("SELECT xm_58_w FROM xmsz WHERE nj = '44'")).isNull());
    }

    void valuesComeBackUnchanged()
    {
        // xm_t_w is the one flag column wide enough for blanks around its value.
        QVERIFY2(source->exec(QStringLiteral("INSERT INTO xmsz (nj, xm_t_m, xm_t_w, xm_5_m) VALUES ('41', NULL, ' 1 ', '')")),
                 qPrintable(source->error()));
        d_xmsz form;
        QCOMPARE(form.retrieve(QStringLiteral("41")), 1L);
        QVERIFY(form.getItemString(1, QStringLiteral("xm_t_m")).isNull());
        QCOMPARE(form.getItemString(1, QStringLiteral("xm_t_w")), QStringLiteral(" 1 "));
        QCOMPARE(form.getItemString(1, QStringLiteral("xm_5_m")), QStringLiteral(""));
        QVERIFY(!form.getItemString(1, QStringLiteral("xm_5_m")).isNull());

        // And are written as given: NULL stays NULL, blanks stay.
        form.setItem(1, QStringLiteral("xm_z_m"), QString());
        form.setItem(1, QStringLiteral("xm_t_w"), QStringLiteral("0 "));
        QCOMPARE(form.update(), 1);
        QCOMPARE(sqlca().commit(), 0);
        QVERIFY(source->scalar(QStringLiteral("SELECT xm_z_m FROM xmsz WHERE nj = '41'")).isNull());
        QCOMPARE(stored(*source, QStringLiteral("41"), QStringLiteral("xm_t_w")), QStringLiteral("0 "));
    }

    void missingTableGivesMinusOne()
    {
        cleanup();
        source = std::make_unique<TestDataSource>(TestDataSource::Empty);
        QCOMPARE(TestDataSource::connectSqlca(), 0L);
        d_xmsz form;
        QCOMPARE(form.retrieve(QStringLiteral("41")), -1L);
        QCOMPARE(form.rowCount(), 0L);
        QVERIFY2(form.lastError().contains(QLatin1String("xmsz")), qPrintable(form.lastError()));
    }

    void updateWithoutResetKeepsTheRowNew()
    {
        d_xmsz form;
        newRow(form, QStringLiteral("41"), {});
        QCOMPARE(form.update(false), 1);
        QCOMPARE(form.rowStatus(1), Status::NewModified);
        QCOMPARE(sqlca().commit(), 0);
        form.resetUpdate();
        QCOMPARE(form.rowStatus(1), Status::NotModified);
    }

    void updateOfAVanishedRowFails()
    {
        QVERIFY(source->exec(QStringLiteral("INSERT INTO xmsz (nj) VALUES ('41')")));
        d_xmsz form;
        QCOMPARE(form.retrieve(QStringLiteral("41")), 1L);
        QVERIFY(source->exec(QStringLiteral("DELETE FROM xmsz")));
        setFlags(form, QStringLiteral("41"), {"xm_t_m"});
        QCOMPARE(form.update(), -1);
        QCOMPARE(form.rowStatus(1), Status::DataModified);
        sqlca().rollback();
        QCOMPARE(source->count(QStringLiteral("xmsz")), 0);
    }

    void refusedWriteKeepsTheRowAndARetrySaves()
    {
        d_xmsz form;
        newRow(form, QStringLiteral("41"), {"xm_l_w"});
        OtherSession other;
        QVERIFY2(other.holdWriteLock(), qPrintable(other.error()));
        QCOMPARE(form.update(), -1);
        QVERIFY2(form.lastError().contains(QLatin1String("lock")), qPrintable(form.lastError()));
        QCOMPARE(form.rowStatus(1), Status::NewModified);
        QCOMPARE(sqlca().rollback(), 0);
        QVERIFY(other.release());
        QCOMPARE(form.update(), 1);
        QCOMPARE(sqlca().commit(), 0);
        QCOMPARE(stored(*source, QStringLiteral("41"), QStringLiteral("xm_l_w")), QStringLiteral("1"));
    }

    void failedCommitWritesNothingAndTheNextSaveDoes()
    {
        d_xmsz form;
        newRow(form, QStringLiteral("41"), {"xm_8_w"});
        OtherSession other;
        QVERIFY2(other.refuseCommits(), qPrintable(other.error()));
        QCOMPARE(form.update(false), 1); // the write itself goes into the open transaction
        QCOMPARE(sqlca().commit(), -1);
        QVERIFY(other.release());
        QCOMPARE(source->count(QStringLiteral("xmsz")), 0);
        QCOMPARE(form.rowStatus(1), Status::NewModified);
        QCOMPARE(form.update(false), 1);
        QCOMPARE(sqlca().commit(), 0);
        form.resetUpdate();
        QCOMPARE(source->count(QStringLiteral("xmsz")), 1);
        QCOMPARE(stored(*source, QStringLiteral("41"), QStringLiteral("xm_8_w")), QStringLiteral("1"));
    }

private:
    std::unique_ptr<TestDataSource> source;
};

QTEST_GUILESS_MAIN(TestForm)
#include "test_d_xmsz.moc"
