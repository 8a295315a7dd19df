#include "posting/financialiniform.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "host/data/dbinifile.h"
#include "host/data/query.h"
#include "host/forms/datanavigator.h"
#include "host/forms/datasetmodel.h"
#include "host/ui/uiservice.h"
#include "ledger/financialdm.h"
#include "ledger/financialoptionstabframe.h"
#include "posting/autoconter.h"
#include "posting/customconter.h"
#include "posting/lcleditorform.h"
#include "posting/postingmodules.h"
#include "posting/postingpreview.h"
#include "posting/postingpreviewform.h"

namespace fin {

namespace {

const QString kModuleParam = QStringLiteral("ModuleName");
const QString kEntityParam = QStringLiteral("EntityName");

// The fields with an ellipsis; the amounts are only ever written through it.
bool HasEllipsis(const QString& field) {
    return field == QLatin1String("subaccount") || field == QLatin1String("debitexp") ||
           field == QLatin1String("creditexp");
}
bool TypedDirectly(const QString& field) {
    return field != QLatin1String("debitexp") && field != QLatin1String("creditexp");
}

// The rule grid's cell editors carry an ellipsis in the fields that have one. It hands what
// was typed to the field first and closes the editor, so the dialog's text is the one the
// field keeps; an editor the user typed nothing into writes nothing back.
class TRuleDelegate : public QStyledItemDelegate {
public:
    TRuleDelegate(TDataSetModel* model, std::function<void()> ellipsis, QObject* parent)
        : QStyledItemDelegate(parent), model_(model), ellipsis_(std::move(ellipsis)) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        auto* line = qobject_cast<QLineEdit*>(editor);
        const TField* f = model_->FieldAt(index.column());
        if (!line || !f || !HasEllipsis(f->FieldName()))
            return editor;
        line->setReadOnly(!TypedDirectly(f->FieldName()));
        QAction* ellipsis = line->addAction(EllipsisIcon(*line), QLineEdit::TrailingPosition);
        ellipsis->setObjectName(QStringLiteral("EllipsisAction"));
        ellipsis->setToolTip(QStringLiteral("Uredi izraz"));
        auto* self = const_cast<TRuleDelegate*>(this);
        QObject::connect(ellipsis, &QAction::triggered, line, [self, line] {
            emit self->commitData(line);
            emit self->closeEditor(line, QAbstractItemDelegate::NoHint);
            if (self->ellipsis_)
                self->ellipsis_();
        });
        return editor;
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        // A read-only box holds the shortened text the grid shows: never written back.
        if (auto* line = qobject_cast<QLineEdit*>(editor);
            line && (line->isReadOnly() || !line->isModified()))
            return;
        QStyledItemDelegate::setModelData(editor, model, index);
    }

private:
    TDataSetModel* model_;
    std::function<void()> ellipsis_;
};

}  // namespace

TFinancialIniForm::TFinancialIniForm(TFinancialDM& dm, TAutoConter* driver, QWidget* parent)
    : TCustomDetailForm(parent), dm_(dm), driver_(driver) {
    setObjectName(QStringLiteral("FinancialIniForm"));
    setWindowTitle(QStringLiteral("Opcije"));
    TQuery& rules = dm_.FinancialiniZQ();
    if (rules.Active())
        rules.Close();

    auto* layout = new QVBoxLayout(this);
    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    layout->addWidget(PageControl, 1);

    GeneralPage = new QWidget(PageControl);
    auto* general = new QVBoxLayout(GeneralPage);
    OptionsFrame = new TFinancialOptionsTabFrame(dm_, GeneralPage);
    general->addWidget(OptionsFrame);
    PageControl->addTab(GeneralPage, QStringLiteral("Opšte"));

    RulesPage = new QWidget(PageControl);
    auto* page = new QVBoxLayout(RulesPage);
    auto* choice = new QHBoxLayout;
    ModuleCB = new QComboBox(RulesPage);
    ModuleCB->setObjectName(QStringLiteral("ModuleCB"));
    EntityTypeCB = new QComboBox(RulesPage);
    EntityTypeCB->setObjectName(QStringLiteral("EntityTypeCB"));
    EntityTypeCB->setMaxVisibleItems(20);
    EntityTypeCB->setMinimumContentsLength(22);
    EntityTypeCB->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    OpenButton = new QPushButton(QStringLiteral("Otvori"), RulesPage);
    OpenButton->setObjectName(QStringLiteral("OpenButton"));
    auto* moduleLabel = new QLabel(QStringLiteral("&Modul:"), RulesPage);
    moduleLabel->setBuddy(ModuleCB);
    auto* typeLabel = new QLabel(QStringLiteral("&Vrsta dokumenta:"), RulesPage);
    typeLabel->setBuddy(EntityTypeCB);
    choice->addWidget(moduleLabel);
    choice->addWidget(ModuleCB, 1);
    choice->addWidget(typeLabel);
    choice->addWidget(EntityTypeCB, 2);
    choice->addWidget(OpenButton);
    page->addLayout(choice);

    auto* typeRow = new QHBoxLayout;
    PreceptTypeCB = new QComboBox(RulesPage);
    PreceptTypeCB->setObjectName(QStringLiteral("PreceptTypeCB"));
    PreceptTypeCB->setMaxVisibleItems(20);
    auto* preceptLabel = new QLabel(QStringLiteral("&Tip naloga:"), RulesPage);
    preceptLabel->setBuddy(PreceptTypeCB);
    typeRow->addWidget(preceptLabel);
    typeRow->addWidget(PreceptTypeCB, 1);
    StartButton = new QPushButton(QStringLiteral("Dodaj prvo pravilo"), RulesPage);
    StartButton->setObjectName(QStringLiteral("StartButton"));
    StartButton->setAutoDefault(false);
    StartButton->setEnabled(false);
    typeRow->addWidget(StartButton);
    TryButton = new QPushButton(QStringLiteral("Probaj na dokumentu..."), RulesPage);
    TryButton->setObjectName(QStringLiteral("TryButton"));
    TryButton->setAutoDefault(false);
    TryButton->setToolTip(
        QStringLiteral("Pokazuje nalog koji bi sačuvana pravila napravila za izabrani dokument, "
                       "bez upisa u bazu."));
    typeRow->addWidget(TryButton);
    page->addLayout(typeRow);

    DBNavigator = new TDBNavigator(rules, RulesPage);
    page->addWidget(DBNavigator);
    model_ = new TDataSetModel(rules, this);
    model_->SetColumns({QStringLiteral("conto"), QStringLiteral("contonew"),
                        QStringLiteral("subaccount"), QStringLiteral("debitexp"),
                        QStringLiteral("creditexp"), QStringLiteral("descriptionfmt")});
    DBGrid = new QTableView(RulesPage);
    DBGrid->setObjectName(QStringLiteral("DBGrid"));
    DBGrid->setModel(model_);
    DBGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid->setItemDelegate(new TRuleDelegate(
        model_, [this] { DBGridEditButtonClick(); }, DBGrid));
    DBGrid->verticalHeader()->setDefaultSectionSize(DBGrid->fontMetrics().height() + 8);
    DBGrid->horizontalHeader()->setStretchLastSection(true);
    for (auto [column, width] : {std::pair{0, 70}, {1, 80}, {2, 110}, {3, 210}, {4, 210}})
        DBGrid->setColumnWidth(column, width);
    TGridSorter::AddGrid(DBGrid);
    new TGridLink(DBGrid, model_);
    page->addWidget(DBGrid, 1);
    PageControl->addTab(RulesPage, QStringLiteral("Opcije kontiranja"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    OKButton = new QPushButton(QStringLiteral("U redu"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    buttons->addWidget(OKButton);
    CancelButton = new QPushButton(QStringLiteral("Otkaži"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setAutoDefault(false);
    buttons->addWidget(CancelButton);
    layout->addLayout(buttons);

    connect(ModuleCB, &QComboBox::currentIndexChanged, this, &TFinancialIniForm::ModuleCBChange);
    connect(EntityTypeCB, &QComboBox::currentIndexChanged, this,
            &TFinancialIniForm::ShowPreceptType);
    connect(OpenButton, &QPushButton::clicked, this, &TFinancialIniForm::OpenButtonClick);
    connect(PreceptTypeCB, &QComboBox::currentIndexChanged, this,
            &TFinancialIniForm::PreceptTypeCBChange);
    connect(StartButton, &QPushButton::clicked, this, &TFinancialIniForm::StartButtonClick);
    connect(TryButton, &QPushButton::clicked, this, &TFinancialIniForm::TryButtonClick);
    connect(OKButton, &QPushButton::clicked, this, &TFinancialIniForm::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TFinancialIniForm::reject);
    // "Otvori" answers Enter on the rules page, "U redu" on the options page.
    auto defaults = [this] {
        const bool rulesPage = PageControl->currentWidget() == RulesPage;
        OpenButton->setDefault(rulesPage);
        OKButton->setDefault(!rulesPage);
    };
    connect(PageControl, &QTabWidget::currentChanged, this, defaults);
    defaults();

    try {
        LoadPreceptTypes();
        QStringList modules;
        for (const TConterClass& c : ConterClasses())
            modules << c.moduleName;
        // Rules of a module that cannot check them yet are still shown.
        for (const auto& row : dm_.Require()
                                   .Select(QStringLiteral("SELECT DISTINCT module FROM "
                                                          "financialini ORDER BY module"))
                                   .rows)
            if (!modules.contains(row[0].toString()))
                modules << row[0].toString();
        const QSignalBlocker quiet(ModuleCB);
        ModuleCB->addItems(modules);
        OptionsFrame->OptionsToControls();
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
    }
    ModuleCBChange();
    SetRulesEditable(false);
    TryButton->setEnabled(driver_ != nullptr);
    qApp->installEventFilter(this);
    resize(900, 600);
}

TFinancialIniForm::~TFinancialIniForm() {
    qApp->removeEventFilter(this);
    Release();
}

QString TFinancialIniForm::ModuleName() const {
    return ModuleCB->currentText();
}

QString TFinancialIniForm::EntityType() const {
    return EntityTypeCB->currentData().toString();
}

void TFinancialIniForm::LoadPreceptTypes() {
    UnloadPreceptTypes();
    TQuery& types = dm_.PrecepttypeZQ();
    // Fresh rows: another workstation may have added a type since.
    if (!types.Editing()) {
        if (types.Active())
            types.Close();
        types.Open();
    }
    const int id = types.FieldByName(QStringLiteral("precepttypeid")).Index();
    const int number = types.FieldByName(QStringLiteral("number")).Index();
    const int name = types.FieldByName(QStringLiteral("name")).Index();
    const QSignalBlocker quiet(PreceptTypeCB);
    for (int rec = 1; rec <= types.RecordCount(); ++rec)
        PreceptTypeCB->addItem(types.RecordValue(rec, number).toString() + QStringLiteral(" - ") +
                                   types.RecordValue(rec, name).toString(),
                               types.RecordValue(rec, id).toLongLong());
    PreceptTypeCB->setCurrentIndex(-1);
}

void TFinancialIniForm::UnloadPreceptTypes() {
    const QSignalBlocker quiet(PreceptTypeCB);
    PreceptTypeCB->clear();
}

qint64 TFinancialIniForm::GetPreceptType(const QString& module, const QString& entityType) const {
    return TDBIniFile(&dm_.Require()).ReadInteger(module, entityType, 1);
}

void TFinancialIniForm::SetPreceptType(const QString& module, const QString& entityType,
                                       qint64 typeId) {
    TDBIniFile(&dm_.Require()).WriteInteger(module, entityType, typeId);
}

int TFinancialIniForm::GetPTIndex(qint64 typeId) const {
    for (int i = 0; i < PreceptTypeCB->count(); ++i)
        if (PreceptTypeCB->itemData(i).toLongLong() == typeId)
            return i;
    return -1;
}

void TFinancialIniForm::ModuleCBChange() {
    FillEntityTypes();
}

void TFinancialIniForm::FillEntityTypes() {
    const QSignalBlocker quiet(EntityTypeCB);
    EntityTypeCB->clear();
    const QString module = ModuleName();
    if (!module.isEmpty()) {
        // Every kind the module posts, so a rule set can be started; then kinds that have
        // rules without being among them.
        QStringList letters;
        if (const TPostingModule* known = FindPostingModule(module))
            for (const TEntityType& t : known->entityTypes) {
                EntityTypeCB->addItem(t.letter + QStringLiteral(" - ") + t.caption, t.letter);
                letters << t.letter;
            }
        try {
            for (const auto& row :
                 dm_.Require()
                     .Select(QStringLiteral("SELECT DISTINCT entitytype FROM financialini WHERE "
                                            "module = ? ORDER BY entitytype"),
                             {module})
                     .rows) {
                const QString letter = row[0].toString();
                if (!letters.contains(letter)) {
                    EntityTypeCB->addItem(letter, letter);
                    letters << letter;
                }
            }
        } catch (const TError& e) {
            Ui().ShowMessage(TMessageType::Error, e.Message());
        }
    }
    EntityTypeCB->setCurrentIndex(EntityTypeCB->count() > 0 ? 0 : -1);
    ShowPreceptType();
}

void TFinancialIniForm::ShowPreceptType() {
    const QSignalBlocker quiet(PreceptTypeCB);
    const QString module = ModuleName(), type = EntityType();
    PreceptTypeCB->setEnabled(!module.isEmpty() && !type.isEmpty());
    if (!PreceptTypeCB->isEnabled()) {
        PreceptTypeCB->setCurrentIndex(-1);
        return;
    }
    try {
        PreceptTypeCB->setCurrentIndex(GetPTIndex(GetPreceptType(module, type)));
    } catch (const TError& e) {
        PreceptTypeCB->setCurrentIndex(-1);
        Ui().ShowMessage(TMessageType::Error, e.Message());
    }
}

void TFinancialIniForm::OpenButtonClick() {
    const QString module = ModuleName(), type = EntityType();
    if (module.isEmpty() || type.isEmpty())
        return;
    if (!PostPendingRule())
        return;
    TQuery& rules = dm_.FinancialiniZQ();
    try {
        rules.Close();
        rules.ParamByName(kModuleParam).SetValue(module);
        rules.ParamByName(kEntityParam).SetValue(type);
        rules.Open();
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
    }
    SetRulesEditable(rules.Active() && !rules.IsEmpty());
    StartButton->setEnabled(rules.Active() && rules.IsEmpty());
    ShowPreceptType();
}

void TFinancialIniForm::SetRulesEditable(bool editable) {
    model_->SetEditable(editable);
    DBGrid->setEditTriggers(editable ? QAbstractItemView::DoubleClicked |
                                           QAbstractItemView::EditKeyPressed |
                                           QAbstractItemView::AnyKeyPressed
                                     : QAbstractItemView::NoEditTriggers);
    DBNavigator->setEnabled(editable);
}

void TFinancialIniForm::PreceptTypeCBChange() {
    const QString module = ModuleName(), type = EntityType();
    const int index = PreceptTypeCB->currentIndex();
    if (module.isEmpty() || type.isEmpty() || index < 0)
        return;
    try {
        SetPreceptType(module, type, PreceptTypeCB->itemData(index).toLongLong());
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
    }
}

void TFinancialIniForm::StartButtonClick() {
    TQuery& rules = dm_.FinancialiniZQ();
    if (!rules.Active())
        return;
    SetRulesEditable(true);
    StartButton->setEnabled(false);
    DBNavigator->Click(TDBNavigator::Insert);
    DBGrid->setFocus();
    DBGrid->setCurrentIndex(model_->index(rules.RecNo() - 1, 0));
}

void TFinancialIniForm::DBGridEditButtonClick() {
    if (!DBNavigator->isEnabled())
        return;  // an empty rule set is read-only
    TField* field = model_->FieldAt(DBGrid->currentIndex().column());
    TQuery& rules = dm_.FinancialiniZQ();
    if (!field || !HasEllipsis(field->FieldName()) || !rules.Active() ||
        (rules.IsEmpty() && !rules.Editing()))
        return;
    // The whole text, not the shortened one the grid shows.
    QString text = field->AsString();
    if (!EditLCL(dm_, text, this))
        return;
    try {
        if (!rules.Editing())
            rules.Edit();
        field->SetValue(text);
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
    }
}

void TFinancialIniForm::TryButtonClick() {
    if (!driver_)
        return;
    const QString module = ModuleName();
    if (module.isEmpty() || !PostPendingRule())
        return;
    try {
        RequireAutomat(*driver_, module);
        qint64 id = 0;
        QString description;
        if (!dm_.GetEntityID(module, id, description))
            return;
        const TPostingPreview preview = PreviewDocument(dm_, *driver_, module, id);
        TPostingPreviewForm form(preview, module, description, EntityType(), this);
        ShowModal(form);
    } catch (const TAbort&) {
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Warning, e.Message());
    }
}

bool TFinancialIniForm::PostPendingRule() {
    TQuery& rules = dm_.FinancialiniZQ();
    if (!rules.Active() || !rules.Editing())
        return true;
    try {
        rules.Post();
    } catch (const TAbort&) {
        return false;
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
        return false;
    }
    return true;
}

void TFinancialIniForm::OKButtonClick() {
    if (!PostPendingRule())
        return;
    if (!OptionsFrame->CheckValues()) {
        PageControl->setCurrentWidget(GeneralPage);
        return;
    }
    OptionsFrame->ControlsToOptions();
    accept();
}

void TFinancialIniForm::reject() {
    // A rule being typed but not posted is dropped; posted rules stay as they are.
    TQuery& rules = dm_.FinancialiniZQ();
    if (rules.Active() && rules.Editing())
        rules.Cancel();
    TCustomDetailForm::reject();
}

void TFinancialIniForm::done(int result) {
    Release();
    TCustomDetailForm::done(result);
}

void TFinancialIniForm::Release() {
    if (released_)
        return;
    released_ = true;
    UnloadPreceptTypes();
    TQuery& rules = dm_.FinancialiniZQ();
    if (rules.Active()) {
        if (rules.Editing())
            rules.Cancel();
        rules.Close();
    }
}

bool TFinancialIniForm::ShowRules(const QString& module, const QString& entityType) {
    const int moduleIndex = ModuleCB->findText(module);
    if (moduleIndex < 0)
        return false;
    PageControl->setCurrentWidget(RulesPage);
    ModuleCB->setCurrentIndex(moduleIndex);
    const int typeIndex = EntityTypeCB->findData(entityType);
    if (typeIndex < 0)
        return false;
    EntityTypeCB->setCurrentIndex(typeIndex);
    OpenButtonClick();
    return true;
}

bool TFinancialIniForm::eventFilter(QObject* watched, QEvent* event) {
    // Inside the dialog the wheel steps like the arrow keys, in the control under the mouse:
    // away from the user up, otherwise down.
    if (event->type() == QEvent::Wheel) {
        auto* target = qobject_cast<QWidget*>(watched);
        if (target && target->window() == this) {
            if (auto* area = qobject_cast<QAbstractScrollArea*>(target->parentWidget());
                area && area->viewport() == target)
                target = area;
            const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
            QKeyEvent key(QEvent::KeyPress, delta > 0 ? Qt::Key_Up : Qt::Key_Down, Qt::NoModifier);
            QApplication::sendEvent(target, &key);
            return true;
        }
    }
    return TCustomDetailForm::eventFilter(watched, event);
}

}  // namespace fin
