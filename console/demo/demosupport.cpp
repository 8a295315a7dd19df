#include "console/demo/demosupport.h"

#include "host/common/rounding.h"
#include "host/db/connection.h"

namespace fin {

namespace {

// Far below the server's limits on bound values and packet size.
constexpr int kBatchRows = 300;

}  // namespace

double Money(qint64 cents) {
    return double(cents) / 100.0;
}

double Round2(double v) {
    return BetterRoundTo(v, -2);
}

QVariant Id(qint64 id) {
    return id > 0 ? QVariant(id) : QVariant();
}

qint64 NextId(TConnection& c, const QString& table) {
    return c
        .SelectValue(QStringLiteral("SELECT COALESCE(MAX(%1), 0) + 1 FROM %2")
                         .arg(TConnection::QuoteIdentifier(table + QStringLiteral("id")),
                              TConnection::QuoteIdentifier(table)))
        .toLongLong();
}

qint64 Count(TConnection& c, const char* table) {
    return c
        .SelectValue(QStringLiteral("SELECT COUNT(*) FROM %1")
                         .arg(TConnection::QuoteIdentifier(QString::fromLatin1(table))))
        .toLongLong();
}

TBatch::TBatch(TConnection& c, const QString& table, const QStringList& columns)
    : c_(c), columns_(columns) {
    QStringList quoted;
    for (const QString& col : columns)
        quoted << TConnection::QuoteIdentifier(col);
    sql_ = QStringLiteral("INSERT INTO %1 (%2) VALUES ")
               .arg(TConnection::QuoteIdentifier(table), quoted.join(QLatin1Char(',')));
    row_ = QLatin1Char('(') +
           QStringList(int(columns.size()), QStringLiteral("?")).join(QLatin1Char(',')) +
           QLatin1Char(')');
}

void TBatch::Add(const QVariantList& values) {
    Q_ASSERT(values.size() == columns_.size());
    params_ += values;
    if (++rows_ == kBatchRows)
        Flush();
}

void TBatch::Flush() {
    if (rows_ == 0)
        return;
    c_.Execute(sql_ + QStringList(rows_, row_).join(QLatin1Char(',')), params_);
    params_.clear();
    rows_ = 0;
}

double EuroRate(const QDate& date) {
    return Round2(117.0 + date.month() * 0.02 + (date.year() % 10) * 0.1);
}

qint64 ExchangeList(const QDate& date) {
    return date.year() * 100 + date.month();
}

void EnsureExchangeLists(TConnection& c, const QString& home, const QDate& from, const QDate& to) {
    for (QDate m(from.year(), from.month(), 1); m <= to; m = m.addMonths(1)) {
        const qint64 list = ExchangeList(m);
        if (c.SelectValue(QStringLiteral("SELECT COUNT(*) FROM currencyexchange WHERE "
                                         "exchangelistid = ?"),
                          {list})
                .toInt() > 0)
            continue;
        c.Execute(QStringLiteral("INSERT INTO currencyexchange (exchangelistid, code1, code2, "
                                 "code1amount, code2amount) VALUES (?, ?, ?, ?, 1)"),
                  {list, home, kDemoForeignCurrency, EuroRate(m)});
    }
}

}  // namespace fin
