#include "host/data/fieldtests.h"

#include "host/common/captions.h"

namespace fin {

bool TestZeroLength(const TField& field) {
    return !field.AsString().trimmed().isEmpty();
}

bool TestID(const TField& field) {
    return !field.IsNull() && field.AsInteger() > 0;
}

bool TestDate(const TField& field) {
    if (field.IsNull())
        return false;
    return field.DataType() == TFieldType::DateTime ? field.AsDateTime().isValid()
                                                    : field.AsDate().isValid();
}

bool TestUnique(TConnection& connection, const QVariant& value, const QString& table,
                const QString& column, const TColumnValues& alsoEqual, const QString& keyColumn,
                const QVariant& keyValue) {
    QString sql =
        QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ?")
            .arg(TConnection::QuoteIdentifier(table), TConnection::QuoteIdentifier(column));
    QVariantList params{value};
    for (const TColumnValue& c : alsoEqual) {
        sql += QStringLiteral(" AND %1 = ?").arg(TConnection::QuoteIdentifier(c.column));
        params << c.value;
    }
    if (keyValue.isValid() && !keyValue.isNull()) {
        sql += QStringLiteral(" AND %1 <> ?").arg(TConnection::QuoteIdentifier(keyColumn));
        params << keyValue;
    }
    sql += QStringLiteral(" LIMIT 1");
    return connection.Select(sql, params).IsEmpty();
}

bool TestUnique(const TField& field, const QString& table, const QString& column,
                const TColumnValues& alsoEqual, const QString& keyColumn) {
    TConnection* connection = field.DataSet().Connection();
    if (!connection)
        throw TError(res::CMN_NO_CONNECTION_ERR);
    const TField* key = field.DataSet().FindField(keyColumn);
    return TestUnique(*connection, field.Value(), table, column, alsoEqual, keyColumn,
                      key ? key->Value() : QVariant());
}

void TValidator::Validate(TDataSet& dataSet) const {
    for (const TFieldValidation& entry : entries_) {
        if (entry.dataSet != &dataSet)
            continue;
        const TField* field = dataSet.FindField(entry.fieldName);
        if (!field)
            continue;
        const bool empty = field->IsNull() ||
                           (field->DataType() == TFieldType::String && field->AsString().isEmpty());
        if (entry.required && empty)
            throw TError(res::CMN_FIELD_REQUIRED_ERR.arg(field->DisplayLabel()));
        if (entry.test && !entry.test(*field))
            throw TError(res::CMN_FIELD_INVALIDE_ERR.arg(field->DisplayLabel()));
    }
}

}  // namespace fin
