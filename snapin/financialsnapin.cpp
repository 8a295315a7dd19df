#include "snapin/financialsnapin.h"

#include <QAction>
#include <QPainter>
#include <QPointer>

#include "host/common/captions.h"
#include "host/ui/uiservice.h"
#include "journal/financialviewerform.h"
#include "ledger/financialdm.h"
#include "ledger/financialoptionstabframe.h"
#include "posting/postingpackage.h"
#include "reports/accounttotals.h"

namespace fin {

namespace {

IConsoleRef g_console;
QPointer<TFinancialOptionsTabFrame> g_optionsTab;

const QString kSnapinName = QStringLiteral("Finansije");
const QString kSnapinDescr = QStringLiteral("Upravljanje finansijskim knjigovodstvom");
const QString kPreceptOpenErr =
    QStringLiteral("Ne možete otvoriti nalog jer već postoji otvoren nalog.");

TFinancialDM& DM() {
    return *FinancialDM();
}

QImage SnapinImage() {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0x2e, 0x6b, 0x3f));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(2, 2, 28, 28, 5, 5);
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(18);
    p.setFont(font);
    p.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("F"));
    return image;
}

}  // namespace

IConsolePtr GlobalConsole() {
    return g_console.lock();
}

TFinancialViewer::TFinancialViewer(const IConsolePtr& console) : TCustomViewer(console) {
    snapinType_ = kFinancialSnapinType;
}

void TFinancialViewer::Load(const ISnapinPtr&) {
    LoadModule();
}

bool TFinancialViewer::LoadModule() {
    TFinancialDM& dm = DM();
    if (dm.Connected())
        return true;
    IConsolePtr console = Console();
    auto security = console ? As<ISecurity>(console->QueryModule(iid::Security)) : nullptr;
    if (!security) {
        Ui().ShowMessage(TMessageType::Error, res::CMN_NO_MODULE.arg(res::CMN_MOD_SECURITY_NAME));
        return false;
    }
    if (!dm.ZConnection())
        dm.SetZConnection(security->GetConnection());
    // Asked afresh each time: the console may have unloaded the security module since.
    dm.SecurityLookup = []() -> std::shared_ptr<ISecurity> {
        IConsolePtr c = GlobalConsole();
        return c ? As<ISecurity>(c->QueryModule(iid::Security)) : nullptr;
    };
    dm.BankLookup = []() -> std::shared_ptr<IBankPayments> {
        IConsolePtr c = GlobalConsole();
        return c ? As<IBankPayments>(c->QueryModule(iid::Bank)) : nullptr;
    };
    // The automats' pickers of source documents reach their modules through this.
    dm.ModuleLookup = [](const QUuid& identity) -> IInterfacePtr {
        IConsolePtr c = GlobalConsole();
        return c ? c->QueryModule(identity) : nullptr;
    };
    try {
        // A connection lost since the last action is opened again here.
        if (!dm.Connected())
            dm.ZConnection()->Open();
        security->Login();
        dm.LoadOptions();
        dm.LoadFreeAccountTypes();
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
        return false;
    }
    if (TFinancialViewerForm* form = Form()) {
        const bool on = dm.Options().TransitionToNewChartOfAccounts;
        form->FinancialAccountingNew->setEnabled(on);
        form->FinancialAccountingNew->setVisible(on);
    }
    return true;
}

QWidget* TFinancialViewer::InternalCreateFrame() {
    auto* form = new TFinancialViewerForm(DM());
    if (TPostingPackage* posting = PostingPackage())
        form->SetAutoConter(&posting->AutoConter());
    return form;
}

TFinancialViewerForm* TFinancialViewer::Form() {
    return static_cast<TFinancialViewerForm*>(Frame());
}

TFinancialNavigator::TFinancialNavigator(const IConsolePtr& console) : TCustomNavigator(console) {}

QWidget* TFinancialNavigator::InternalCreateFrame() {
    return new TFinancialNavigatorForm(DM());
}

TFinancialNavigatorForm* TFinancialNavigator::Form() {
    return static_cast<TFinancialNavigatorForm*>(Frame());
}

QWidget* TFinancialNavigator::ShowNavigator() {
    // The search fields are filled once, on the first show after the connection exists.
    TFinancialNavigatorForm* form = Form();
    if (form && !form->SearchFieldsFilled && DM().Connected()) {
        form->SearchFieldsFilled = true;
        form->FillSearchFields();
    }
    return TCustomNavigator::ShowNavigator();
}

TFinancialSnapin::TFinancialSnapin(const IConsolePtr& console) : TCustomSnapin(console) {
    dataSet_ = &DM().PreceptZQ();
    snapinType_ = kFinancialSnapinType;
    name_ = kSnapinName;
    description_ = kSnapinDescr;
    image_ = SnapinImage();
    viewer_ = std::make_shared<TFinancialViewer>(console);
    navigator_ = std::make_shared<TFinancialNavigator>(console);
    // Cards open a voucher through the package's own service.
    DM().OpenPrecept = [this](int preceptId) { OpenPrecept(preceptId); };
}

TFinancialSnapin::~TFinancialSnapin() {
    DM().OpenPrecept = nullptr;
    viewer_.reset();
    navigator_.reset();
}

IInterfacePtr TFinancialSnapin::GetInterface(const QUuid& identity) {
    if (identity == iid::Financial)
        return std::static_pointer_cast<IFinancial>(shared_from_this());
    if (identity == iid::OptionsTab)
        return std::static_pointer_cast<IOptionsTab>(shared_from_this());
    if (identity == iid::Navigable)
        return navigator_;
    if (identity == iid::Viewer)
        return viewer_;
    return nullptr;
}

std::function<void()>& TFinancialSnapin::PreceptEditorOpener() {
    static std::function<void()> opener;
    return opener;
}

bool TFinancialSnapin::FindPrecept(const QString& condition, const QVariantList& values) {
    TQuery& q = DM().PreceptZQ();
    q.Close();
    q.SetSQL(QStringLiteral("SELECT p.number AS number,p.*,CONCAT(pt.name,'') AS PreceptType,"
                            "CONCAT(pt.number,'') AS PreceptTypeNumber FROM precept AS p "
                            "INNER JOIN precepttype AS pt ON p.precepttypeid = pt.precepttypeid "
                            "WHERE ") +
             condition);
    for (int i = 0; i < values.size(); ++i)
        q.Params()[i].SetValue(values[i]);
    q.Open();
    q.First();
    return !q.IsEmpty();
}

void TFinancialSnapin::OpenFound(const std::function<bool()>& find) {
    // One editor at a time; an id or source without a voucher opens nothing, silently.
    if (DM().PreceptOpen) {
        Ui().ShowMessage(TMessageType::Error, kPreceptOpenErr);
        return;
    }
    if (!viewer_->LoadModule())
        return;
    try {
        if (!find())
            return;
        if (PreceptEditorOpener())
            PreceptEditorOpener()();
        else if (TFinancialViewerForm* form = viewer_->Form())
            form->PreceptEditExecute();
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
    }
}

void TFinancialSnapin::OpenPrecept(int preceptId) {
    OpenFound([&] { return FindPrecept(QStringLiteral("p.preceptid = :Id"), {preceptId}); });
}

void TFinancialSnapin::OpenPrecept(const QString& foreignTable, int foreignId) {
    OpenFound([&] {
        if (!FindPrecept(QStringLiteral("p.foreigntable = :Table AND p.foreignid = :Id"),
                         {foreignTable, foreignId}))
            return false;
        // A voucher merged into a group voucher opens as its parent.
        const QVariant parent = DM().PreceptZQ().FieldByName(QStringLiteral("parentid")).Value();
        return parent.isNull() || FindPrecept(QStringLiteral("p.preceptid = :Id"), {parent});
    });
}

double TFinancialSnapin::ExtSaldoDFunc(const QString& accountCode, int subaccountId,
                                       const QDate& date) {
    if (!viewer_->LoadModule())
        return 0;
    return ExtSaldo(DM(), accountCode, subaccountId, date).debit;
}

double TFinancialSnapin::ExtSaldoPFunc(const QString& accountCode, int subaccountId,
                                       const QDate& date) {
    if (!viewer_->LoadModule())
        return 0;
    return ExtSaldo(DM(), accountCode, subaccountId, date).credit;
}

QWidget* TFinancialSnapin::CreateFrame() {
    g_optionsTab = new TFinancialOptionsTabFrame(DM());
    viewer_->LoadModule();
    g_optionsTab->OptionsToControls();
    return g_optionsTab;
}

void TFinancialSnapin::DestroyFrame() {
    delete g_optionsTab.data();
    g_optionsTab.clear();
}

bool TFinancialSnapin::CheckValues() {
    return !g_optionsTab || g_optionsTab->CheckValues();
}

void TFinancialSnapin::Update() {
    if (!g_optionsTab)
        return;
    try {
        g_optionsTab->ControlsToOptions();
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
    }
}

QString TFinancialSnapin::GetTabCaption() {
    return kSnapinName;
}

ISnapinPtr TFinancialSnapinFactory::InternalCreateSnapin(const IConsolePtr& console) {
    return std::make_shared<TFinancialSnapin>(console);
}

void TFinancialSnapinFactory::ConsoleChanged(const IConsolePtr& console) {
    g_console = console;
}

}  // namespace fin
