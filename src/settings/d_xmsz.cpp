#include "settings/d_xmsz.h"

#include "runtime/busy_cursor.h"

#include <QStringList>

namespace {

QVariant nullString() { return QVariant(QMetaType::fromType<QString>()); }

QVariant toValue(const QString &text) { return text.isNull() ? nullString() : QVariant(text); }

} // namespace

d_xmsz::d_xmsz(rt::Transaction &transaction) : transaction_(&transaction) {}

int d_xmsz::columnIndex(const QString &column)
{
    for (int i = 0; i < kColumnCount; ++i)
        if (column == QLatin1String(kColumns[i]))
            return i;
    return -1;
}

bool d_xmsz::isWritable(int column)
{
    const QLatin1String name(kColumns[column]);
    return name != QLatin1String("xm_58_m") && name != QLatin1String("xm_58_w");
}

long d_xmsz::retrieve(const QString &nj)
{
    rt::BusyCursor busy;
    rows_.clear();
    current_ = 0;
    lastError_.clear();

    QStringList columns;
    for (const char *c : kColumns)
        columns << QStringLiteral("xmsz.") + QLatin1String(c);
    const QString sql = QStringLiteral("SELECT ") + columns.join(QStringLiteral(", "))
                        + QStringLiteral(" FROM xmsz WHERE xmsz.nj = ?");
    const rt::Transaction::Rows found = transaction_->execute(sql, {nj});
    if (transaction_->SQLCode == -1) {
        lastError_ = transaction_->SQLErrText;
        return -1;
    }
    if (found.isEmpty())
        return 0;
    for (const QVariantList &values : found) {
        Row row;
        for (int i = 0; i < kColumnCount; ++i) {
            const QVariant &v = values.value(i);
            row.values[i] = v.isNull() ? nullString() : QVariant(v.toString());
        }
        row.key = row.values[0].toString();
        rows_.push_back(std::move(row));
    }
    current_ = 1;
    return rowCount();
}

long d_xmsz::insertRow(long)
{
    // The form holds the row of one study year at most.
    if (!rows_.empty())
        return -1;
    Row row;
    row.values.fill(nullString());
    row.isNew = true;
    rows_.push_back(std::move(row));
    current_ = rowCount();
    return current_;
}

QString d_xmsz::getItemString(long row, const QString &column) const
{
    const int c = columnIndex(column);
    if (row < 1 || row > rowCount() || c < 0)
        return QString();
    const QVariant &v = rows_[size_t(row - 1)].values[c];
    return v.isNull() ? QString() : v.toString();
}

int d_xmsz::setItem(long row, const QString &column, const QString &value)
{
    const int c = columnIndex(column);
    if (row < 1 || row > rowCount() || c < 0)
        return -1;
    Row &r = rows_[size_t(row - 1)];
    r.values[c] = toValue(value);
    r.modified[c] = true;
    return 1;
}

bool d_xmsz::anyModified(const Row &row) const
{
    for (int i = 0; i < kColumnCount; ++i)
        if (row.modified[i] && isWritable(i))
            return true;
    return false;
}

d_xmsz::RowStatus d_xmsz::rowStatus(long row) const
{
    if (row < 1 || row > rowCount())
        return RowStatus::NotModified;
    const Row &r = rows_[size_t(row - 1)];
    if (r.isNew)
        return anyModified(r) ? RowStatus::NewModified : RowStatus::New;
    return anyModified(r) ? RowStatus::DataModified : RowStatus::NotModified;
}

bool d_xmsz::insertRowInto(const Row &row)
{
    QStringList names, marks, sets;
    QVariantList params;
    for (int i = 0; i < kColumnCount; ++i) {
        if (!row.modified[i] || !isWritable(i))
            continue;
        const QLatin1String name(kColumns[i]);
        names << name;
        marks << QStringLiteral("?");
        sets << name + QStringLiteral(" = excluded.") + name;
        params << row.values[i];
    }
    // The year's row may have been stored meanwhile (by another PC, or by this Save's COMMIT whose
    // answer was lost): the new row's values then go into it, in the same statement, so the year keeps
    // one row and the last save wins. Columns not written keep what that row holds.
    return executeWrite(QStringLiteral("INSERT INTO xmsz (%1) VALUES (%2) ON CONFLICT (nj) DO UPDATE SET %3")
                            .arg(names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")),
                                 sets.join(QStringLiteral(", "))),
                        params);
}

bool d_xmsz::updateRowIn(const Row &row)
{
    QStringList sets;
    QVariantList params;
    for (int i = 0; i < kColumnCount; ++i) {
        if (!row.modified[i] || !isWritable(i))
            continue;
        sets << QLatin1String(kColumns[i]) + QStringLiteral(" = ?");
        params << row.values[i];
    }
    params << row.key;
    if (!executeWrite(QStringLiteral("UPDATE xmsz SET %1 WHERE nj = ?").arg(sets.join(QStringLiteral(", "))),
                      params))
        return false;
    if (transaction_->SQLNRows < 1) {
        // The row it was retrieved as is gone: nothing was saved.
        lastError_ = QStringLiteral("xmsz: no row with nj = %1 to change").arg(row.key);
        return false;
    }
    return true;
}

bool d_xmsz::executeWrite(const QString &sql, const QVariantList &params)
{
    transaction_->execute(sql, params);
    if (transaction_->SQLCode != 0) {
        lastError_ = transaction_->SQLErrText;
        return false;
    }
    return true;
}

int d_xmsz::update(bool resetFlags)
{
    rt::BusyCursor busy;
    lastError_.clear();
    for (const Row &row : rows_) {
        if (!anyModified(row))
            continue;
        if (!(row.isNew ? insertRowInto(row) : updateRowIn(row)))
            return -1;
    }
    if (resetFlags)
        resetUpdate();
    return 1;
}

void d_xmsz::resetUpdate()
{
    for (Row &row : rows_) {
        if (row.isNew && !anyModified(row))
            continue; // nothing was inserted for it
        row.modified.fill(false);
        row.isNew = false;
        row.key = row.values[0].toString();
    }
}
