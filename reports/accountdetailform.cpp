#include "reports/accountdetailform.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "accounts/accountform.h"
#include "host/common/captions.h"
#include "host/common/textformat.h"
#include "host/data/query.h"
#include "host/forms/datanavigator.h"
#include "host/forms/datasetmodel.h"
#include "host/forms/dbcontrols.h"
#include "host/ui/uiservice.h"
#include "ledger/financialdm.h"
#include "ledger/ledgercaptions.h"
#include "ledger/subaccounts.h"

namespace fin {

namespace {

const QString kTotalFormat = QStringLiteral("#,##0.00");
constexpr int kBuiltInTypes = 5;

QLineEdit* Edit(QWidget* parent, const QString& name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

QPushButton* Button(QWidget* parent, const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

TAccountDetailForm::TAccountDetailForm(TFinancialDM& dm, QWidget* parent)
    : TCustomDetailForm(parent), dm_(dm), card_(dm), engine_(this) {
    setObjectName(QStringLiteral("AccountDetailForm"));
    setWindowTitle(QStringLiteral("Konto"));
    resize(900, 620);
    auto* layout = new QVBoxLayout(this);

    AccountGB = new QGroupBox(QStringLiteral("Konto"), this);
    auto* account = new QGridLayout(AccountGB);
    NameEdit = Edit(AccountGB, "NameEdit");
    CodeEdit = Edit(AccountGB, "CodeEdit");
    NoteEdit = Edit(AccountGB, "NoteEdit");
    TypeCombo = new QComboBox(AccountGB);
    TypeCombo->setObjectName("TypeCombo");
    for (const QString& entry : dm_.SubaccountCaptions)
        TypeCombo->addItem(entry.section(QLatin1Char('#'), 1));
    AddTypeButton = Button(AccountGB, "AddTypeButton", QStringLiteral("+"));
    RemoveTypeButton = Button(AccountGB, "RemoveTypeButton", QStringLiteral("-"));
    account->addWidget(new QLabel(QStringLiteral("Ime:")), 0, 0);
    account->addWidget(NameEdit, 0, 1, 1, 3);
    account->addWidget(new QLabel(QStringLiteral("Broj:")), 1, 0);
    account->addWidget(CodeEdit, 1, 1);
    account->addWidget(new QLabel(QStringLiteral("Tip:")), 1, 2);
    auto* type = new QHBoxLayout;
    type->addWidget(TypeCombo, 1);
    type->addWidget(AddTypeButton);
    type->addWidget(RemoveTypeButton);
    account->addLayout(type, 1, 3);
    account->addWidget(new QLabel(QStringLiteral("Napomena:")), 2, 0);
    account->addWidget(NoteEdit, 2, 1, 1, 3);
    layout->addWidget(AccountGB);

    SubaccountGB = new QGroupBox(QStringLiteral("Analitika"), this);
    auto* sub = new QGridLayout(SubaccountGB);
    SubaccountNameEdit = Edit(SubaccountGB, "SubaccountNameEdit");
    SubaccountCodeEdit = Edit(SubaccountGB, "SubaccountCodeEdit");
    SubaccountCodeEdit->setReadOnly(true);
    sub->addWidget(new QLabel(QStringLiteral("Ime:")), 0, 0);
    sub->addWidget(SubaccountNameEdit, 0, 1);
    sub->addWidget(new QLabel(QStringLiteral("Broj:")), 0, 2);
    sub->addWidget(SubaccountCodeEdit, 0, 3);
    layout->addWidget(SubaccountGB);

    PeriodGB = new QGroupBox(QStringLiteral("Period"), this);
    auto* period = new QHBoxLayout(PeriodGB);
    FromEdit = Edit(PeriodGB, "FromEdit");
    ToEdit = Edit(PeriodGB, "ToEdit");
    FromButton = Button(PeriodGB, "FromButton", QStringLiteral("..."));
    ToButton = Button(PeriodGB, "ToButton", QStringLiteral("..."));
    for (QPushButton* b : {FromButton, ToButton})
        b->setMaximumWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 16);
    FindButton = Button(PeriodGB, "FindButton", QStringLiteral("&Prikaži"));
    WithoutPreviousCB = new QCheckBox(QStringLiteral("Bez prethodnog stanja"), PeriodGB);
    WithoutPreviousCB->setObjectName("WithoutPreviousCB");
    period->addWidget(new QLabel(QStringLiteral("Od datuma:")));
    period->addWidget(FromEdit);
    period->addWidget(FromButton);
    period->addWidget(new QLabel(QStringLiteral("Do datuma:")));
    period->addWidget(ToEdit);
    period->addWidget(ToButton);
    period->addWidget(FindButton);
    period->addWidget(WithoutPreviousCB);
    period->addStretch(1);
    layout->addWidget(PeriodGB);

    GroupCaptionLabel = new QLabel(this);
    GroupCaptionLabel->setObjectName("GroupCaptionLabel");
    GroupCaptionLabel->setVisible(false);
    layout->addWidget(GroupCaptionLabel);

    model_ = new TDataSetModel(card_.Lines(), this);
    model_->SetColumns({QStringLiteral("preceptdate"), QStringLiteral("number"),
                        QStringLiteral("description"), QStringLiteral("debit"),
                        QStringLiteral("credit"), QStringLiteral("balance")});
    LinesGrid = new QTableView(this);
    LinesGrid->setObjectName("LinesGrid");
    LinesGrid->setModel(model_);
    LinesGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    LinesGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    LinesGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LinesGrid->verticalHeader()->setDefaultSectionSize(LinesGrid->fontMetrics().height() + 6);
    LinesGrid->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    LinesGrid->viewport()->installEventFilter(this);
    new TGridLink(LinesGrid, model_);
    layout->addWidget(LinesGrid, 1);

    auto* totals = new QHBoxLayout;
    totals->addStretch(1);
    TotalDebitLabel = new QLabel(this);
    TotalCreditLabel = new QLabel(this);
    TotalBalanceLabel = new QLabel(this);
    for (QLabel* l : {TotalDebitLabel, TotalCreditLabel, TotalBalanceLabel}) {
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setMinimumWidth(140);
        totals->addWidget(l);
    }
    layout->addLayout(totals);

    auto* buttons = new QHBoxLayout;
    Transfer = Button(this, "Transfer", QStringLiteral("P&renos"));
    PrintAnalytical = Button(this, "PrintAnalytical", QStringLiteral("Štampaj a&n."));
    PrintAnalyticalWithBalance =
        Button(this, "PrintAnalyticalWithBalance", QStringLiteral("Štampaj sa &sal."));
    AccountPrint = Button(this, "AccountPrint", QStringLiteral("Š&tampaj"));
    AccountApply = Button(this, "AccountApply", QStringLiteral("&Primeni"));
    PrintSynthetic = Button(this, "PrintSynthetic", QStringLiteral("Štampaj s&i."));
    AccountOK = Button(this, "AccountOK", QStringLiteral("&U redu"));
    AccountOK->setDefault(true);
    AccountCancel = Button(this, "AccountCancel", QStringLiteral("&Otkaži"));
    // Each print also into a workbook; the menu offers what the print buttons offer.
    ExcelButton = Button(this, "ExcelButton", QStringLiteral("Izvoz u E&xcel"));
    ExcelMenu = new QMenu(ExcelButton);
    ExcelMenu->setObjectName("ExcelMenu");
    auto excel = [this](const QString& name, const QString& caption, QPushButton* print) {
        QAction* action = ExcelMenu->addAction(caption);
        action->setObjectName(name);
        excelPrints_.append({action, print});
        return action;
    };
    ExportCard = excel("ExportCard", QStringLiteral("Kartica"), AccountPrint);
    ExportAnalytical = excel("ExportAnalytical", QStringLiteral("Analitike"), PrintAnalytical);
    ExportAnalyticalWithBalance =
        excel("ExportAnalyticalWithBalance", QStringLiteral("Analitike sa saldom"),
              PrintAnalyticalWithBalance);
    ExportSynthetic = excel("ExportSynthetic", QStringLiteral("Po sintetici"), PrintSynthetic);
    connect(ExcelMenu, &QMenu::aboutToShow, this, &TAccountDetailForm::UpdateExcelMenu);
    ExcelButton->setMenu(ExcelMenu);
    buttons->addWidget(Transfer);
    buttons->addWidget(PrintAnalytical);
    buttons->addWidget(PrintAnalyticalWithBalance);
    buttons->addStretch(1);
    for (QPushButton* b :
         {AccountPrint, ExcelButton, AccountApply, PrintSynthetic, AccountOK, AccountCancel})
        buttons->addWidget(b);
    PrintSynthetic->setVisible(false);
    layout->addLayout(buttons);

    TQuery& accounts = Accounts();
    new TDBEditLink(NameEdit, accounts, QStringLiteral("name"));
    new TDBEditLink(CodeEdit, accounts, QStringLiteral("code"));
    new TDBEditLink(NoteEdit, accounts, QStringLiteral("note"));
    new TDBComboLink(TypeCombo, accounts, QStringLiteral("type"));

    FromEdit->setText(card_.From);
    ToEdit->setText(card_.To);
    connect(FindButton, &QPushButton::clicked, this, &TAccountDetailForm::FindButtonClick);
    connect(FromButton, &QPushButton::clicked, this, [this] { PickDate(FromEdit); });
    connect(ToButton, &QPushButton::clicked, this, [this] { PickDate(ToEdit); });
    connect(Transfer, &QPushButton::clicked, this, &TAccountDetailForm::TransferClick);
    connect(AccountPrint, &QPushButton::clicked, this, &TAccountDetailForm::PrintClick);
    connect(PrintAnalytical, &QPushButton::clicked, this, [this] { PrintAnalyticalClick(false); });
    connect(PrintAnalyticalWithBalance, &QPushButton::clicked, this,
            [this] { PrintAnalyticalClick(true); });
    connect(PrintSynthetic, &QPushButton::clicked, this, &TAccountDetailForm::PrintSyntheticClick);
    connect(ExportCard, &QAction::triggered, this, &TAccountDetailForm::ExportClick);
    connect(ExportAnalytical, &QAction::triggered, this, [this] { ExportAnalyticalClick(false); });
    connect(ExportAnalyticalWithBalance, &QAction::triggered, this,
            [this] { ExportAnalyticalClick(true); });
    connect(ExportSynthetic, &QAction::triggered, this, &TAccountDetailForm::ExportSyntheticClick);
    connect(AddTypeButton, &QPushButton::clicked, this, &TAccountDetailForm::AddTypeClick);
    connect(RemoveTypeButton, &QPushButton::clicked, this, &TAccountDetailForm::RemoveTypeClick);
    connect(AccountApply, &QPushButton::clicked, this, &TAccountDetailForm::Apply);
    connect(AccountOK, &QPushButton::clicked, this, [this] {
        if (Apply())
            accept();
    });
    connect(AccountCancel, &QPushButton::clicked, this, [this] {
        CancelEdits();
        TCustomDetailForm::reject();
    });
    connect(LinesGrid, &QTableView::doubleClicked, this, [this] {
        TQuery& lines = card_.Lines();
        if (lines.Active() && !lines.IsEmpty() && dm_.OpenPrecept)
            Guarded([&] {
                dm_.OpenPrecept(
                    static_cast<int>(lines.FieldByName(QStringLiteral("preceptid")).AsInteger()));
            });
    });
    auto pending = [this] { AccountApply->setEnabled(EditsPending()); };
    for (QLineEdit* e : {NameEdit, CodeEdit, NoteEdit, SubaccountNameEdit, SubaccountCodeEdit})
        connect(e, &QLineEdit::textEdited, this, pending);
    connect(TypeCombo, &QComboBox::activated, this, pending);
    AccountApply->setEnabled(false);
    ShowTotals();
}

TQuery& TAccountDetailForm::Accounts() const {
    return dm_.UseNewChart ? dm_.AccountNewZQ() : dm_.AccountZQ();
}

void TAccountDetailForm::Guarded(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const TAbort&) {
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
    }
}

void TAccountDetailForm::ShowTotals() {
    TotalDebitLabel->setText(FormatFloat(kTotalFormat, card_.TotalDebit()));
    TotalCreditLabel->setText(FormatFloat(kTotalFormat, card_.TotalCredit()));
    TotalBalanceLabel->setText(FormatFloat(kTotalFormat, card_.TotalBalance()));
}

void TAccountDetailForm::LoadAccount(const TAccountDesc& desc) {
    const TBusyCursor busy;
    const QString subaccount = desc.SubaccountCode.trimmed();
    card_.OpenAccount(dm_.UseNewChart ? desc.AccountNewID : desc.AccountID, subaccount);
    const bool whole = subaccount.isEmpty();
    const int typeIndex = TypeCombo->findText(dm_.GetTypeCaption(card_.AccountType()));
    SubaccountNameEdit->setReadOnly(typeIndex >= 0 && typeIndex < kBuiltInTypes);
    if (!whole) {
        SubaccountCodeEdit->setText(subaccount);
        SubaccountNameEdit->setText(desc.SubaccountName);
        SubaccountNameEdit->setReadOnly(true);
        for (QWidget* w : {static_cast<QWidget*>(CodeEdit), static_cast<QWidget*>(NameEdit),
                           static_cast<QWidget*>(NoteEdit)})
            w->setEnabled(false);
    }
    SubaccountGB->setVisible(!whole);
    const bool hasLines = card_.Lines().RecordCount() > 0;
    CodeEdit->setReadOnly(!(whole && !hasLines));
    const bool typeFree = whole && (card_.AccountType().isEmpty() || !hasLines);
    for (QWidget* w : {static_cast<QWidget*>(TypeCombo), static_cast<QWidget*>(AddTypeButton),
                       static_cast<QWidget*>(RemoveTypeButton)})
        w->setEnabled(typeFree);
    const bool analytic = whole && !card_.AccountType().isEmpty() && hasLines;
    PrintAnalytical->setEnabled(analytic);
    PrintAnalyticalWithBalance->setEnabled(analytic);
    FromEdit->setText(card_.From);
    ToEdit->setText(card_.To);
    ShowTotals();
    LinesGrid->setFocus();
}

void TAccountDetailForm::LoadGroup(const QString& fromPrefix, const QString& toPrefix) {
    const TBusyCursor busy;
    card_.OpenGroup(fromPrefix, toPrefix);
    AccountGB->setVisible(false);
    SubaccountGB->setVisible(false);
    GroupCaptionLabel->setText(card_.GroupCaption());
    GroupCaptionLabel->setVisible(true);
    setWindowTitle(card_.GroupCaption());
    AccountCancel->setText(QStringLiteral("&Zatvori"));
    for (QPushButton* b :
         {AccountApply, AccountOK, PrintAnalytical, PrintAnalyticalWithBalance, Transfer})
        b->setVisible(false);
    PrintSynthetic->setVisible(true);
    FromEdit->setText(card_.From);
    ToEdit->setText(card_.To);
    ShowTotals();
    LinesGrid->setFocus();
}

void TAccountDetailForm::UseAsEditor(bool subaccount) {
    PeriodGB->setVisible(false);
    LinesGrid->setVisible(false);
    for (QLabel* l : {TotalDebitLabel, TotalCreditLabel, TotalBalanceLabel})
        l->setVisible(false);
    for (QPushButton* b :
         {PrintAnalytical, PrintAnalyticalWithBalance, Transfer, AccountPrint, ExcelButton})
        b->setEnabled(false);
    AccountApply->setEnabled(true);
    if (!subaccount) {
        SubaccountGB->setVisible(false);
        CodeEdit->setFocus();
        return;
    }
    for (QWidget* w :
         {static_cast<QWidget*>(CodeEdit), static_cast<QWidget*>(NameEdit),
          static_cast<QWidget*>(NoteEdit), static_cast<QWidget*>(TypeCombo),
          static_cast<QWidget*>(AddTypeButton), static_cast<QWidget*>(RemoveTypeButton)})
        w->setEnabled(false);
    SubaccountCodeEdit->setReadOnly(false);
    SubaccountNameEdit->setReadOnly(false);
    new TDBEditLink(SubaccountCodeEdit, dm_.SubaccountZQ(), QStringLiteral("Code"));
    new TDBEditLink(SubaccountNameEdit, dm_.SubaccountZQ(), QStringLiteral("name"));
    SubaccountCodeEdit->setFocus();
}

void TAccountDetailForm::FindButtonClick() {
    card_.From = FromEdit->text();
    card_.To = ToEdit->text();
    card_.WithoutPreviousBalance = WithoutPreviousCB->isChecked();
    try {
        card_.Show();
    } catch (const TError& e) {
        // The boxes keep what the user typed.
        Ui().ShowMessage(TMessageType::Warning, e.Message());
        return;
    }
    FromEdit->setText(card_.From);
    ToEdit->setText(card_.To);
    ShowTotals();
}

void TAccountDetailForm::PickDate(QLineEdit* edit) {
    QDate date = card_.PickerStart();
    if (!Ui().GetDate(date, QStringLiteral("Izaberite datum")))
        return;
    if (date.year() != dm_.Options().FinancialYear) {
        Ui().ShowMessage(TMessageType::Warning, res::OUT_OF_YEAR_WRN);
        return;
    }
    edit->setText(DateToSql(date));
}

void TAccountDetailForm::TransferClick() {
    if (Ui().Ask(res::TRANSFER_ITEMS_CONF, TButtons::YesNo) != TAnswer::Yes)
        return;
    dm_.AccountCardOpen = false;
    TAccountDesc target;
    if (!GetAccount(dm_, target, dm_.UseNewChart, this)) {
        TCustomDetailForm::reject();
        return;
    }
    try {
        card_.TransferLines(target);
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
        return;
    }
    Ui().ShowMessage(TMessageType::Information, res::TRANSFER_ITEMS_INF);
    accept();
}

void TAccountDetailForm::UpdateExcelMenu() {
    for (const auto& [action, print] : excelPrints_) {
        action->setVisible(!print->isHidden());
        action->setEnabled(print->isEnabled());
    }
}

QString TAccountDetailForm::ExportName(const QString& what) const {
    if (card_.IsGroup())
        return what + QLatin1Char(' ') + card_.GroupCaption();
    QString name = what + QLatin1Char(' ') + CodeEdit->text().trimmed();
    if (!card_.SubaccountCode.isEmpty())
        name += QLatin1Char('-') + card_.SubaccountCode;
    return name;
}

void TAccountDetailForm::CardReport(TReportEngine& engine) {
    TQuery& lines = card_.Lines();
    if (card_.IsGroup()) {
        engine.ExecuteAccountGroupReport(lines, card_.GroupCaption(), card_.From, card_.To);
        return;
    }
    const QString name =
        card_.SubaccountCode.isEmpty() ? card_.AccountName() : SubaccountNameEdit->text();
    engine.ExecuteAccountReport(Accounts(), lines, name, card_.From, card_.To,
                                card_.SubaccountCode);
}

void TAccountDetailForm::AnalyticalReport(TReportEngine& engine) {
    engine.ExecuteSubaccountsReport(Accounts(), subaccountTotals_, card_.AccountName(), card_.From,
                                    card_.To);
}

void TAccountDetailForm::SyntheticReport(TReportEngine& engine) {
    engine.ExecuteGroupSyntheticReport(card_.Lines(), syntheticTotals_, card_.GroupCaption(),
                                       card_.From, card_.To);
}

void TAccountDetailForm::PrintClick() {
    Guarded([this] { CardReport(engine_); });
}

void TAccountDetailForm::ExportClick() {
    ExportToExcel(ExportName(QStringLiteral("Kartica")),
                  [this](TReportEngine& engine) { CardReport(engine); });
}

void TAccountDetailForm::PrintAnalyticalClick(bool net) {
    Guarded([&] {
        card_.FillSubaccountTotals(subaccountTotals_, net);
        if (!subaccountTotals_.IsEmpty())
            AnalyticalReport(engine_);
    });
}

void TAccountDetailForm::ExportAnalyticalClick(bool net) {
    bool filled = false;
    Guarded([&] {
        card_.FillSubaccountTotals(subaccountTotals_, net);
        filled = !subaccountTotals_.IsEmpty();
    });
    if (filled)
        ExportToExcel(ExportName(QStringLiteral("Analitike")),
                      [this](TReportEngine& engine) { AnalyticalReport(engine); });
}

void TAccountDetailForm::PrintSyntheticClick() {
    Guarded([this] {
        card_.FillSyntheticTotals(syntheticTotals_);
        SyntheticReport(engine_);
    });
}

void TAccountDetailForm::ExportSyntheticClick() {
    bool filled = false;
    Guarded([&] {
        card_.FillSyntheticTotals(syntheticTotals_);
        filled = true;
    });
    if (filled)
        ExportToExcel(ExportName(QStringLiteral("Sintetika")),
                      [this](TReportEngine& engine) { SyntheticReport(engine); });
}

void TAccountDetailForm::AddTypeClick() {
    Guarded([this] {
        QString name = res::NEW_TYPE_NAME;
        if (!AddSubaccountType(dm_.ZConnection(), name))
            return;
        dm_.AddFreeAccountType(name);
        TQuery& accounts = Accounts();
        if (!accounts.Editing())
            accounts.Edit();
        accounts.FieldByName(QStringLiteral("type")).SetValue(dm_.GetTypeFromDesc(name));
        TypeCombo->addItem(name);
        TypeCombo->setCurrentIndex(TypeCombo->count() - 1);
        AccountApply->setEnabled(true);
    });
}

void TAccountDetailForm::RemoveTypeClick() {
    Guarded([this] {
        TQuery& accounts = Accounts();
        if (!accounts.Editing())
            accounts.Edit();
        accounts.FieldByName(QStringLiteral("type")).Clear();
        AccountApply->setEnabled(true);
    });
}

bool TAccountDetailForm::EditsPending() const {
    for (TQuery* ds : {&dm_.AccountZQ(), &dm_.AccountNewZQ(), &dm_.SubaccountZQ()})
        if (ds->Active() && ds->Editing())
            return true;
    return false;
}

void TAccountDetailForm::CancelEdits() {
    for (TQuery* ds : {&dm_.AccountZQ(), &dm_.AccountNewZQ(), &dm_.SubaccountZQ()})
        if (ds->Active() && ds->Editing())
            ds->Cancel();
}

bool TAccountDetailForm::Apply() {
    if (!CommitEdits(this))
        return false;
    try {
        for (TQuery* ds : {&dm_.AccountZQ(), &dm_.AccountNewZQ(), &dm_.SubaccountZQ()})
            if (ds->Active() && ds->Editing())
                ds->Post();
    } catch (const TAbort&) {
        return false;
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
        return false;
    }
    AccountApply->setEnabled(EditsPending());
    return true;
}

void TAccountDetailForm::reject() {
    if (EditsPending()) {
        switch (Ui().Ask(res::CMN_SAVE_CHANGES_PROMT, TButtons::YesNoCancel)) {
            case TAnswer::Yes:
                if (!Apply())
                    return;
                break;
            case TAnswer::No:
                CancelEdits();
                break;
            default:
                return;
        }
    }
    TCustomDetailForm::reject();
}

void OpenAccountCard(TFinancialDM& dm, const TAccountDesc& desc, bool, QWidget* parent) {
    auto* form = new TAccountDetailForm(dm, parent);
    try {
        form->LoadAccount(desc);
    } catch (...) {
        delete form;
        throw;
    }
    ShowModal(*form);
}

void OpenGroupCardForm(TFinancialDM& dm, const QString& fromPrefix, const QString& toPrefix, bool,
                       QWidget* parent) {
    auto* form = new TAccountDetailForm(dm, parent);
    try {
        form->LoadGroup(fromPrefix, toPrefix);
    } catch (...) {
        delete form;
        throw;
    }
    ShowModal(*form);
}

}  // namespace fin
