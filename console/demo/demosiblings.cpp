// The documents of the bank, production and fixed-asset modules for the demo company:
// bank statements (one of them on a euro account) and cash journals with their lines, work
// orders with their costs and the finished products received against them, and the
// fixed-asset documents of the equipment register. Also the benchmark's generator of large
// statements.
#include "console/demo/demosiblings.h"

#include <QSet>
#include <algorithm>
#include <map>

#include "console/demo/demo.h"
#include "console/demo/demorandom.h"
#include "console/demo/demosupport.h"
#include "host/common/error.h"
#include "host/db/connection.h"

namespace fin {

namespace {

// ---- Reference data --------------------------------------------------------------------

struct TBankRefs {
    QString home;
    QVector<qint64> accounts;  // the company's home-currency accounts, the main one first
    qint64 euroAccount = 0;
    QVector<qint64> customers, suppliers;  // domestic
    qint64 foreign = 0;
};

TBankRefs LoadBankRefs(TConnection& c) {
    TBankRefs refs;
    refs.home = c.SelectValue(QStringLiteral("SELECT code FROM currency WHERE status = "
                                             "'primary' LIMIT 1"))
                    .toString();
    for (const auto& row : c.Select(QStringLiteral("SELECT bankaccountid, currency FROM "
                                                   "bankaccount WHERE partnerid IS NULL ORDER "
                                                   "BY bankaccountid"))
                               .rows) {
        const QString currency = row[1].toString();
        if (currency.isEmpty() || currency == refs.home)
            refs.accounts << row[0].toLongLong();
        else if (currency == kDemoForeignCurrency && refs.euroAccount == 0)
            refs.euroAccount = row[0].toLongLong();
    }
    for (const auto& row :
         c.Select(QStringLiteral("SELECT partnerid, partnertype FROM partner ORDER BY partnerid"))
             .rows) {
        const QString type = row[1].toString();
        const qint64 id = row[0].toLongLong();
        if (type == QLatin1String("Inostrani"))
            refs.foreign = id;
        else if (type.startsWith(QLatin1String("Kupac")))
            refs.customers << id;
        if (type.contains(QStringLiteral("obavljač")))
            refs.suppliers << id;
    }
    if (refs.home.isEmpty() || refs.accounts.isEmpty() || refs.customers.isEmpty() ||
        refs.suppliers.isEmpty())
        throw TError(
            QStringLiteral("Demo izvodi se dodaju samo demo preduzeću (nedostaju "
                           "domaća valuta, tekući račun, kupci ili dobavljači)."));
    return refs;
}

QVector<QDate> WorkingDays(const QDate& from, const QDate& to) {
    QVector<QDate> days;
    for (QDate d = from; d <= to; d = d.addDays(1))
        if (d.dayOfWeek() <= 5)
            days << d;
    return days;
}

// The first working day on or after a date.
QDate Working(QDate d) {
    while (d.dayOfWeek() > 5)
        d = d.addDays(1);
    return d;
}

QString MonthText(int year, int month) {
    return QStringLiteral("%1/%2").arg(month, 2, 10, QLatin1Char('0')).arg(year);
}

// ---- Statements ------------------------------------------------------------------------

// One line of a statement. Amounts in cents of the statement's currency: debit paid out,
// credit received.
struct TStatementLine {
    qint64 partner = 0;
    qint64 debit = 0, credit = 0;
    QString text;
    qint64 document = 0;
    // Where a line without partner belongs, for the accountant's assignment; empty for
    // money that only moves between the company's own accounts.
    QString account;
    qint64 subaccount = 0;
};

// Writes statements with their lines, numbered on from what each account has.
class TStatementWriter {
public:
    explicit TStatementWriter(TConnection& c)
        : statements_(c, QStringLiteral("bankstatement"),
                      {QStringLiteral("bankstatementid"), QStringLiteral("bankaccountid"),
                       QStringLiteral("number"), QStringLiteral("statementdate"),
                       QStringLiteral("statementtype"), QStringLiteral("currency"),
                       QStringLiteral("exchangelistid")}),
          items_(c, QStringLiteral("bankstatementitem"),
                 {QStringLiteral("bankstatementid"), QStringLiteral("partnerid"),
                  QStringLiteral("debit"), QStringLiteral("credit"), QStringLiteral("description"),
                  QStringLiteral("documentid")}) {
        nextId_ = NextId(c, QStringLiteral("bankstatement"));
        // Statements of earlier runs keep their numbers; the cash box is account 0.
        for (const auto& row :
             c.Select(QStringLiteral("SELECT COALESCE(bankaccountid, 0), statementtype, "
                                     "MAX(CASE WHEN number REGEXP '^[0-9]+$' THEN CAST(number "
                                     "AS UNSIGNED) ELSE 0 END) FROM bankstatement GROUP BY 1, "
                                     "2"))
                 .rows)
            numbers_[{row[0].toLongLong(), row[1].toString()}] = row[2].toInt();
    }

    // type I with an account, B without; the currency's exchange list when it is foreign.
    void Add(const QDate& date, const QString& type, qint64 account, const QString& currency,
             bool foreign, const QVector<TStatementLine>& lines) {
        const qint64 id = nextId_++;
        const int number = ++numbers_[{account, type}];
        statements_.Add({id, Id(account), QString::number(number), date, type, currency,
                         foreign ? QVariant(ExchangeList(date)) : QVariant()});
        for (const TStatementLine& l : lines) {
            items_.Add(
                {id, Id(l.partner), Money(l.debit), Money(l.credit), l.text, Id(l.document)});
            ++lines_;
        }
        ++written_;
    }
    void Finish() {
        statements_.Flush();
        items_.Flush();
    }
    int Written() const { return written_; }
    qint64 Lines() const { return lines_; }

private:
    TBatch statements_, items_;
    qint64 nextId_ = 1;
    std::map<std::pair<qint64, QString>, int> numbers_;
    int written_ = 0;
    qint64 lines_ = 0;
};

// A payment waiting for a statement of its account on or after its day.
struct TPending {
    QDate due;
    TStatementLine line;
};

// Receipts and payments of partners on account, of the size of the company's invoices, and
// the bank's fees.
class TLineMaker {
public:
    TLineMaker(TRandom& r, const TBankRefs& refs) : r_(r), refs_(refs) {}

    TStatementLine Partner() {
        TStatementLine l;
        if (r_.Chance(53)) {
            l.partner = r_.Pick(refs_.customers);
            l.credit = r_.Cents(500000, 8000000);
            l.text = QStringLiteral("Uplata kupca");
        } else {
            l.partner = r_.Pick(refs_.suppliers);
            l.debit = r_.Cents(300000, 5000000);
            l.text = QStringLiteral("Plaćanje dobavljaču");
        }
        return l;
    }
    TStatementLine Fee() {
        TStatementLine l;
        l.debit = r_.Cents(5000, 300000);
        l.text = QStringLiteral("Provizija banke");
        l.account = QStringLiteral("5530");
        return l;
    }

private:
    TRandom& r_;
    const TBankRefs& refs_;
};

// Net change of an account's money by its lines (cents).
qint64 Net(const QVector<TStatementLine>& lines) {
    qint64 net = 0;
    for (const TStatementLine& l : lines)
        net += l.credit - l.debit;
    return net;
}

// The payments of the year's documents in the home currency: invoices and charges that
// customers pay, purchases and services paid to suppliers, dependent costs to carriers. An
// invoice paid on the spot or settling an advance is left out, as are the advances
// themselves (their payments are already on statements).
QVector<TPending> DocumentPayments(TConnection& c, TRandom& r, const QString& home, int year) {
    QHash<qint64, qint64> vat;
    for (const auto& row :
         c.Select(QStringLiteral("SELECT documentid, ROUND(SUM(vat) * 100) FROM vatitem GROUP BY "
                                 "documentid"))
             .rows)
        vat.insert(row[0].toLongLong(), row[1].toLongLong());
    QVector<TPending> payments;
    const QDate end(year, 12, 31);
    for (const auto& row :
         c.Select(QStringLiteral(
                      "SELECT d.documentid, d.documenttype, d.number, d.documentdate, "
                      "d.partnerid, ROUND(SUM(di.itemvalue) * 100) FROM document AS d JOIN "
                      "documentitem AS di ON di.documentid = d.documentid WHERE d.status = 'p' "
                      "AND d.documenttype IN ('R', 'Z', 'K', 'U') AND d.partnerid IS NOT NULL "
                      "AND d.documentcurrency = ? AND COALESCE(d.inputcurrency, ?) = ? AND "
                      "YEAR(d.documentdate) = ? AND NOT EXISTS (SELECT 1 FROM "
                      "documentretailpayment AS rp WHERE rp.documentid = d.documentid) AND NOT "
                      "EXISTS (SELECT 1 FROM documentdoc AS dd WHERE dd.relateddocumentid = "
                      "d.documentid) GROUP BY d.documentid ORDER BY d.documentdate, "
                      "d.documentid"),
                  {home, home, home, year})
             .rows) {
        const qint64 id = row[0].toLongLong();
        const QString type = row[1].toString();
        const QDate due = row[3].toDate().addDays(r.Int(5, 45));
        if (due > end)
            continue;
        TPending p;
        p.due = due;
        p.line.partner = row[4].toLongLong();
        p.line.document = id;
        const qint64 amount = row[5].toLongLong() + vat.value(id);
        if (amount <= 0)
            continue;
        if (type == QLatin1String("R") || type == QLatin1String("Z")) {
            p.line.credit = amount;
            p.line.text = QStringLiteral("Uplata po računu %1").arg(row[2].toString());
        } else {
            p.line.debit = amount;
            p.line.text = QStringLiteral("Plaćanje po računu %1").arg(row[2].toString());
        }
        payments << p;
    }
    for (const auto& row :
         c.Select(QStringLiteral(
                      "SELECT d.documentid, d.number, d.documentdate, dc.partnerid, "
                      "ROUND((dc.value + dc.taxamount) * 100) FROM documentcost AS dc JOIN "
                      "document AS d ON d.documentid = dc.documentid WHERE d.status = 'p' AND "
                      "dc.partnerid IS NOT NULL AND YEAR(d.documentdate) = ? ORDER BY "
                      "d.documentdate, dc.documentcostid"),
                  {year})
             .rows) {
        TPending p;
        p.due = row[2].toDate().addDays(r.Int(5, 30));
        if (p.due > end || row[4].toLongLong() <= 0)
            continue;
        p.line.partner = row[3].toLongLong();
        p.line.debit = row[4].toLongLong();
        p.line.text = QStringLiteral("Prevoz po kalkulaciji %1").arg(row[1].toString());
        payments << p;
    }
    std::stable_sort(payments.begin(), payments.end(),
                     [](const TPending& a, const TPending& b) { return a.due < b.due; });
    return payments;
}

// Money an account keeps at least; below it the company draws on its revolving credit.
constexpr qint64 kAccountFloor = 10000000;    // 100.000,00
constexpr qint64 kAccountOpening = 80000000;  // the least the opening gives an account
constexpr qint64 kInterestCents = 8333300;    // a month's interest on the loan

class TSiblingWriter {
public:
    TSiblingWriter(TConnection& c, const TDemoSiblingOptions& o)
        : c_(c), o_(o), r_(o.seed), refs_(LoadBankRefs(c)), make_(r_, refs_), statements_(c) {}

    TDemoSiblingSummary Run() {
        EnsureExchangeLists(c_, refs_.home, QDate(o_.year, 1, 1), QDate(o_.year, 12, 31));
        const QVector<QDate> days = WorkingDays(QDate(o_.year, 1, 1), QDate(o_.year, 12, 31));
        CashJournals(days);
        BankStatements(days);
        EuroStatements(days);
        statements_.Finish();
        summary_.statements = statements_.Written();
        if (o_.assetsAndProduction) {
            Errands();
            AssetDocuments();
        }
        return summary_;
    }

private:
    void Assign(const QDate& date, const TStatementLine& l) {
        if (!l.account.isEmpty())
            summary_.unassigned[date.month()][{l.account, l.subaccount}] += l.debit - l.credit;
    }

    // A journal of the cash box's expenses, with the cash taken from the main account that
    // day to pay them.
    void CashJournals(const QVector<QDate>& days) {
        QSet<QDate> picked;
        for (int i = 0; i < o_.cashJournals * 3 && picked.size() < o_.cashJournals; ++i)
            picked.insert(r_.Pick(days));
        QVector<QDate> dates(picked.begin(), picked.end());
        std::sort(dates.begin(), dates.end());
        for (const QDate& date : dates) {
            QVector<TStatementLine> lines;
            const int rounds = r_.Int(1, o_.detail);
            for (int n = 0; n < rounds; ++n) {
                if (!o_.trips.isEmpty() && r_.Chance(70)) {
                    const TDemoTrip& trip = r_.Pick(o_.trips);
                    TStatementLine l;
                    l.debit = r_.Cents(300000, 2500000);
                    l.text = QStringLiteral("Dnevnice i prevoz - %1").arg(trip.name);
                    l.account = QStringLiteral("5291");
                    l.subaccount = trip.id;
                    lines << l;
                    if (r_.Chance(30)) {
                        TStatementLine a;
                        a.debit = r_.Cents(500000, 3000000) / 1000 * 1000;
                        a.text = QStringLiteral("Akontacija za službeni put - %1").arg(trip.name);
                        a.account = QStringLiteral("2210");
                        a.subaccount = trip.id;
                        lines << a;
                    }
                }
                if (r_.Chance(50)) {
                    TStatementLine l;
                    l.debit = r_.Cents(100000, 1500000);
                    l.text = QStringLiteral("Reprezentacija");
                    l.account = QStringLiteral("5510");
                    lines << l;
                }
                if (r_.Chance(15)) {
                    TStatementLine l;
                    l.partner = r_.Pick(refs_.customers);
                    l.credit = r_.Cents(500000, 5000000);
                    l.text = QStringLiteral("Uplata kupca u gotovini");
                    lines << l;
                }
                if (r_.Chance(10)) {
                    TStatementLine l;
                    l.partner = r_.Pick(refs_.suppliers);
                    l.debit = r_.Cents(200000, 3000000);
                    l.text = QStringLiteral("Plaćanje dobavljaču u gotovini");
                    lines << l;
                }
            }
            if (lines.isEmpty()) {
                TStatementLine l;
                l.debit = r_.Cents(100000, 1500000);
                l.text = QStringLiteral("Reprezentacija");
                l.account = QStringLiteral("5510");
                lines << l;
            }
            // The cash box never runs dry: what the day pays out comes from the bank,
            // rounded up to ten thousand.
            const qint64 spent = -Net(lines);
            if (spent > 0) {
                const qint64 cash = (spent + 999999) / 1000000 * 1000000;
                TStatementLine in;
                in.credit = cash;
                in.text = QStringLiteral("Podizanje gotovine sa tekućeg računa");
                lines.prepend(in);
                TPending out;
                out.due = date;
                out.line.debit = cash;
                out.line.text = QStringLiteral("Podizanje gotovine za blagajnu");
                forced_[0].insert(date);
                pending_[0] << out;
            }
            for (const TStatementLine& l : lines)
                Assign(date, l);
            statements_.Add(date, QStringLiteral("B"), 0, refs_.home, false, lines);
        }
    }

    void BankStatements(const QVector<QDate>& days) {
        const int accounts = int(refs_.accounts.size());
        pending_.resize(accounts);
        forced_.resize(accounts);
        // The main account takes about two statements in three.
        QVector<QSet<QDate>> statementDays(accounts);
        for (int i = 0; i < o_.statements; ++i)
            statementDays[accounts > 1 && r_.Chance(35) ? 1 : 0].insert(r_.Pick(days));
        for (int a = 0; a < accounts; ++a)
            statementDays[a] += forced_[a];

        if (!o_.salaries.isEmpty()) {
            for (int month = 1; month <= 12; ++month) {
                // Last month's salaries with their taxes, about the tenth.
                const QDate payday = Working(QDate(o_.year, month, 10));
                if (month > 1)
                    Salaries(payday, month - 1);
                // The loan's interest, about the twenty-fifth.
                const QDate due = Working(QDate(o_.year, month, 25));
                TPending interest;
                interest.due = due;
                interest.line.debit = kInterestCents;
                interest.line.text =
                    QStringLiteral("Kamata po kreditu za %1").arg(MonthText(o_.year, month));
                interest.line.account = QStringLiteral("5620");
                pending_[0] << interest;
                statementDays[0].insert(due);
                if (month > 1)
                    statementDays[0].insert(payday);
            }
        }
        const QVector<TPending> documents = DocumentPayments(c_, r_, refs_.home, o_.year);
        for (const TPending& p : documents)
            pending_[accounts > 1 && r_.Chance(35) ? 1 : 0] << p;

        int statementCount = 0;
        for (const auto& s : statementDays)
            statementCount += int(s.size());
        const int perStatement = statementCount > 0 ? o_.partnerLines / statementCount : 0;
        int spare = statementCount > 0 ? o_.partnerLines % statementCount : 0;

        // Every account's statements in date order, written in the order of their days.
        struct TSlot {
            QDate date;
            int account;
        };
        QVector<TSlot> order;
        for (int a = 0; a < accounts; ++a)
            for (const QDate& d : statementDays[a])
                order << TSlot{d, a};
        std::sort(order.begin(), order.end(), [](const TSlot& x, const TSlot& y) {
            return x.date != y.date ? x.date < y.date : x.account < y.account;
        });
        for (auto& p : pending_)
            std::stable_sort(p.begin(), p.end(),
                             [](const TPending& a, const TPending& b) { return a.due < b.due; });
        QVector<int> next(accounts, 0);
        QVector<qint64> balance(accounts, kAccountOpening);
        for (const TSlot& slot : order) {
            QVector<TStatementLine> lines;
            QVector<TPending>& queue = pending_[slot.account];
            int& at = next[slot.account];
            for (; at < queue.size() && queue[at].due <= slot.date; ++at)
                lines << queue[at].line;
            int generic = perStatement + (spare > 0 ? 1 : 0);
            if (spare > 0)
                --spare;
            for (int i = 0; i < generic; ++i)
                lines << make_.Partner();
            if (r_.Chance(30))
                lines << make_.Fee();
            if (lines.isEmpty())
                lines << make_.Partner();
            balance[slot.account] += Net(lines);
            if (balance[slot.account] < kAccountFloor) {
                // A revolving credit keeps the account above its floor.
                TStatementLine loan;
                loan.credit = (kAccountFloor + 50000000 - balance[slot.account] + 9999999) /
                              10000000 * 10000000;
                loan.text = QStringLiteral("Povlačenje revolving kredita");
                loan.account = QStringLiteral("4220");
                balance[slot.account] += loan.credit;
                lines << loan;
            }
            for (const TStatementLine& l : lines)
                Assign(slot.date, l);
            statements_.Add(slot.date, QStringLiteral("I"), refs_.accounts[slot.account],
                            refs_.home, false, lines);
        }
    }

    void Salaries(const QDate& payday, int month) {
        const TDemoSalary& s = o_.salaries.value(month - 1);
        const QString of = MonthText(o_.year, month);
        const std::pair<const char*, std::pair<qint64, const char*>> parts[] = {
            {"Isplata neto zarada za %1", {s.net, "4500"}},
            {"Porez na zarade za %1", {s.tax, "4510"}},
            {"Doprinosi na teret zaposlenih za %1", {s.contributions, "4520"}},
            {"Doprinosi na teret poslodavca za %1", {s.employer, "4530"}},
        };
        for (const auto& [text, what] : parts) {
            if (what.first <= 0)
                continue;
            TPending p;
            p.due = payday;
            p.line.debit = what.first;
            p.line.text = QString::fromUtf8(text).arg(of);
            p.line.account = QString::fromLatin1(what.second);
            pending_[0] << p;
        }
    }

    // The euro account: the foreign partner's payments and ours to it, in whole euros.
    void EuroStatements(const QVector<QDate>& days) {
        if (refs_.euroAccount == 0 || refs_.foreign == 0 || o_.euroStatements <= 0)
            return;
        QSet<QDate> picked;
        for (int i = 0; i < o_.euroStatements * 3 && picked.size() < o_.euroStatements; ++i)
            picked.insert(r_.Pick(days));
        QVector<QDate> dates(picked.begin(), picked.end());
        std::sort(dates.begin(), dates.end());
        qint64 balance = kDemoEuroOpening;
        for (const QDate& date : dates) {
            QVector<TStatementLine> lines;
            const int n = r_.Int(1, 3);
            for (int i = 0; i < n; ++i) {
                TStatementLine l;
                l.partner = refs_.foreign;
                const qint64 pay = r_.Int(1, 15) * 10000;
                if (balance > pay && r_.Chance(40)) {
                    l.debit = pay;
                    l.text = QStringLiteral("Plaćanje po uvoznoj fakturi");
                } else {
                    l.credit = r_.Int(1, 20) * 10000;
                    l.text = QStringLiteral("Uplata po izvoznoj fakturi");
                }
                balance += l.credit - l.debit;
                lines << l;
            }
            statements_.Add(date, QStringLiteral("I"), refs_.euroAccount, kDemoForeignCurrency,
                            true, lines);
        }
    }

    // A work order a month that had finished products, closed at its end with its costs;
    // a production order under it for each receipt of finished products. One more order of
    // December stays open.
    void Errands() {
        struct TReceipt {
            qint64 id;
            QDate date;
            qint64 value;  // cents
        };
        QMap<int, QVector<TReceipt>> byMonth;
        for (const auto& row :
             c_.Select(QStringLiteral("SELECT d.documentid, d.documentdate, ROUND(SUM(dfi.debit) "
                                      "* 100) FROM document AS d JOIN docfinitem AS dfi ON "
                                      "dfi.documentid = d.documentid WHERE d.documenttype = 'G' "
                                      "AND d.status = 'p' AND YEAR(d.documentdate) = ? GROUP BY "
                                      "d.documentid ORDER BY d.documentdate, d.documentid"),
                       {o_.year})
                 .rows)
            byMonth[row[1].toDate().month()].append(
                {row[0].toLongLong(), row[1].toDate(), row[2].toLongLong()});

        TBatch errands(
            c_, QStringLiteral("errand"),
            {QStringLiteral("errandid"), QStringLiteral("errandtype"), QStringLiteral("number"),
             QStringLiteral("status"), QStringLiteral("erranddate"), QStringLiteral("parentid")});
        TBatch costs(c_, QStringLiteral("errandcost"),
                     {QStringLiteral("errandid"), QStringLiteral("costtype"),
                      QStringLiteral("value"), QStringLiteral("coef")});
        TBatch links(c_, QStringLiteral("erranddocument"),
                     {QStringLiteral("errandid"), QStringLiteral("documentid")});
        qint64 id = NextId(c_, QStringLiteral("errand"));
        int number = int(c_.SelectValue(QStringLiteral("SELECT COUNT(*) FROM errand WHERE "
                                                       "errandtype = 'R'"))
                             .toLongLong());
        const QString year = QStringLiteral("%1").arg(o_.year % 100, 2, 10, QLatin1Char('0'));
        auto addCosts = [&](qint64 errand, qint64 total) {
            // Material, hours of work at the hourly rate, and overhead on the work.
            const qint64 material = total * r_.Int(50, 60) / 100;
            const qint64 rate = 125000;
            const double hours = double(total * r_.Int(25, 30) / 100) / rate;
            const double hoursRounded = Round2(hours);
            const qint64 work = qRound64(rate * hoursRounded);
            costs.Add({errand, QStringLiteral("materijal"), Money(material), 1.0});
            costs.Add({errand, QStringLiteral("rad"), Money(rate), hoursRounded});
            costs.Add({errand, QStringLiteral("opšti troškovi"),
                       Money(std::max<qint64>(0, total - material - work)), 1.0});
        };
        for (auto it = byMonth.cbegin(); it != byMonth.cend(); ++it) {
            const QVector<TReceipt>& receipts = it.value();
            QDate close(o_.year, it.key(), 1);
            close = close.addMonths(1).addDays(-1);
            while (close.dayOfWeek() > 5)
                close = close.addDays(-1);
            close = std::max(close, receipts.last().date);
            const qint64 parent = id++;
            const QString no = QStringLiteral("%1/%2").arg(++number).arg(year);
            errands.Add({parent, QStringLiteral("R"), no, QStringLiteral("z"), close, QVariant()});
            qint64 value = 0;
            int child = 0;
            for (const TReceipt& g : receipts) {
                const qint64 order = id++;
                errands.Add({order, QStringLiteral("P"),
                             QStringLiteral("%1-%2").arg(no).arg(++child), QStringLiteral("z"),
                             g.date, parent});
                links.Add({order, g.id});
                value += g.value;
            }
            addCosts(parent, value * r_.Int(100, 108) / 100);
            ++summary_.errands;
        }
        // Still in work at the end of the year: never posted.
        const qint64 open = id++;
        errands.Add({open, QStringLiteral("R"), QStringLiteral("%1/%2").arg(++number).arg(year),
                     QStringLiteral("o"), QDate(o_.year, 12, 20), QVariant()});
        addCosts(open, r_.Cents(20000000, 60000000));
        errands.Flush();
        costs.Flush();
        links.Flush();
    }

    void AssetDocuments();

    TConnection& c_;
    const TDemoSiblingOptions& o_;
    TRandom r_;
    TBankRefs refs_;
    TLineMaker make_;
    TStatementWriter statements_;
    // Per home-currency account: payments waiting for a statement, and days it must have one.
    QVector<QVector<TPending>> pending_{1};
    QVector<QSet<QDate>> forced_{1};
    TDemoSiblingSummary summary_;
};

// ---- Fixed assets ----------------------------------------------------------------------

struct TAsset {
    const char* name;
    const char* account;
    qint64 purchase;      // cents
    qint64 depreciation;  // accumulated at the start of the year
    int rate;             // percent a year
    int activated;        // month it is put to use; 0: in use already
    int writtenOff;       // month it is written off; 0: never
};

const TAsset kAssets[] = {
    {"Viljuškar Linde H25", "0230", 185000000, 74000000, 10, 0, 0},
    {"Regalni sistem magacina", "0230", 145000000, 43500000, 10, 0, 0},
    {"Rashladna vitrina", "0230", 90000000, 81000000, 10, 0, 9},
    {"Server", "0231", 56000000, 33600000, 20, 0, 0},
    {"Računari i štampači", "0231", 40000000, 24000000, 20, 0, 0},
    {"Dostavno vozilo Iveco Daily", "0232", 190000000, 28500000, 15, 0, 0},
    {"Putničko vozilo Škoda Octavia", "0232", 120000000, 36000000, 15, 0, 0},
    {"Paletni viljuškar", "0230", 78000000, 0, 10, 3, 0},
    {"Kompresor za vazduh", "0230", 35000000, 0, 10, 7, 0},
};

// Activation in the middle of its month, write-off after it, depreciation at the month's
// end; an asset depreciates from the month after its activation and not in the month it
// is written off.
void TSiblingWriter::AssetDocuments() {
    TBatch documents(
        c_, QStringLiteral("fadocument"),
        {QStringLiteral("fadocumentid"), QStringLiteral("number"), QStringLiteral("status"),
         QStringLiteral("documenttype"), QStringLiteral("documentdate")});
    TBatch items(
        c_, QStringLiteral("fadocumentitem"),
        {QStringLiteral("fadocumentid"), QStringLiteral("basevalue"), QStringLiteral("basevalue2"),
         QStringLiteral("correctionvalue"), QStringLiteral("correctionvalue2")});
    qint64 id = NextId(c_, QStringLiteral("fadocument"));
    QHash<QString, int> numbers;
    for (const auto& row : c_.Select(QStringLiteral("SELECT documenttype, COUNT(*) FROM "
                                                    "fadocument GROUP BY documenttype"))
                               .rows)
        numbers[row[0].toString()] = row[1].toInt();
    auto add = [&](const char* type, const QDate& date) {
        const QString t = QString::fromLatin1(type);
        documents.Add({id, QStringLiteral("%1/%2").arg(++numbers[t]).arg(date.year() % 100),
                       QStringLiteral("p"), t, date});
        ++summary_.assetDocuments;
        return id++;
    };
    QVector<qint64> depreciation;
    for (const TAsset& a : kAssets)
        depreciation << a.depreciation;
    for (int month = 1; month <= 12; ++month) {
        for (const TAsset& a : kAssets)
            if (a.activated == month) {
                const qint64 doc = add("A", Working(QDate(o_.year, month, 12)));
                items.Add({doc, 0.0, Money(a.purchase), 0.0, 0.0});
            }
        for (int i = 0; i < int(std::size(kAssets)); ++i)
            if (kAssets[i].writtenOff == month) {
                const qint64 doc = add("R", Working(QDate(o_.year, month, 20)));
                items.Add({doc, Money(kAssets[i].purchase), 0.0, Money(depreciation[i]), 0.0});
            }
        const QDate end = QDate(o_.year, month, 1).addMonths(1).addDays(-1);
        const qint64 doc = add("O", end);
        for (int i = 0; i < int(std::size(kAssets)); ++i) {
            const TAsset& a = kAssets[i];
            const bool inUse = a.activated < month && (a.writtenOff == 0 || a.writtenOff > month);
            const qint64 monthly =
                std::min(a.purchase * a.rate / 1200, a.purchase - depreciation[i]);
            if (!inUse || monthly <= 0)
                continue;
            items.Add({doc, Money(a.purchase), Money(a.purchase), Money(depreciation[i]),
                       Money(depreciation[i] + monthly)});
            depreciation[i] += monthly;
        }
    }
    documents.Flush();
    items.Flush();
}

}  // namespace

TDemoEquipment DemoEquipmentAtOpening() {
    TDemoEquipment e;
    for (const TAsset& a : kAssets) {
        if (a.activated > 0) {
            e.inPreparation += a.purchase;
            continue;
        }
        const QString code = QString::fromLatin1(a.account);
        auto it = std::find_if(e.purchase.begin(), e.purchase.end(),
                               [&](const auto& p) { return p.first == code; });
        if (it == e.purchase.end())
            e.purchase.append({code, a.purchase});
        else
            it->second += a.purchase;
        e.depreciation += a.depreciation;
    }
    return e;
}

TDemoSiblingSummary MakeDemoSiblings(TConnection& c, const TDemoSiblingOptions& options) {
    return TSiblingWriter(c, options).Run();
}

TDemoStatementsSummary MakeDemoStatements(TConnection& c, const TDemoStatementsOptions& options) {
    if (!options.from.isValid() || !options.to.isValid() || options.to < options.from)
        throw TError(QStringLiteral("Demo izvodi traže ispravan period."));
    if (options.statements < 1 || options.lines < 1)
        throw TError(QStringLiteral("Demo izvodi traže bar jedan izvod i bar jednu stavku."));
    TTransaction tx(c);
    const TBankRefs refs = LoadBankRefs(c);
    TRandom random(options.seed);
    TLineMaker make(random, refs);
    TStatementWriter writer(c);
    QVector<QDate> days = WorkingDays(options.from, options.to);
    if (days.isEmpty())
        days << options.from;
    for (int i = 0; i < options.statements; ++i) {
        // Spread evenly over the period, the accounts taking turns.
        const QDate date = days[int(qint64(i) * days.size() / options.statements)];
        QVector<TStatementLine> lines;
        lines.reserve(options.lines);
        for (int n = 0; n < options.lines; ++n)
            lines << (random.Chance(10) ? make.Fee() : make.Partner());
        writer.Add(date, QStringLiteral("I"), refs.accounts[i % refs.accounts.size()], refs.home,
                   false, lines);
    }
    writer.Finish();
    tx.Commit();
    return {writer.Written(), writer.Lines()};
}

}  // namespace fin
