#pragma once

#include "posting/customconter.h"

namespace fin {

// The conter of fixed-asset documents: module "Osnovna sredstva", entity type the document
// type (activation, write-off, depreciation). The differences of value and correction.
class TFAConter : public TCustomConter {
public:
    using TCustomConter::TCustomConter;

protected:
    void CalculateVariables() override;
    void InternalCreatePrecept() override;
    void FillNames(QStringList& names, QStringList& descriptions) override;
};

// Walks the registered fixed-asset documents of the financial year without a voucher.
class TFAAutomat : public TCustomContoAutomat {
public:
    explicit TFAAutomat(TFinancialDM& dm);

    void OpenItems(const QDate& endDate, bool single, const QString& entityType,
                   qint64 entityID) override;
    bool GetEntityID(qint64& id, QString& description) override;

protected:
    void OpenDetail(qint64 id) override;
    std::shared_ptr<TCustomConter> MakeConter() override;
};

}  // namespace fin
