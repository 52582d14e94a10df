#pragma once
// Another program's connection to the test's database file, to hold locks behind sqlca's back.
#include <QSqlDatabase>
#include <QString>

class SecondConnection {
public:
    explicit SecondConnection(const QString &databasePath);
    ~SecondConnection();
    SecondConnection(const SecondConnection &) = delete;
    SecondConnection &operator=(const SecondConnection &) = delete;

    bool isOpen() const { return db_.isOpen(); }
    bool exec(const QString &sql);
    QString error() const { return error_; }

    // An open read transaction: a SHARED lock, so a writer's COMMIT cannot take its EXCLUSIVE lock.
    bool holdReadLock();
    // An open write transaction: a RESERVED lock, so another writer's first write is refused.
    bool holdWriteLock();
    bool release();

private:
    QString name_;
    QSqlDatabase db_;
    QString error_;
};
