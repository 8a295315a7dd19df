#pragma once

#include "posting/customconter.h"

namespace fin {

// The conter of bank statements ("I") and cash journals ("B"): module "Banka". Its line
// families Dobavljac{X}, Kupac{X} and Razno{X} carry the partners that switch on the
// processor's partner logic.
class TBankConter : public TCustomConter {
public:
    TBankConter(TFinancialDM& dm, TPostingRun* run, const QString& moduleName,
                const QString& foreignTable, const QString& entityType, qint64 entityID,
                TDataSet* masterDataSet, TDataSet* detailDataSet);

protected:
    void CalculateVariables() override;
    void InternalCreatePrecept() override;
    void FillNames(QStringList& names, QStringList& descriptions) override;

private:
    QVariant Header(const char* field) const;
};

// Walks the bank statements and cash journals of the financial year without a voucher.
class TBankAutomat : public TCustomContoAutomat {
public:
    explicit TBankAutomat(TFinancialDM& dm);

    void OpenItems(const QDate& endDate, bool single, const QString& entityType,
                   qint64 entityID) override;
    bool GetEntityID(qint64& id, QString& description) override;

protected:
    void OpenDetail(qint64 id) override;
    std::shared_ptr<TCustomConter> MakeConter() override;
};

}  // namespace fin
