#pragma once

#include <QDate>
#include <QHash>
#include <QSet>
#include <QString>
#include <optional>
#include <vector>

#include "ledger/accountdesc.h"

namespace fin {

class TConnection;
class TFinancialDM;

// Reference data a long job (automatic posting) reads once instead of once per voucher:
// accounts by code and by id, sub-account names and ids per type, partners' types, the
// voucher-type numbers and the counts behind voucher numbering. While one is installed on
// the data module, the voucher and line rules take their look-ups from it, so a run costs
// the same whether the company has ten partners or ten thousand. Everything loads lazily,
// on first use, and stays for the life of the cache.
class TLedgerCache {
public:
    explicit TLedgerCache(TConnection& connection) : connection_(connection) {}

    // As GetAccountByCode / GetSubAccountByCode of the account look-ups.
    bool AccountByCode(TAccountDesc& desc, bool newChart);
    bool SubAccountByCode(TAccountDesc& desc, bool newChart);
    // Name of a sub-account by the type's statement; empty when there is none.
    QString SubaccountName(TFinancialDM& dm, const QString& typeKey, qint64 id);
    // Partner type with its blanks removed; empty when none.
    QString PartnerType(qint64 partnerId);
    QString PreceptTypeNumber(qint64 preceptTypeId);

    // Vouchers dated in [from, to) of a type (0: any), as numbering counts them; the
    // database is asked once per period and type, later inserts are counted here.
    int PreceptCount(const QDate& from, const QDate& to, qint64 preceptTypeId);
    // A voucher was written: every cached count whose period holds it grows.
    void PreceptAdded(const QDate& date, qint64 preceptTypeId);

    // The current user as the security module gave it the first time.
    std::optional<std::pair<qint64, QString>> CurrentUser;

private:
    struct TAccount {
        qint32 id = 0;
        QString code, name, type;
    };
    struct TChartCache {
        QHash<QString, qint32> byCode;  // -1: missing or repeated
        QHash<qint32, TAccount> byId;
    };
    struct TCount {
        QDate from, to;
        qint64 type = 0;
        int count = 0;
    };
    const TAccount* Account(bool newChart, qint32 id);
    void LoadChart(bool newChart);
    const QHash<qint64, QString>& Names(TFinancialDM& dm, const QString& typeKey);
    bool HasSubaccount(const QString& typeKey, qint64 id);

    TConnection& connection_;
    TChartCache charts_[2];
    bool chartLoaded_[2] = {false, false};
    QHash<QString, QHash<qint64, QString>> names_;
    QHash<QString, std::optional<QSet<qint64>>> ids_;  // none: the table cannot be read
    std::optional<QHash<qint64, QString>> partnerTypes_;
    QHash<qint64, QString> typeNumbers_;
    std::vector<TCount> counts_;
};

// Installs a cache on the data module for the length of a scope.
class TLedgerCacheScope {
public:
    TLedgerCacheScope(TFinancialDM& dm, TLedgerCache& cache);
    ~TLedgerCacheScope();
    TLedgerCacheScope(const TLedgerCacheScope&) = delete;
    TLedgerCacheScope& operator=(const TLedgerCacheScope&) = delete;

private:
    TFinancialDM& dm_;
    TLedgerCache* previous_;
};

}  // namespace fin
