#include "journal/financialdetailform.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>

#include "accounts/accountform.h"
#include "host/common/captions.h"
#include "host/common/textformat.h"
#include "host/data/query.h"
#include "host/forms/datanavigator.h"
#include "host/forms/datasetmodel.h"
#include "host/forms/dbcontrols.h"
#include "host/ui/uiservice.h"
#include "journal/journalcaptions.h"
#include "ledger/financialdm.h"

namespace fin {

namespace {

const QString kTotals = QStringLiteral("#,##0.00");
const QStringList kLineColumns{"sort",         "ContoCode",   "ContoNewCode", "foreignid",
                               "SubcontoName", "description", "debit",        "credit"};
enum TLineColumn {
    ColSort,
    ColCode,
    ColNewCode,
    ColForeign,
    ColSubName,
    ColText,
    ColDebit,
    ColCredit
};

QLineEdit* Box(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

QPushButton* ActionButton(QWidget* parent, QAction* action, int width = 0) {
    auto* b = new QPushButton(action->text(), parent);
    b->setAutoDefault(false);
    if (width)
        b->setMaximumWidth(width);
    QObject::connect(b, &QPushButton::clicked, action, &QAction::trigger);
    QObject::connect(action, &QAction::changed, b, [b, action] {
        b->setEnabled(action->isEnabled());
        b->setText(action->text());
    });
    b->setEnabled(action->isEnabled());
    return b;
}

// The account and sub-account cells carry an ellipsis that opens the pick dialog, as
// Ctrl+Space does.
class TPickDelegate : public QStyledItemDelegate {
public:
    TPickDelegate(QAction* pick, QObject* parent) : QStyledItemDelegate(parent), pick_(pick) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            QAction* ellipsis = line->addAction(EllipsisIcon(*line), QLineEdit::TrailingPosition);
            ellipsis->setObjectName(QStringLiteral("PickEllipsis"));
            connect(ellipsis, &QAction::triggered, pick_, &QAction::trigger);
        }
        return editor;
    }

private:
    QAction* pick_;
};

}  // namespace

TFinancialDetailForm::TFinancialDetailForm(TFinancialDM& dm, QWidget* parent)
    : TCustomDetailForm(parent), dm_(dm), engine_(this) {
    editor_ = std::make_unique<TPreceptEditor>(dm_);
    setObjectName(QStringLiteral("FinancialDetailForm"));
    setWindowTitle(QStringLiteral("Nalog"));
    resize(1000, 640);
    Build();
    UpdateState();
    DateEdit->setFocus();
}

TFinancialDetailForm::~TFinancialDetailForm() = default;

void TFinancialDetailForm::Build() {
    auto action = [this](const char* name, const QString& caption, const QKeySequence& key = {}) {
        auto* a = new QAction(caption, this);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(key);
        addAction(a);
        return a;
    };
    CustomApply = action("CustomApply", QStringLiteral("&Primeni"));
    CustomOK = action("CustomOK", QStringLiteral("&U redu"));
    CustomCancel = action("CustomCancel", QStringLiteral("&Otkaži"));
    PreceptDateAction = action("PreceptDateAction", QStringLiteral("..."));
    RegisterDateAction = action("RegisterDateAction", QStringLiteral("..."));
    PreceptFreshNumber = action("PreceptFreshNumber", QStringLiteral("..."));
    GetAccountAction = action("GetAccountAction", {}, QKeySequence(Qt::CTRL | Qt::Key_Space));
    PreceptRegister = action("PreceptRegister", QStringLiteral("P&roknjiži"));
    PreceptUnregister = action("PreceptUnregister", QStringLiteral("Ot&knjiži"));
    MoveUp = action("MoveUp", QStringLiteral("Na gore"));
    MoveDown = action("MoveDown", QStringLiteral("Na dole"));
    RelatedEntity = action("RelatedEntity", QStringLiteral("&Temeljnica"));
    PreceptCopy = action("PreceptCopy", QStringLiteral("Kopiraj"));
    DeleteAllItemsAction = action("DeleteAllItemsAction", QStringLiteral("Izbriši sve"),
                                  QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete));
    PreceptPrint = action("PreceptPrint", QStringLiteral("Š&tampaj"));
    SortByValueAction = action("SortByValueAction", QStringLiteral("Poređaj po vrednosti"));

    TQuery& header = editor_->Header();
    auto* layout = new QVBoxLayout(this);
    auto* top = new QGridLayout;
    TypeCombo = new QComboBox(this);
    TypeCombo->setObjectName("TypeCombo");
    TypeCombo->setMaxVisibleItems(30);
    FillTypes();
    NumberEdit = Box(this, "NumberEdit");
    DateEdit = Box(this, "DateEdit");
    RegisterDateEdit = Box(this, "RegisterDateEdit");
    DescriptionEdit = Box(this, "DescriptionEdit");
    new TDBEditLink(NumberEdit, header, QStringLiteral("number"));
    new TDBEditLink(DateEdit, header, QStringLiteral("preceptdate"));
    new TDBEditLink(RegisterDateEdit, header, QStringLiteral("registerdate"));
    new TDBEditLink(DescriptionEdit, header, QStringLiteral("description"));
    RelatedEntityButton = ActionButton(this, RelatedEntity);
    auto row = [&](int r, int c, const QString& label, QWidget* w, QAction* button = nullptr) {
        top->addWidget(new QLabel(label, this), r, c);
        auto* h = new QHBoxLayout;
        h->addWidget(w, 1);
        if (button)
            h->addWidget(ActionButton(this, button, 32));
        top->addLayout(h, r, c + 1);
    };
    row(0, 0, QStringLiteral("Tip*"), TypeCombo);
    row(0, 2, QStringLiteral("Broj*"), NumberEdit, PreceptFreshNumber);
    row(1, 0, QStringLiteral("Datum*"), DateEdit, PreceptDateAction);
    row(1, 2, QStringLiteral("Datum knjiženja*"), RegisterDateEdit, RegisterDateAction);
    row(2, 0, QStringLiteral("Opis"), DescriptionEdit);
    top->addWidget(RelatedEntityButton, 2, 3);
    layout->addLayout(top);

    TQuery& lines = editor_->Lines();
    auto* bar = new QHBoxLayout;
    LinesNavigator = new TDBNavigator(lines, this);
    bar->addWidget(LinesNavigator);
    bar->addWidget(ActionButton(this, MoveUp));
    bar->addWidget(ActionButton(this, MoveDown));
    bar->addStretch(1);
    bar->addWidget(ActionButton(this, DeleteAllItemsAction));
    layout->addLayout(bar);

    linesModel_ = new TDataSetModel(lines, this);
    linesModel_->SetColumns(kLineColumns);
    linesModel_->SetEditable(true);
    // Temporary lines, whose code still has a hyphen, stand out in red.
    linesModel_->RowStyle = [this](int recNo, int role) -> QVariant {
        if (role == Qt::BackgroundRole && editor_->IsTemporaryLine(recNo))
            return QColor(255, 128, 128);
        return {};
    };
    LinesGrid = new QTableView(this);
    LinesGrid->setObjectName("LinesGrid");
    LinesGrid->setModel(linesModel_);
    LinesGrid->setSelectionBehavior(QAbstractItemView::SelectItems);
    LinesGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    LinesGrid->setEditTriggers(QAbstractItemView::DoubleClicked |
                               QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::AnyKeyPressed);
    LinesGrid->verticalHeader()->setDefaultSectionSize(LinesGrid->fontMetrics().height() + 6);
    LinesGrid->setContextMenuPolicy(Qt::ActionsContextMenu);
    LinesGrid->addAction(SortByValueAction);
    for (auto [column, width] : {std::pair{ColSort, 36},
                                 {ColCode, 70},
                                 {ColForeign, 70},
                                 {ColSubName, 140},
                                 {ColText, 280},
                                 {ColDebit, 90},
                                 {ColCredit, 90}})
        LinesGrid->setColumnWidth(column, width);
    const int year = dm_.Options().FinancialYear;
    LinesGrid->setColumnHidden(ColCode, year > 2014);
    LinesGrid->setColumnHidden(ColNewCode, year < 2014);
    auto* pick = new TPickDelegate(GetAccountAction, LinesGrid);
    for (int column : {ColCode, ColNewCode, ColForeign})
        LinesGrid->setItemDelegateForColumn(column, pick);
    TGridSorter::AddGrid(LinesGrid);
    new TGridLink(LinesGrid, linesModel_);
    layout->addWidget(LinesGrid, 1);

    auto* status = new QStatusBar(this);
    status->setSizeGripEnabled(false);
    for (const QString& text :
         {QStringLiteral("Duguje:"), QString(), QStringLiteral("Potražuje:"), QString(),
          QStringLiteral("Saldo:"), QString(), QStringLiteral("Status:"), QString(), QString()}) {
        auto* panel = new QLabel(text, status);
        status->addWidget(panel, text.isEmpty() ? 1 : 0);
        StatusPanels << panel;
    }
    layout->addWidget(status);

    auto* bottom = new QHBoxLayout;
    CopyButton = ActionButton(this, PreceptCopy);
    bottom->addWidget(CopyButton);
    bottom->addStretch(1);
    PrintButton = ActionButton(this, PreceptPrint);
    RegisterButton = new QPushButton(this);
    RegisterButton->setObjectName("RegisterButton");
    RegisterButton->setAutoDefault(false);
    OKButton = ActionButton(this, CustomOK);
    OKButton->setDefault(true);
    ApplyButton = ActionButton(this, CustomApply);
    CancelButton = ActionButton(this, CustomCancel);
    for (QPushButton* b : {PrintButton, RegisterButton, OKButton, ApplyButton, CancelButton})
        bottom->addWidget(b);
    layout->addLayout(bottom);

    connect(RegisterButton, &QPushButton::clicked, this,
            [this] { (editor_->Active() ? PreceptRegister : PreceptUnregister)->trigger(); });
    connect(CustomApply, &QAction::triggered, this, [this] { Apply(); });
    connect(CustomOK, &QAction::triggered, this, [this] {
        if (Apply())
            accept();
    });
    connect(CustomCancel, &QAction::triggered, this, [this] {
        Guarded([this] { editor_->Cancel(); });
        TCustomDetailForm::reject();
    });
    connect(PreceptDateAction, &QAction::triggered, this, [this] { PickDate(false); });
    connect(RegisterDateAction, &QAction::triggered, this, [this] { PickDate(true); });
    connect(PreceptFreshNumber, &QAction::triggered, this,
            [this] { Guarded([this] { editor_->FreshNumber(); }); });
    connect(GetAccountAction, &QAction::triggered, this, &TFinancialDetailForm::PickAccount);
    connect(PreceptRegister, &QAction::triggered, this,
            [this] { Guarded([this] { editor_->Register(); }); });
    connect(PreceptUnregister, &QAction::triggered, this,
            [this] { Guarded([this] { editor_->Unregister(); }); });
    connect(MoveUp, &QAction::triggered, this, [this] { Guarded([this] { editor_->MoveUp(); }); });
    connect(MoveDown, &QAction::triggered, this,
            [this] { Guarded([this] { editor_->MoveDown(); }); });
    connect(SortByValueAction, &QAction::triggered, this,
            [this] { Guarded([this] { editor_->SortByValue(); }); });
    connect(DeleteAllItemsAction, &QAction::triggered, this,
            [this] { Guarded([this] { editor_->DeleteAllLines(); }); });
    connect(PreceptPrint, &QAction::triggered, this, &TFinancialDetailForm::Print);
    connect(PreceptCopy, &QAction::triggered, this, &TFinancialDetailForm::Copy);
    connect(RelatedEntity, &QAction::triggered, this, [this] {
        TQuery& h = editor_->Header();
        const QString table = h.FieldByName(QStringLiteral("foreigntable")).AsString();
        const qint64 id = h.FieldByName(QStringLiteral("foreignid")).AsInteger();
        if (dm_.ShowRelatedEntity && dm_.ShowRelatedEntity(table, id))
            return;
        const QString module = table == QLatin1String("document") ? res::CMN_MOD_DOCUMENT_NAME
                               : table == QLatin1String("bankstatement") ? res::CMN_MOD_BANK_NAME
                               : table == QLatin1String("errand")     ? res::CMN_MOD_PRODUCTION_NAME
                               : table == QLatin1String("fadocument") ? res::CMN_MOD_FA_NAME
                                                                      : QString();
        if (!module.isEmpty())
            Ui().ShowMessage(TMessageType::Error, res::CMN_NO_MODULE.arg(module));
    });
    connect(TypeCombo, &QComboBox::activated, this, &TFinancialDetailForm::TypeChosen);
    // Totals and commands follow every change of the lines and the header.
    for (TDataSetModel* model : {linesModel_})
        connect(model, &QAbstractItemModel::dataChanged, this, [this] { UpdateState(); });
    connect(linesModel_, &QAbstractItemModel::modelReset, this, [this] { UpdateState(); });
    connect(linesModel_, &TDataSetModel::CurrentRowChanged, this, [this] { UpdateState(); });
    for (QLineEdit* e : {NumberEdit, DateEdit, RegisterDateEdit, DescriptionEdit})
        connect(e, &QLineEdit::textEdited, this, [this] { UpdateState(); });
}

void TFinancialDetailForm::FillTypes() {
    TQuery& types = dm_.PrecepttypeZQ();
    TypeCombo->clear();
    for (int rec = 1; rec <= types.RecordCount(); ++rec)
        TypeCombo->addItem(
            QStringLiteral("%1 (%2)").arg(
                types.RecordValue(rec, types.FieldByName(QStringLiteral("name")).Index())
                    .toString(),
                types.RecordValue(rec, types.FieldByName(QStringLiteral("number")).Index())
                    .toString()),
            types.RecordValue(rec, types.FieldByName(QStringLiteral("precepttypeid")).Index()));
    TypeCombo->setCurrentIndex(TypeCombo->findData(
        editor_->Header().FieldByName(QStringLiteral("precepttypeid")).Value()));
}

void TFinancialDetailForm::TypeChosen(int index) {
    Guarded([&] {
        TQuery& h = editor_->Header();
        if (!h.Editing())
            h.Edit();
        h.FieldByName(QStringLiteral("precepttypeid")).SetValue(TypeCombo->itemData(index));
        h.FieldByName(QStringLiteral("PreceptType"))
            .SetValue(TypeCombo->itemText(index).section(QStringLiteral(" ("), 0, 0));
    });
    UpdateState();
}

void TFinancialDetailForm::Guarded(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const TAbort&) {
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
    }
    UpdateState();
}

void TFinancialDetailForm::SetActivity() {
    const bool active = editor_->Active();
    NumberEdit->setReadOnly(!active && !editor_->PreceptNumberChange);
    for (QLineEdit* e : {DateEdit, RegisterDateEdit})
        e->setReadOnly(!active);
    TypeCombo->setEnabled(active);
    LinesGrid->setEditTriggers(active ? QAbstractItemView::DoubleClicked |
                                            QAbstractItemView::EditKeyPressed |
                                            QAbstractItemView::AnyKeyPressed
                                      : QAbstractItemView::NoEditTriggers);
    LinesNavigator->setEnabled(active);
    for (QAction* a : {PreceptDateAction, RegisterDateAction, PreceptFreshNumber, GetAccountAction,
                       DeleteAllItemsAction})
        a->setEnabled(active);
    PreceptPrint->setEnabled(!active);
    RegisterButton->setText(active ? PreceptRegister->text() : PreceptUnregister->text());
}

void TFinancialDetailForm::ShowTotals() {
    StatusPanels[1]->setText(FormatFloat(kTotals, editor_->TotalDebit()));
    StatusPanels[3]->setText(FormatFloat(kTotals, editor_->TotalCredit()));
    StatusPanels[5]->setText(FormatFloat(kTotals, editor_->Balance()));
    StatusPanels[7]->setText(editor_->StatusText());
}

void TFinancialDetailForm::UpdateState() {
    editor_->ComputeTotals();
    SetActivity();
    ShowTotals();
    TQuery& h = editor_->Header();
    const bool modified = editor_->Modified();
    CustomApply->setEnabled(modified);
    PreceptRegister->setEnabled(editor_->Active() && editor_->CanRegister());
    RegisterButton->setEnabled(editor_->Active() ? PreceptRegister->isEnabled() : true);
    MoveUp->setEnabled(editor_->CanMoveUp());
    MoveDown->setEnabled(editor_->CanMoveDown());
    RelatedEntity->setEnabled(!h.FieldByName(QStringLiteral("foreigntable")).AsString().isEmpty() &&
                              h.FieldByName(QStringLiteral("foreignid")).AsInteger() > 0);
    PreceptCopy->setEnabled(!h.Editing() && !editor_->Lines().Editing());
    qint64 user = h.FieldByName(QStringLiteral("userid")).AsInteger();
    QString name;
    if (user > 0) {
        try {
            dm_.GetPublisher(user, name, false);
        } catch (const TError&) {
        }
    }
    StatusPanels[8]->setText(name);
}

bool TFinancialDetailForm::Apply() {
    if (!CommitEdits(this))
        return false;
    try {
        editor_->Save();
    } catch (const TAbort&) {
        UpdateState();
        return false;
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
        UpdateState();
        return false;
    }
    UpdateState();
    return true;
}

void TFinancialDetailForm::PickDate(bool registerDate) {
    TQuery& h = editor_->Header();
    QDate date =
        h.FieldByName(registerDate ? QStringLiteral("registerdate") : QStringLiteral("preceptdate"))
            .AsDate();
    if (!date.isValid())
        date = dm_.Today();
    if (!Ui().GetDate(date, QStringLiteral("Izaberite datum")))
        return;
    Guarded([&] {
        if (registerDate)
            editor_->SetRegisterDate(date);
        else
            editor_->SetPreceptDate(date);
    });
}

void TFinancialDetailForm::PickAccount() {
    TQuery& lines = editor_->Lines();
    // Stepping off the cell and back takes over what is being typed in it.
    const QModelIndex cell = LinesGrid->currentIndex();
    if (cell.isValid()) {
        LinesGrid->setCurrentIndex(
            cell.siblingAtColumn(cell.column() == ColForeign ? ColText : ColForeign));
        LinesGrid->setCurrentIndex(cell);
    }
    const int column = LinesGrid->currentIndex().column();
    if (column != ColCode && column != ColNewCode && column != ColForeign)
        return;
    Guarded([&] {
        if (!lines.Active())
            return;
        if (!lines.Editing() && lines.IsEmpty())
            lines.Append();
        const bool newChart = column == ColNewCode || (column == ColForeign && dm_.NewChartYear());
        TAccountDesc d;
        if (column == ColForeign) {
            const char* idField = newChart ? "accountnewid" : "accountid";
            if (lines.FieldByName(QString::fromLatin1(idField)).AsInteger() <= 0)
                return;
            (newChart ? d.CodeNew : d.Code) =
                lines
                    .FieldByName(newChart ? QStringLiteral("ContoNewCode")
                                          : QStringLiteral("ContoCode"))
                    .AsString();
            (newChart ? d.AccountNewID : d.AccountID) =
                static_cast<qint32>(lines.FieldByName(QString::fromLatin1(idField)).AsInteger());
            d.SubaccountCode = lines.FieldByName(QStringLiteral("foreignid")).AsString();
            d.SubaccountName = lines.FieldByName(QStringLiteral("SubcontoName")).AsString();
        } else {
            (newChart ? d.CodeNew : d.Code) =
                linesModel_->index(LinesGrid->currentIndex().row(), column)
                    .data(Qt::EditRole)
                    .toString();
        }
        if (!GetAccount(dm_, d, newChart, this))
            return;
        if (!lines.Editing())
            lines.Edit();
        if (column != ColForeign) {
            lines
                .FieldByName(newChart ? QStringLiteral("accountnewid")
                                      : QStringLiteral("accountid"))
                .SetValue(newChart ? d.AccountNewID : d.AccountID);
            lines
                .FieldByName(newChart ? QStringLiteral("ContoNewCode")
                                      : QStringLiteral("ContoCode"))
                .SetValue(newChart ? d.CodeNew : d.Code);
            lines.FieldByName(QStringLiteral("AccountType")).SetValue(d.AccountType);
            if (dm_.Options().ChangePreceptItemDescription)
                lines.FieldByName(QStringLiteral("description")).SetValue(d.Name.left(100));
        }
        if (!d.SubaccountCode.isEmpty()) {
            lines.FieldByName(QStringLiteral("foreignid")).SetValue(d.SubaccountCode.toLongLong());
            lines.FieldByName(QStringLiteral("SubcontoName")).SetValue(d.SubaccountName);
        }
    });
}

void TFinancialDetailForm::Print() {
    Guarded([this] {
        TQuery& h = editor_->Header();
        const QString title = res::PRE_CAPTION + QLatin1Char(' ') +
                              h.FieldByName(QStringLiteral("number")).AsString();
        const QString date = DateToText(h.FieldByName(QStringLiteral("preceptdate")).AsDate());
        const QString related = dm_.GetRelatedEntityDescription(
            h.FieldByName(QStringLiteral("foreigntable")).AsString(),
            h.FieldByName(QStringLiteral("foreignid")).AsInteger());
        if (dm_.NewChartYear())
            engine_.ExecutePreceptNewReport(h, editor_->Lines(), title, date, related);
        else
            engine_.ExecutePreceptReport(h, editor_->Lines(), title, date, related);
    });
}

void TFinancialDetailForm::Copy() {
    qint64 copy = 0;
    Guarded([&] { copy = editor_->Copy(); });
    if (copy <= 0)
        return;
    if (!dm_.OpenPrecept) {
        Ui().ShowMessage(TMessageType::Error, res::CMN_NO_MODULE.arg(res::CMN_MOD_FINANCIAL_NAME));
        return;
    }
    // The copy opens in an editor of its own once this one has closed.
    auto open = dm_.OpenPrecept;
    editor_->Release();
    accept();
    QTimer::singleShot(0, [open, copy] { open(static_cast<int>(copy)); });
}

void TFinancialDetailForm::reject() {
    CommitEdits(this);
    if (!editor_->Modified()) {
        TCustomDetailForm::reject();
        return;
    }
    switch (Ui().Ask(res::CMN_SAVE_CHANGES_PROMT, TButtons::YesNoCancel)) {
        case TAnswer::Yes:
            if (Apply())
                TCustomDetailForm::reject();
            return;
        case TAnswer::No:
            Guarded([this] { editor_->Cancel(); });
            TCustomDetailForm::reject();
            return;
        default:
            return;
    }
}

}  // namespace fin
