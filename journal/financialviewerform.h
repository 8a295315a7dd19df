#pragma once

#include "host/forms/customforms.h"

namespace fin {

class TDataSetModel;
class TFinancialDM;

// The module's main panel: the list of vouchers the last search found.
class TFinancialViewerForm : public TCustomViewerForm {
    Q_OBJECT
public:
    explicit TFinancialViewerForm(TFinancialDM& dm, QWidget* parent = nullptr);

    QAction* FinancialAccountingNew;
    QAction* PreceptTypeAdmin;
    QAction* AccountAdmin;
    TDataSetModel* Model() const { return model_; }

    // The voucher-type editor, modal over the list.
    void PreceptTypeAdminExecute();
    // The chart of accounts, modal over the list.
    void AccountAdminExecute();

private:
    TFinancialDM& dm_;
    TDataSetModel* model_;
};

// The search panel beside the list.
class TFinancialNavigatorForm : public TCustomNavigatorForm {
    Q_OBJECT
public:
    explicit TFinancialNavigatorForm(QWidget* parent = nullptr);
    bool SearchFieldsFilled = false;
    void FillSearchFields();
};

}  // namespace fin
