#include "reports/trialbalance.h"

#include <QRegularExpression>
#include <algorithm>

#include "host/common/rounding.h"
#include "host/data/dataset.h"
#include "ledger/financialdm.h"
#include "ledger/ledgercache.h"

namespace fin {

namespace {

const QString kFormat = QStringLiteral("#,##0.00");

bool Zero(double v) {
    return BetterRoundTo(v, -2) == 0;
}

// The frames of a chart: number and description, in number order.
QVector<QPair<QString, QString>> Frames(TConnection& c, TChart chart) {
    QVector<QPair<QString, QString>> frames;
    for (const auto& row :
         c.Select(chart == TChart::New
                      ? QStringLiteral("SELECT number, description FROM accountframenew ORDER BY "
                                       "number")
                      : QStringLiteral("SELECT number, description FROM accountframe ORDER BY "
                                       "number"))
             .rows)
        frames.append({row[0].toString().trimmed(), row[1].toString()});
    return frames;
}

// The closing sheets' order: within each class the synthetic accounts (and any longer
// frame) before their two-character group, and the groups before the class; generally,
// longer codes before the shorter ones they begin with.
bool DetailFirst(const QString& a, const QString& b, int firstLength, int secondLength) {
    const QString a1 = a.left(firstLength), b1 = b.left(firstLength);
    if (a1 != b1)
        return a1 < b1;
    const QString a2 = a.left(secondLength), b2 = b.left(secondLength);
    if (a2.size() != b2.size())
        return a2.size() > b2.size();
    if (a2 != b2)
        return a2 < b2;
    if (a.size() != b.size())
        return a.size() > b.size();
    return a < b;
}

// One row per class present among the rows, in class order after them: the sums of the
// class's rows (the trial balances).
void AppendClassSums(TBalanceRows& rows) {
    const int shown = rows.size();
    TBalanceRow sum;
    QString current;
    auto flush = [&] {
        if (current.isEmpty())
            return;
        sum.number = current;
        sum.name = kClassCaption + QLatin1Char(' ') + current;
        sum.groupdescription = kClassGroupCaption;
        sum.itemid = rows.size() + 1;
        rows.append(sum);
    };
    for (int i = 0; i < shown; ++i) {
        const TBalanceRow& r = rows[i];
        const QString cls = r.number.left(1);
        if (cls != current) {
            flush();
            current = cls;
            sum = {};
        }
        sum.startdebit += r.startdebit;
        sum.startcredit += r.startcredit;
        sum.startbalance += r.startbalance;
        sum.yeardebit += r.yeardebit;
        sum.yearcredit += r.yearcredit;
        sum.yearbalance += r.yearbalance;
        sum.totaldebit += r.totaldebit;
        sum.totalcredit += r.totalcredit;
        sum.totalbalance += r.totalbalance;
    }
    flush();
}

}  // namespace

// ---- Class filter ------------------------------------------------------------------------

bool TClassFilter::Accepts(const QString& code) const {
    if (all)
        return true;
    const QChar c = code.isEmpty() ? QChar() : code[0];
    return c.isDigit() && classes[c.digitValue()];
}

bool TClassFilter::Covers(std::initializer_list<int> wanted) const {
    return all || std::all_of(wanted.begin(), wanted.end(), [&](int c) { return classes[c]; });
}

std::optional<TClassFilter> TClassFilter::Parse(const QString& text) {
    const QString t = text.trimmed().toLower();
    TClassFilter f;
    if (t == QLatin1String("all") || t == QLatin1String("sve")) {
        f.all = true;
        return f;
    }
    f.classes.fill(false);
    static const QRegularExpression part(QStringLiteral("^(\\d)(?:-(\\d))?$"));
    for (const QString& p : t.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const auto m = part.match(p.trimmed());
        if (!m.hasMatch())
            return std::nullopt;
        const int first = m.captured(1).toInt();
        const int last = m.captured(2).isEmpty() ? first : m.captured(2).toInt();
        if (last < first)
            return std::nullopt;
        for (int c = first; c <= last; ++c)
            f.classes[c] = true;
    }
    if (t.isEmpty())
        return std::nullopt;
    return f;
}

// ---- Sums --------------------------------------------------------------------------------

void TBalanceSums::Add(const TBalanceSums& o) {
    openDebit += o.openDebit;
    openCredit += o.openCredit;
    debit += o.debit;
    credit += o.credit;
}

bool TBalanceSums::IsZero() const {
    return Zero(debit) && Zero(credit) && Zero(openDebit) && Zero(openCredit);
}

QString TLedgerPass::Statement(TChart chart, bool withSubaccounts) {
    return QStringLiteral(
               "SELECT a.code, %1 (pt.number = ?) AS opening, SUM(pi.debit), SUM(pi.credit) FROM "
               "preceptitem AS pi INNER JOIN precept AS p ON pi.preceptid = p.preceptid INNER JOIN "
               "precepttype AS pt ON p.precepttypeid = pt.precepttypeid %2 WHERE p.status = 'p' "
               "AND p.preceptdate >= ? AND p.preceptdate <= ? GROUP BY a.code, %3 opening")
        .arg(withSubaccounts ? QStringLiteral("COALESCE(pi.foreignid, 0),") : QString(),
             chart == TChart::New
                 ? QStringLiteral("INNER JOIN accountnew AS a ON pi.accountnewid = "
                                  "a.accountnewid")
                 : QStringLiteral("INNER JOIN account AS a ON pi.accountid = a.accountid"),
             withSubaccounts ? QStringLiteral("COALESCE(pi.foreignid, 0),") : QString());
}

TLedgerPass::TLedgerPass(TConnection& c, TChart chart, const QDate& from, const QDate& to,
                         bool withSubaccounts) {
    const TResultSet r =
        c.Select(Statement(chart, withSubaccounts), {kOpeningTypeNumber, from, to});
    const int shift = withSubaccounts ? 1 : 0;
    for (const auto& row : r.rows) {
        const QString code = row[0].toString().trimmed();
        TBalanceSums s;
        s.debit = row[2 + shift].toDouble();
        s.credit = row[3 + shift].toDouble();
        if (row[1 + shift].toInt() == 1) {
            s.openDebit = s.debit;
            s.openCredit = s.credit;
        }
        byCode_[code].Add(s);
        if (withSubaccounts) {
            const QPair<QString, qint64> key{code, row[1].toLongLong()};
            if (key.second > 0 && !bySubaccount_.contains(key))
                subaccountsOf_[code].append(key.second);
            bySubaccount_[key].Add(s);
        }
    }
    // Every code counts in each of its prefixes: frames and classes are looked up, not summed.
    for (auto it = byCode_.constBegin(); it != byCode_.constEnd(); ++it)
        for (int n = 1; n <= it.key().size(); ++n)
            byPrefix_[it.key().left(n)].Add(*it);
}

TBalanceSums TLedgerPass::Prefix(const QString& prefix) const {
    return byPrefix_.value(prefix);
}

TBalanceSums TLedgerPass::Account(const QString& code) const {
    return byCode_.value(code);
}

TBalanceSums TLedgerPass::Subaccount(const QString& code, qint64 subaccount) const {
    return bySubaccount_.value({code, subaccount});
}

QVector<qint64> TLedgerPass::SubaccountsOf(const QString& code) const {
    return subaccountsOf_.value(code);
}

QStringList TLedgerPass::Codes() const {
    QStringList codes = byCode_.keys();
    std::sort(codes.begin(), codes.end());
    return codes;
}

// ---- Rows --------------------------------------------------------------------------------

TBalanceRow TBalanceRow::Of(const QString& number, const QString& name, const TBalanceSums& s) {
    TBalanceRow r;
    r.number = number;
    r.name = name;
    r.startdebit = s.openDebit;
    r.startcredit = s.openCredit;
    r.startbalance = s.openDebit - s.openCredit;
    r.yeardebit = s.debit - s.openDebit;
    r.yearcredit = s.credit - s.openCredit;
    r.yearbalance = r.yeardebit - r.yearcredit;
    r.totaldebit = s.debit;
    r.totalcredit = s.credit;
    r.totalbalance = s.debit - s.credit;
    // The closing balance on its side.
    if (r.totalbalance >= 0)
        r.totalbalancedebit = r.totalbalance;
    else
        r.totalbalancecredit = -r.totalbalance;
    return r;
}

// ---- Reports -----------------------------------------------------------------------------

TBalanceReports::TBalanceReports(TFinancialDM& dm, TChart chart, const QDate& from, const QDate& to,
                                 const TClassFilter& classes)
    : dm_(dm), chart_(chart), from_(from), to_(to), classes_(classes) {}

const TLedgerPass& TBalanceReports::Pass(bool withSubaccounts) {
    if (!pass_ || (withSubaccounts && !passWithSubaccounts_)) {
        pass_.emplace(dm_.Db(), chart_, from_, to_, withSubaccounts);
        passWithSubaccounts_ = withSubaccounts;
    }
    return *pass_;
}

TBalanceRows TBalanceReports::SyntheticTrialBalance() {
    TBalanceRows rows;
    const TLedgerPass& pass = Pass(false);
    const auto frames = Frames(dm_.Db(), chart_);
    for (const auto& [number, description] : frames) {
        if (number.size() != 3 || !classes_.Accepts(number))
            continue;
        const TBalanceSums sums = pass.Prefix(number);
        if (sums.IsZero())
            continue;
        TBalanceRow r = TBalanceRow::Of(number, description, sums);
        r.totalbalancedebit = r.totalbalancecredit = 0;
        r.groupdescription = kSyntheticGroupCaption;
        r.itemid = rows.size() + 1;
        rows.append(r);
    }
    AppendClassSums(rows);
    return rows;
}

TBalanceRows TBalanceReports::AnalyticTrialBalance() {
    TBalanceRows rows;
    const TLedgerPass& pass = Pass(false);
    QHash<QString, QString> names;
    for (const auto& row :
         dm_.Db()
             .Select(chart_ == TChart::New ? QStringLiteral("SELECT code, name FROM accountnew")
                                           : QStringLiteral("SELECT code, name FROM account"))
             .rows)
        names.insert(row[0].toString().trimmed(), row[1].toString());
    // Every account with lines in the period, none left out for being zero.
    for (const QString& code : pass.Codes()) {
        if (!classes_.Accepts(code))
            continue;
        TBalanceRow r = TBalanceRow::Of(code, names.value(code), pass.Account(code));
        r.totalbalancedebit = r.totalbalancecredit = 0;
        r.groupdescription = kAnalyticGroupCaption;
        r.itemid = rows.size() + 1;
        rows.append(r);
    }
    AppendClassSums(rows);
    return rows;
}

namespace {

// Class rows computed from the class frames themselves, then "UKUPNO" of the class rows.
void AppendClassFramesAndTotal(TBalanceRows& rows, const QVector<QPair<QString, QString>>& frames,
                               const TLedgerPass& pass, const TClassFilter& classes) {
    TBalanceRow total;
    bool any = false;
    for (const auto& [number, description] : frames) {
        if (number.size() != 1 || !classes.Accepts(number))
            continue;
        const TBalanceSums sums = pass.Prefix(number);
        if (sums.IsZero())
            continue;
        TBalanceRow r = TBalanceRow::Of(number, description, sums);
        r.groupdescription = kClassGroupCaption;
        r.itemid = rows.size() + 1;
        rows.append(r);
        total.startdebit += r.startdebit;
        total.startcredit += r.startcredit;
        total.yeardebit += r.yeardebit;
        total.yearcredit += r.yearcredit;
        total.totaldebit += r.totaldebit;
        total.totalcredit += r.totalcredit;
        total.totalbalancedebit += r.totalbalancedebit;
        total.totalbalancecredit += r.totalbalancecredit;
        any = true;
    }
    if (!any)
        return;
    total.name = kTotalCaption;
    total.groupdescription = kClassGroupCaption;
    total.itemid = rows.size() + 1;
    rows.append(total);
}

TBalanceRow ClosingRow(const QString& number, const QString& name, const TBalanceSums& sums) {
    TBalanceRow r = TBalanceRow::Of(number, name, sums);
    r.startbalance = r.yearbalance = r.totalbalance = 0;
    r.groupdescription = kClassCaption + QLatin1Char(' ') + number.left(1);
    return r;
}

// The frames a closing sheet lists, in its order: those of the taken classes that have
// amounts, with their sums.
struct TListedFrame {
    QString number, description;
    TBalanceSums sums;
};
QVector<TListedFrame> ListedFrames(QVector<QPair<QString, QString>> frames, const TLedgerPass& pass,
                                   const TClassFilter& classes) {
    std::sort(frames.begin(), frames.end(),
              [](const auto& a, const auto& b) { return DetailFirst(a.first, b.first, 1, 2); });
    QVector<TListedFrame> listed;
    for (const auto& [number, description] : frames) {
        if (!classes.Accepts(number))
            continue;
        if (const TBalanceSums sums = pass.Prefix(number); !sums.IsZero())
            listed.append({number, description, sums});
    }
    return listed;
}

}  // namespace

TBalanceRows TBalanceReports::ClosingSheet() {
    TBalanceRows rows;
    const TLedgerPass& pass = Pass(false);
    const auto frames = Frames(dm_.Db(), chart_);
    for (const auto& [number, description, sums] : ListedFrames(frames, pass, classes_)) {
        TBalanceRow r = ClosingRow(number, description, sums);
        r.itemid = rows.size() + 1;
        rows.append(r);
    }
    AppendClassFramesAndTotal(rows, frames, pass, classes_);
    return rows;
}

const TBalanceReports::TSubaccountList& TBalanceReports::Subaccounts(const QString& type) {
    auto it = subaccounts_.find(type);
    if (it != subaccounts_.end())
        return *it;
    TSubaccountList list;
    if (const QString sql = dm_.SubaccountStatement(type); !sql.isEmpty()) {
        const TResultSet r = dm_.Db().Select(sql);
        const int code = r.ColumnIndex(QStringLiteral("Code"));
        const int name = r.ColumnIndex(QStringLiteral("name"));
        for (const auto& row : r.rows) {
            const qint64 id = row.value(code).toLongLong();
            if (list.position.contains(id))
                continue;
            list.position.insert(id, list.names.size());
            list.names.append(row.value(name).toString());
        }
    }
    return *subaccounts_.insert(type, list);
}

TBalanceRows TBalanceReports::AnalyticClosingSheet() {
    TBalanceRows rows;
    const TLedgerPass& pass = Pass(true);
    TConnection& c = dm_.Db();
    const auto frames = Frames(c, chart_);
    struct TAccount {
        QString code, name, type;
    };
    QVector<TAccount> accounts;
    for (const auto& row :
         c.Select(chart_ == TChart::New ? QStringLiteral("SELECT code, name, type FROM accountnew")
                                        : QStringLiteral("SELECT code, name, type FROM account"))
             .rows)
        accounts.append(
            {row[0].toString().trimmed(), row[1].toString(), row[2].toString().trimmed()});
    std::sort(accounts.begin(), accounts.end(), [](const TAccount& a, const TAccount& b) {
        return DetailFirst(a.code, b.code, 4, 5);
    });
    // Each synthetic frame's accounts in that order.
    QHash<QString, QVector<TAccount>> byFrame;
    for (const TAccount& a : accounts)
        byFrame[a.code.left(3)].append(a);
    auto append = [&](TBalanceRow r) {
        r.itemid = rows.size() + 1;
        rows.append(r);
    };
    for (const auto& [number, description, sums] : ListedFrames(frames, pass, classes_)) {
        if (number.size() == 3) {
            for (const TAccount& a : byFrame.value(number)) {
                const TBalanceSums own = pass.Prefix(a.code);
                if (own.IsZero())
                    continue;
                if (!a.type.isEmpty()) {
                    const TSubaccountList& list = Subaccounts(a.type);
                    // Those with lines, in the order the type's statement lists them.
                    QVector<QPair<int, qint64>> shown;
                    for (qint64 id : pass.SubaccountsOf(a.code))
                        if (auto at = list.position.constFind(id); at != list.position.cend())
                            shown.append({*at, id});
                    std::sort(shown.begin(), shown.end());
                    for (const auto& [at, id] : shown) {
                        const TBalanceSums sub = pass.Subaccount(a.code, id);
                        if (!sub.IsZero())
                            append(ClosingRow(a.code + QLatin1Char('-') + QString::number(id),
                                              list.names[at], sub));
                    }
                }
                append(ClosingRow(a.code, a.name, own));
            }
        }
        append(ClosingRow(number, description, sums));
    }
    AppendClassFramesAndTotal(rows, frames, pass, classes_);
    return rows;
}

// ---- Tables ------------------------------------------------------------------------------

namespace {

void AddAmount(TDataSet& t, const char* name, const char* label) {
    t.AddField(QString::fromLatin1(name), TFieldType::Float, 0, QString::fromUtf8(label))
        .SetDisplayFormat(kFormat);
}

}  // namespace

namespace {

// Code and name, the amounts in their order, and the hidden section text and row number.
void DeclareBalanceTable(TDataSet& t, int numberSize,
                         std::initializer_list<std::pair<const char*, const char*>> amounts) {
    if (t.FieldCount() > 0)
        return;
    t.AddField(QStringLiteral("number"), TFieldType::String, numberSize, QStringLiteral("Konto"));
    t.AddField(QStringLiteral("name"), TFieldType::String, 200, QStringLiteral("Ime"));
    for (const auto& [name, label] : amounts)
        AddAmount(t, name, label);
    t.AddField(QStringLiteral("groupdescription"), TFieldType::String, 50).SetVisible(false);
    t.AddField(QStringLiteral("itemid"), TFieldType::Integer).SetVisible(false);
    t.SetReadOnly(true);
}

}  // namespace

void DeclareTrialBalanceTable(TDataSet& t, bool synthetic) {
    DeclareBalanceTable(t, synthetic ? 5 : 9,
                        {{"startdebit", "Poč. stanje duguje"},
                         {"startcredit", "Poč. stanje potražuje"},
                         {"startbalance", "Poč. stanje saldo"},
                         {"yeardebit", "Promet duguje"},
                         {"yearcredit", "Promet potražuje"},
                         {"yearbalance", "Promet saldo"},
                         {"totaldebit", "Ukupno duguje"},
                         {"totalcredit", "Ukupno potražuje"},
                         {"totalbalance", "Ukupno saldo"}});
}

void DeclareClosingSheetTable(TDataSet& t) {
    DeclareBalanceTable(t, 9,
                        {{"startdebit", "Poč. stanje duguje"},
                         {"startcredit", "Poč. stanje potražuje"},
                         {"yeardebit", "Promet duguje"},
                         {"yearcredit", "Promet potražuje"},
                         {"totaldebit", "Ukupno duguje"},
                         {"totalcredit", "Ukupno potražuje"},
                         {"totalbalancedebit", "Saldo duguje"},
                         {"totalbalancecredit", "Saldo potražuje"}});
}

void FillBalanceTable(TDataSet& t, const TBalanceRows& rows) {
    TRefill refill(t);  // the grids may not change the rows; the fill does
    const bool closing = t.FindField(QStringLiteral("totalbalancedebit")) != nullptr;
    for (const TBalanceRow& r : rows) {
        QVariantList values{r.number, r.name, r.startdebit, r.startcredit};
        if (!closing)
            values << r.startbalance;
        values << r.yeardebit << r.yearcredit;
        if (!closing)
            values << r.yearbalance;
        values << r.totaldebit << r.totalcredit;
        if (closing)
            values << r.totalbalancedebit << r.totalbalancecredit;
        else
            values << r.totalbalance;
        values << r.groupdescription << r.itemid;
        t.AppendRecord(values);
    }
    t.First();
}

}  // namespace fin
