#pragma once
// A private data source named vemka for one test: a fresh SQLite file with the program's schema and
// default weight limits, reached through the SQLite ODBC driver by an odbc.ini of the test's own.
// The driver manager reads a data source's definition once per process, so every fixture of a process
// uses the same odbc.ini and file path; each fixture starts the file afresh. One fixture at a time.
#include <QString>
#include <QTemporaryDir>
#include <QVariantList>

class TestDataSource {
public:
    // NoDatabase: no file at all, so connecting fails with the driver's text (the data source does not
    // create a missing file). Empty: a file without tables.
    enum Content { NoDatabase, Empty, SchemaOnly, SchemaAndWeights };
    explicit TestDataSource(Content content = SchemaAndWeights);
    ~TestDataSource();
    TestDataSource(const TestDataSource &) = delete;
    TestDataSource &operator=(const TestDataSource &) = delete;

    bool isValid() const { return error_.isEmpty(); }
    QString error() const { return error_; }
    QString databasePath() const;
    QString iniPath() const;
    QString folder() const;

    // Statements on the file through a connection of the fixture's own, committed at once.
    bool exec(const QString &sql, const QVariantList &params = {});
    // The first column of the first row of a query, or an invalid QVariant.
    QVariant scalar(const QString &sql, const QVariantList &params = {});
    int count(const QString &table);

    // Connects the program's sqlca as the application object does; returns its SQLCode.
    static long connectSqlca();
    static void disconnectSqlca();

    // Takes the database away behind the program's back (for failure paths).
    void removeDatabaseFile();

private:
    QString connection_;
    QString error_;
};
