#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>

#include "accounts/newchart.h"
#include "host/forms/customforms.h"

namespace fin {

class TDataSetModel;
class TFinancialDM;

// "Novi kontni plan": the old accounts whose lines of the financial year still lack a new
// account, beside the new chart, and the transfers between them.
class TNewAccountingChartForm : public TCustomDetailForm {
    Q_OBJECT
public:
    explicit TNewAccountingChartForm(TFinancialDM& dm, QWidget* parent = nullptr);
    ~TNewAccountingChartForm() override;

    TNewChartTransfer& Transfer() { return transfer_; }

    QLineEdit* ContoEdit;
    QLineEdit* ContoNameEdit;
    QPushButton* OldSearchButton;
    QTableView* OldGrid;
    QLineEdit* NewContoEdit;
    QLineEdit* NewContoNameEdit;
    QPushButton* NewSearchButton;
    QTableView* NewGrid;
    QPushButton* RecommendedButton;
    QPushButton* SingleButton;
    QPushButton* HelpButton;
    QPushButton* CloseButton;

    void OldSearchClick();
    void NewSearchClick();
    void SingleClick();
    void RecommendedClick();
    void HelpClick();
    // The card of the current old account, in the old chart, or of the current new one.
    void OpenOldCard();
    void OpenNewCard();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Guarded(const std::function<void()>& operation);

    TFinancialDM& dm_;
    TNewChartTransfer transfer_;
    TDataSetModel* oldModel_;
    TDataSetModel* newModel_;
};

// "Prenesi preporučeno": the recommended table, read-only.
class TNewRecommendedTransferForm : public TCustomDetailForm {
    Q_OBJECT
public:
    explicit TNewRecommendedTransferForm(QWidget* parent = nullptr);

    QTableWidget* PairsGrid;
    QPushButton* CloseButton;
};

}  // namespace fin
