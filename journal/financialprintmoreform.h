#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "host/forms/customforms.h"
#include "host/report/reportengine.h"
#include "journal/printmore.h"

namespace fin {

class TDataSetModel;
class TDBNavigator;
class TFinancialDM;

// "Štampaj više": registered vouchers of one type, found by period and a part of their
// description, printed together as one group voucher; the unticked ones stay out.
class TFinancialPrintMoreForm : public TCustomDetailForm {
    Q_OBJECT
public:
    explicit TFinancialPrintMoreForm(TFinancialDM& dm, QWidget* parent = nullptr);

    TPrintMore& PrintMore() { return print_; }
    TReportEngine& Engine() { return engine_; }
    TDataSetModel* Model() const { return model_; }

    QComboBox* TypeCombo;
    QLineEdit* FromEdit;
    QLineEdit* ToEdit;
    QPushButton* FromButton;
    QPushButton* ToButton;
    QLineEdit* DescriptionEdit;
    QPushButton* ShowButton;
    TDBNavigator* Navigator;
    QTableView* PrintGrid;
    QPushButton* PrintButton;
    QPushButton* CloseButton;

    // "Prikaži": the vouchers of the chosen type, period and description part.
    void ShowPrecepts();
    void PickDate(QLineEdit* box);
    // "Štampaj": the ticked vouchers as one group voucher; none ticked is said so.
    void PrintClick();
    // Chooses the type with this id and the whole financial year, then shows the list
    // (the console's picture of the form).
    Q_INVOKABLE bool ShowYear(qint64 typeId);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    TFinancialDM& dm_;
    TPrintMore print_;
    TReportEngine engine_;
    TDataSetModel* model_;
};

}  // namespace fin
