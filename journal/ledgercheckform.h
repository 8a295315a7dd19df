#pragma once

#include <QPushButton>
#include <QTableView>
#include <functional>

#include "host/data/dataset.h"
#include "host/forms/customforms.h"
#include "journal/ledgercheck.h"

namespace fin {

class TDataSetModel;
class TFinancialDM;

// "Provera knjiga": the findings of the consistency check in a list. A double click opens
// the finding's voucher in the editor, or the card of an account.
class TLedgerCheckForm : public TCustomDetailForm {
    Q_OBJECT
public:
    // OpenVoucher shows a voucher in the editor, as the voucher list's "Uredi" does.
    TLedgerCheckForm(TFinancialDM& dm, TCheckResult result,
                     std::function<void(qint64 preceptId)> openVoucher, QWidget* parent = nullptr);

    const TCheckResult& Result() const { return result_; }
    TDataSetModel* Model() const { return model_; }

    QTableView* FindingsGrid;
    QPushButton* CloseButton;

    // The finding on a row of the grid: its voucher, or its account's card.
    void OpenFinding(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void OpenAccount(const TCheckFinding& finding);

    TFinancialDM& dm_;
    TCheckResult result_;
    std::function<void(qint64)> openVoucher_;
    TDataSet rows_;
    TDataSetModel* model_;
};

}  // namespace fin
