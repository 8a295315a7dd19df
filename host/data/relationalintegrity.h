#pragma once

#include <QVector>
#include <functional>

#include "host/db/connection.h"

namespace fin {

// Tells whether a row may be deleted: not while other rows refer to it, by a declared
// foreign key or by a reference a module registered (the suite's tables declare few keys).
class TRelationalIntegrity {
public:
    // True when the row is in use.
    using TCheck = std::function<bool(TConnection&, const QString& table, const QVariant& id)>;

    void AddReference(const QString& table, const QString& referringTable,
                      const QString& referringColumn);
    void AddFinancialCheck(TCheck check) { financial_.push_back(std::move(check)); }
    void SetConnection(TConnection* connection) { connection_ = connection; }

    bool CanDelete(const QString& table, const QVariant& id, TConnection& connection) const;
    // Ledger lines that still use the row (a sub-account) keep it.
    bool CanDeleteFinancial(const QString& table, const QVariant& id) const;

private:
    struct TReference {
        QString table, referringTable, referringColumn;
    };
    QVector<TReference> references_;
    QVector<TCheck> financial_;
    TConnection* connection_ = nullptr;
};

// The suite's one integrity object; null while no host installed one.
TRelationalIntegrity* RelationalIntegrity();
void SetRelationalIntegrity(TRelationalIntegrity* integrity);

}  // namespace fin
