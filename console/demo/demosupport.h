#pragma once

// What the demo's generators share: multi-row inserts, money in cents, the euro's monthly
// exchange lists.
#include <QDate>
#include <QStringList>
#include <QVariantList>

namespace fin {

class TConnection;

inline const QString kDemoForeignCurrency = QStringLiteral("EUR");

double Money(qint64 cents);
double Round2(double v);
// A key that is 0 stands for no row.
QVariant Id(qint64 id);
qint64 NextId(TConnection& c, const QString& table);
qint64 Count(TConnection& c, const char* table);

// Rows of one table collected and written with multi-row inserts.
class TBatch {
public:
    TBatch(TConnection& c, const QString& table, const QStringList& columns);
    void Add(const QVariantList& values);
    void Flush();

private:
    TConnection& c_;
    QStringList columns_;
    QString sql_, row_;
    QVariantList params_;
    int rows_ = 0;
};

// The home-currency value of one euro in the month's exchange list (id yyyymm): two
// decimals, so whole euros convert to whole cents.
double EuroRate(const QDate& date);
qint64 ExchangeList(const QDate& date);
void EnsureExchangeLists(TConnection& c, const QString& home, const QDate& from, const QDate& to);

}  // namespace fin
