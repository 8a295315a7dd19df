#pragma once

#include <QList>
#include <functional>

#include "host/data/dataset.h"

namespace fin {

struct TColumnValue {
    QString column;
    QVariant value;
};
using TColumnValues = QList<TColumnValue>;

bool TestZeroLength(const TField& field);  // true when there is text other than blanks
bool TestID(const TField& field);          // true for an id greater than 0
bool TestDate(const TField& field);        // true for a valid date

// True when no other row of the table (another key) has the value in the column; the
// extra column values narrow the rows compared (a voucher number is unique per type).
bool TestUnique(TConnection& connection, const QVariant& value, const QString& table,
                const QString& column, const TColumnValues& alsoEqual, const QString& keyColumn,
                const QVariant& keyValue);
// The same for a field of a query, with the key read from the field's own record.
bool TestUnique(const TField& field, const QString& table, const QString& column,
                const TColumnValues& alsoEqual, const QString& keyColumn);

// One entry of a data module's validation table.
struct TFieldValidation {
    TDataSet* dataSet = nullptr;
    QString fieldName;
    bool required = false;
    std::function<bool(const TField&)> test;  // none: only the required check
};
using TFieldValidations = QVector<TFieldValidation>;

// Runs the entries of one dataset in table order; the first failure stops the post with
// the common required or invalid-field message.
class TValidator {
public:
    explicit TValidator(TFieldValidations entries = {}) : entries_(std::move(entries)) {}
    void Validate(TDataSet& dataSet) const;
    const TFieldValidations& Entries() const { return entries_; }

private:
    TFieldValidations entries_;
};

}  // namespace fin
