#include "host/data/customdm.h"

#include "host/common/captions.h"
#include "host/ui/uiservice.h"

namespace fin {

void TCustomDM::SetZConnection(TConnection* connection) {
    connection_ = connection;
    for (auto& ds : dataSets_)
        if (auto* q = dynamic_cast<TQuery*>(ds.get()))
            q->SetConnection(connection);
}

void TCustomDM::DataModuleCreate() {
    TFieldValidations validations;
    CreateFieldValidations(validations);
    validator_ = TValidator(std::move(validations));
}

void TCustomDM::CommonBeforePost(TDataSet& dataSet) {
    validator_.Validate(dataSet);
}

void TCustomDM::CommonBeforeDelete(TDataSet&) {
    if (Ui().Ask(res::CMN_DELETE_PROMT, TButtons::YesNo) != TAnswer::Yes)
        throw TAbort();
}

TConnection& TCustomDM::Require() const {
    if (!connection_)
        throw TError(res::CMN_NO_CONNECTION_ERR);
    return *connection_;
}

qint64 TCustomDM::GetLastInsertID() const {
    return Require().LastInsertId();
}

QStringList TCustomDM::GetFieldValues(const QString& table, const QString& column) const {
    const TResultSet r = Require().Select(
        QStringLiteral("SELECT %1 FROM %2")
            .arg(TConnection::QuoteIdentifier(column), TConnection::QuoteIdentifier(table)));
    QStringList values;
    for (const auto& row : r.rows)
        values << row.first().toString();
    return values;
}

qint64 TCustomDM::CopyDataSet(const QString& table, const TColumnValues& where,
                              const TColumnValues& overrides, const QStringList& serverFilled) {
    TConnection& c = Require();
    QString sql = QStringLiteral("SELECT * FROM %1").arg(TConnection::QuoteIdentifier(table));
    QVariantList params;
    QStringList conditions;
    for (const TColumnValue& w : where) {
        conditions << TConnection::QuoteIdentifier(w.column) + QStringLiteral(" = ?");
        params << w.value;
    }
    if (!conditions.isEmpty())
        sql += QStringLiteral(" WHERE ") + conditions.join(" AND ");
    const TResultSet rows = c.Select(sql, params);

    const QString numbered = c.PrimaryKey(table).autoIncrement;
    QStringList columns, marks;
    QVector<int> source;  // result column per insert column, -1 for an override
    QVariantList fixed;
    for (const TColumnValue& o : overrides) {
        columns << o.column;
        source << -1;
        fixed << o.value;
    }
    for (int i = 0; i < rows.columns.size(); ++i) {
        const TColumnInfo& info = rows.columns[i];
        if (info.orgName.compare(numbered, Qt::CaseInsensitive) == 0 ||
            columns.contains(info.orgName, Qt::CaseInsensitive) ||
            serverFilled.contains(info.orgName, Qt::CaseInsensitive))
            continue;
        columns << info.orgName;
        source << i;
    }
    QStringList quoted;
    for (const QString& col : columns) {
        quoted << TConnection::QuoteIdentifier(col);
        marks << QStringLiteral("?");
    }
    const QString insert =
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(TConnection::QuoteIdentifier(table), quoted.join(','), marks.join(','));
    qint64 lastId = 0;
    TTransaction transaction(c);
    for (const auto& row : rows.rows) {
        QVariantList values;
        int nextFixed = 0;
        for (int s : source)
            values << (s < 0 ? fixed[nextFixed++] : row[s]);
        c.Execute(insert, values);
        lastId = c.LastInsertId();
    }
    transaction.Commit();
    return lastId;
}

TQuery& TCustomDM::AddQuery(const QString& name, const QString& sql) {
    auto q = std::make_unique<TQuery>(connection_, name);
    if (!sql.isEmpty())
        q->SetSQL(sql);
    TQuery& ref = *q;
    dataSets_.push_back(std::move(q));
    return ref;
}

TDataSet& TCustomDM::AddMemDataSet(const QString& name) {
    dataSets_.push_back(std::make_unique<TDataSet>(name));
    return *dataSets_.back();
}

}  // namespace fin
