#pragma once

#include "posting/customconter.h"

namespace fin {

// The conter of closed production errands: module "Proizvodnja", entity type the errand
// type. Costs by their kind and the value of the finished goods of the errand's children.
class TProductionConter : public TCustomConter {
public:
    using TCustomConter::TCustomConter;

protected:
    void CalculateVariables() override;
    void InternalCreatePrecept() override;
    void FillNames(QStringList& names, QStringList& descriptions) override;
};

// Walks the closed work errands ("R") of the financial year without a voucher.
class TProductionAutomat : public TCustomContoAutomat {
public:
    explicit TProductionAutomat(TFinancialDM& dm);

    void OpenItems(const QDate& endDate, bool single, const QString& entityType,
                   qint64 entityID) override;
    bool GetEntityID(qint64& id, QString& description) override;

protected:
    void OpenDetail(qint64 id) override;
    std::shared_ptr<TCustomConter> MakeConter() override;
};

}  // namespace fin
