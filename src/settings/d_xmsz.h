#pragma once
// The form over the test-item settings table xmsz: the row of one study year, retrieved by its code
// or inserted new, read and set column by column, and written back through a transaction object.
//
// Readers (the score windows) use retrieve(), rowCount(), getRow() and getItemString() only.
// Values come back exactly as stored: NULL as a null QString, nothing trimmed.
//
// update() writes a new row as INSERT (into the row of its key where one is there already) and a
// retrieved row as UPDATE by the key it was retrieved with; it neither commits nor rolls back.
// update(false) leaves the row marked as it was, so a caller that commits afterwards calls
// resetUpdate() only once the COMMIT has succeeded. Both show the busy cursor while they work with
// the data source.
#include "runtime/transaction.h"

#include <QString>
#include <QVariant>
#include <array>
#include <vector>

class d_xmsz {
public:
    // The sixteen columns in the order they are retrieved.
    static constexpr int kColumnCount = 16;
    static constexpr std::array<const char *, kColumnCount> kColumns = {
        "nj",     "xm_z_m", "xm_5_m", "xm_l_m", "xm_t_m", "xm_58_m", "xm_w_m", "xm_1_m",
        "xm_8_w", "xm_z_w", "xm_5_w", "xm_l_w", "xm_t_w", "xm_58_w", "xm_w_w", "xm_y_w",
    };

    enum class RowStatus {
        NotModified,  // retrieved or stored, unchanged since
        DataModified, // retrieved or stored, changed since: update() changes it by its key
        New,          // inserted, nothing set yet: update() skips it
        NewModified,  // inserted and set: update() inserts it
    };

    explicit d_xmsz(rt::Transaction &transaction = rt::sqlca());
    virtual ~d_xmsz() = default;

    void setTransObject(rt::Transaction &transaction) { transaction_ = &transaction; }

    // Reads the rows of the code, replacing what the form held: the number of rows read, 0 when
    // the year has no row, -1 on a database error (lastError() then holds the driver's text).
    long retrieve(const QString &nj);
    long rowCount() const { return long(rows_.size()); }
    // The current row: the first row after a retrieval, the inserted row after an insertion, 0 when empty.
    long getRow() const { return current_; }

    // Appends an empty row and returns its number; -1 when the form already holds its one row.
    virtual long insertRow(long before = 0);

    // The column's text in a row; a null QString for NULL, an unknown column or a row that is not there.
    QString getItemString(long row, const QString &column) const;
    // Sets a column of a row (a null QString sets NULL): 1, or -1 for no such row or column.
    int setItem(long row, const QString &column, const QString &value);
    int acceptText() { return 1; }

    // Writes new and changed rows: 1 when all went well (also when there was nothing to write), -1 when
    // a statement failed or an UPDATE found no row to change. With resetFlags the rows count as
    // stored afterwards; without, they stay marked until resetUpdate().
    int update(bool resetFlags = true);
    void resetUpdate();

    RowStatus rowStatus(long row) const;
    QString lastError() const { return lastError_; }

    static int columnIndex(const QString &column);
    // xm_58_m and xm_58_w are carried with the row and never written.
    static bool isWritable(int column);

private:
    struct Row {
        std::array<QVariant, kColumnCount> values; // a null QVariant is NULL
        std::array<bool, kColumnCount> modified{};
        bool isNew = false;
        QString key; // nj as retrieved or last stored
    };
    bool anyModified(const Row &row) const;
    bool insertRowInto(const Row &row);
    bool updateRowIn(const Row &row);
    // Runs a write; on failure keeps the driver's text as the last error.
    bool executeWrite(const QString &sql, const QVariantList &params);

    rt::Transaction *transaction_;
    std::vector<Row> rows_;
    long current_ = 0;
    QString lastError_;
};
