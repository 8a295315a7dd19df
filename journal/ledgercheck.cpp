#include "journal/ledgercheck.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <functional>

#include "host/common/error.h"
#include "host/common/textformat.h"
#include "host/db/connection.h"
#include "host/ui/uiservice.h"
#include "ledger/financialoptions.h"
#include "ledger/schema.h"
#include "ledger/schemadata.h"

namespace fin {

namespace {

using TRow = QVector<QVariant>;

// The voucher columns every voucher and line finding carries, in this order after its id.
const QString kVoucherColumns = QStringLiteral("p.preceptid, pt.number, p.number, p.preceptdate");
const QString kTypeJoin =
    QStringLiteral(" LEFT JOIN precepttype AS pt ON pt.precepttypeid = p.precepttypeid");
const QString kNoAccount = QStringLiteral("(%1 IS NULL OR %1 = 0)");

QString Amount(const QVariant& value) {
    return FormatFloat(QStringLiteral("#,##0.00"), value.toDouble());
}

QString Quoted(const QString& identifier) {
    return TConnection::QuoteIdentifier(identifier);
}

// One run: the statements of every kind over the same scope, the findings gathered.
class TCheckRun {
public:
    TCheckRun(TConnection& c, std::optional<int> year) : c_(c), year_(year) {}

    TCheckResult Run();

private:
    // " AND <alias>.preceptdate BETWEEN ? AND ?" for a year, with its values; nothing else.
    QString Within(const QString& alias, QVariantList& params) const {
        if (!year_)
            return {};
        params << QDate(*year_, 1, 1) << QDate(*year_, 12, 31);
        return QStringLiteral(" AND %1.preceptdate BETWEEN ? AND ?").arg(alias);
    }
    // Rows of id, voucher id, type number, number, date and the kind's own columns.
    void Collect(TCheckKind kind, const QString& sql, const QVariantList& params,
                 const std::function<QString(const TRow&)>& note) {
        for (const TRow& row : c_.Select(sql, params).rows) {
            TCheckFinding f;
            f.kind = kind;
            f.id = row.value(0).toLongLong();
            f.preceptId = row.value(1).toLongLong();
            f.typeNumber = row.value(2).toString();
            f.number = row.value(3).toString();
            f.date = row.value(4).toDate();
            f.note = note(row);
            findings_ << f;
        }
    }

    void Unbalanced();
    void LinesWithoutVoucher();
    void MissingAccounts(bool newChart);
    void Subaccounts();
    void LinesWithoutChart(bool newChart);
    void Repeated(TCheckKind kind, const QStringList& keys, const QString& shared,
                  const QString& extra, const std::function<QString(const TRow&)>& note);
    void RepeatedNumbers();
    void RepeatedSources();
    void Parents();
    void EmptyGroups();
    void ChangedWhenClosed();

    TConnection& c_;
    std::optional<int> year_;
    QVector<TCheckFinding> findings_;
};

void TCheckRun::Unbalanced() {
    // The lines are added up by voucher from their index alone, before any other table is
    // read: grouping the joined rows instead takes a temporary table and many times longer.
    QVariantList params{QStringLiteral("p")};
    const QString within = Within(QStringLiteral("p"), params);
    Collect(TCheckKind::Unbalanced,
            QStringLiteral("SELECT p.preceptid, ") + kVoucherColumns +
                QStringLiteral(", s.debit, s.credit FROM (SELECT i.preceptid, ROUND(SUM(i.debit), "
                               "2) AS debit, ROUND(SUM(i.credit), 2) AS credit FROM preceptitem "
                               "AS i GROUP BY i.preceptid HAVING ROUND(SUM(i.debit), 2) <> "
                               "ROUND(SUM(i.credit), 2)) AS s INNER JOIN precept AS p ON "
                               "p.preceptid = s.preceptid") +
                kTypeJoin + QStringLiteral(" WHERE p.status = ?") + within +
                QStringLiteral(" ORDER BY p.preceptid"),
            params, [](const TRow& r) {
                return QStringLiteral("Duguje %1, potražuje %2.")
                    .arg(Amount(r.value(5)), Amount(r.value(6)));
            });
}

void TCheckRun::LinesWithoutVoucher() {
    // Such a line has no date, so it belongs to every year.
    Collect(TCheckKind::LineWithoutVoucher,
            QStringLiteral("SELECT i.preceptitemid, 0, NULL, NULL, NULL, i.preceptid FROM "
                           "preceptitem AS i LEFT JOIN precept AS p ON p.preceptid = "
                           "i.preceptid WHERE p.preceptid IS NULL"),
            {}, [](const TRow& r) {
                return QStringLiteral("Nalog %1 ne postoji.").arg(r.value(5).toLongLong());
            });
}

void TCheckRun::MissingAccounts(bool newChart) {
    const QString table = newChart ? QStringLiteral("accountnew") : QStringLiteral("account");
    const QString column = table + QStringLiteral("id");
    QVariantList params;
    const QString within = Within(QStringLiteral("p"), params);
    Collect(newChart ? TCheckKind::MissingAccountNew : TCheckKind::MissingAccount,
            QStringLiteral("SELECT i.preceptitemid, %1, i.%2 FROM preceptitem AS i INNER JOIN "
                           "precept AS p ON p.preceptid = i.preceptid%3 LEFT JOIN %4 AS a ON "
                           "a.%2 = i.%2 WHERE i.%2 <> 0 AND a.%2 IS NULL%5")
                .arg(kVoucherColumns, column, kTypeJoin, table, within),
            params, [newChart](const TRow& r) {
                return QStringLiteral("Konto %1kontnog plana (id %2) ne postoji.")
                    .arg(newChart ? QStringLiteral("novog ") : QStringLiteral("starog "))
                    .arg(r.value(5).toLongLong());
            });
}

void TCheckRun::Subaccounts() {
    // A type is a table whose key is the type's name followed by "id"; a type that is no
    // safe name, or whose table or key is missing, holds no sub-account at all.
    QSet<QString> tables;
    for (const TRow& r :
         c_.Select(QStringLiteral("SELECT TABLE_NAME FROM information_schema.COLUMNS WHERE "
                                  "TABLE_SCHEMA = DATABASE() AND COLUMN_NAME = "
                                  "CONCAT(TABLE_NAME, 'id')"))
             .rows)
        tables.insert(r.value(0).toString());
    QStringList valid;
    QStringList invalid;
    for (const TRow& r : c_.Select(QStringLiteral("SELECT type FROM account WHERE type <> '' UNION "
                                                  "SELECT type FROM accountnew WHERE type <> ''"))
                             .rows) {
        const QString type = r.value(0).toString();
        const bool usable = TConnection::IsSafeIdentifier(type) &&
                            TConnection::IsSafeIdentifier(type + QStringLiteral("id")) &&
                            tables.contains(type);
        (usable ? valid : invalid) << type;
    }

    // Accounts whose type has no table: every sub-account on them is lost, so the account is
    // the finding, not each of its lines.
    if (!invalid.isEmpty()) {
        const QString in = QStringList(invalid.size(), QStringLiteral("?")).join(',');
        QVariantList params;
        for (int chart = 0; chart < 2; ++chart)
            for (const QString& t : invalid)
                params << t;
        const QString sql =
            QStringLiteral(
                "SELECT accountid, 0, code, type FROM account WHERE type IN (%1) "
                "UNION ALL SELECT accountnewid, 1, code, type FROM accountnew WHERE "
                "type IN (%1) ORDER BY 2, 1")
                .arg(in);
        for (const TRow& r : c_.Select(sql, params).rows) {
            TCheckFinding f;
            f.kind = TCheckKind::SubaccountTable;
            f.id = r.value(0).toLongLong();
            f.newChart = r.value(1).toInt() == 1;
            f.accountCode = r.value(2).toString();
            f.note = QStringLiteral(
                         "Konto %1 %2kontnog plana: vrsta analitike \"%3\" nema "
                         "tabelu.")
                         .arg(r.value(2).toString(),
                              f.newChart ? QStringLiteral("novog ") : QStringLiteral("starog "),
                              r.value(3).toString());
            findings_ << f;
        }
    }

    // A line's sub-account belongs to the account of the chart its year keeps: the old one
    // up to 2014, the new one from 2014 (both in 2014). One pass over the lines per chart,
    // each type's table looked up only for the accounts of that type; a line none of them
    // holds is lost, and so is a sub-account on an account without a type.
    QStringList parts;
    QVariantList params;
    for (const bool newChart : {false, true}) {
        const QString table = newChart ? QStringLiteral("accountnew") : QStringLiteral("account");
        const QString key = table + QStringLiteral("id");
        QString part = QStringLiteral(
                           "SELECT i.preceptitemid, %1, i.foreignid, a.code, a.type FROM "
                           "preceptitem AS i INNER JOIN precept AS p ON p.preceptid = "
                           "i.preceptid%2 INNER JOIN %3 AS a ON a.%4 = i.%4")
                           .arg(kVoucherColumns, kTypeJoin, table, key);
        QStringList missing;
        for (int t = 0; t < valid.size(); ++t) {
            const QString alias = QStringLiteral("s%1").arg(t);
            const QString subKey = Quoted(valid[t] + QStringLiteral("id"));
            part += QStringLiteral(" LEFT JOIN %1 AS %2 ON a.type = ? AND %2.%3 = i.foreignid")
                        .arg(Quoted(valid[t]), alias, subKey);
            params << valid[t];
            missing << QStringLiteral(" AND %1.%2 IS NULL").arg(alias, subKey);
        }
        part += newChart ? QStringLiteral(" WHERE i.foreignid IS NOT NULL AND p.preceptdate >= ?")
                         : QStringLiteral(" WHERE i.foreignid IS NOT NULL AND p.preceptdate < ?");
        params << (newChart ? QDate(kFirstNewChartYear, 1, 1)
                            : QDate(kFirstNewChartYear + 1, 1, 1));
        part += Within(QStringLiteral("p"), params);
        // Accounts of a type without a table are reported above, as accounts.
        part += QStringLiteral(" AND (a.type IS NULL OR a.type = ''");
        if (!valid.isEmpty()) {
            part += QStringLiteral(" OR a.type IN (%1)")
                        .arg(QStringList(valid.size(), QStringLiteral("?")).join(','));
            for (const QString& type : valid)
                params << type;
        }
        part += QLatin1Char(')') + missing.join(QString());
        parts << part;
    }
    QHash<qint64, int> seen;  // a 2014 line may fail on both charts: one finding
    Collect(TCheckKind::MissingSubaccount,
            parts.join(QStringLiteral(" UNION ALL ")) + QStringLiteral(" ORDER BY 1"), params,
            [](const TRow& r) {
                const QString type = r.value(7).toString();
                if (type.isEmpty())
                    return QStringLiteral("Analitika %1 na kontu %2, koji nema analitiku.")
                        .arg(r.value(5).toLongLong())
                        .arg(r.value(6).toString());
                return QStringLiteral("Analitika %1 konta %2 ne postoji u tabeli %3.")
                    .arg(r.value(5).toLongLong())
                    .arg(r.value(6).toString(), type);
            });
    QVector<TCheckFinding> unique;
    for (const TCheckFinding& f : findings_) {
        if (f.kind != TCheckKind::MissingSubaccount) {
            unique << f;
            continue;
        }
        const auto at = seen.constFind(f.id);
        if (at == seen.constEnd()) {
            seen.insert(f.id, static_cast<int>(unique.size()));
            unique << f;
        } else {
            unique[*at].note += QLatin1Char(' ') + f.note;
        }
    }
    findings_ = unique;
}

void TCheckRun::LinesWithoutChart(bool newChart) {
    const QString column =
        newChart ? QStringLiteral("i.accountnewid") : QStringLiteral("i.accountid");
    QVariantList params{newChart ? QDate(kFirstNewChartYear, 1, 1)
                                 : QDate(kFirstNewChartYear + 1, 1, 1)};
    const QString within = Within(QStringLiteral("p"), params);
    Collect(newChart ? TCheckKind::NoAccountNew : TCheckKind::NoAccount,
            QStringLiteral("SELECT i.preceptitemid, %1 FROM preceptitem AS i INNER JOIN precept "
                           "AS p ON p.preceptid = i.preceptid%2 WHERE %3 AND p.preceptdate %4 ?")
                    .arg(kVoucherColumns, kTypeJoin, kNoAccount.arg(column),
                         newChart ? QStringLiteral(">=") : QStringLiteral("<")) +
                within,
            params, [newChart](const TRow&) {
                return newChart ? QStringLiteral("Stavka nema konto novog kontnog plana.")
                                : QStringLiteral("Stavka nema konto starog kontnog plana.");
            });
}

// Vouchers that share a key (the columns of keys, on p and q alike) with another voucher
// of the scope; extra holds the key's columns to report, before the group's count.
void TCheckRun::Repeated(TCheckKind kind, const QStringList& keys, const QString& shared,
                         const QString& extra, const std::function<QString(const TRow&)>& note) {
    QVariantList params;
    const QString inner = Within(QStringLiteral("q"), params);
    const QString outer = Within(QStringLiteral("p"), params);
    QStringList grouped, joined;
    for (const QString& key : keys) {
        grouped << key.arg(QStringLiteral("q"));
        joined
            << QStringLiteral("d.k%1 = %2").arg(grouped.size()).arg(key.arg(QStringLiteral("p")));
    }
    QStringList selected;
    for (int i = 0; i < grouped.size(); ++i)
        selected << QStringLiteral("%1 AS k%2").arg(grouped[i]).arg(i + 1);
    Collect(kind,
            QStringLiteral("SELECT p.preceptid, ") + kVoucherColumns + extra +
                QStringLiteral(", d.n FROM precept AS p INNER JOIN (SELECT ") +
                selected.join(QStringLiteral(", ")) +
                QStringLiteral(", COUNT(*) AS n FROM precept AS q WHERE ") + shared + inner +
                QStringLiteral(" GROUP BY ") + grouped.join(QStringLiteral(", ")) +
                QStringLiteral(" HAVING COUNT(*) > 1) AS d ON ") +
                joined.join(QStringLiteral(" AND ")) + kTypeJoin + QStringLiteral(" WHERE 1 = 1") +
                outer + QStringLiteral(" ORDER BY p.preceptid"),
            params, note);
}

void TCheckRun::RepeatedNumbers() {
    Repeated(TCheckKind::RepeatedNumber,
             {QStringLiteral("%1.precepttypeid"), QStringLiteral("%1.number"),
              QStringLiteral("YEAR(%1.preceptdate)")},
             QStringLiteral("q.number <> ''"), {}, [](const TRow& r) {
                 return QStringLiteral("Isti broj ima %1 naloga ovog tipa u godini.")
                     .arg(r.value(5).toLongLong());
             });
}

void TCheckRun::RepeatedSources() {
    Repeated(TCheckKind::RepeatedSource,
             {QStringLiteral("%1.foreigntable"), QStringLiteral("%1.foreignid")},
             QStringLiteral("q.foreigntable <> '' AND q.foreignid IS NOT NULL"),
             QStringLiteral(", p.foreigntable, p.foreignid"), [](const TRow& r) {
                 return QStringLiteral("Temeljnica %1 %2 ima %3 naloga.")
                     .arg(r.value(5).toString())
                     .arg(r.value(6).toLongLong())
                     .arg(r.value(7).toLongLong());
             });
}

void TCheckRun::Parents() {
    for (const bool merged : {false, true}) {
        QVariantList params;
        const QString within = Within(QStringLiteral("p"), params);
        Collect(
            merged ? TCheckKind::MergedParent : TCheckKind::MissingParent,
            QStringLiteral("SELECT p.preceptid, ") + kVoucherColumns +
                QStringLiteral(", p.parentid, g.parentid FROM precept AS p LEFT JOIN "
                               "precept AS g ON g.preceptid = p.parentid") +
                kTypeJoin + QStringLiteral(" WHERE p.parentid IS NOT NULL AND ") +
                (merged ? QStringLiteral("g.parentid IS NOT NULL")
                        : QStringLiteral("g.preceptid IS NULL")) +
                within + QStringLiteral(" ORDER BY p.preceptid"),
            params, [merged](const TRow& r) {
                if (!merged)
                    return QStringLiteral("Nadnalog %1 ne postoji.").arg(r.value(5).toLongLong());
                return QStringLiteral("Nadnalog %1 je i sam spojen u nalog %2.")
                    .arg(r.value(5).toLongLong())
                    .arg(r.value(6).toLongLong());
            });
    }
}

void TCheckRun::EmptyGroups() {
    QVariantList params{kGroupPreceptType};
    const QString within = Within(QStringLiteral("p"), params);
    Collect(TCheckKind::EmptyGroup,
            QStringLiteral("SELECT p.preceptid, ") + kVoucherColumns +
                QStringLiteral(" FROM precept AS p") + kTypeJoin +
                QStringLiteral(" WHERE p.precepttypeid = ? AND NOT EXISTS (SELECT 1 FROM "
                               "precept AS c WHERE c.parentid = p.preceptid)") +
                within + QStringLiteral(" ORDER BY p.preceptid"),
            params,
            [](const TRow&) { return QStringLiteral("Nijedan nalog nije spojen u njega."); });
}

void TCheckRun::ChangedWhenClosed() {
    const TClosedPeriod closed = ReadClosedPeriod(c_);
    // Off, or closed before the moment was kept: nothing to compare with.
    if (!closed.date.isValid() || !closed.since.isValid())
        return;
    if (LedgerSchemaVersion(c_) < 2)
        throw TError(
            QStringLiteral("Baza još ne beleži vreme izmene naloga: pokrenite "
                           "\"finansije db init\" pa ponovite proveru."));
    const QString since = closed.since.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    QVariantList params{QStringLiteral("p"), closed.date};
    const QString within = Within(QStringLiteral("p"), params);
    params << since << since;
    // A line deleted after closing leaves no row behind, so its deletion cannot be seen here;
    // every change to a voucher's header or to a line that is still there can.
    Collect(TCheckKind::ChangedWhenClosed,
            QStringLiteral("SELECT p.preceptid, ") + kVoucherColumns +
                QStringLiteral(", GREATEST(p.changed, COALESCE((SELECT MAX(i.changed) FROM "
                               "preceptitem AS i WHERE i.preceptid = p.preceptid), p.changed)) "
                               "FROM precept AS p") +
                kTypeJoin + QStringLiteral(" WHERE p.status = ? AND p.preceptdate <= ?") + within +
                QStringLiteral(" AND (p.changed > ? OR EXISTS (SELECT 1 FROM preceptitem AS i "
                               "WHERE i.preceptid = p.preceptid AND i.changed > ?)) ORDER BY "
                               "p.preceptid"),
            params, [&closed](const TRow& r) {
                return QStringLiteral("Promenjen %1, a period je zatvoren %2 (do %3).")
                    .arg(r.value(5).toDateTime().toString(QStringLiteral("dd.MM.yyyy. HH:mm:ss")),
                         closed.since.toString(QStringLiteral("dd.MM.yyyy. HH:mm:ss")),
                         closed.date.toString(QStringLiteral("dd.MM.yyyy.")));
            });
}

TCheckResult TCheckRun::Run() {
    const std::vector<std::function<void()>> steps{
        [this] { Unbalanced(); },
        [this] { LinesWithoutVoucher(); },
        [this] { MissingAccounts(false); },
        [this] { MissingAccounts(true); },
        [this] { Subaccounts(); },
        [this] { LinesWithoutChart(true); },
        [this] { LinesWithoutChart(false); },
        [this] { RepeatedNumbers(); },
        [this] { RepeatedSources(); },
        [this] { Parents(); },
        [this] { EmptyGroups(); },
        [this] { ChangedWhenClosed(); },
    };
    TProgress progress(QStringLiteral("Provera knjiga"), static_cast<int>(steps.size()));
    for (size_t i = 0; i < steps.size(); ++i) {
        if (!progress.Step(static_cast<int>(i)))
            throw TAbort();
        steps[i]();
    }
    progress.Step(static_cast<int>(steps.size()));
    // Report order: by kind, then by id.
    std::stable_sort(findings_.begin(), findings_.end(),
                     [](const TCheckFinding& a, const TCheckFinding& b) {
                         if (a.kind != b.kind)
                             return a.kind < b.kind;
                         if (a.newChart != b.newChart)
                             return !a.newChart;
                         return a.id < b.id;
                     });
    TCheckResult result;
    result.findings = findings_;
    return result;
}

}  // namespace

const QVector<TCheckKindInfo>& CheckKinds() {
    using K = TCheckKind;
    using S = TCheckSubject;
    static const QVector<TCheckKindInfo> kinds{
        {K::Unbalanced, QStringLiteral("unbalanced"),
         QStringLiteral("Nalozi kojima se duguje i potražuje ne slažu"), S::Voucher},
        {K::LineWithoutVoucher, QStringLiteral("orphanlines"),
         QStringLiteral("Stavke čiji nalog ne postoji"), S::Line},
        {K::MissingAccount, QStringLiteral("missingaccount"),
         QStringLiteral("Stavke čiji konto starog kontnog plana ne postoji"), S::Line},
        {K::MissingAccountNew, QStringLiteral("missingaccountnew"),
         QStringLiteral("Stavke čiji konto novog kontnog plana ne postoji"), S::Line},
        {K::MissingSubaccount, QStringLiteral("missingsubaccount"),
         QStringLiteral("Stavke čija analitika ne postoji"), S::Line},
        {K::SubaccountTable, QStringLiteral("subaccounttable"),
         QStringLiteral("Konta čija vrsta analitike nema tabelu"), S::Account},
        {K::NoAccountNew, QStringLiteral("noaccountnew"),
         QStringLiteral("Stavke bez konta novog kontnog plana (godine od 2014.)"), S::Line},
        {K::NoAccount, QStringLiteral("noaccount"),
         QStringLiteral("Stavke bez konta starog kontnog plana (godine do 2014.)"), S::Line},
        {K::RepeatedNumber, QStringLiteral("repeatednumber"),
         QStringLiteral("Nalozi sa istim brojem u istom tipu naloga i godini"), S::Voucher},
        {K::RepeatedSource, QStringLiteral("repeatedsource"),
         QStringLiteral("Nalozi temeljnica koje imaju više od jednog naloga"), S::Voucher},
        {K::MissingParent, QStringLiteral("missingparent"),
         QStringLiteral("Nalozi čiji nadnalog ne postoji"), S::Voucher},
        {K::MergedParent, QStringLiteral("mergedparent"),
         QStringLiteral("Nalozi čiji je nadnalog i sam spojen"), S::Voucher},
        {K::EmptyGroup, QStringLiteral("emptygroup"),
         QStringLiteral("Grupni nalozi bez spojenih naloga"), S::Voucher},
        {K::ChangedWhenClosed, QStringLiteral("changedwhenclosed"),
         QStringLiteral("Proknjiženi nalozi zatvorenog perioda menjani posle zatvaranja"),
         S::Voucher},
    };
    return kinds;
}

const TCheckKindInfo& CheckKindInfo(TCheckKind kind) {
    return CheckKinds()[static_cast<int>(kind)];
}

QVector<qint64> TCheckResult::Ids(TCheckKind kind) const {
    QVector<qint64> ids;
    for (const TCheckFinding& f : findings)
        if (f.kind == kind)
            ids << f.id;
    return ids;
}

TCheckResult TLedgerCheck::Run() {
    return TCheckRun(connection_, Year).Run();
}

}  // namespace fin
