#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "host/forms/customforms.h"
#include "host/report/reportengine.h"
#include "journal/daybook.h"

namespace fin {

class TDataSetModel;
class TFinancialDM;

// "Dnevnik glavne knjige": the day book of a period in a grid, and its print.
class TFinancialLogForm : public TCustomDetailForm {
    Q_OBJECT
public:
    explicit TFinancialLogForm(TFinancialDM& dm, QWidget* parent = nullptr);

    TDayBook& Book() { return book_; }
    TReportEngine& Engine() { return engine_; }
    TDataSetModel* Model() const { return model_; }

    QLineEdit* FromEdit;
    QLineEdit* ToEdit;
    QPushButton* FromButton;
    QPushButton* ToButton;
    QPushButton* FindButton;
    QTableView* LogGrid;
    QPushButton* PrintButton;
    QPushButton* ExcelButton;
    QPushButton* CloseButton;

    // "Prikaži": the book of the period the boxes hold; a refused period is shown.
    void OpenLog();
    // A date button: the picked date of the financial year into its box.
    void PickDate(QLineEdit* box);
    // "Štampaj": the shown book through the report engine.
    void Print();
    // "Izvoz u Excel": the same print into a workbook the user names.
    void ExportExcel();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void PrintTo(TReportEngine& engine);

    TFinancialDM& dm_;
    TDayBook book_;
    TReportEngine engine_;
    TDataSetModel* model_;
};

}  // namespace fin
