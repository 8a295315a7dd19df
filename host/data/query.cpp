#include "host/data/query.h"

#include "host/common/captions.h"
#include "host/db/namedparams.h"

namespace fin {

namespace {
bool Null(const QVariant& v) {
    return !v.isValid() || v.isNull();
}
}  // namespace

TQuery::TQuery(TConnection* connection, QString name)
    : TDataSet(std::move(name)), connection_(connection) {}

void TQuery::SetSQL(const QString& sql) {
    if (Active())
        Close();
    sql_ = sql;
    const TParsedSql parsed = ParseNamedParams(sql);
    parsedSql_ = parsed.sql;
    paramOrder_ = parsed.names;
    QVector<TParam> next;
    for (const QString& name : parsed.names) {
        const bool known = std::any_of(next.begin(), next.end(), [&](const TParam& p) {
            return p.Name().compare(name, Qt::CaseInsensitive) == 0;
        });
        if (known)
            continue;
        TParam param(name);
        if (TParam* old = FindParam(name))
            param.SetValue(old->Value());
        next.push_back(param);
    }
    params_ = std::move(next);
}

TParam* TQuery::FindParam(const QString& name) {
    for (TParam& p : params_)
        if (p.Name().compare(name, Qt::CaseInsensitive) == 0)
            return &p;
    return nullptr;
}

TParam& TQuery::ParamByName(const QString& name) {
    if (TParam* p = FindParam(name))
        return *p;
    throw TError(QStringLiteral("Parametar \"%1\" ne postoji u upitu \"%2\".").arg(name, Name()));
}

QVariantList TQuery::BoundValues() const {
    QVariantList values;
    for (const QString& name : paramOrder_) {
        for (const TParam& p : params_) {
            if (p.Name().compare(name, Qt::CaseInsensitive) == 0) {
                values << p.Value();
                break;
            }
        }
    }
    return values;
}

void TQuery::DoOpen() {
    if (!connection_)
        throw TError(res::CMN_NO_CONNECTION_ERR);
    TResultSet result = connection_->Select(parsedSql_, BoundValues());
    BindColumns(result.columns);
    ReserveRecords(static_cast<int>(result.rows.size()));
    for (auto& row : result.rows)
        AddRecord(std::move(row));
}

void TQuery::ExecSQL() {
    if (!connection_)
        throw TError(res::CMN_NO_CONNECTION_ERR);
    rowsAffected_ = connection_->Execute(parsedSql_, BoundValues());
}

void TQuery::Refresh() {
    const QVector<TField*> keys = Active() ? KeyFields() : QVector<TField*>();
    QVariantList current;
    for (TField* k : keys)
        current << k->Value();
    QStringList names;
    for (TField* k : keys)
        names << k->FieldName();
    Close();
    Open();
    if (!names.isEmpty() && !current.isEmpty() && !Null(current.first()))
        Locate(names.join(QLatin1Char(';')), current);
}

QString TQuery::UpdateTable() const {
    if (!updateTable_.isEmpty())
        return updateTable_;
    for (int i = 0; i < FieldCount(); ++i)
        if (!Fields(i).OriginTable().isEmpty())
            return Fields(i).OriginTable();
    return {};
}

QVector<TField*> TQuery::WritableFields() const {
    const QString table = UpdateTable();
    QVector<TField*> out;
    for (int i = 0; i < FieldCount(); ++i) {
        TField& f = Fields(i);
        if (!f.OriginColumn().isEmpty() && f.OriginTable().compare(table, Qt::CaseInsensitive) == 0)
            out << &f;
    }
    return out;
}

QVector<TField*> TQuery::KeyFields() const {
    QVector<TField*> out;
    if (!keyFields_.isEmpty()) {
        for (const QString& n : keyFields_.split(QLatin1Char(';'), Qt::SkipEmptyParts))
            out << &FieldByName(n.trimmed());
    } else if (connection_) {
        const QVector<TField*> writable = WritableFields();
        for (const QString& column : connection_->PrimaryKey(UpdateTable()).columns) {
            auto it = std::find_if(writable.begin(), writable.end(), [&](TField* f) {
                return f->OriginColumn().compare(column, Qt::CaseInsensitive) == 0;
            });
            if (it == writable.end()) {
                out.clear();  // the whole key must be in the result
                break;
            }
            out << *it;
        }
    }
    if (out.isEmpty())
        throw TError(res::CMN_NO_KEY_ERR.arg(Name()));
    return out;
}

QString TQuery::WhereKey(const QVector<TField*>& keys) const {
    QStringList parts;
    for (TField* k : keys)
        parts << TConnection::QuoteIdentifier(k->OriginColumn().isEmpty() ? k->FieldName()
                                                                          : k->OriginColumn()) +
                     QStringLiteral(" = ?");
    return QStringLiteral(" WHERE ") + parts.join(QStringLiteral(" AND "));
}

void TQuery::WriteInsert(TRecord& record) {
    QStringList columns, marks;
    QVariantList values;
    for (TField* f : WritableFields()) {
        const QVariant& v = record.values[f->Index()];
        if (Null(v) || columns.contains(f->OriginColumn(), Qt::CaseInsensitive))
            continue;
        columns << f->OriginColumn();
        marks << QStringLiteral("?");
        values << v;
    }
    QStringList quoted;
    for (const QString& c : columns)
        quoted << TConnection::QuoteIdentifier(c);
    connection_->Execute(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                             .arg(TConnection::QuoteIdentifier(UpdateTable()),
                                  quoted.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                         values);
    // A key left empty was given by the database.
    const QVector<TField*> keys = KeyFields();
    if (keys.size() == 1 && Null(record.values[keys.first()->Index()]) &&
        connection_->LastInsertId() > 0) {
        for (TField* f : WritableFields())
            if (f->OriginColumn().compare(keys.first()->OriginColumn(), Qt::CaseInsensitive) == 0)
                record.values[f->Index()] = QVariant::fromValue(connection_->LastInsertId());
    }
}

void TQuery::WriteUpdate(const TRecord& record, const QVector<QVariant>& before) {
    QStringList sets, done;
    QVariantList values;
    for (TField* f : WritableFields()) {
        const QVariant& now = record.values[f->Index()];
        const QVariant& was = before[f->Index()];
        if ((SameValue(now, was) && Null(now) == Null(was)) ||
            done.contains(f->OriginColumn(), Qt::CaseInsensitive))
            continue;
        done << f->OriginColumn();
        sets << TConnection::QuoteIdentifier(f->OriginColumn()) + QStringLiteral(" = ?");
        values << now;
    }
    if (sets.isEmpty())
        return;
    const QVector<TField*> keys = KeyFields();
    for (TField* k : keys)
        values << before[k->Index()];
    const quint64 matched = connection_->Execute(
        QStringLiteral("UPDATE %1 SET %2")
                .arg(TConnection::QuoteIdentifier(UpdateTable()), sets.join(QStringLiteral(", "))) +
            WhereKey(keys),
        values);
    if (matched == 0)
        throw TDbError(res::CMN_RECORD_CHANGED_ERR);
}

void TQuery::WriteDeleteValues(const QVector<QVariant>& values) {
    const QVector<TField*> keys = KeyFields();
    QVariantList keyValues;
    for (TField* k : keys)
        keyValues << values[k->Index()];
    // A row another workstation already removed is simply gone; nothing to report.
    connection_->Execute(
        QStringLiteral("DELETE FROM %1").arg(TConnection::QuoteIdentifier(UpdateTable())) +
            WhereKey(keys),
        keyValues);
}

void TQuery::WriteRecord(TRecord& record, const TRecord* before, bool inserting) {
    if (!connection_)
        throw TError(res::CMN_NO_CONNECTION_ERR);
    if (inserting)
        WriteInsert(record);
    else
        WriteUpdate(record, before->values);
}

void TQuery::WriteDelete(const TRecord& record) {
    if (!connection_)
        throw TError(res::CMN_NO_CONNECTION_ERR);
    WriteDeleteValues(record.values);
}

void TQuery::ApplyUpdates() {
    CheckBrowseMode();
    if (!UpdatesPending())
        return;
    if (!connection_)
        throw TError(res::CMN_NO_CONNECTION_ERR);
    // Written on copies: a failure rolls back the database and leaves every pending edit
    // in memory exactly as it was, ready for another try.
    std::vector<TRecord>& records = Records();
    std::vector<std::pair<size_t, QVector<QVariant>>> inserted;
    {
        TTransaction transaction(*connection_);
        for (const TRecord& gone : DeletedRecords())
            WriteDeleteValues(gone.values);
        for (size_t i = 0; i < records.size(); ++i) {
            const TRecord& r = records[i];
            if (r.status == TUpdateStatus::Modified) {
                WriteUpdate(r, r.original);
            } else if (r.status == TUpdateStatus::Inserted) {
                TRecord copy = r;
                WriteInsert(copy);
                inserted.emplace_back(i, std::move(copy.values));
            }
        }
        transaction.Commit();
    }
    for (auto& [index, values] : inserted)
        records[index].values = std::move(values);
    ClearPendingUpdates();
    Notify(TDataEvent::Reset);
}

}  // namespace fin
