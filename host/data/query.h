#pragma once

#include <QStringList>

#include "host/data/dataset.h"

namespace fin {

// A named statement parameter (":IDPrecept"); always sent bound, never pasted.
class TParam {
public:
    explicit TParam(QString name) : name_(std::move(name)) {}
    const QString& Name() const { return name_; }
    const QVariant& Value() const { return value_; }
    void SetValue(const QVariant& value) { value_ = value; }
    void Clear() { value_ = QVariant(); }

private:
    QString name_;
    QVariant value_;
};

// A dataset filled by a statement. Live: a posted edit or insert writes the changed
// columns of its update table by key at once. With cached updates the edits wait in memory
// until ApplyUpdates writes them all in one transaction.
class TQuery : public TDataSet {
public:
    explicit TQuery(TConnection* connection = nullptr, QString name = {});

    TConnection* Connection() const override { return connection_; }
    void SetConnection(TConnection* connection) { connection_ = connection; }

    const QString& SQL() const { return sql_; }
    void SetSQL(const QString& sql);  // parameter values survive where names stay
    QVector<TParam>& Params() { return params_; }
    TParam& ParamByName(const QString& name);
    TParam* FindParam(const QString& name);

    void ExecSQL();  // a statement without rows
    quint64 RowsAffected() const { return rowsAffected_; }
    void Refresh();  // runs the statement again and returns to the same key

    // The table written by posts; by default the base table of the first column.
    void SetUpdateTable(const QString& table) { updateTable_ = table; }
    QString UpdateTable() const;
    // ";"-separated key fields; by default the update table's primary key columns.
    void SetKeyFields(const QString& fields) { keyFields_ = fields; }

    void ApplyUpdates();

protected:
    void DoOpen() override;
    void WriteRecord(TRecord& record, const TRecord* before, bool inserting) override;
    void WriteDelete(const TRecord& record) override;

private:
    QVariantList BoundValues() const;
    QVector<TField*> KeyFields() const;
    QVector<TField*> WritableFields() const;
    void WriteInsert(TRecord& record);
    void WriteUpdate(const TRecord& record, const QVector<QVariant>& before);
    void WriteDeleteValues(const QVector<QVariant>& values);
    QString WhereKey(const QVector<TField*>& keys) const;

    TConnection* connection_;
    QString sql_;
    QString parsedSql_;
    QStringList paramOrder_;
    QVector<TParam> params_;
    QString updateTable_;
    QString keyFields_;
    quint64 rowsAffected_ = 0;
};

}  // namespace fin
