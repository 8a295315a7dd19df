#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "ledger/financialdm.h"
#include "posting/variables.h"

namespace fin {

class TDataSet;
class TPostingRun;
class TQuery;

// A conter as the rule processor sees it.
class IModuleConter {
public:
    virtual ~IModuleConter() = default;
    virtual QString GetEntityType() const = 0;
    virtual QString GetModuleName() const = 0;
    virtual const TVariableList& GetVariables() const = 0;
    // Creates the voucher of the conter's source document.
    virtual void CreatePrecept() = 0;
    virtual bool CheckExpression(const QString& expression) = 0;
};
using IModuleConterPtr = std::shared_ptr<IModuleConter>;

// Computes the variables of one source document and creates its voucher: one per
// document, used once. Subclasses fill the variables and the voucher's module fields.
class TCustomConter : public IModuleConter {
public:
    // Without a run the conter serves checks and variable lists only. The base, when
    // given, is the run's shared list every document of the module starts from.
    TCustomConter(TFinancialDM& dm, TPostingRun* run, QString moduleName, QString foreignTable,
                  QString entityType, qint64 entityID, TDataSet* masterDataSet,
                  TDataSet* detailDataSet, std::shared_ptr<const TVariableList> base = nullptr);

    QString GetEntityType() const override { return EntityType; }
    QString GetModuleName() const override { return ModuleName; }
    const TVariableList& GetVariables() const override { return Variables; }
    void CreatePrecept() override;
    bool CheckExpression(const QString& expression) override;

    void AddVariable(const QString& name, const QVariant& value, TVariableType type,
                     bool accumulate = false, bool skipZero = false);
    void AddIndexVariable(const QString& name, const QVariant& value, TVariableType type);
    int GetNewIndex(const QString& name) const;

    // Every name rules of this module may use and its description, built on first use.
    const QStringList& VarNames();
    const QStringList& VarDescriptions();

    TVariableList Variables;
    QString ModuleName;
    QString ForeignTable;
    qint64 EntityID = 0;
    qint64 PreceptTypeID = 1;
    QString EntityType;
    TDataSet* MasterDataSet = nullptr;
    TDataSet* DetailDataSet = nullptr;

    // The voucher this conter appended to the list dataset (its bookmark), so a failed
    // document can take it away again; 0 before.
    quint64 AppendedPrecept = 0;

protected:
    virtual void CalculateVariables() = 0;
    virtual void InternalCreatePrecept() = 0;
    virtual void InternalCheckExpression(QString& expression) { Q_UNUSED(expression); }
    virtual void FillNames(QStringList& names, QStringList& descriptions) = 0;

    TFinancialDM& dm_;
    TPostingRun* run_;

private:
    void FillPreview();
    std::optional<std::pair<QStringList, QStringList>> names_;
    mutable QHash<QString, int> nextIndex_;  // where each family's search for a free number starts
};

// How a module's source rows are named: the columns of their id, date, kind and number,
// the status a row keeps while it waits for posting (empty: it has none), and the caption
// of a kind.
struct TSourceColumns {
    QString id, date, type, number = QStringLiteral("number");
    QString status;
    QString (*caption)(const QString& kind) = nullptr;
};

// Walks the source documents of one module that wait for posting. Lives as long as the
// package; its queries are open from OpenItems to CloseItems of one run.
class TCustomContoAutomat : public IAutomatLookup {
public:
    TCustomContoAutomat(TFinancialDM& dm, int kind, QString tableName, QString moduleName,
                        TSourceColumns columns = {});
    ~TCustomContoAutomat() override;

    int Kind() const { return kind_; }
    QString TableName() const override { return tableName_; }
    QString ModuleName() const override { return moduleName_; }

    TQuery& MasterQuery() const { return *master_; }
    TQuery& DetailQuery() const { return *detail_; }
    // The conter of the document being posted, held only while it posts.
    IModuleConterPtr Conter;
    // The run the next OpenItems belongs to; set by the driver.
    TPostingRun* Run = nullptr;

    virtual bool IsEnd() const;
    virtual QDate GetDate() const;
    // The documents from 1 January of the financial year to endDate without a voucher, of
    // one entity type or one id when given; with single, at most one.
    virtual void OpenItems(const QDate& endDate, bool single, const QString& entityType,
                           qint64 entityID) = 0;
    virtual void CloseItems();
    // Posts the current document in a transaction of its own, then moves to the next one
    // whatever happened. A document that another workstation posted, deleted or changed
    // since the selection is passed over.
    virtual void CreatePrecept();
    bool GetEntityID(qint64& id, QString& description) override = 0;

    // How many documents the open selection holds.
    virtual int Pending() const;
    // "Račun 12" and the like, for progress lines and messages.
    virtual QString CurrentCaption() const;
    // The current document's id and kind.
    virtual qint64 CurrentID() const;
    QString CurrentType() const;
    // Passes the current document over without posting it.
    virtual void Skip();

protected:
    // The named values of a selection statement.
    using TValues = QVector<QPair<QString, QVariant>>;
    // The conditions every selection may add, in this order: one entity type, the types
    // excluded in the settings ("AutoNotConter", key = the kind; letters between quote,
    // comma, quote, read as a list and bound, never pasted), one id.
    void AddFilters(QString& sql, TValues& values, const QString& typeColumn,
                    const QString& entityType, bool withExcluded, const QString& idColumn,
                    qint64 entityID) const;
    // Runs the selection on the master query and stands on its first row.
    void OpenMaster(const QString& sql, const TValues& values);
    // Shows the current document's detail rows. When the document is not among those read
    // last, the rows of the next stretch of waiting documents are read at once: sql holds
    // "%1" where their ids go, keyField names a row's document id. True when it read.
    bool OpenStretch(qint64 id, const QString& sql, const QString& keyField);
    // The documents of the stretch read last.
    const QVector<qint64>& Stretch() const { return stretch_; }

    // Locks the source row inside the document's transaction; false when it is gone or
    // no longer waits for posting.
    virtual bool LockCurrent(qint64 id);
    virtual void OpenDetail(qint64 id) = 0;
    // The conter of the current row, or null for a kind the module does not post.
    virtual std::shared_ptr<TCustomConter> MakeConter() = 0;

    TFinancialDM& dm_;

private:
    void Discard(TCustomConter* conter);

    int kind_;
    QString tableName_;
    QString moduleName_;
    TSourceColumns columns_;
    std::unique_ptr<TQuery> master_;
    std::unique_ptr<TQuery> detail_;
    QVector<qint64> stretch_;
};

// The module-name table: which conter serves the rules of a module.
using TConterFactory = std::function<std::shared_ptr<TCustomConter>(TFinancialDM& dm)>;
struct TConterClass {
    QString moduleName;
    TConterFactory create;
};
// In the order "Dokument", "Banka", "Osnovna sredstva", "Proizvodnja", as far as built.
const QVector<TConterClass>& ConterClasses();

// The rule editor's checks: false for a module without a conter.
bool CheckExpression(TFinancialDM& dm, const QString& moduleName, const QString& expression);
void FillVars(TFinancialDM& dm, const QString& moduleName, QStringList& names,
              QStringList& descriptions);

}  // namespace fin
