#include "ledger/ledgercache.h"

#include <QSet>

#include "host/db/connection.h"
#include "ledger/financialdm.h"

namespace fin {

void TLedgerCache::LoadChart(bool newChart) {
    const int c = newChart ? 1 : 0;
    if (chartLoaded_[c])
        return;
    const TResultSet r = connection_.Select(
        newChart ? QStringLiteral("SELECT accountnewid, code, name, type FROM accountnew")
                 : QStringLiteral("SELECT accountid, code, name, type FROM account"));
    TChartCache& chart = charts_[c];
    for (const auto& row : r.rows) {
        TAccount a{row[0].toInt(), row[1].toString(), row[2].toString(), row[3].toString()};
        // A code that two accounts share is found by neither, as the single look-up says.
        auto it = chart.byCode.find(a.code);
        if (it == chart.byCode.end())
            chart.byCode.insert(a.code, a.id);
        else
            *it = -1;
        chart.byId.insert(a.id, a);
    }
    chartLoaded_[c] = true;
}

const TLedgerCache::TAccount* TLedgerCache::Account(bool newChart, qint32 id) {
    LoadChart(newChart);
    const auto& byId = charts_[newChart ? 1 : 0].byId;
    auto it = byId.constFind(id);
    return it == byId.constEnd() ? nullptr : &*it;
}

bool TLedgerCache::AccountByCode(TAccountDesc& desc, bool newChart) {
    LoadChart(newChart);
    const qint32 id =
        charts_[newChart ? 1 : 0].byCode.value(newChart ? desc.CodeNew : desc.Code, -1);
    const TAccount* a = id > 0 ? Account(newChart, id) : nullptr;
    if (!a)
        return false;
    (newChart ? desc.AccountNewID : desc.AccountID) = a->id;
    (newChart ? desc.CodeNew : desc.Code) = a->code;
    desc.Name = a->name;
    desc.AccountType = a->type;
    return true;
}

bool TLedgerCache::HasSubaccount(const QString& typeKey, qint64 id) {
    auto it = ids_.find(typeKey);
    if (it == ids_.end()) {
        std::optional<QSet<qint64>> ids;
        // The type names the sub-account table; one that is no safe name has no rows.
        if (TConnection::IsSafeIdentifier(typeKey) &&
            TConnection::IsSafeIdentifier(typeKey + QStringLiteral("id"))) {
            try {
                const TResultSet r = connection_.Select(
                    QStringLiteral("SELECT %1 FROM %2")
                        .arg(TConnection::QuoteIdentifier(typeKey + QStringLiteral("id")),
                             TConnection::QuoteIdentifier(typeKey)));
                ids.emplace();
                for (const auto& row : r.rows)
                    ids->insert(row[0].toLongLong());
            } catch (const TConnectionLost&) {
                throw;
            } catch (const TDbError&) {
                // a type whose table does not exist has no sub-accounts
            }
        }
        it = ids_.insert(typeKey, ids);
    }
    return it->has_value() && (*it)->contains(id);
}

bool TLedgerCache::SubAccountByCode(TAccountDesc& desc, bool newChart) {
    const TAccount* a = Account(newChart, newChart ? desc.AccountNewID : desc.AccountID);
    if (!a)
        return false;
    (newChart ? desc.CodeNew : desc.Code) = a->code;
    desc.Name = a->name;
    desc.AccountType = a->type;
    bool ok = false;
    const qint64 id = desc.SubaccountCode.trimmed().toLongLong(&ok);
    return HasSubaccount(a->type, ok ? id : 0);
}

const QHash<qint64, QString>& TLedgerCache::Names(TFinancialDM& dm, const QString& typeKey) {
    auto it = names_.find(typeKey);
    if (it != names_.end())
        return *it;
    QHash<qint64, QString> names;
    if (const QString sql = dm.SubaccountStatement(typeKey); !sql.isEmpty()) {
        const TResultSet r = connection_.Select(sql);
        const int code = r.ColumnIndex(QStringLiteral("Code"));
        const int name = r.ColumnIndex(QStringLiteral("name"));
        for (const auto& row : r.rows)
            names.insert(row.value(code).toLongLong(), row.value(name).toString());
    }
    return *names_.insert(typeKey, names);
}

QString TLedgerCache::SubaccountName(TFinancialDM& dm, const QString& typeKey, qint64 id) {
    if (typeKey.isEmpty() || id <= 0)
        return {};
    return Names(dm, typeKey).value(id);
}

QString TLedgerCache::PartnerType(qint64 partnerId) {
    if (!partnerTypes_) {
        partnerTypes_.emplace();
        for (const auto& row :
             connection_.Select(QStringLiteral("SELECT partnerid, partnertype FROM partner")).rows)
            partnerTypes_->insert(row[0].toLongLong(), row[1].toString().remove(QLatin1Char(' ')));
    }
    return partnerTypes_->value(partnerId);
}

QString TLedgerCache::PreceptTypeNumber(qint64 preceptTypeId) {
    auto it = typeNumbers_.constFind(preceptTypeId);
    if (it != typeNumbers_.constEnd())
        return *it;
    const QString number =
        connection_
            .SelectValue(QStringLiteral("SELECT number FROM precepttype WHERE precepttypeid = ?"),
                         {preceptTypeId})
            .toString();
    typeNumbers_.insert(preceptTypeId, number);
    return number;
}

int TLedgerCache::PreceptCount(const QDate& from, const QDate& to, qint64 preceptTypeId) {
    for (const TCount& c : counts_)
        if (c.from == from && c.to == to && c.type == preceptTypeId)
            return c.count;
    QString sql =
        QStringLiteral("SELECT COUNT(*) FROM precept WHERE preceptdate >= ? AND preceptdate < ?");
    QVariantList params{from, to};
    if (preceptTypeId > 0) {
        sql += QStringLiteral(" AND precepttypeid = ?");
        params << preceptTypeId;
    }
    counts_.push_back({from, to, preceptTypeId, connection_.SelectValue(sql, params).toInt()});
    return counts_.back().count;
}

void TLedgerCache::PreceptAdded(const QDate& date, qint64 preceptTypeId) {
    for (TCount& c : counts_)
        if (date >= c.from && date < c.to && (c.type <= 0 || c.type == preceptTypeId))
            ++c.count;
}

TLedgerCacheScope::TLedgerCacheScope(TFinancialDM& dm, TLedgerCache& cache)
    : dm_(dm), previous_(dm.LookupCache()) {
    dm_.SetLookupCache(&cache);
}

TLedgerCacheScope::~TLedgerCacheScope() {
    dm_.SetLookupCache(previous_);
}

}  // namespace fin
