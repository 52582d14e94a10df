#include "second_connection.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

SecondConnection::SecondConnection(const QString &databasePath)
    : name_(QStringLiteral("second-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name_);
    db_.setDatabaseName(QStringLiteral("DRIVER=SQLite3;Database=%1;Timeout=1000").arg(databasePath));
    if (!db_.open())
        error_ = db_.lastError().text();
}

SecondConnection::~SecondConnection()
{
    if (db_.isOpen()) {
        exec(QStringLiteral("ROLLBACK"));
        db_.close();
    }
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
}

bool SecondConnection::exec(const QString &sql)
{
    QSqlQuery q(db_);
    if (!q.exec(sql)) {
        error_ = q.lastError().text();
        return false;
    }
    while (q.isSelect() && q.next()) {
    }
    return true;
}

bool SecondConnection::holdReadLock()
{
    return exec(QStringLiteral("BEGIN")) && exec(QStringLiteral("SELECT COUNT(*) FROM xmsz"));
}

bool SecondConnection::holdWriteLock() { return exec(QStringLiteral("BEGIN IMMEDIATE")); }

bool SecondConnection::release() { return exec(QStringLiteral("ROLLBACK")); }
