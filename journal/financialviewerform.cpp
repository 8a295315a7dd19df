#include "journal/financialviewerform.h"

#include <QAction>
#include <QColor>
#include <QHeaderView>

#include "accounts/accountform.h"
#include "host/forms/datasetmodel.h"
#include "ledger/financialdm.h"
#include "ledger/precepttypeform.h"

namespace fin {

TFinancialViewerForm::TFinancialViewerForm(TFinancialDM& dm, QWidget* parent)
    : TCustomViewerForm(parent), dm_(dm) {
    setObjectName(QStringLiteral("FinancialViewerForm"));
    model_ = new TDataSetModel(dm_.PreceptZQ(), this);
    model_->SetColumns({QStringLiteral("PreceptType"), QStringLiteral("number"),
                        QStringLiteral("preceptdate"), QStringLiteral("registerdate"),
                        QStringLiteral("status"), QStringLiteral("description")});
    // Vouchers merged into a group voucher are drawn on silver.
    model_->RowStyle = [this](int recNo, int role) -> QVariant {
        if (role != Qt::BackgroundRole)
            return {};
        const TField* parent = dm_.PreceptZQ().FindField(QStringLiteral("parentid"));
        if (!parent || dm_.PreceptZQ().RecordValue(recNo, parent->Index()).isNull())
            return {};
        return QColor(192, 192, 192);
    };
    DBG->setModel(model_);
    TGridSorter::AddGrid(DBG);
    DBG->horizontalHeader()->setStretchLastSection(true);
    FinancialAccountingNew = AddCommand(QStringLiteral("FinancialAccountingNew"),
                                        QStringLiteral("Novi kontni plan"), {});
    FinancialAccountingNew->setEnabled(false);
    FinancialAccountingNew->setVisible(false);
    PreceptTypeAdmin =
        AddCommand(QStringLiteral("PreceptTypeAdmin"), QStringLiteral("Tipovi naloga"),
                   QKeySequence(QStringLiteral("Ctrl+T")));
    connect(PreceptTypeAdmin, &QAction::triggered, this,
            &TFinancialViewerForm::PreceptTypeAdminExecute);
    AccountAdmin = AddCommand(QStringLiteral("AccountAdmin"), QStringLiteral("Konta"),
                              QKeySequence(QStringLiteral("Ctrl+G")));
    connect(AccountAdmin, &QAction::triggered, this, &TFinancialViewerForm::AccountAdminExecute);
}

void TFinancialViewerForm::AccountAdminExecute() {
    auto* form = new TAccountForm(dm_, this);
    ShowModal(*form);
}

void TFinancialViewerForm::PreceptTypeAdminExecute() {
    // The form frees itself when it closes.
    auto* form = new TPreceptTypeForm(dm_, this);
    ShowModal(*form);
}

TFinancialNavigatorForm::TFinancialNavigatorForm(QWidget* parent) : TCustomNavigatorForm(parent) {
    setObjectName(QStringLiteral("FinancialNavigatorForm"));
}

void TFinancialNavigatorForm::FillSearchFields() {
    AddSearchField(QStringLiteral("type"), QStringLiteral("Tip"));
    AddSearchField(QStringLiteral("number"), QStringLiteral("Broj"));
    AddSearchField(QStringLiteral("from"), QStringLiteral("Od datuma"));
    AddSearchField(QStringLiteral("to"), QStringLiteral("Do datuma"));
    AddSearchField(QStringLiteral("status"), QStringLiteral("Status"));
    AddSearchField(QStringLiteral("description"), QStringLiteral("Opis"));
}

}  // namespace fin
