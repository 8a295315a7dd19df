#pragma once

#include <QDate>
#include <QHash>
#include <QString>
#include <QVector>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "ledger/ledgercache.h"

namespace fin {

class TFinancialDM;

// One posting rule of table financialini.
struct TPostingRule {
    qint64 id = 0;
    QString conto, contonew, subaccount, debitexp, creditexp, descriptionfmt;
};

// A voucher a run made.
struct TPostedPrecept {
    qint64 preceptId = 0;
    QString number;
    QString foreignTable;
    qint64 foreignId = 0;
};

// A line as a preview shows it.
struct TPreviewLine {
    QString contoCode, contoNewCode, description;
    qint64 foreignId = 0;
    double debit = 0, credit = 0;
};

// What posting one document would give, written nowhere.
struct TPostingPreview {
    QString entityType;                       // the document's kind: whose rules applied
    QStringList variables;                    // "name=value", in list order
    QVector<QPair<QString, QString>> header;  // field name and system text
    QVector<TPreviewLine> lines;
    QStringList notes;  // rules that made no line, and why
};

// One run of automatic posting: reference data read once instead of once per document
// (the ledger's look-ups, the rules, the voucher types of each module and entity type, the
// balance functions' totals), what the run is to do with what it makes, and whom to tell.
// Installs its ledger cache on the data module for its lifetime, and reads committed data
// in each document's transaction, so a voucher another workstation has just written for a
// document is seen before a second one is made.
class TPostingRun {
public:
    explicit TPostingRun(TFinancialDM& dm);
    ~TPostingRun();
    TPostingRun(const TPostingRun&) = delete;
    TPostingRun& operator=(const TPostingRun&) = delete;

    TFinancialDM& DM() const { return dm_; }
    TLedgerCache& Ledger() { return ledger_; }

    // The rules of a module and entity type, in id order.
    const QVector<TPostingRule>& Rules(const QString& module, const QString& entityType);
    // The voucher type configured for a module and entity type (settings, default 1).
    qint64 PreceptTypeID(const QString& module, const QString& entityType);
    // The home currency, and whether a document's currency is another one.
    const QString& DefaultCurrency();
    bool Foreign(const QString& currency);
    // Home-currency value of one unit of a currency by an exchange list; none when the list
    // has no rate for it. Asked once per list and currency.
    std::optional<double> Rate(qint64 exchangeListId, const QString& currency);

    // "SALDO", "SALDOD", "SALDOP" of an account code from 1 January of the date's year.
    double Balance(const QString& function, const QString& code, const QDate& date);

    // Vouchers made stay in the list dataset, as on the screen; a job without a list
    // drops each from memory once it is written, so memory stays flat.
    bool KeepInList = true;
    // Compute everything, write nothing; the conter fills Preview instead.
    bool PreviewOnly = false;
    TPostingPreview Preview;

    // Data a module reads once per run (taxes, warehouses, ...), kept under its key.
    template <typename T>
    std::shared_ptr<T> ModuleData(const QString& key,
                                  const std::function<std::shared_ptr<T>()>& load) {
        auto& slot = moduleData_[key];
        if (!slot)
            slot = load();
        return std::static_pointer_cast<T>(slot);
    }

    std::function<void(const TPostedPrecept&)> OnPosted;
    void Posted(const TPostedPrecept& precept);
    int PostedCount() const { return posted_; }

private:
    TFinancialDM& dm_;
    TLedgerCache ledger_;
    TLedgerCache* previousCache_;
    QString isolation_;  // the session's own, given back at the end
    QHash<QString, QVector<TPostingRule>> rules_;
    QHash<QString, qint64> types_;
    std::optional<QString> defaultCurrency_;
    QHash<QString, std::optional<double>> rates_;
    std::map<std::tuple<QString, QString, QDate>, double> balances_;
    std::map<QString, std::shared_ptr<void>> moduleData_;
    int posted_ = 0;
};

}  // namespace fin
