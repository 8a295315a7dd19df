#include "accounts/newchart.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <utility>

#include "accounts/accountscaptions.h"
#include "host/data/query.h"
#include "host/db/connection.h"
#include "host/ui/uiservice.h"
#include "ledger/financialdm.h"

namespace fin {

namespace {

// Keys per statement: the statements stay far below the server's limit on parameters,
// and the demo's whole table goes in one.
constexpr int kBatch = 400;

struct TRecommendedTable {
    QVector<TChartPair> pairs;
    QHash<QString, QString> byOldCode;
};

const TRecommendedTable& Table() {
    static const TRecommendedTable table = [] {
        QFile file(QStringLiteral(":/chartmap/oldtonew.txt"));
        if (!file.open(QIODevice::ReadOnly))
            throw TError(res::NEW_ACC_TABLE_ERR.arg(0).arg(file.fileName()));
        TRecommendedTable t;
        t.pairs = ParseChartPairs(QString::fromUtf8(file.readAll()));
        for (const TChartPair& p : t.pairs)
            t.byOldCode.insert(p.oldCode, p.newCode);
        return t;
    }();
    return table;
}

QString Placeholders(qsizetype count) {
    return QStringList(count, QStringLiteral("?")).join(QStringLiteral(", "));
}

// Lines of registered vouchers of the year that still lack a new account, by old account:
// one statement for many accounts.
qint64 MoveLines(TConnection& c, const QVector<std::pair<qint64, qint64>>& moves, int year) {
    qint64 moved = 0;
    for (qsizetype from = 0; from < moves.size(); from += kBatch) {
        const auto batch = moves.mid(from, kBatch);
        QString cases;
        QVariantList params, ids;
        for (const auto& [oldId, newId] : batch) {
            cases += QStringLiteral(" WHEN ? THEN ?");
            params << oldId << newId;
            ids << oldId;
        }
        params << ids << QDate(year, 1, 1) << QDate(year, 12, 31);
        moved += qint64(c.Execute(
            QStringLiteral("UPDATE preceptitem AS pi INNER JOIN precept AS p ON p.preceptid = "
                           "pi.preceptid SET pi.accountnewid = CASE pi.accountid%1 END WHERE "
                           "pi.accountid IN (%2) AND pi.accountnewid IS NULL AND p.status = 'p' "
                           "AND p.preceptdate >= ? AND p.preceptdate <= ?")
                .arg(cases, Placeholders(batch.size())),
            params));
    }
    return moved;
}

// Rules that name no new account yet get the one of their old account's pair; rules
// mapped by hand keep theirs.
qint64 PointEmptyRules(TConnection& c, const QVector<TChartPair>& pairs) {
    qint64 pointed = 0;
    for (qsizetype from = 0; from < pairs.size(); from += kBatch) {
        const auto batch = pairs.mid(from, kBatch);
        QString cases;
        QVariantList params, codes;
        for (const TChartPair& p : batch) {
            cases += QStringLiteral(" WHEN ? THEN ?");
            params << p.oldCode << p.newCode;
            codes << p.oldCode;
        }
        params << codes;
        pointed += qint64(c.Execute(
            QStringLiteral("UPDATE financialini SET contonew = CASE conto%1 END WHERE conto IN "
                           "(%2) AND (contonew IS NULL OR contonew = '')")
                .arg(cases, Placeholders(batch.size())),
            params));
    }
    return pointed;
}

}  // namespace

QVector<TChartPair> ParseChartPairs(const QString& text) {
    static const QRegularExpression pair(QStringLiteral("^([0-9-]{4})=([0-9-]{4,5})$"));
    QVector<TChartPair> pairs;
    QHash<QString, int> seen;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const auto m = pair.match(line);
        if (!m.hasMatch() || seen.contains(m.captured(1)))
            throw TError(res::NEW_ACC_TABLE_ERR.arg(i + 1).arg(line));
        seen.insert(m.captured(1), i);
        pairs.append({m.captured(1), m.captured(2)});
    }
    return pairs;
}

const QVector<TChartPair>& RecommendedChartPairs() {
    return Table().pairs;
}

QString RecommendedNewCode(const QString& oldCode) {
    return Table().byOldCode.value(oldCode);
}

TNewChartTransfer::TNewChartTransfer(TFinancialDM& dm) : dm_(dm), newChart_(dm) {}

TQuery& TNewChartTransfer::OldAccounts() const {
    return dm_.OldAccountingBalanceZQ();
}

TQuery& TNewChartTransfer::NewAccounts() const {
    return dm_.AccountNewZQ();
}

void TNewChartTransfer::Open() {
    LoadOldAccounts();
    SearchNew({}, {});
}

void TNewChartTransfer::LoadOldAccounts() {
    const int year = dm_.Options().FinancialYear;
    TQuery& old = OldAccounts();
    old.Close();
    old.ParamByName(QStringLiteral("YearStart")).SetValue(QDate(year, 1, 1));
    old.ParamByName(QStringLiteral("YearEnd")).SetValue(QDate(year, 12, 31));
    old.SetIndexFieldNames(QStringLiteral("code"));
    old.Open();
    old.First();
}

void TNewChartTransfer::LocateOld(const QString& code, const QString& name) {
    TQuery& old = OldAccounts();
    if (!code.isEmpty() && old.Active()) {
        bool number = false;
        code.toLongLong(&number);
        if (!number)
            Ui().ShowMessage(TMessageType::Warning, res::ACC_CODE_WRN);
        else
            old.Locate(QStringLiteral("code"), code);
    }
    if (!name.isEmpty() && old.Active() && !LocateByName(old, QStringLiteral("name"), name, true)) {
        old.First();
        Ui().ShowMessage(TMessageType::Warning, res::ACC_NAME_LOC_WRN);
    }
}

void TNewChartTransfer::SearchNew(const QString& code, const QString& name) {
    dm_.UseNewChart = true;
    newChart_.ContoText = code;
    newChart_.ContoNameText = name;
    newChart_.Search();
}

TChartAccount TNewChartTransfer::CurrentOld() const {
    TQuery& old = OldAccounts();
    if (!old.Active() || old.IsEmpty())
        return {};
    auto text = [&](const char* field) {
        return old.FieldByName(QString::fromLatin1(field)).AsString();
    };
    return {old.FieldByName(QStringLiteral("accountid")).AsInteger(), text("code"), text("name"),
            text("type")};
}

TChartAccount TNewChartTransfer::CurrentNew() const {
    TQuery& chart = NewAccounts();
    if (!chart.Active() || chart.IsEmpty())
        return {};
    auto text = [&](const char* field) {
        return chart.FieldByName(QString::fromLatin1(field)).AsString();
    };
    return {chart.FieldByName(QStringLiteral("accountnewid")).AsInteger(), text("code"),
            text("name"), text("type")};
}

bool TNewChartTransfer::Transfer(const TChartAccount& from, const TChartAccount& to,
                                 TChartTransferResult* result) {
    if (from.id <= 0 || to.id <= 0)
        return false;
    if (from.type != to.type) {
        auto caption = [this](const QString& type) {
            return type.isEmpty() ? res::NEW_ACC_NO_TYPE_CAPTION : dm_.GetTypeCaption(type);
        };
        Ui().ShowMessage(
            TMessageType::Warning,
            res::NEW_ACC_TYPE_WRN.arg(from.code, caption(from.type), to.code, caption(to.type)));
        return false;
    }
    const TBusyCursor busy;
    TConnection& c = dm_.Db();
    TChartTransferResult r;
    {
        TTransaction tx(c);
        // Lines whose old account is gone have no code, and no rule names it.
        if (!from.code.isEmpty())
            r.rules = qint64(
                c.Execute(QStringLiteral("UPDATE financialini SET contonew = ? WHERE conto = ?"),
                          {to.code, from.code}));
        r.lines = MoveLines(c, {{from.id, to.id}}, dm_.Options().FinancialYear);
        tx.Commit();
    }
    r.accounts = r.lines > 0 ? 1 : 0;
    LoadOldAccounts();
    if (result)
        *result = r;
    return true;
}

TChartTransferResult TNewChartTransfer::TransferRecommended(const QVector<TChartPair>& table) {
    const TBusyCursor busy;
    QHash<QString, QString> recommended;
    for (const TChartPair& p : table)
        recommended.insert(p.oldCode, p.newCode);
    TConnection& c = dm_.Db();
    TQuery& old = OldAccounts();
    if (!old.Active())
        LoadOldAccounts();
    // The first account of a code, as a search by code would find it.
    QHash<QString, TChartAccount> chart;
    for (const auto& row : c.Select(QStringLiteral("SELECT accountnewid, code, type FROM "
                                                   "accountnew ORDER BY code, accountnewid"))
                               .rows) {
        const QString code = row[1].toString();
        if (!chart.contains(code))
            chart.insert(code, {row[0].toLongLong(), code, {}, row[2].toString()});
    }

    TChartTransferResult r;
    QVector<std::pair<qint64, qint64>> moves;
    const int idAt = old.FieldByName(QStringLiteral("accountid")).Index();
    const int codeAt = old.FieldByName(QStringLiteral("code")).Index();
    const int typeAt = old.FieldByName(QStringLiteral("type")).Index();
    for (int rec = 1; rec <= old.RecordCount(); ++rec) {
        const QString code = old.RecordValue(rec, codeAt).toString();
        const QString target = recommended.value(code);
        if (target.isEmpty()) {
            r.noRecommendation << code;
            continue;
        }
        const QString pair = code + QLatin1Char('=') + target;
        const auto found = chart.constFind(target);
        if (found == chart.cend())
            r.noNewAccount << pair;
        else if (found->type != old.RecordValue(rec, typeAt).toString())
            r.typeMismatch << pair;
        else
            moves.append({old.RecordValue(rec, idAt).toLongLong(), found->id});
    }
    {
        TTransaction tx(c);
        r.lines = MoveLines(c, moves, dm_.Options().FinancialYear);
        r.rules = PointEmptyRules(c, table);
        tx.Commit();
    }
    r.accounts = int(moves.size());
    LoadOldAccounts();
    return r;
}

bool TNewChartTransfer::SelectOldAccount(qint64 accountId) {
    TQuery& accounts = dm_.AccountZQ();
    accounts.Close();
    accounts.SetSQL(
        QStringLiteral("SELECT *, (accountid + 0.0) AS debit, (accountid + 0.0) AS credit, "
                       "(accountid + 0.0) AS balance FROM account WHERE accountid = :AccountID"));
    accounts.ParamByName(QStringLiteral("AccountID")).SetValue(accountId);
    accounts.Open();
    return !accounts.IsEmpty();
}

}  // namespace fin
