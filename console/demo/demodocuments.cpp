// Commercial documents of the documents module for the demo company: headers, lines,
// stock-card rows, tax lines, dependent costs, payments and linked advances, consistent the
// way the document conter reads them.
#include <QHash>
#include <QVector>
#include <algorithm>

#include "console/demo/demo.h"
#include "console/demo/demorandom.h"
#include "console/demo/demosupport.h"
#include "host/common/error.h"
#include "host/common/rounding.h"
#include "host/db/connection.h"

namespace fin {

namespace {

struct TProd {
    qint64 id = 0;
    QChar type;
    qint64 taxId = 0;
    double rate = 0;
    qint64 sale = 0;  // cents, without tax, a multiple of ten cents
    qint64 cost = 0;  // cents: purchase value, production cost or the consignor's price
};

struct TDocRefs {
    QVector<qint64> customers, suppliers;
    qint64 foreign = 0;
    QHash<QChar, QVector<TProd>> products;  // by product-type letter
    QVector<qint64> wholesale, retail;
    qint64 tax0 = 0, tax20 = 0, tax10 = 0;
    QVector<qint64> expenses;
    qint64 bankAccount = 0;
    QString home;
};

// ---- Reference tables grown for larger runs ----------------------------------------------

const char* const kCities[] = {"Beograd", "Novi Sad", "Niš",   "Kragujevac", "Subotica",
                               "Čačak",   "Kraljevo", "Šabac", "Valjevo",    "Pančevo"};

void GrowPartners(TConnection& c, TRandom& r, int wanted) {
    const qint64 have = Count(c, "partner");
    TBatch rows(c, QStringLiteral("partner"),
                {QStringLiteral("name"), QStringLiteral("partnertype"), QStringLiteral("code"),
                 QStringLiteral("taxnumber"), QStringLiteral("city")});
    for (qint64 n = have + 1; n <= wanted; ++n)
        rows.Add({QStringLiteral("Partner %1 d.o.o.").arg(n, 5, 10, QLatin1Char('0')),
                  n % 3 == 0 ? QStringLiteral("Dobavljač") : QStringLiteral("Kupac"),
                  QStringLiteral("P%1").arg(n, 5, 10, QLatin1Char('0')),
                  QString::number(100000000 + n), QString::fromUtf8(kCities[r.Int(0, 9)])});
    rows.Flush();
}

void GrowCategories(TConnection& c, int wanted) {
    const qint64 have = Count(c, "categorypr");
    TBatch rows(c, QStringLiteral("categorypr"), {QStringLiteral("name")});
    for (qint64 n = have + 1; n <= wanted; ++n)
        rows.Add({QStringLiteral("Kategorija %1").arg(n)});
    rows.Flush();
}

void GrowProducts(TConnection& c, TRandom& r, int wanted) {
    const qint64 have = Count(c, "product");
    if (have >= wanted)
        return;
    QVector<qint64> taxes;
    for (const auto& row :
         c.Select(QStringLiteral("SELECT taxid FROM tax WHERE value IN (20, 10) ORDER BY value "
                                 "DESC"))
             .rows)
        taxes << row[0].toLongLong();
    if (taxes.isEmpty())
        throw TError(QStringLiteral("Demo dokumenti traže poreze od 20% i 10%."));
    QVector<qint64> categories;
    for (const auto& row : c.Select(QStringLiteral("SELECT categoryprid FROM categorypr")).rows)
        categories << row[0].toLongLong();
    qint64 id = NextId(c, QStringLiteral("product"));
    TBatch rows(c, QStringLiteral("product"),
                {QStringLiteral("productid"), QStringLiteral("name"), QStringLiteral("code"),
                 QStringLiteral("type"), QStringLiteral("unit"), QStringLiteral("taxid"),
                 QStringLiteral("price")});
    TBatch links(c, QStringLiteral("productcategorypr"),
                 {QStringLiteral("productid"), QStringLiteral("categoryprid")});
    for (qint64 n = have + 1; n <= wanted; ++n, ++id) {
        // Mostly goods; some material, services and products.
        const int roll = r.Int(1, 100);
        const char* type = roll <= 80 ? "R" : roll <= 88 ? "M" : roll <= 95 ? "U" : "P";
        rows.Add({id, QStringLiteral("Artikal %1").arg(n, 5, 10, QLatin1Char('0')),
                  QString::number(100000 + n), QString::fromLatin1(type), QStringLiteral("kom"),
                  taxes[r.Chance(75) ? 0 : int(taxes.size()) - 1], Money(r.Cents(50, 50000) * 10)});
        if (!categories.isEmpty())
            links.Add({id, r.Pick(categories)});
    }
    rows.Flush();
    links.Flush();
}

TDocRefs LoadRefs(TConnection& c) {
    TDocRefs refs;
    for (const auto& row :
         c.Select(QStringLiteral("SELECT partnerid, partnertype FROM partner ORDER BY partnerid"))
             .rows) {
        const QString type = row[1].toString();
        const qint64 id = row[0].toLongLong();
        if (type == QLatin1String("Inostrani"))
            refs.foreign = id;
        if (type.startsWith(QLatin1String("Kupac")))
            refs.customers << id;
        if (type.contains(QStringLiteral("obavljač")))
            refs.suppliers << id;
    }
    for (const auto& row :
         c.Select(QStringLiteral("SELECT p.productid, p.type, p.taxid, t.value, p.price "
                                 "FROM product AS p LEFT JOIN tax AS t ON t.taxid = "
                                 "p.taxid ORDER BY p.productid"))
             .rows) {
        TProd p;
        p.id = row[0].toLongLong();
        const QString type = row[1].toString().trimmed().toUpper();
        p.type = type.isEmpty() ? QLatin1Char('R') : type[0];
        p.taxId = row[2].toLongLong();
        p.rate = row[3].toDouble();
        // Retail prices in tens of cents keep every tax amount of a shop in whole cents.
        p.sale = std::max<qint64>(10, qRound64(row[4].toDouble() * 10) * 10);
        const int share = p.type == QLatin1Char('P') ? 55 : p.type == QLatin1Char('K') ? 80 : 72;
        p.cost = std::max<qint64>(1, (p.sale * share + 50) / 100);
        refs.products[p.type].append(p);
    }
    for (const auto& row : c.Select(QStringLiteral("SELECT warehouseid, pricetype FROM warehouse "
                                                   "ORDER BY warehouseid"))
                               .rows)
        (row[1].toString() == QLatin1String("m") ? refs.retail : refs.wholesale)
            << row[0].toLongLong();
    auto tax = [&](int rate) {
        return c.SelectValue(QStringLiteral("SELECT MIN(taxid) FROM tax WHERE value = ?"), {rate})
            .toLongLong();
    };
    refs.tax0 = tax(0);
    refs.tax20 = tax(20);
    refs.tax10 = tax(10);
    for (const auto& row :
         c.Select(QStringLiteral("SELECT expenseid FROM expense ORDER BY expenseid")).rows)
        refs.expenses << row[0].toLongLong();
    refs.bankAccount = c.SelectValue(QStringLiteral("SELECT MIN(bankaccountid) FROM bankaccount "
                                                    "WHERE partnerid IS NULL"))
                           .toLongLong();
    refs.home = c.SelectValue(QStringLiteral("SELECT code FROM currency WHERE status = "
                                             "'primary' LIMIT 1"))
                    .toString();
    if (refs.customers.isEmpty() || refs.suppliers.isEmpty() || refs.wholesale.isEmpty() ||
        refs.retail.isEmpty() || refs.products.value(QLatin1Char('R')).isEmpty() ||
        refs.expenses.isEmpty() || refs.home.isEmpty())
        throw TError(
            QStringLiteral("Demo dokumenti se dodaju samo demo preduzeću (nedostaju "
                           "kupci, dobavljači, magacini, roba, troškovi ili domaća "
                           "valuta)."));
    return refs;
}

// Share of each type among the documents, in percent.
const std::pair<char, int> kTypeWeights[] = {
    {'R', 26}, {'K', 14}, {'U', 15}, {'M', 12}, {'I', 5}, {'N', 3}, {'Z', 3}, {'A', 3}, {'Q', 3},
    {'F', 2},  {'L', 1},  {'V', 1},  {'T', 3},  {'G', 3}, {'S', 2}, {'C', 2}, {'W', 2},
};

struct TLine {
    qint64 product = 0;
    double quantity = 1, price = 0, price2 = 0, itemValue = 0, cost = 0, rebate = 0;
    QString rebateType;
    qint64 taxId = 0;
    double taxValue = 0, inTax = 0;
};

class TDocumentWriter {
public:
    TDocumentWriter(TConnection& c, TRandom& r, const TDocRefs& refs, int detail)
        : c_(c),
          r_(r),
          refs_(refs),
          detail_(std::max(1, detail)),
          documents_(c, QStringLiteral("document"),
                     {QStringLiteral("documentid"), QStringLiteral("documenttype"),
                      QStringLiteral("number"), QStringLiteral("status"),
                      QStringLiteral("documentdate"), QStringLiteral("documentissuedate"),
                      QStringLiteral("direction"), QStringLiteral("exchangelistid"),
                      QStringLiteral("documentcurrency"), QStringLiteral("inputcurrency"),
                      QStringLiteral("partnerid"), QStringLiteral("warehouseid"),
                      QStringLiteral("inwarehouseid"), QStringLiteral("documentchargetypeid")}),
          items_(c, QStringLiteral("documentitem"),
                 {QStringLiteral("documentid"), QStringLiteral("productid"),
                  QStringLiteral("quantity"), QStringLiteral("price"), QStringLiteral("price2"),
                  QStringLiteral("itemvalue"), QStringLiteral("cost"), QStringLiteral("rebate"),
                  QStringLiteral("rebatetype"), QStringLiteral("taxid"), QStringLiteral("taxvalue"),
                  QStringLiteral("intax")}),
          cards_(c, QStringLiteral("docfinitem"),
                 {QStringLiteral("documentid"), QStringLiteral("productid"),
                  QStringLiteral("inquantity"), QStringLiteral("outquantity"),
                  QStringLiteral("price"), QStringLiteral("debit"), QStringLiteral("credit")}),
          vat_(c, QStringLiteral("vatitem"),
               {QStringLiteral("documentid"), QStringLiteral("vattype"), QStringLiteral("vatrate"),
                QStringLiteral("vat")}),
          costs_(
              c, QStringLiteral("documentcost"),
              {QStringLiteral("documentid"), QStringLiteral("partnerid"), QStringLiteral("value"),
               QStringLiteral("description"), QStringLiteral("taxamount")}),
          retailPayments_(c, QStringLiteral("documentretailpayment"),
                          {QStringLiteral("documentid"), QStringLiteral("cashincome"),
                           QStringLiteral("chequeincome"), QStringLiteral("cardincome")}),
          statements_(c, QStringLiteral("bankstatement"),
                      {QStringLiteral("bankstatementid"), QStringLiteral("bankaccountid"),
                       QStringLiteral("number"), QStringLiteral("statementdate"),
                       QStringLiteral("statementtype"), QStringLiteral("currency")}),
          statementItems_(c, QStringLiteral("bankstatementitem"),
                          {QStringLiteral("bankstatementid"), QStringLiteral("partnerid"),
                           QStringLiteral("debit"), QStringLiteral("credit"),
                           QStringLiteral("description"), QStringLiteral("documentid")}),
          links_(c, QStringLiteral("documentdoc"),
                 {QStringLiteral("documentid"), QStringLiteral("relateddocumentid")}) {
        nextId_ = NextId(c, QStringLiteral("document"));
        nextStatement_ = NextId(c, QStringLiteral("bankstatement"));
        for (const auto& row : c.Select(QStringLiteral("SELECT documenttype, COUNT(*) FROM "
                                                       "document GROUP BY documenttype"))
                                   .rows)
            numbers_[row[0].toString()] = row[1].toInt();
    }

    void Write(char type, const QDate& date) {
        doc_ = TDoc{};
        doc_.id = nextId_++;
        doc_.type = QString(QLatin1Char(type));
        doc_.date = doc_.issue = date;
        doc_.currency = doc_.inputCurrency = refs_.home;
        switch (type) {
            case 'A':
                Advance(true);
                break;
            case 'Q':
                Advance(false);
                break;
            case 'K':
                Purchase();
                break;
            case 'C':
                Commission();
                break;
            case 'U':
                Services();
                break;
            case 'R':
                Invoice();
                break;
            case 'M':
                Retail();
                break;
            case 'I':
                Transfer();
                break;
            case 'N':
                PriceChange();
                break;
            case 'Z':
                Charge();
                break;
            default:
                Stock(type);
                break;
        }
        Flush();
    }

    void Finish() {
        for (TBatch* b : {&documents_, &items_, &cards_, &vat_, &costs_, &retailPayments_,
                          &statements_, &statementItems_, &links_})
            b->Flush();
    }

private:
    struct TDoc {
        qint64 id = 0;
        QString type, currency, inputCurrency;
        QDate date, issue;
        int direction = 0;
        qint64 partner = 0, warehouse = 0, inWarehouse = 0, exchangeList = 0;
        int chargeType = 0;
        QVector<TLine> lines;
    };

    // Distinct products of the wanted types (the first type that has any stands in).
    QVector<TProd> Products(const QString& types, int count) {
        QVector<TProd> pool;
        for (const QChar t : types)
            pool += refs_.products.value(t);
        if (pool.isEmpty())
            pool = refs_.products.value(QLatin1Char('R'));
        QVector<TProd> picked;
        for (int i = 0; i < count * 3 && picked.size() < count; ++i) {
            const TProd& p = r_.Pick(pool);
            if (std::none_of(picked.begin(), picked.end(),
                             [&](const TProd& q) { return q.id == p.id; }))
                picked << p;
        }
        return picked;
    }
    void Foreign() {
        doc_.currency = doc_.inputCurrency = kDemoForeignCurrency;
        doc_.exchangeList = ExchangeList(doc_.date);
        rate_ = EuroRate(doc_.date);
    }
    void Card(qint64 product, double in, double out, double price, double debit, double credit) {
        cards_.Add({doc_.id, product, in, out, price, Round2(debit), Round2(credit)});
    }
    // Percent rebate as the conter takes it: of quantity times price, then rounded.
    static double PercentOf(const TLine& l, int percent) {
        return Round2(l.quantity * l.price * percent / 100);
    }
    void SetTax(TLine& l, const TProd& p, bool input) {
        l.taxId = p.taxId;
        l.taxValue = p.rate;
        l.inTax = input ? p.rate : 0;
    }
    qint64 Pending(QHash<qint64, QVector<qint64>>& advances, qint64& partner) {
        for (auto it = advances.begin(); it != advances.end(); ++it)
            if (!it.value().isEmpty()) {
                partner = it.key();
                return it.value().takeFirst();
            }
        return 0;
    }
    // Dependent costs of a carrier, spread over the lines by value.
    void DependentCosts() {
        const qint64 total = r_.Cents(20, 300) * 1000;
        costs_.Add({doc_.id, r_.Pick(refs_.suppliers), Money(total), QStringLiteral("Prevoz robe"),
                    Money(total / 5)});
        double value = 0;
        for (const TLine& l : doc_.lines)
            value += l.itemValue;
        qint64 left = total;
        for (int i = 0; i < doc_.lines.size(); ++i) {
            TLine& l = doc_.lines[i];
            const qint64 share = i + 1 == doc_.lines.size()
                                     ? left
                                     : qint64(double(total) * l.itemValue / std::max(value, 0.01));
            l.cost = Money(std::min(share, left));
            left -= std::min(share, left);
        }
    }

    void Advance(bool received) {
        doc_.direction = received ? -1 : 1;
        doc_.partner = r_.Pick(received ? refs_.customers : refs_.suppliers);
        TLine l;
        l.price = l.itemValue = Money(r_.Cents(20, 1500) * 1000);
        if (received) {
            SetTax(l, r_.Pick(refs_.products.value(QLatin1Char('R'))), true);
        } else {
            // An advance for a service names the expense, as its final invoice will.
            l.product = r_.Pick(refs_.expenses);
            l.taxId = refs_.tax20;
            l.taxValue = l.inTax = 20;
        }
        doc_.lines << l;
        const double gross = l.itemValue + Round2(l.itemValue * l.taxValue / 100);
        const qint64 statement = nextStatement_++;
        statements_.Add({statement, Id(refs_.bankAccount), QStringLiteral("AV-%1").arg(statement),
                         doc_.date, QStringLiteral("I"), refs_.home});
        // As on the statement: a customer's money is a credit, a supplier's a debit.
        statementItems_.Add({statement, doc_.partner, received ? 0.0 : gross,
                             received ? gross : 0.0, QStringLiteral("Avans"), doc_.id});
        (received ? customerAdvances_ : supplierAdvances_)[doc_.partner] << doc_.id;
    }

    // Purchases (K) and services (U) take a supplier's advance now and then.
    void LinkSupplierAdvance() {
        qint64 partner = 0;
        if (r_.Chance(50))
            if (const qint64 advance = Pending(supplierAdvances_, partner)) {
                doc_.partner = partner;
                links_.Add({advance, doc_.id});
            }
    }

    void Purchase() {
        doc_.direction = 1;
        doc_.warehouse = r_.Pick(refs_.wholesale);
        doc_.issue = doc_.date.addDays(-r_.Int(0, 5));
        const bool import = refs_.foreign > 0 && r_.Chance(10);
        doc_.partner = import ? refs_.foreign : r_.Pick(refs_.suppliers);
        if (import)
            Foreign();
        else
            LinkSupplierAdvance();
        for (const TProd& p : Products(r_.Chance(15) ? QStringLiteral("M") : QStringLiteral("R"),
                                       r_.Int(1, 3 * detail_))) {
            TLine l;
            l.product = p.id;
            l.quantity = r_.Int(5, 80);
            l.price = Money(import ? std::max<qint64>(1, qRound64(p.cost / rate_)) : p.cost);
            l.price2 = Money(p.sale);
            if (!import && r_.Chance(30)) {
                l.rebateType = QStringLiteral("P");
                l.rebate = r_.Pick(QVector<int>{2, 3, 5});
            }
            l.itemValue = Round2(l.quantity * l.price - PercentOf(l, int(l.rebate)));
            SetTax(l, p, !import);
            if (import)
                l.taxId = refs_.tax0;
            doc_.lines << l;
        }
        if (!import && r_.Chance(30))
            DependentCosts();
        for (const TLine& l : doc_.lines) {
            const double value = l.itemValue * rate_ + l.cost;
            Card(l.product, l.quantity, 0, value / l.quantity, value, 0);
        }
    }

    void Commission() {
        doc_.direction = 1;
        doc_.warehouse = refs_.wholesale.first();
        doc_.partner = r_.Pick(refs_.suppliers);
        for (const TProd& p : Products(QStringLiteral("K"), r_.Int(1, 2))) {
            TLine l;
            l.product = p.id;
            l.quantity = r_.Int(10, 50);
            l.price = Money(p.cost);
            l.price2 = Money(p.sale);
            l.itemValue = Round2(l.quantity * l.price);
            SetTax(l, p, false);
            doc_.lines << l;
        }
        if (r_.Chance(30))
            DependentCosts();
        for (const TLine& l : doc_.lines) {
            const double value = l.itemValue + l.cost;
            Card(l.product, l.quantity, 0, value / l.quantity, value, 0);
        }
    }

    void Services() {
        doc_.direction = 1;
        doc_.issue = doc_.date.addDays(-r_.Int(0, 5));
        doc_.partner = r_.Pick(refs_.suppliers);
        LinkSupplierAdvance();
        const int n = r_.Int(1, 3);
        for (int i = 0; i < n; ++i) {
            TLine l;
            l.product = r_.Pick(refs_.expenses);
            l.price = l.itemValue = Money(r_.Cents(30, 2500) * 100);
            const bool general = r_.Chance(85);
            l.taxValue = l.inTax = general ? 20 : 10;
            l.taxId = general ? refs_.tax20 : refs_.tax10;
            doc_.lines << l;
        }
    }

    void Invoice() {
        doc_.direction = -1;
        doc_.warehouse = r_.Pick(refs_.wholesale);
        const bool exported = refs_.foreign > 0 && r_.Chance(10);
        doc_.partner = exported ? refs_.foreign : r_.Pick(refs_.customers);
        if (exported) {
            Foreign();
        } else if (r_.Chance(60)) {
            qint64 partner = 0;
            if (const qint64 advance = Pending(customerAdvances_, partner)) {
                doc_.partner = partner;
                links_.Add({advance, doc_.id});
            }
        }
        const int n = r_.Int(1, 4 * detail_);
        for (int i = 0; i < n; ++i) {
            const int roll = r_.Int(1, 100);
            const QString type = roll <= 80 || exported ? QStringLiteral("R")
                                 : roll <= 90           ? QStringLiteral("U")
                                                        : QStringLiteral("P");
            for (const TProd& p : Products(type, 1)) {
                if (std::any_of(doc_.lines.begin(), doc_.lines.end(),
                                [&](const TLine& l) { return l.product == p.id; }))
                    continue;
                TLine l;
                l.product = p.id;
                l.quantity = p.type == QLatin1Char('U') ? r_.Int(1, 10) : r_.Int(1, 40);
                l.price = Money(exported ? std::max<qint64>(1, qRound64(p.sale / rate_)) : p.sale);
                if (!exported && r_.Chance(40)) {
                    l.rebateType = QStringLiteral("P");
                    l.rebate = r_.Pick(QVector<int>{3, 5, 10});
                }
                l.itemValue = Round2(l.quantity * l.price - PercentOf(l, int(l.rebate)));
                SetTax(l, p, false);
                if (exported) {
                    l.taxValue = 0;
                    l.taxId = refs_.tax0;
                }
                doc_.lines << l;
                if (p.type != QLatin1Char('U'))
                    Card(p.id, 0, l.quantity, Money(p.cost), 0, l.quantity * Money(p.cost));
            }
        }
        // Now and then paid on the spot.
        if (!exported && r_.Chance(10))
            retailPayments_.Add({doc_.id, Gross(), 0.0, 0.0});
    }

    double Gross() const {
        double gross = 0;
        for (const TLine& l : doc_.lines)
            gross += l.itemValue + Round2(l.itemValue * l.taxValue / 100);
        return Round2(gross);
    }

    void Retail() {
        doc_.direction = -1;
        doc_.warehouse = r_.Pick(refs_.retail);
        for (const TProd& p : Products(QStringLiteral("R"), r_.Int(2, 5 * detail_))) {
            TLine l;
            l.product = p.id;
            l.quantity = r_.Int(1, 25);
            l.price = Money(p.sale);
            l.itemValue = Round2(l.quantity * l.price);
            SetTax(l, p, false);
            doc_.lines << l;
            Card(p.id, 0, l.quantity, l.price, 0, l.quantity * Money(p.cost));
        }
        const double gross = Gross();
        const double card = Round2(gross * r_.Int(0, 60) / 100);
        const double cheque = r_.Chance(5) ? Round2((gross - card) / 4) : 0;
        retailPayments_.Add({doc_.id, Round2(gross - card - cheque), cheque, card});
    }

    void Transfer() {
        doc_.warehouse = r_.Pick(refs_.wholesale);
        QVector<qint64> others;
        for (qint64 w : refs_.wholesale)
            if (w != doc_.warehouse)
                others << w;
        doc_.inWarehouse =
            others.isEmpty() || r_.Chance(75) ? r_.Pick(refs_.retail) : r_.Pick(others);
        const QVector<TProd> products = Products(QStringLiteral("R"), r_.Int(1, 3 * detail_));
        for (const TProd& p : products) {
            TLine l;
            l.product = p.id;
            l.quantity = r_.Int(10, 60);
            l.price = Money(p.cost);
            l.price2 = Money(p.sale);
            l.itemValue = Round2(l.quantity * l.price2);
            SetTax(l, p, false);
            doc_.lines << l;
            Card(p.id, 0, l.quantity, l.price, 0, l.quantity * l.price);
        }
        // The receiving side's rows after every issuing one: the conter takes the first.
        for (const TLine& l : doc_.lines)
            Card(l.product, l.quantity, 0, l.price, l.quantity * l.price, 0);
    }

    void PriceChange() {
        doc_.warehouse = r_.Pick(refs_.retail);
        for (const TProd& p : Products(QStringLiteral("R"), r_.Int(1, 3))) {
            TLine l;
            l.product = p.id;
            l.quantity = r_.Int(5, 40);
            l.price = Money(p.sale);
            int change = r_.Int(-10, 15);
            if (change == 0)
                change = 5;
            l.price2 = Money(std::max<qint64>(10, (p.sale * (100 + change) / 100) / 10 * 10));
            l.itemValue = Round2(l.quantity * l.price2);
            l.taxId = p.taxId;
            l.taxValue = l.inTax = p.rate;
            doc_.lines << l;
        }
    }

    void Charge() {
        doc_.direction = -1;
        doc_.partner = r_.Pick(refs_.customers);
        const bool interest = r_.Chance(40);
        doc_.chargeType = interest ? 2 : 1;
        TLine l;
        l.price = l.itemValue = Money(r_.Cents(10, 500) * 100);
        l.taxValue = interest ? 0 : 20;
        l.taxId = interest ? refs_.tax0 : refs_.tax20;
        doc_.lines << l;
    }

    // Write-off, shortage, surplus, requisition, finished products, lending, sign-off.
    void Stock(char type) {
        const bool in = type == 'V' || type == 'G';
        doc_.direction = in ? 1 : -1;
        doc_.warehouse =
            QByteArray("TGCW").contains(type) ? refs_.wholesale.first() : r_.Pick(refs_.wholesale);
        QVector<TProd> products;
        switch (type) {
            case 'T':
                products = Products(QStringLiteral("M"), r_.Int(1, 2)) +
                           Products(QStringLiteral("R"), r_.Int(1, 3));
                break;
            case 'G':
                products = Products(QStringLiteral("P"), r_.Int(1, 2));
                break;
            case 'W':
                products = Products(QStringLiteral("K"), r_.Int(1, 2));
                break;
            default:
                products = Products(QStringLiteral("R"), r_.Int(1, 3));
                break;
        }
        if (type == 'S')
            doc_.partner = r_.Pick(refs_.customers);
        for (const TProd& p : products) {
            if (std::any_of(doc_.lines.begin(), doc_.lines.end(),
                            [&](const TLine& l) { return l.product == p.id; }))
                continue;
            TLine l;
            l.product = p.id;
            l.quantity = type == 'T' || type == 'G' ? r_.Int(5, 30) : r_.Int(1, 8);
            const bool sold = type == 'S' || type == 'W';
            l.price = Money(sold ? p.sale : p.cost);
            l.itemValue = Round2(l.quantity * (sold ? l.price : Money(p.cost)));
            SetTax(l, p, false);
            // Losses within the allowed norm carry no tax.
            if ((type == 'F' || type == 'L') && r_.Chance(50)) {
                l.taxValue = 0;
                l.taxId = refs_.tax0;
            }
            doc_.lines << l;
            const double value = l.quantity * Money(p.cost);
            if (in)
                Card(p.id, l.quantity, 0, Money(p.cost), value, 0);
            else
                Card(p.id, 0, l.quantity, Money(p.cost), 0, value);
        }
    }

    void Flush() {
        const int number = ++numbers_[doc_.type];
        documents_.Add({doc_.id, doc_.type,
                        QStringLiteral("%1/%2")
                            .arg(number, 5, 10, QLatin1Char('0'))
                            .arg(doc_.date.year() % 100, 2, 10, QLatin1Char('0')),
                        QStringLiteral("p"), doc_.date, doc_.issue, doc_.direction,
                        Id(doc_.exchangeList), doc_.currency, doc_.inputCurrency, Id(doc_.partner),
                        Id(doc_.warehouse), Id(doc_.inWarehouse),
                        doc_.chargeType ? QVariant(doc_.chargeType) : QVariant()});
        QHash<double, double> vat;  // rate -> tax
        for (const TLine& l : doc_.lines) {
            items_.Add({doc_.id, Id(l.product), l.quantity, l.price, l.price2, l.itemValue, l.cost,
                        l.rebate, l.rebateType.isEmpty() ? QVariant() : QVariant(l.rebateType),
                        Id(l.taxId), l.taxValue, l.inTax});
            const double rate =
                QByteArray("KCUQ").contains(doc_.type.toLatin1()) ? l.inTax : l.taxValue;
            if (rate > 0)
                vat[rate] += Round2(l.itemValue * rate_ * rate / 100);
        }
        for (auto it = vat.cbegin(); it != vat.cend(); ++it)
            vat_.Add({doc_.id, it.key() >= 18 ? QStringLiteral("OS") : QStringLiteral("PS"),
                      it.key(), Round2(it.value())});
        rate_ = 1.0;
    }

    TConnection& c_;
    TRandom& r_;
    const TDocRefs& refs_;
    int detail_;
    TBatch documents_, items_, cards_, vat_, costs_, retailPayments_, statements_, statementItems_,
        links_;
    qint64 nextId_ = 1, nextStatement_ = 1;
    QHash<QString, int> numbers_;
    TDoc doc_;
    double rate_ = 1.0;
    // Advances waiting for their final invoice, by partner.
    QHash<qint64, QVector<qint64>> customerAdvances_, supplierAdvances_;
};

}  // namespace

TDemoDocumentsSummary MakeDemoDocuments(TConnection& c, const TDemoDocumentsOptions& options) {
    if (!options.from.isValid() || !options.to.isValid() || options.to < options.from)
        throw TError(QStringLiteral("Demo dokumenti traže ispravan period."));
    TTransaction tx(c);
    TRandom random(options.seed);
    if (options.partners > 0)
        GrowPartners(c, random, options.partners);
    if (options.categories > 0)
        GrowCategories(c, options.categories);
    if (options.products > 0)
        GrowProducts(c, random, options.products);
    const TDocRefs refs = LoadRefs(c);
    EnsureExchangeLists(c, refs.home, options.from, options.to);

    // Every type once, as far as the count allows, then by their shares; in date order.
    QVector<char> types;
    for (const auto& [type, weight] : kTypeWeights)
        if (types.size() < options.documents)
            types << type;
    while (types.size() < options.documents) {
        int roll = random.Int(1, 100);
        for (const auto& [type, weight] : kTypeWeights) {
            if (roll <= weight) {
                types << type;
                break;
            }
            roll -= weight;
        }
    }
    for (int i = int(types.size()) - 1; i > 0; --i)
        std::swap(types[i], types[random.Int(0, i)]);
    QVector<QDate> dates;
    const qint64 days = options.from.daysTo(options.to);
    for (int i = 0; i < options.documents; ++i) {
        QDate d = options.from.addDays(random.Int(0, int(days)));
        // Weekends move to the Friday before, where the period has one.
        const QDate friday = d.addDays(5 - d.dayOfWeek());
        if (d.dayOfWeek() > 5 && friday >= options.from)
            d = friday;
        dates << d;
    }
    std::sort(dates.begin(), dates.end());

    TDocumentWriter writer(c, random, refs, options.detail);
    for (int i = 0; i < options.documents; ++i)
        writer.Write(types[i], dates[i]);
    writer.Finish();
    tx.Commit();

    TDemoDocumentsSummary s;
    s.documents = options.documents;
    s.partners = int(Count(c, "partner"));
    s.products = int(Count(c, "product"));
    s.categories = int(Count(c, "categorypr"));
    return s;
}

}  // namespace fin
