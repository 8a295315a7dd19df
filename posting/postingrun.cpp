#include "posting/postingrun.h"

#include "host/data/dbinifile.h"
#include "ledger/financialdm.h"
#include "reports/accounttotals.h"

namespace fin {

namespace {

QString PairKey(const QString& module, const QString& entityType) {
    return module + QChar(0x1f) + entityType;
}

}  // namespace

TPostingRun::TPostingRun(TFinancialDM& dm)
    : dm_(dm), ledger_(dm.Require()), previousCache_(dm.LookupCache()) {
    TConnection& c = dm_.Require();
    isolation_ = c.SelectValue(QStringLiteral("SELECT @@SESSION.tx_isolation")).toString();
    // Without gap locks: two workstations posting neighbouring documents never deadlock.
    c.ExecuteDirect(QStringLiteral("SET SESSION TRANSACTION ISOLATION LEVEL READ COMMITTED"));
    dm_.SetLookupCache(&ledger_);
    // The current user is asked for once, here: the security module may create its tables
    // the first time, which must not happen inside a document's transaction.
    qint64 user = -1;
    QString name;
    dm_.GetPublisher(user, name, true);
}

TPostingRun::~TPostingRun() {
    dm_.SetLookupCache(previousCache_);
    static const QStringList levels{
        QStringLiteral("READ-UNCOMMITTED"), QStringLiteral("READ-COMMITTED"),
        QStringLiteral("REPEATABLE-READ"), QStringLiteral("SERIALIZABLE")};
    if (!levels.contains(isolation_))
        return;
    try {
        TConnection* c = dm_.ZConnection();
        if (c && c->Connected())
            c->ExecuteDirect(QStringLiteral("SET SESSION TRANSACTION ISOLATION LEVEL ") +
                             QString(isolation_).replace(QLatin1Char('-'), QLatin1Char(' ')));
    } catch (...) {
        // a lost connection comes back with the server's default anyway
    }
}

const QVector<TPostingRule>& TPostingRun::Rules(const QString& module, const QString& entityType) {
    const QString key = PairKey(module, entityType);
    auto it = rules_.constFind(key);
    if (it != rules_.constEnd())
        return *it;
    QVector<TPostingRule> rules;
    const TResultSet r = dm_.Require().Select(
        QStringLiteral("SELECT financialini, conto, contonew, subaccount, debitexp, creditexp, "
                       "descriptionfmt FROM financialini WHERE module = ? AND entitytype = ? "
                       "ORDER BY financialini"),
        {module, entityType});
    for (const auto& row : r.rows)
        rules.push_back({row[0].toLongLong(), row[1].toString(), row[2].toString(),
                         row[3].toString(), row[4].toString(), row[5].toString(),
                         row[6].toString()});
    return *rules_.insert(key, rules);
}

qint64 TPostingRun::PreceptTypeID(const QString& module, const QString& entityType) {
    const QString key = PairKey(module, entityType);
    auto it = types_.constFind(key);
    if (it != types_.constEnd())
        return *it;
    const qint64 type = TDBIniFile(&dm_.Require()).ReadInteger(module, entityType, 1);
    types_.insert(key, type);
    return type;
}

double TPostingRun::Balance(const QString& function, const QString& code, const QDate& date) {
    const auto key = std::make_tuple(function, code, date);
    if (auto it = balances_.find(key); it != balances_.end())
        return it->second;
    TConnection& c = dm_.Require();
    const QDate first(date.year(), 1, 1);
    // The balance functions switch to the new chart with 2014 itself.
    const bool newChart = dm_.Options().FinancialYear >= 2014;
    TTurnover t;
    if (function == QLatin1String("SALDO"))
        t = newChart ? GetAccountNewData(c, code, 0, first, date, false)
                     : GetAccountData(c, code, 0, first, date);
    else
        t = newChart ? GetAccountNewData(c, code, 0, first, date, true)
                     : GetAccountData(c, code, 0, first, date);
    const double value = function == QLatin1String("SALDO")    ? t.Balance()
                         : function == QLatin1String("SALDOD") ? t.debit
                                                               : t.credit;
    balances_.emplace(key, value);
    return value;
}

const QString& TPostingRun::DefaultCurrency() {
    if (!defaultCurrency_)
        defaultCurrency_ = dm_.GetDefaultCurrency();
    return *defaultCurrency_;
}

bool TPostingRun::Foreign(const QString& currency) {
    const QString c = currency.trimmed();
    return !c.isEmpty() && !DefaultCurrency().isEmpty() &&
           c.compare(DefaultCurrency(), Qt::CaseInsensitive) != 0;
}

std::optional<double> TPostingRun::Rate(qint64 exchangeListId, const QString& currency) {
    const QString key = QString::number(exchangeListId) + QLatin1Char('/') + currency;
    auto it = rates_.constFind(key);
    if (it != rates_.constEnd())
        return *it;
    std::optional<double> rate;
    // A list without the currency would give 1, which would post a foreign sum as it is.
    if (dm_.Require()
            .SelectValue(QStringLiteral("SELECT COUNT(*) FROM currencyexchange WHERE "
                                        "exchangelistid = ? AND (code1 = ? OR code2 = ?)"),
                         {exchangeListId, currency, currency})
            .toInt() > 0)
        rate = dm_.GetDefaultCurrRate(exchangeListId, currency);
    rates_.insert(key, rate);
    return rate;
}

void TPostingRun::Posted(const TPostedPrecept& precept) {
    ++posted_;
    if (OnPosted)
        OnPosted(precept);
}

}  // namespace fin
