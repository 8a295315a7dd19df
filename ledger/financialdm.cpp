#include "ledger/financialdm.h"

#include <QRegularExpression>

#include "host/common/captions.h"
#include "host/common/textformat.h"
#include "host/data/relationalintegrity.h"
#include "host/ui/uiservice.h"
#include "ledger/accountlookup.h"
#include "ledger/ledgercache.h"
#include "ledger/ledgercaptions.h"
#include "ledger/subaccounts.h"

namespace fin {

namespace {

TFinancialDM* g_dm = nullptr;

// Amounts on screens and prints: Serbian grouping and decimals.
const QString kValueFormat = QStringLiteral("#,##0.00");

struct TFieldDecl {
    const char* name;
    TFieldType type;
    int size;
    const char* label;
};

// Declared fields keep their labels, formats and hooks whatever statement a screen sets.
void Declare(TDataSet& ds, std::initializer_list<TFieldDecl> fields) {
    for (const TFieldDecl& f : fields)
        ds.AddField(QString::fromLatin1(f.name), f.type, f.size, QString::fromUtf8(f.label));
}

void Format(TDataSet& ds, std::initializer_list<const char*> names, const QString& format) {
    for (const char* n : names)
        ds.FieldByName(QString::fromLatin1(n)).SetDisplayFormat(format);
}

const std::initializer_list<TFieldDecl> kItemFields = {
    {"preceptitemid", TFieldType::Integer, 0, ""},
    {"preceptid", TFieldType::Integer, 0, ""},
    {"sort", TFieldType::Integer, 0, "R.b."},
    {"description", TFieldType::String, 100, "Opis"},
    {"debit", TFieldType::Float, 0, "Duguje"},
    {"credit", TFieldType::Float, 0, "Potražuje"},
    {"accountid", TFieldType::Integer, 0, ""},
    {"accountnewid", TFieldType::Integer, 0, ""},
    {"foreignid", TFieldType::Integer, 0, "Analitika"},
};

void DeclareAccount(TQuery& q, const char* key) {
    Declare(q, {{key, TFieldType::Integer, 0, ""},
                {"code", TFieldType::String, 9, "Konto"},
                {"name", TFieldType::String, 255, "Ime"},
                {"type", TFieldType::String, 255, "Tip"},
                {"note", TFieldType::String, 255, "Napomena"},
                {"debit", TFieldType::Float, 0, "Duguje"},
                {"credit", TFieldType::Float, 0, "Potražuje"},
                {"balance", TFieldType::Float, 0, "Saldo"}});
    Format(q, {"debit", "credit", "balance"}, kValueFormat);
    // Placeholders until the browser computes them.
    for (const char* n : {"debit", "credit", "balance"})
        q.FieldByName(QString::fromLatin1(n)).SetVisible(false);
}

QString AccountStatement(const QString& table, const QString& key) {
    return QStringLiteral(
               "SELECT *, (%2 + 0.0) AS debit, (%2 + 0.0) AS credit, "
               "(%2 + 0.0) AS balance FROM %1 WHERE %2 = -1")
        .arg(table, key);
}

QString UserTypeStatement(const QString& key) {
    const QString table = TConnection::QuoteIdentifier(key);
    const QString id = TConnection::QuoteIdentifier(key + QStringLiteral("id"));
    return QStringLiteral(
               "SELECT %2 AS Code,name,(%2 + 0.0) AS debit,(%2 + 0.0) AS credit,"
               "(%2 + 0.0) AS balance FROM %1 ORDER BY %2")
        .arg(table, id);
}

// The value after "key<separator>" in a list of such entries, or nothing.
std::optional<QString> EntryValue(const QStringList& list, const QString& key, QChar separator) {
    const QString prefix = key + separator;
    for (const QString& e : list)
        if (e.startsWith(prefix))
            return e.mid(prefix.size());
    return std::nullopt;
}

// The counter written into its digit positions: padded with zeros, surplus digits in front.
QString CounterDigits(int counter, int positions) {
    return QString::number(counter).rightJustified(positions, QLatin1Char('0'));
}

// A run of the same letter, case-insensitive, starting at i.
int RunLength(const QString& s, int i) {
    int n = 1;
    while (i + n < s.size() && s[i + n].toLower() == s[i].toLower())
        ++n;
    return n;
}

}  // namespace

TFinancialDM* FinancialDM() {
    return g_dm;
}
void SetFinancialDM(TFinancialDM* dm) {
    g_dm = dm;
}

TFinancialDM::TFinancialDM() {
    preceptZQ_ = &AddQuery(QStringLiteral("PreceptZQ"),
                           QStringLiteral("SELECT p.*,CONCAT(pt.name,'') AS PreceptType,"
                                          "CONCAT('','') AS PreceptTypeNumber "
                                          "FROM precept AS p INNER JOIN precepttype AS pt ON "
                                          "p.precepttypeid = pt.precepttypeid "
                                          "WHERE p.preceptid = -1"));
    preceptZQ_->SetUpdateTable(QStringLiteral("precept"));
    precepttypeZQ_ = &AddQuery(QStringLiteral("PrecepttypeZQ"),
                               QStringLiteral("SELECT * FROM precepttype ORDER BY precepttypeid"));
    precepttypeZQ_->SetUpdateTable(QStringLiteral("precepttype"));
    preceptItemZQ_ = &AddQuery(
        QStringLiteral("PreceptItemZQ"),
        QStringLiteral("SELECT pi.*,CONCAT(a.code,'') AS ContoCode,CONCAT(an.code,'') AS "
                       "ContoNewCode,CONCAT(a.type,'') AS AccountType,CONCAT(an.type,'') AS "
                       "AccountNewType,CONCAT(an.type,'') AS SubcontoName "
                       "FROM preceptitem AS pi LEFT JOIN account AS a ON a.accountid = "
                       "pi.accountid LEFT JOIN accountnew AS an ON an.accountnewid = "
                       "pi.accountnewid WHERE pi.preceptid = :IDPrecept"));
    preceptItemZQ_->SetUpdateTable(QStringLiteral("preceptitem"));
    preceptItemZQ_->SetCachedUpdates(true);
    accountZQ_ =
        &AddQuery(QStringLiteral("AccountZQ"),
                  AccountStatement(QStringLiteral("account"), QStringLiteral("accountid")));
    accountZQ_->SetUpdateTable(QStringLiteral("account"));
    accountNewZQ_ =
        &AddQuery(QStringLiteral("AccountNewZQ"),
                  AccountStatement(QStringLiteral("accountnew"), QStringLiteral("accountnewid")));
    accountNewZQ_->SetUpdateTable(QStringLiteral("accountnew"));
    subaccountZQ_ = &AddQuery(QStringLiteral("SubaccountZQ"));
    accountItemZQ_ = &AddQuery(
        QStringLiteral("AccountItemZQ"),
        QStringLiteral("SELECT pi.*,p.preceptdate,p.number,0.0 AS balance,CONCAT(pt.number,'') "
                       "AS PreceptTypeNumber FROM preceptitem AS pi INNER JOIN precept AS p ON "
                       "p.preceptid = pi.preceptid INNER JOIN precepttype AS pt ON "
                       "p.precepttypeid = pt.precepttypeid WHERE p.status = 'p' "
                       "ORDER BY p.preceptdate,PreceptTypeNumber,p.number,pi.sort"));
    accountItemZQ_->SetUpdateTable(QStringLiteral("preceptitem"));
    accountItemZQ_->SetCachedUpdates(true);
    logZQ_ = &AddQuery(
        QStringLiteral("LogZQ"),
        QStringLiteral(
            "SELECT pi.*,p.preceptdate,p.registerdate,p.number,CONCAT(a.code,pi.foreignid) AS "
            "accountcode,CONCAT(an.code,pi.foreignid) AS accountnewcode,CONCAT(pt.number,'') AS "
            "PreceptTypeNumber FROM preceptitem AS pi INNER JOIN precept AS p ON p.preceptid = "
            "pi.preceptid LEFT JOIN precepttype AS pt ON p.precepttypeid = pt.precepttypeid "
            "LEFT JOIN account AS a ON a.accountid = pi.accountid LEFT JOIN accountnew AS an ON "
            "an.accountnewid = pi.accountnewid WHERE p.status = 'p' "
            "ORDER BY p.preceptdate,PreceptTypeNumber,p.number,pi.sort"));
    logZQ_->SetReadOnly(true);
    financialiniZQ_ = &AddQuery(QStringLiteral("FinancialiniZQ"),
                                QStringLiteral("SELECT * FROM financialini WHERE module = "
                                               ":ModuleName AND entitytype = :EntityName "
                                               "ORDER BY financialini"));
    financialiniZQ_->SetUpdateTable(QStringLiteral("financialini"));
    oldAccountingBalanceZQ_ = &AddQuery(
        QStringLiteral("OldAccountingBalanceZQ"),
        QStringLiteral("SELECT pi.accountid, a.name, a.code, a.type, ROUND(SUM(pi.debit - "
                       "pi.credit),2) AS balance FROM preceptitem AS pi LEFT JOIN precept AS p "
                       "ON pi.preceptid = p.preceptid LEFT JOIN account AS a ON pi.accountid = "
                       "a.accountid WHERE p.status = 'p' AND p.preceptdate >= :YearStart AND "
                       "p.preceptdate <= :YearEnd AND pi.accountnewid IS NULL AND pi.accountid "
                       "IS NOT NULL GROUP BY pi.accountid"));
    oldAccountingBalanceZQ_->SetReadOnly(true);
    preceptPrintCDS_ = &AddMemDataSet(QStringLiteral("PreceptPrintCDS"));
    groupPreceptCDS_ = &AddMemDataSet(QStringLiteral("GroupPreceptCDS"));

    DeclareFields();
    InstallEvents();
    DataModuleCreate();
}

TFinancialDM::~TFinancialDM() {
    DataModuleDestroy();
}

TConnection& TFinancialDM::Db() const {
    if (!Connected())
        throw TError(res::CMN_NO_CONNECTION_ERR);
    return *ZConnection();
}

void TFinancialDM::DeclareFields() {
    Declare(*preceptZQ_, {{"preceptid", TFieldType::Integer, 0, ""},
                          {"preceptdate", TFieldType::Date, 0, "Datum"},
                          {"registerdate", TFieldType::Date, 0, "Datum knjiženja"},
                          {"number", TFieldType::String, 30, "Broj"},
                          {"status", TFieldType::String, 1, "Status"},
                          {"foreignid", TFieldType::Integer, 0, ""},
                          {"foreigntable", TFieldType::String, 20, ""},
                          {"precepttypeid", TFieldType::Integer, 0, "Tip naloga"},
                          {"description", TFieldType::String, 255, "Opis"},
                          {"parentid", TFieldType::Integer, 0, ""},
                          {"userid", TFieldType::Integer, 0, ""},
                          {"PreceptType", TFieldType::String, 50, "Tip"},
                          {"PreceptTypeNumber", TFieldType::String, 15, ""}});
    Declare(*precepttypeZQ_, {{"precepttypeid", TFieldType::Integer, 0, ""},
                              {"name", TFieldType::String, 50, "Ime"},
                              {"number", TFieldType::String, 15, "Broj"}});
    precepttypeZQ_->FieldByName(QStringLiteral("name")).SetRequired(true);
    precepttypeZQ_->FieldByName(QStringLiteral("number")).SetRequired(true);

    Declare(*preceptItemZQ_, kItemFields);
    Declare(*preceptItemZQ_, {{"ContoCode", TFieldType::String, 9, "Konto"},
                              {"ContoNewCode", TFieldType::String, 9, "Novi konto"},
                              {"AccountType", TFieldType::String, 255, ""},
                              {"AccountNewType", TFieldType::String, 255, ""},
                              {"SubcontoName", TFieldType::String, 255, "Naziv analitike"}});
    Format(*preceptItemZQ_, {"debit", "credit"}, kValueFormat);
    // Named for the messages of the line tests; the codes are what people see.
    preceptItemZQ_->FieldByName(QStringLiteral("accountid"))
        .SetDisplayLabel(QStringLiteral("Konto"));
    preceptItemZQ_->FieldByName(QStringLiteral("accountnewid"))
        .SetDisplayLabel(QStringLiteral("Novi konto"));
    for (const char* hidden : {"preceptitemid", "preceptid", "accountid", "accountnewid",
                               "AccountType", "AccountNewType"})
        preceptItemZQ_->FieldByName(QString::fromLatin1(hidden)).SetVisible(false);

    DeclareAccount(*accountZQ_, "accountid");
    DeclareAccount(*accountNewZQ_, "accountnewid");

    Declare(*subaccountZQ_, {{"Code", TFieldType::Integer, 0, "Kod"},
                             {"name", TFieldType::String, 100, "Ime"},
                             {"debit", TFieldType::Float, 0, "Duguje"},
                             {"credit", TFieldType::Float, 0, "Potražuje"},
                             {"balance", TFieldType::Float, 0, "Saldo"}});
    Format(*subaccountZQ_, {"debit", "credit", "balance"}, kValueFormat);

    Declare(*accountItemZQ_, kItemFields);
    Declare(*accountItemZQ_, {{"preceptdate", TFieldType::Date, 0, "Datum"},
                              {"number", TFieldType::String, 30, "Broj"},
                              {"balance", TFieldType::Float, 0, "Saldo"},
                              {"PreceptTypeNumber", TFieldType::String, 15, ""}});
    Format(*accountItemZQ_, {"debit", "credit", "balance"}, kValueFormat);

    Declare(*logZQ_, kItemFields);
    Declare(*logZQ_, {{"preceptdate", TFieldType::Date, 0, "Datum"},
                      {"registerdate", TFieldType::Date, 0, "Datum knjiženja"},
                      {"number", TFieldType::String, 30, "Broj"},
                      {"accountcode", TFieldType::String, 14, "Konto"},
                      {"accountnewcode", TFieldType::String, 19, "Novi konto"},
                      {"PreceptTypeNumber", TFieldType::String, 15, ""}});
    Format(*logZQ_, {"debit", "credit"}, kValueFormat);

    Declare(*financialiniZQ_, {{"financialini", TFieldType::Integer, 0, ""},
                               {"module", TFieldType::String, 20, "Modul"},
                               {"entitytype", TFieldType::String, 2, "Tip"},
                               {"conto", TFieldType::String, 9, "Konto"},
                               {"contonew", TFieldType::String, 9, "Novi konto"},
                               {"subaccount", TFieldType::String, 20, "Analitika"},
                               {"debitexp", TFieldType::String, 0, "Duguje formula"},
                               {"creditexp", TFieldType::String, 0, "Potražuje formula"},
                               {"descriptionfmt", TFieldType::String, 200, "Format opisa"}});
    for (const char* exp : {"debitexp", "creditexp"})
        financialiniZQ_->FieldByName(QString::fromLatin1(exp)).OnGetText =
            [](const TField& f, bool) { return f.AsString().left(255); };
    financialiniZQ_->FieldByName(QStringLiteral("conto")).SetRequired(true);
    financialiniZQ_->FieldByName(QStringLiteral("module")).SetRequired(true);
    financialiniZQ_->Params().append(TParam(QStringLiteral("ModuleName")));
    financialiniZQ_->Params().append(TParam(QStringLiteral("EntityName")));

    Declare(*oldAccountingBalanceZQ_, {{"accountid", TFieldType::Integer, 0, ""},
                                       {"name", TFieldType::String, 150, "Ime"},
                                       {"code", TFieldType::String, 9, "Kod"},
                                       {"type", TFieldType::String, 255, "Tip"},
                                       {"balance", TFieldType::Float, 0, "Saldo"}});
    Format(*oldAccountingBalanceZQ_, {"balance"}, kValueFormat);

    Declare(*preceptPrintCDS_, {{"PreceptID", TFieldType::Integer, 0, ""},
                                {"PreceptType", TFieldType::String, 50, "Tip"},
                                {"PreceptNumber", TFieldType::String, 30, "Broj"},
                                {"PreceptDate", TFieldType::Date, 0, "Datum"},
                                {"PreceptRegisterDate", TFieldType::Date, 0, "Datum knjiženja"},
                                {"PreceptStatus", TFieldType::String, 1, "Status"},
                                {"PreceptDescription", TFieldType::String, 255, "Opis"},
                                {"PreceptPrint", TFieldType::Boolean, 0, "Štampaj"},
                                {"PreceptForeignID", TFieldType::Integer, 0, ""},
                                {"PreceptForeignTable", TFieldType::String, 20, ""}});
    Declare(*groupPreceptCDS_, {{"PreceptID", TFieldType::Integer, 0, ""},
                                {"PreceptType", TFieldType::String, 50, "Tip"},
                                {"PreceptNumber", TFieldType::String, 30, "Broj"},
                                {"PreceptDate", TFieldType::Date, 0, "Datum"},
                                {"PreceptRegisterDate", TFieldType::Date, 0, "Datum knjiženja"},
                                {"ItemContoNewCode", TFieldType::String, 9, "Konto"},
                                {"ItemForeignID", TFieldType::Integer, 0, "Analitika"},
                                {"ItemSubcontoName", TFieldType::String, 255, "Naziv analitike"},
                                {"ItemDescription", TFieldType::String, 100, "Opis"},
                                {"ItemRelatedEntity", TFieldType::String, 255, "Veza"},
                                {"ItemDebit", TFieldType::Float, 0, "Duguje"},
                                {"ItemCredit", TFieldType::Float, 0, "Potražuje"},
                                {"ItemCount", TFieldType::Integer, 0, ""},
                                {"ItemPage", TFieldType::Integer, 0, ""},
                                {"PreceptEmptyRows", TFieldType::String, 255, ""}});
    Format(*groupPreceptCDS_, {"ItemDebit", "ItemCredit"}, kValueFormat);
}

void TFinancialDM::InstallEvents() {
    preceptZQ_->OnNewRecord = [this](TDataSet&) { PreceptZQNewRecord(); };
    preceptZQ_->BeforePost = [this](TDataSet&) { PreceptZQBeforePost(); };
    preceptZQ_->BeforeDelete = [this](TDataSet&) { PreceptZQBeforeDelete(); };
    preceptZQ_->FieldByName(QStringLiteral("precepttypeid")).OnChange = [this](TField& f) {
        TDataSet& p = *preceptZQ_;
        const qint64 id = p.State() == TDataSetState::Insert
                              ? 0
                              : p.FieldByName(QStringLiteral("preceptid")).AsInteger();
        p.FieldByName(QStringLiteral("number"))
            .SetValue(GetPreceptNum(p.FieldByName(QStringLiteral("registerdate")).AsDate(), id,
                                    f.AsInteger()));
    };
    preceptZQ_->FieldByName(QStringLiteral("status")).OnGetText = [this](const TField& f, bool) {
        if (preceptZQ_->IsEmpty() && !preceptZQ_->Editing())
            return QString();
        return f.AsString() == QLatin1String("p") ? res::DOC_REG_STATUS_CAPTION
                                                  : res::DOC_NOT_REG_STATUS_CAPTION;
    };
    // The print list shows its tick and status as words, and takes the tick back as one.
    preceptPrintCDS_->FieldByName(QStringLiteral("PreceptPrint")).OnGetText =
        [this](const TField& f, bool) {
            if ((preceptPrintCDS_->IsEmpty() && !preceptPrintCDS_->Editing()) || f.IsNull())
                return QString();
            return f.AsBoolean() ? res::YES_CAP : res::NO_CAP;
        };
    preceptPrintCDS_->FieldByName(QStringLiteral("PreceptPrint")).OnSetText =
        [](TField& f, const QString& text) {
            f.SetValue(text.isEmpty() ? QVariant() : QVariant(text == res::YES_CAP));
        };
    preceptPrintCDS_->FieldByName(QStringLiteral("PreceptStatus")).OnGetText =
        [this](const TField& f, bool) {
            if (preceptPrintCDS_->IsEmpty() && !preceptPrintCDS_->Editing())
                return QString();
            return f.AsString() == QLatin1String("p") ? res::DOC_REG_STATUS_CAPTION
                                                      : res::DOC_NOT_REG_STATUS_CAPTION;
        };
    precepttypeZQ_->BeforePost = [this](TDataSet&) { PrecepttypeZQBeforePost(); };
    precepttypeZQ_->BeforeDelete = [this](TDataSet&) { PrecepttypeZQBeforeDelete(); };
    preceptItemZQ_->OnNewRecord = [this](TDataSet&) { PreceptItemZQNewRecord(); };
    preceptItemZQ_->BeforePost = [this](TDataSet&) { PreceptItemZQBeforePost(); };
    preceptItemZQ_->BeforeDelete = [this](TDataSet&) { PreceptItemZQBeforeDelete(); };
    preceptItemZQ_->FieldByName(QStringLiteral("ContoCode")).OnChange = [this](TField&) {
        PreceptItemZQCodeChange(false);
    };
    preceptItemZQ_->FieldByName(QStringLiteral("ContoNewCode")).OnChange = [this](TField&) {
        PreceptItemZQCodeChange(true);
    };
    preceptItemZQ_->FieldByName(QStringLiteral("foreignid")).OnChange = [this](TField&) {
        PreceptItemZQforeignidChange();
    };

    for (TQuery* accounts : {accountZQ_, accountNewZQ_}) {
        TField& type = accounts->FieldByName(QStringLiteral("type"));
        type.OnGetText = [this](const TField& f, bool) { return GetTypeCaption(f.AsString()); };
        type.OnSetText = [this](TField& f, const QString& text) {
            if (text.isEmpty()) {
                f.Clear();
                return;
            }
            const QString key = GetTypeFromDesc(text);
            f.SetValue(key.isEmpty() ? QVariant() : QVariant(key));
        };
        accounts->BeforePost = [this](TDataSet& ds) { CommonBeforePost(ds); };
        accounts->BeforeDelete = [this](TDataSet& ds) { CommonBeforeDelete(ds); };
        accounts->AfterScroll = [this, accounts](TDataSet&) { ReloadSubaccounts(*accounts); };
    }
    oldAccountingBalanceZQ_->FieldByName(QStringLiteral("type")).OnGetText =
        [this](const TField& f, bool) { return GetTypeCaption(f.AsString()); };
    subaccountZQ_->BeforeDelete = [this](TDataSet&) { SubaccountZQBeforeDelete(); };

    financialiniZQ_->BeforePost = [this](TDataSet&) { FinancialiniZQBeforePost(); };
    financialiniZQ_->OnNewRecord = [this](TDataSet& ds) {
        ds.FieldByName(QStringLiteral("module"))
            .SetValue(financialiniZQ_->ParamByName(QStringLiteral("ModuleName")).Value());
        ds.FieldByName(QStringLiteral("entitytype"))
            .SetValue(financialiniZQ_->ParamByName(QStringLiteral("EntityName")).Value());
        ds.FieldByName(QStringLiteral("debitexp")).SetValue(QStringLiteral("0"));
        ds.FieldByName(QStringLiteral("creditexp")).SetValue(QStringLiteral("0"));
    };
}

void TFinancialDM::CreateFieldValidations(TFieldValidations& v) {
    auto notEmpty = [](const TField& f) { return TestZeroLength(f); };
    auto date = [](const TField& f) { return TestDate(f); };
    auto add = [&v](TDataSet* ds, const char* field, bool required,
                    std::function<bool(const TField&)> test = {}) {
        v.append({ds, QString::fromLatin1(field), required, std::move(test)});
    };
    add(preceptZQ_, "precepttypeid", true);
    add(preceptZQ_, "number", true, notEmpty);
    add(preceptZQ_, "preceptdate", true, date);
    add(preceptZQ_, "registerdate", true, date);
    add(preceptItemZQ_, "credit", true);
    add(preceptItemZQ_, "debit", true);
    add(preceptItemZQ_, "accountid", false,
        [this](const TField& f) { return PreceptItemAccountTest(f, false); });
    add(preceptItemZQ_, "accountnewid", false,
        [this](const TField& f) { return PreceptItemAccountTest(f, true); });
    add(preceptItemZQ_, "foreignid", false,
        [this](const TField& f) { return PreceptItemSubaccountTest(f); });
    add(precepttypeZQ_, "name", true, notEmpty);
    add(precepttypeZQ_, "number", true, notEmpty);
    add(accountZQ_, "name", true, notEmpty);
    add(accountZQ_, "code", true, [this](const TField& f) {
        return AccountCodeTest(f, QStringLiteral("account"), QStringLiteral("accountid"));
    });
    add(accountZQ_, "type", false);
    add(accountNewZQ_, "name", true, notEmpty);
    add(accountNewZQ_, "code", true, [this](const TField& f) {
        return AccountCodeTest(f, QStringLiteral("accountnew"), QStringLiteral("accountnewid"));
    });
    add(accountNewZQ_, "type", false);
}

void TFinancialDM::DataModuleCreate() {
    TCustomDM::DataModuleCreate();
    FillBuiltInSubaccountTypes();
    SortRecalculating = false;
    PreceptOpen = false;
    RecalcSortOnDelete = true;
    AccountCardOpen = false;
    UseNewChart = true;
    SubaccountsReloaded = false;
    LastItemSort = 0;
    SetReservedPreceptTypes();
    LoadOptions();
}

void TFinancialDM::DataModuleDestroy() {
    SubaccountSQL.clear();
    SubaccountCaptions.clear();
}

// ---- Options ------------------------------------------------------------------------

void TFinancialDM::LoadOptions() {
    // Without a connection (at package load) the built-in defaults stay.
    if (!Connected())
        return;
    const TDBIniFile ini(ZConnection());
    const QString F = kFinancialSection;
    const TFinancialOptions d;
    TFinancialOptions& o = options_;
    o.PreceptNumFmt = ini.ReadString(F, QStringLiteral("PreceptNumFmt"), d.PreceptNumFmt);
    auto flag = [&](const char* key, bool def) {
        return ini.ReadBool(F, QString::fromLatin1(key), def);
    };
    o.UseDocumentDate = flag("UseDocumentDate", d.UseDocumentDate);
    o.UseRelatedEntityDateRegister =
        flag("UseRelatedEntityDateRegister", d.UseRelatedEntityDateRegister);
    o.UseDocumentIssueDate = flag("UseDocumentIssueDate", d.UseDocumentIssueDate);
    o.UseRelatedEntityNumber = flag("UseRelatedEntityNumber", d.UseRelatedEntityNumber);
    o.ChangePreceptItemDescription =
        flag("ChangePreceptItemDescription", d.ChangePreceptItemDescription);
    o.NotAllowRegisterOnSyntAcc = flag("NotAllowRegisterOnSyntAcc", d.NotAllowRegisterOnSyntAcc);
    o.AccountShowValues = flag("AccountShowValues", d.AccountShowValues);
    o.AutoPreceptRegisterDateChange =
        flag("AutoPreceptRegisterDateChange", d.AutoPreceptRegisterDateChange);
    const qint64 year = ini.ReadInteger(F, QStringLiteral("FinancialYear"), d.FinancialYear);
    // A year no date can hold would break every period; the default stands instead.
    o.FinancialYear = (year >= 1990 && year <= 2100) ? static_cast<int>(year) : d.FinancialYear;
    o.StockCardsForRetail = ini.ReadBool(kDocumentSection, QStringLiteral("StockCardsForRetail"),
                                         d.StockCardsForRetail);
    o.TransitionToNewChartOfAccounts =
        flag("TransitionToNewChartOfAccounts", d.TransitionToNewChartOfAccounts);
    AutoToDate = QDate(o.FinancialYear, 12, 31);
}

TOptionsPageValues TFinancialDM::OptionsToControls() const {
    TOptionsPageValues v;
    v.financialYear = options_.FinancialYear;
    v.autoToDate = AutoToDate.isValid() ? AutoToDate : QDate(options_.FinancialYear, 12, 31);
    const TDBIniFile ini(Connected() ? ZConnection() : nullptr);
    const QString F = kFinancialSection;
    v.preceptNumFmt =
        ini.ReadString(F, QStringLiteral("PreceptNumFmt"),
                       FindOptionKey(F, QStringLiteral("PreceptNumFmt"))->defaultValue);
    for (const QString& key : OptionCheckKeys())
        v.checks[key] = ini.ReadBool(F, key, FindOptionKey(F, key)->defaultValue == "1");
    const QDate closed =
        ini.ReadDate(F, QStringLiteral("UnregisterClosedPeriod"), kClosedPeriodOff);
    v.closedPeriodOn = closed.isValid() && closed >= kClosedPeriodOff.addDays(1);
    v.closedPeriod = v.closedPeriodOn ? closed : kClosedPeriodOff;
    for (const TMethodRow& row : MethodRows()) {
        const QString name = ini.ReadString(F, row.key, GetMethodName(row.methods.first()));
        v.methodCaptions[row.key] = GetMethodCaption(name);
    }
    return v;
}

void TFinancialDM::ControlsToOptions(const TOptionsPageValues& v) {
    options_.FinancialYear = v.financialYear;
    AutoToDate = ClampToYear(v.autoToDate, v.financialYear);
    TDBIniFile ini(Connected() ? ZConnection() : nullptr);
    const QString F = kFinancialSection;
    TTransaction transaction(Db());
    ini.WriteString(F, QStringLiteral("PreceptNumFmt"), v.preceptNumFmt);
    for (const QString& key : OptionCheckKeys())
        ini.WriteBool(F, key, v.checks.value(key));
    WriteClosedPeriod(Db(), v.closedPeriodOn ? v.closedPeriod : kClosedPeriodOff);
    for (const TMethodRow& row : MethodRows())
        ini.WriteString(F, row.key, GetMethodName(v.methodCaptions.value(row.key)));
    transaction.Commit();

    options_.PreceptNumFmt = v.preceptNumFmt;
    auto check = [&v](const char* key) { return v.checks.value(QString::fromLatin1(key)); };
    options_.UseDocumentDate = check("UseDocumentDate");
    options_.UseRelatedEntityDateRegister = check("UseRelatedEntityDateRegister");
    options_.UseDocumentIssueDate = check("UseDocumentIssueDate");
    options_.UseRelatedEntityNumber = check("UseRelatedEntityNumber");
    options_.ChangePreceptItemDescription = check("ChangePreceptItemDescription");
    options_.NotAllowRegisterOnSyntAcc = check("NotAllowRegisterOnSyntAcc");
    options_.AutoPreceptRegisterDateChange = check("AutoPreceptRegisterDateChange");
    options_.AccountShowValues = check("AccountShowValues");
}

bool TFinancialDM::CheckValues(const TOptionsPageValues& v) {
    for (const TMethodRow& row : MethodRows())
        if (GetMethodName(v.methodCaptions.value(row.key)).isEmpty())
            return false;
    return true;
}

void TFinancialDM::ResetAutoConter() {
    TDBIniFile(ZConnection()).EraseSection(kAutoConterSection);
}

// ---- Vouchers -----------------------------------------------------------------------

void TFinancialDM::PreceptZQNewRecord() {
    const QDate today = Today();
    const int year = options_.FinancialYear;
    QDate date = today;
    if (today.year() != year) {
        const int day = (today.month() == 2 && today.day() == 29) ? 28 : today.day();
        date = QDate(year, today.month(), day);
    }
    TDataSet& p = *preceptZQ_;
    p.FieldByName(QStringLiteral("preceptdate")).SetValue(date);
    LastItemSort = 0;
    p.FieldByName(QStringLiteral("registerdate")).SetValue(date);
    p.FieldByName(QStringLiteral("status")).SetValue(QStringLiteral("n"));
    qint64 userId = 0;
    QString name;
    SetPreceptPublisher(userId, name);
}

void TFinancialDM::PreceptZQBeforePost() {
    TField& number = preceptZQ_->FieldByName(QStringLiteral("number"));
    const QString trimmed = number.AsString().trimmed();
    number.SetValue(trimmed.isEmpty() ? QVariant() : QVariant(trimmed));
    CommonBeforePost(*preceptZQ_);
}

void TFinancialDM::PreceptZQBeforeDelete() {
    if (ParentPreceptExists())
        throw TError(res::PART_EXIST_ERR);
    CommonBeforeDelete(*preceptZQ_);
}

int TFinancialDM::GetPreceptIndex(QChar kind, const QDate& date, qint64 preceptId,
                                  qint64 preceptTypeId) {
    QDate from, to;
    switch (kind.toLatin1()) {
        case 'd':
            from = date;
            to = date.addDays(1);
            break;
        case 'm':
            from = QDate(date.year(), date.month(), 1);
            to = from.addMonths(1);
            break;
        default:
            from = QDate(date.year(), 1, 1);
            to = from.addYears(1);
            break;
    }
    // A new voucher of a long job counts from the job's cache, which sees its own inserts.
    if (cache_ && preceptId <= 0)
        return cache_->PreceptCount(from, to, preceptTypeId) + 1;
    QString sql = QStringLiteral(
        "SELECT COUNT(*) FROM precept WHERE preceptid <> ? AND preceptdate >= ? "
        "AND preceptdate < ?");
    QVariantList params{preceptId, from, to};
    if (preceptTypeId > 0) {
        sql += QStringLiteral(" AND precepttypeid = ?");
        params << preceptTypeId;
    }
    return Db().SelectValue(sql, params).toInt() + 1;
}

QString TFinancialDM::GetPreceptNum(const QDate& date, qint64 preceptId, qint64 preceptTypeId) {
    const QString format = options_.PreceptNumFmt;
    QString placeholder;
    for (const char* p : {"{g}", "{m}", "{d}"})
        if (format.contains(QLatin1String(p))) {
            placeholder = QString::fromLatin1(p);
            break;
        }

    QString formatted;
    if (!placeholder.isEmpty() && date.isValid()) {
        const int counter = GetPreceptIndex(placeholder[1], date, preceptId, preceptTypeId);
        const int positions = format.count(placeholder);
        const QString digits = CounterDigits(counter, positions);
        int next = 0;  // the next digit to write; the first position takes any surplus
        const int surplus = digits.size() - positions;
        for (int i = 0; i < format.size();) {
            if (format.mid(i, 3) == placeholder) {
                const int take = next == 0 ? 1 + surplus : 1;
                formatted += digits.mid(next, take);
                next += take;
                i += 3;
                continue;
            }
            const QChar c = format[i];
            const QChar lower = c.toLower();
            if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
                const int end = format.indexOf(c, i + 1);
                const int stop = end < 0 ? format.size() : end;
                formatted += format.mid(i + 1, stop - i - 1);
                i = stop + 1;
            } else if (lower == QLatin1Char('y')) {
                const int n = RunLength(format, i);
                formatted += n >= 3 ? QString::number(date.year()).rightJustified(4, '0')
                                    : QString::number(date.year() % 100).rightJustified(2, '0');
                i += n;
            } else if (lower == QLatin1Char('m') || lower == QLatin1Char('d')) {
                const int n = std::min(RunLength(format, i), 2);
                const int value = lower == QLatin1Char('m') ? date.month() : date.day();
                formatted +=
                    n == 2 ? QString::number(value).rightJustified(2, '0') : QString::number(value);
                i += n;
            } else {
                formatted += c;
                ++i;
            }
        }
    }

    QString typeNumber;
    if (!precepttypeZQ_->Active())
        precepttypeZQ_->Open();
    if (cache_) {
        typeNumber = cache_->PreceptTypeNumber(preceptTypeId);
    } else {
        for (const auto& row : ZConnection()
                                   ->Select(QStringLiteral("SELECT number FROM precepttype WHERE "
                                                           "precepttypeid = ?"),
                                            {preceptTypeId})
                                   .rows)
            typeNumber = row.value(0).toString();
    }
    return formatted + QLatin1Char('-') + typeNumber;
}

bool TFinancialDM::ValidatePreceptNumber() {
    const TField& number = preceptZQ_->FieldByName(QStringLiteral("number"));
    const QVariant type = preceptZQ_->FieldByName(QStringLiteral("precepttypeid")).Value();
    if (!TestZeroLength(number) ||
        !TestUnique(number, QStringLiteral("precept"), QStringLiteral("number"),
                    {{QStringLiteral("precepttypeid"), type}}, QStringLiteral("preceptid"))) {
        Ui().ShowMessage(TMessageType::Error, res::PRECEPT_SAME_NUM_ERR);
        return false;
    }
    return true;
}

bool TFinancialDM::ValidatePreceptNumberString(const QString& number, qint64 preceptTypeId,
                                               qint64 preceptId) {
    if (number.isEmpty())
        return false;
    const TResultSet r =
        Db().Select(QStringLiteral("SELECT preceptid,number FROM precept WHERE number = ? AND "
                                   "precepttypeid = ?"),
                    {number, preceptTypeId});
    return r.IsEmpty() || (r.rows.size() == 1 && r.rows[0].value(0).toLongLong() == preceptId);
}

void TFinancialDM::SetReservedPreceptTypes() {
    ReservedPreceptTypes.clear();
    for (int i = 1; i <= 30; ++i)
        ReservedPreceptTypes << QString::number(i);
}

bool TFinancialDM::IsReservedPreceptType(const QString& number) const {
    return ReservedPreceptTypes.contains(number);
}

void TFinancialDM::PrecepttypeZQBeforePost() {
    if (IsReservedPreceptType(precepttypeZQ_->FieldByName(QStringLiteral("number")).AsString()))
        throw TError(res::PREC_TYPE_NO_ADD_WRN);
    CommonBeforePost(*precepttypeZQ_);
}

void TFinancialDM::PrecepttypeZQBeforeDelete() {
    if (IsReservedPreceptType(precepttypeZQ_->FieldByName(QStringLiteral("number")).AsString()))
        throw TError(res::PREC_TYPE_NO_DEL_WRN);
    CommonBeforeDelete(*precepttypeZQ_);
}

bool TFinancialDM::ParentPreceptExists() {
    const QVariant parent = preceptZQ_->FieldByName(QStringLiteral("parentid")).Value();
    if (parent.isNull())
        return false;
    return !ZConnection()
                ->Select(QStringLiteral("SELECT preceptid FROM precept WHERE preceptid = ?"),
                         {parent})
                .IsEmpty();
}

qint64 TFinancialDM::CopyPrecept(qint64 preceptId, const QStringList& values) {
    TColumnValues overrides;
    for (const QString& v : values) {
        const int eq = v.indexOf(QLatin1Char('='));
        if (eq <= 0)
            throw TError(QStringLiteral("Neispravna vrednost za kopiranje naloga: \"%1\".").arg(v));
        const QString column = v.left(eq).trimmed();
        const QString text = v.mid(eq + 1);
        QVariant value = text;
        if (text.isEmpty() || text.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0)
            value = QVariant();
        else if (column.endsWith(QLatin1String("date"))) {
            // Dates come as the user reads them or as the database writes them.
            const auto date = MyDateStrToDate(text);
            if (!date)
                throw TError(res::CMN_INVALID_DATE_ERR.arg(text, column));
            value = *date;
        }
        overrides.append({column, value});
    }
    TConnection& c = Db();
    TTransaction transaction(c);
    const qint64 id = CopyDataSet(QStringLiteral("precept"),
                                  {{QStringLiteral("preceptid"), preceptId}}, overrides);
    if (id <= 0)
        return 0;  // no such voucher: nothing copied
    CopyDataSet(QStringLiteral("preceptitem"), {{QStringLiteral("preceptid"), preceptId}},
                {{QStringLiteral("preceptid"), id}});
    transaction.Commit();
    return id;
}

void TFinancialDM::GetPublisher(qint64& userId, QString& name, bool currentUser) {
    if (currentUser && cache_ && cache_->CurrentUser) {
        userId = cache_->CurrentUser->first;
        name = cache_->CurrentUser->second;
        return;
    }
    const std::shared_ptr<ISecurity> security = SecurityLookup ? SecurityLookup() : nullptr;
    if (!security)
        return;
    TUserDescription user;
    const bool found =
        currentUser ? security->GetCurrentUser(user) : security->GetUser(userId, user);
    if (!found) {
        userId = -1;
        return;
    }
    userId = user.id;
    name = user.firstName + QLatin1Char(' ') + user.lastName;
    if (currentUser && cache_)
        cache_->CurrentUser = std::make_pair(userId, name);
}

void TFinancialDM::SetPreceptPublisher(qint64& userId, QString& name) {
    if (!SecurityLookup || !SecurityLookup())
        return;  // a missing security module leaves the user as it was
    if (preceptZQ_->State() == TDataSetState::Browse)
        preceptZQ_->Edit();
    GetPublisher(userId, name, true);
    preceptZQ_->FieldByName(QStringLiteral("userid")).SetValue(userId);
}

bool TFinancialDM::CheckPreceptStatus() {
    const QVariant id = preceptZQ_->FieldByName(QStringLiteral("preceptid")).Value();
    const TResultSet r =
        Db().Select(QStringLiteral("SELECT status FROM precept WHERE preceptid = ?"), {id});
    if (!r.IsEmpty() && r.rows[0].value(0).toString() == QLatin1String("p")) {
        Ui().ShowMessage(TMessageType::Warning, res::PRECEPT_REG_WRN);
        return false;
    }
    return true;
}

void TFinancialDM::GetModuleNames(QStringList& list) const {
    for (const auto& a : Automats)
        list << a->ModuleName();
}

QString TFinancialDM::GetTableNameByModuleName(const QString& moduleName) const {
    for (const auto& a : Automats)
        if (a->ModuleName() == moduleName)
            return a->TableName();
    return {};
}

bool TFinancialDM::GetEntityID(const QString& moduleName, qint64& id, QString& description) {
    for (const auto& a : Automats)
        if (a->ModuleName() == moduleName)
            return a->GetEntityID(id, description);
    return false;
}

// ---- Account types and sub-accounts -----------------------------------------------------

void TFinancialDM::FillBuiltInSubaccountTypes() {
    SubaccountSQL = {
        QStringLiteral("partner=SELECT partnerid AS Code,name,(partnerid + 0.0) AS debit,"
                       "(partnerid + 0.0) AS credit,(partnerid + 0.0) AS balance FROM partner "
                       "ORDER BY partnerid"),
        QStringLiteral("product=SELECT productid AS Code,name,(productid + 0.0) AS debit,"
                       "(productid + 0.0) AS credit,(productid + 0.0) AS balance FROM product "
                       "ORDER BY productid"),
        QStringLiteral("warehouse=SELECT warehouseid AS Code,name,(warehouseid + 0.0) AS debit,"
                       "(warehouseid + 0.0) AS credit,(warehouseid + 0.0) AS balance FROM "
                       "warehouse ORDER BY warehouseid"),
        QStringLiteral("tax=SELECT taxid AS Code,name,(taxid + 0.0) AS debit,(taxid + 0.0) AS "
                       "credit,(taxid + 0.0) AS balance FROM tax ORDER BY taxid"),
        QStringLiteral("bankaccount=SELECT bankaccountid AS Code,IF(bank IS NULL,account,"
                       "CONCAT(account,' - ',bank)) AS name,(bankaccountid + 0.0) AS debit,"
                       "(bankaccountid + 0.0) AS credit,(bankaccountid + 0.0) AS balance FROM "
                       "bankaccount WHERE partnerid IS NULL ORDER BY bankaccountid"),
    };
    static const QStringList keys{"partner", "product", "warehouse", "tax", "bankaccount"};
    SubaccountCaptions.clear();
    const QStringList captions = res::SUB_BUILTIN_CAPTIONS.split(QLatin1Char(';'));
    for (int i = 0; i < keys.size(); ++i) {
        QString caption = captions.value(i);
        if (caption.startsWith(QLatin1Char('"')) && caption.endsWith(QLatin1Char('"')))
            caption = caption.mid(1, caption.size() - 2);
        SubaccountCaptions << keys[i] + QLatin1Char('#') + caption;
    }
}

void TFinancialDM::AddFreeAccountType(const QString& name) {
    const QString key = kSubaccountPrefix + EncodeSubaccStr(name);
    if (!TConnection::IsSafeIdentifier(key))
        return;  // no statement could name its table
    const QString entry = key + QLatin1Char('=') + UserTypeStatement(key);
    const QString prefix = key + QLatin1Char('=');
    bool replaced = false;
    for (QString& e : SubaccountSQL)
        if (e.startsWith(prefix)) {
            e = entry;
            replaced = true;
        }
    if (!replaced)
        SubaccountSQL << entry;
    // Loading twice (after a reconnect) must not list a type twice.
    const QString caption = key + QLatin1Char('#') + name;
    SubaccountCaptions.removeIf([&](const QString& e) { return e.startsWith(key + '#'); });
    SubaccountCaptions << caption;
}

void TFinancialDM::LoadFreeAccountTypes() {
    QStringList names;
    GetSubaccountTypes(ZConnection(), names);
    for (const QString& name : names)
        AddFreeAccountType(name);
}

QString TFinancialDM::GetTypeFromDesc(const QString& caption) const {
    for (const QString& e : SubaccountCaptions) {
        const int hash = e.indexOf(QLatin1Char('#'));
        if (hash >= 0 && e.mid(hash + 1) == caption)
            return e.left(hash);
    }
    return {};
}

QString TFinancialDM::GetTypeCaption(const QString& typeKey) const {
    if (typeKey.isEmpty())
        return {};
    return EntryValue(SubaccountCaptions, typeKey, QLatin1Char('#')).value_or(QString());
}

QString TFinancialDM::SubaccountStatement(const QString& typeKey) const {
    if (typeKey.isEmpty())
        return {};
    return EntryValue(SubaccountSQL, typeKey, QLatin1Char('=')).value_or(QString());
}

QString TFinancialDM::GetSubAccountName(const QString& typeKey, qint64 id) {
    if (typeKey.isEmpty() || id <= 0)
        return {};
    if (cache_)
        return cache_->SubaccountName(*this, typeKey, id);
    const QString sql = SubaccountStatement(typeKey);
    if (sql.isEmpty())
        return {};
    const TBusyCursor busy;
    QString narrowed = sql;
    narrowed.replace(QStringLiteral("ORDER BY"), QStringLiteral("HAVING Code = ? ORDER BY"));
    const TResultSet r = Db().Select(narrowed, {id});
    const int code = r.ColumnIndex(QStringLiteral("Code"));
    const int name = r.ColumnIndex(QStringLiteral("name"));
    for (const auto& row : r.rows)
        if (row.value(code).toLongLong() == id)
            return row.value(name).toString();
    return {};
}

void TFinancialDM::ReloadSubaccounts(TQuery& accounts) {
    if (AccountCardOpen)
        return;
    if (subaccountZQ_->Active())
        subaccountZQ_->Close();
    if (!accounts.Active() || accounts.Editing() || accounts.IsEmpty())
        return;
    const QString sql =
        SubaccountStatement(accounts.FieldByName(QStringLiteral("type")).AsString());
    if (sql.isEmpty())
        return;
    subaccountZQ_->SetSQL(sql);
    subaccountZQ_->Open();
    SubaccountsReloaded = true;
}

void TFinancialDM::AccountZQAfterScroll() {
    ReloadSubaccounts(*accountZQ_);
}

void TFinancialDM::AccountNewZQAfterScroll() {
    ReloadSubaccounts(*accountNewZQ_);
}

void TFinancialDM::SubaccountZQBeforeDelete() {
    if (Ui().Ask(res::CMN_DELETE_PROMT, TButtons::YesNo) != TAnswer::Yes)
        throw TAbort();
    // The table is named in the statement: "subaccount_..." up to the next blank, without
    // the key column's "id".
    const QString sql = subaccountZQ_->SQL();
    const int start = sql.indexOf(kSubaccountPrefix);
    if (start < 0)
        return;
    int end = sql.indexOf(QLatin1Char(' '), start);
    if (end < 0)
        end = sql.size();
    QString table = sql.mid(start, end - start);
    table.remove(QLatin1Char('`'));
    table.chop(2);
    TRelationalIntegrity* integrity = RelationalIntegrity();
    if (!integrity)
        return;
    const QVariant code = subaccountZQ_->FieldByName(QStringLiteral("Code")).Value();
    if (!integrity->CanDelete(table, code, Db()) || !integrity->CanDeleteFinancial(table, code))
        throw TError(res::CMN_RELATIONAL_INTEGRITY_ERR);
}

bool TFinancialDM::AccountCodeTest(const TField& field, const QString& table,
                                   const QString& keyColumn) {
    // Digits only: a sign or blanks would read as a number but not as a code.
    static const QRegularExpression digits(QStringLiteral("^[0-9]{3,9}$"));
    if (!digits.match(field.AsString()).hasMatch())
        return false;
    return TestUnique(field, table, QStringLiteral("code"), {}, keyColumn);
}

QString TFinancialDM::GetAccountFrameDesc(const QString& number) {
    const TResultSet r = Db().Select(
        QStringLiteral("SELECT description FROM accountframe WHERE number = ?"), {number});
    return r.IsEmpty() ? QString() : r.rows[0].value(0).toString();
}

}  // namespace fin

namespace fin {

bool TFinancialDM::FindAccountByCode(TAccountDesc& desc, bool newChart) {
    return cache_ ? cache_->AccountByCode(desc, newChart) : GetAccountByCode(Db(), desc, newChart);
}

bool TFinancialDM::FindSubAccountByCode(TAccountDesc& desc, bool newChart) {
    return cache_ ? cache_->SubAccountByCode(desc, newChart)
                  : GetSubAccountByCode(Db(), desc, newChart);
}

}  // namespace fin

namespace fin {

void TFinancialDM::FinancialiniZQBeforePost() {
    TQuery& rules = *financialiniZQ_;
    const QString module = rules.ParamByName(QStringLiteral("ModuleName")).Value().toString();
    // A rule names its account; blanks are no account (the check below would pass them).
    const TField& conto = rules.FieldByName(QStringLiteral("conto"));
    if (conto.AsString().trimmed().isEmpty())
        throw TError(res::CMN_FIELD_REQUIRED_ERR.arg(conto.DisplayLabel()));
    // Every expression is checked before the rule is stored; the first bad one stops it.
    for (const char* name : {"conto", "subaccount", "debitexp", "creditexp"}) {
        const TField& f = rules.FieldByName(QString::fromLatin1(name));
        if (!CheckRuleExpression || !CheckRuleExpression(module, f.AsString()))
            throw TError(res::INV_EXP_FMT.arg(f.AsString(), f.DisplayLabel()));
    }
    CommonBeforePost(rules);
}

}  // namespace fin
