#pragma once

#include <QDate>
#include <QStringList>
#include <functional>
#include <memory>

#include "host/console/interfaces.h"
#include "host/data/customdm.h"
#include "host/data/dbinifile.h"
#include "ledger/accountdesc.h"
#include "ledger/financialoptions.h"

namespace fin {

// A registered source module's posting automat, as far as the voucher rules need one.
class IAutomatLookup {
public:
    virtual ~IAutomatLookup() = default;
    virtual QString ModuleName() const = 0;
    virtual QString TableName() const = 0;
    // Lets the user pick a source entity; false when nothing was chosen.
    virtual bool GetEntityID(qint64& id, QString& description) = 0;
};

// The data module: every standing dataset of the ledger and the rules that run on them.
class TLedgerCache;

class TFinancialDM : public TCustomDM {
public:
    TFinancialDM();
    ~TFinancialDM() override;

    // Standing datasets.
    TQuery& PreceptZQ() { return *preceptZQ_; }
    TQuery& PrecepttypeZQ() { return *precepttypeZQ_; }
    TQuery& PreceptItemZQ() { return *preceptItemZQ_; }
    TQuery& AccountZQ() { return *accountZQ_; }
    TQuery& AccountNewZQ() { return *accountNewZQ_; }
    TQuery& SubaccountZQ() { return *subaccountZQ_; }
    TQuery& AccountItemZQ() { return *accountItemZQ_; }
    TQuery& LogZQ() { return *logZQ_; }
    TQuery& FinancialiniZQ() { return *financialiniZQ_; }
    TQuery& OldAccountingBalanceZQ() { return *oldAccountingBalanceZQ_; }
    TDataSet& PreceptPrintCDS() { return *preceptPrintCDS_; }
    TDataSet& GroupPreceptCDS() { return *groupPreceptCDS_; }

    void DataModuleCreate() override;
    void DataModuleDestroy() override;

    // ---- Options -------------------------------------------------------------------
    void LoadOptions();
    const TFinancialOptions& Options() const { return options_; }
    TFinancialOptions& Options() { return options_; }
    // From financial year 2014 on, lines are kept on the new chart of accounts.
    bool NewChartYear() const { return options_.FinancialYear >= 2014; }

    // The options page, headless: what it shows, what saving it writes, whether it may
    // close, and the release of a batch-posting lock.
    TOptionsPageValues OptionsToControls() const;
    void ControlsToOptions(const TOptionsPageValues& values);
    static bool CheckValues(const TOptionsPageValues& values);
    void ResetAutoConter();

    // ---- Vouchers ------------------------------------------------------------------
    int GetPreceptIndex(QChar kind, const QDate& date, qint64 preceptId, qint64 preceptTypeId);
    QString GetPreceptNum(const QDate& date, qint64 preceptId, qint64 preceptTypeId);
    bool ValidatePreceptNumber();
    bool ValidatePreceptNumberString(const QString& number, qint64 preceptTypeId, qint64 preceptId);
    void SetReservedPreceptTypes();
    bool IsReservedPreceptType(const QString& number) const;
    bool ParentPreceptExists();
    // Copies a voucher with its lines in one transaction; values are "column=value".
    qint64 CopyPrecept(qint64 preceptId, const QStringList& values);
    void GetPublisher(qint64& userId, QString& name, bool currentUser);
    void SetPreceptPublisher(qint64& userId, QString& name);
    bool CheckPreceptStatus();

    // The rule dataset's check of an expression for a module, installed by automatic
    // posting; without it no rule can be stored.
    std::function<bool(const QString& module, const QString& expression)> CheckRuleExpression;

    // Source modules' automats, registered by the posting side.
    std::vector<std::shared_ptr<IAutomatLookup>> Automats;
    void GetModuleNames(QStringList& list) const;
    QString GetTableNameByModuleName(const QString& moduleName) const;
    bool GetEntityID(const QString& moduleName, qint64& id, QString& description);

    // How the data module reaches the security module; unset: no user is recorded.
    std::function<std::shared_ptr<ISecurity>()> SecurityLookup;

    // ---- Voucher lines ---------------------------------------------------------------
    // Lines after the deleted one move up a number, so the numbers stay without a gap.
    void RecalcPreceptItemSortNum(int deletedSort);
    // Sub-account names of every loaded line, in memory only.
    void FillSubcontoNames();

    // Look-ups of the source modules' data.
    QString GetRelatedEntityDescription(const QString& foreignTable, qint64 foreignId);
    void GetWarehouseByID(qint64 warehouseId, QChar& priceType, QChar& methodType, QString& code);
    QString GetPartnerTypeByID(qint64 partnerId);
    QString GetDefaultCurrency();
    // Home-currency amount of one unit of the currency.
    double GetDefaultCurrRate(qint64 exchangeListId, const QString& currencyCode);
    void GetRetailDocumentPayment(qint64 documentId, double& cash, double& cheque, double& card);
    // Paid for a document, as the bank module counts it; 0 with a message without it.
    double GetDocumentPayments(qint64 documentId);
    // Totals of the documents of a type linked to a document (advances a final invoice
    // settles): their payments, value and tax at the high and the low rate.
    void GetDocumentStornoAdvance(qint64 documentId, const QString& documentType,
                                  const QString& taxField, double& payments, double& value,
                                  double& taxHigh, double& taxLow);
    // How the data module reaches a sibling module by its identity (the console's look-up);
    // unset, or null for a module that is not loaded.
    std::function<IInterfacePtr(const QUuid&)> ModuleLookup;
    // How the data module reaches the bank module; unset or null: it is not there.
    std::function<std::shared_ptr<IBankPayments>()> BankLookup;
    bool SpecificCategoryInDocumentFin(qint64 documentId);
    bool DocumentHasAutoNivChild(qint64 documentId);
    bool AutoNivParentIsInvoice(qint64 documentId);

    // ---- Account types and sub-accounts ----------------------------------------------
    // "key=statement" and "key#caption" entries.
    QStringList SubaccountSQL;
    QStringList SubaccountCaptions;
    void AddFreeAccountType(const QString& name);
    void LoadFreeAccountTypes();
    QString GetTypeFromDesc(const QString& caption) const;
    QString GetTypeCaption(const QString& typeKey) const;
    QString SubaccountStatement(const QString& typeKey) const;
    QString GetSubAccountName(const QString& typeKey, qint64 id);
    void AccountZQAfterScroll();
    void AccountNewZQAfterScroll();
    QString GetAccountFrameDesc(const QString& number);

    // ---- Flags shared by the screens ---------------------------------------------------
    bool SortRecalculating = false;
    bool PreceptOpen = false;  // a voucher editor is open
    bool RecalcSortOnDelete = true;
    bool AccountCardOpen = false;
    bool UseNewChart = true;
    bool SubaccountsReloaded = false;
    int LastItemSort = 0;
    QDate AutoToDate;  // last source-document date that automatic posting takes
    // Old synthetic accounts already carried into a statement (",code" entries); emptied
    // when a new balance sheet starts its fill.
    QString UsedOldCodes;
    QStringList ReservedPreceptTypes;
    // The voucher list's last search as text for its prints, with the statement it ran:
    // once the list runs another statement the text no longer describes it.
    QString PreceptListSearchSQL;
    QStringList PreceptListSearchText;

    // How screens open a voucher in the editor: the package's own service, set by the
    // snap-in while it is loaded.
    std::function<void(int preceptId)> OpenPrecept;
    // Shows a voucher's source document in its module; false when that module is missing.
    std::function<bool(const QString& foreignTable, qint64 foreignId)> ShowRelatedEntity;

    // Reference data of a long job, consulted by the rules instead of the database while
    // installed (TLedgerCacheScope); null otherwise.
    TLedgerCache* LookupCache() const { return cache_; }
    void SetLookupCache(TLedgerCache* cache) { cache_ = cache; }
    bool FindAccountByCode(TAccountDesc& desc, bool newChart);
    bool FindSubAccountByCode(TAccountDesc& desc, bool newChart);

    // Today, as new vouchers see it; tests fix it.
    std::function<QDate()> Today = [] { return QDate::currentDate(); };

    TConnection& Db() const;  // the connection, or a clear error without one

protected:
    void CreateFieldValidations(TFieldValidations& validations) override;

private:
    void DeclareFields();
    void InstallEvents();
    void FillBuiltInSubaccountTypes();
    void ReloadSubaccounts(TQuery& accounts);
    void PreceptZQNewRecord();
    void PreceptZQBeforePost();
    void PreceptZQBeforeDelete();
    void PrecepttypeZQBeforePost();
    void FinancialiniZQBeforePost();
    void PrecepttypeZQBeforeDelete();
    void SubaccountZQBeforeDelete();
    void PreceptItemZQNewRecord();
    void PreceptItemZQBeforePost();
    void PreceptItemZQBeforeDelete();
    void PreceptItemZQCodeChange(bool newChart);
    void PreceptItemZQforeignidChange();
    bool PreceptItemAccountTest(const TField& field, bool newChart) const;
    bool PreceptItemSubaccountTest(const TField& field);
    bool AccountCodeTest(const TField& field, const QString& table, const QString& keyColumn);

    TQuery* preceptZQ_;
    TQuery* precepttypeZQ_;
    TQuery* preceptItemZQ_;
    TQuery* accountZQ_;
    TQuery* accountNewZQ_;
    TQuery* subaccountZQ_;
    TQuery* accountItemZQ_;
    TQuery* logZQ_;
    TQuery* financialiniZQ_;
    TQuery* oldAccountingBalanceZQ_;
    TDataSet* preceptPrintCDS_;
    TDataSet* groupPreceptCDS_;
    TFinancialOptions options_;
    TLedgerCache* cache_ = nullptr;
};

// The package's data module; null while none is installed.
TFinancialDM* FinancialDM();
void SetFinancialDM(TFinancialDM* dm);

}  // namespace fin
