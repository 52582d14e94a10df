#pragma once
// A private data source named vemka for one test: a fresh SQLite file in a temporary folder, with the
// program's schema and default weight limits, reached through the SQLite ODBC driver by an odbc.ini
// of its own (ODBCINI points at it while the fixture lives).
#include <QString>
#include <QTemporaryDir>
#include <QVariantList>

class TestDataSource {
public:
    enum Content { Empty, SchemaOnly, SchemaAndWeights };
    explicit TestDataSource(Content content = SchemaAndWeights, const QString &dsn = QStringLiteral("vemka"));
    ~TestDataSource();
    TestDataSource(const TestDataSource &) = delete;
    TestDataSource &operator=(const TestDataSource &) = delete;

    bool isValid() const { return error_.isEmpty(); }
    QString error() const { return error_; }
    QString databasePath() const;
    QString iniPath() const;
    QString folder() const { return dir_.path(); }

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
    QTemporaryDir dir_;
    QString error_;
    QByteArray previousOdbcIni_;
    bool hadOdbcIni_ = false;
};
