#pragma once

#include <QPushButton>
#include <QTableView>

#include "host/forms/customforms.h"

namespace fin {

class TDataSetModel;
class TDBNavigator;
class TFinancialDM;

// The voucher-type editor: the types in a grid, edited in place. The rules on the rows
// (reserved numbers, required fields) are the data module's.
class TPreceptTypeForm : public TCustomDetailForm {
    Q_OBJECT
public:
    explicit TPreceptTypeForm(TFinancialDM& dm, QWidget* parent = nullptr);

    QTableView* DBGrid;
    TDBNavigator* DBNavigator;
    QPushButton* CloseButton;
    QPushButton* OKButton;
    TDataSetModel* Model() const { return model_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

public slots:
    // Closing posts a pending edit first; a refused one keeps the form open.
    void reject() override;

private:
    TFinancialDM& dm_;
    TDataSetModel* model_;
};

}  // namespace fin
