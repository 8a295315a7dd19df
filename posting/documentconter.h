#pragma once

#include <QHash>
#include <QSet>
#include <memory>
#include <optional>

#include "posting/customconter.h"

namespace fin {

// The fixed names of the document conter, in list order, with their descriptions; zeroed
// are those every document starts from at 0.
struct TDocumentNames {
    QStringList names, descriptions, zeroed;
};
const TDocumentNames& DocumentFixedNames();
// Product-type letters in the names' order, each with its name.
const QVector<QPair<QString, QString>>& DocumentProductTypes();

// Reference data of commercial documents, read once per run: taxes, warehouses, pricing
// methods, currencies and the zeros every document starts from.
struct TDocumentReference {
    struct TWarehouse {
        QString code;
        QChar kind = QLatin1Char('v');  // v wholesale, m retail
        QChar method = QLatin1Char(' ');
    };
    QVector<QPair<qint64, double>> taxes;  // id and rate
    qint64 maxTaxId = 0;
    std::optional<qint64> porez101, porez102;
    QHash<qint64, TWarehouse> warehouses;
    QHash<QString, QString> methods;  // product-type letter (lower case) -> method name
    qint64 specificCategory = 0;
    bool stockCardsForRetail = false;
    std::shared_ptr<const TVariableList> base;

    static std::shared_ptr<TDocumentReference> Load(TFinancialDM& dm);
};

// What the document conter reads of a document besides its header and lines, fetched for
// a stretch of the waiting documents at once: a few statements per stretch instead of a few
// per document.
struct TDocumentPrefetch {
    using TRows = QVector<QVector<QVariant>>;
    QSet<qint64> documents;      // the documents this holds
    QHash<qint64, TRows> cards;  // productid, inquantity, outquantity, price, debit, credit
    QHash<qint64, TRows> vat;    // vattype, vatrate, vat
    QHash<qint64, TRows> costs;  // partnerid, value, description, taxamount
    QHash<qint64, QVector<QVariant>> retail;  // cashincome, chequeincome, cardincome
    QSet<qint64> autoNivParents;              // documents an automatic price change refers to
    QSet<qint64> advancesLinked;              // documents other documents are linked to

    // Reads everything of these documents, in one statement per table.
    void Load(TConnection& connection, const QVector<qint64>& ids);
};

// The conter of commercial documents: module "Dokument", entity type the document type.
class TDocumentConter : public TCustomConter {
public:
    TDocumentConter(TFinancialDM& dm, TPostingRun* run, const QString& moduleName,
                    const QString& foreignTable, const QString& entityType, qint64 entityID,
                    TDataSet* masterDataSet, TDataSet* detailDataSet,
                    std::shared_ptr<TDocumentReference> reference = nullptr,
                    const TDocumentPrefetch* prefetch = nullptr);

protected:
    void CalculateVariables() override;
    void InternalCreatePrecept() override;
    void FillNames(QStringList& names, QStringList& descriptions) override;

private:
    struct TLine;
    void Header();
    void Flags();
    void DeductibleTax();
    void DependentCosts();
    void Payments();
    void Lines();
    void AddLine(TLine& line);
    // Adds an amount to a total and to those of its variants the list names.
    void AddTotal(const char* total, double value, const TLine& line, bool round = true);
    void AddTax(const char* prefix, double value, double rate, const TLine& line, bool byType);
    QVariant Header(const char* field) const;
    double Rate() const { return rate_; }

    // Rows of a document's table, from the prefetch when it holds the document.
    TDocumentPrefetch::TRows Rows(const QHash<qint64, TDocumentPrefetch::TRows>& fetched,
                                  const QString& sql) const;

    std::shared_ptr<TDocumentReference> reference_;
    const TDocumentPrefetch* prefetch_;
    QString type_;  // the document type letter
    bool foreign_ = false;
    double rate_ = 1.0;
    bool retail_ = false;  // the document's warehouse is a retail one
    bool keepsCards_ = false;
    QVector<QVector<QVariant>> cards_;  // stock-card rows of the document
    QVector<bool> cardUsed_;
    int cardProduct_ = -1, cardIn_ = -1, cardOut_ = -1, cardPrice_ = -1, cardDebit_ = -1,
        cardCredit_ = -1;
};

// Walks the registered commercial documents of the financial year that have no voucher.
class TDocumentAutomat : public TCustomContoAutomat {
public:
    explicit TDocumentAutomat(TFinancialDM& dm);

    void OpenItems(const QDate& endDate, bool single, const QString& entityType,
                   qint64 entityID) override;
    bool GetEntityID(qint64& id, QString& description) override;

    // The document types that are posted.
    static const QString& PostedTypes();

protected:
    void OpenDetail(qint64 id) override;
    std::shared_ptr<TCustomConter> MakeConter() override;

private:
    std::shared_ptr<TDocumentReference> reference_;
    TDocumentPrefetch prefetch_;
    QString detailSql_;
};

}  // namespace fin
