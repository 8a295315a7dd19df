#include "journal/bulkjobs.h"

#include <algorithm>

#include "host/data/dbinifile.h"
#include "host/data/query.h"
#include "host/ui/uiservice.h"
#include "journal/bulkcaptions.h"
#include "ledger/financialdm.h"
#include "ledger/schemadata.h"

namespace fin {

namespace {

const QString kAutoRegisterSection = QStringLiteral("AutoRegister");

// Codes of the accounts that take up a small imbalance.
const QVariantList kRoundingCodes{QStringLiteral("1329%"), QStringLiteral("1349%"),
                                  QStringLiteral("6040%")};
const QString kRoundingLine =
    QStringLiteral("(%1.code LIKE ? OR %1.code LIKE ? OR %1.code LIKE ?)");

// A voucher's number is usable when it is not empty and no other voucher of its type has
// it; checked in the statement that chooses, for every voucher at once.
const QString kNumberUsable = QStringLiteral(
    " AND p.number <> '' AND NOT EXISTS (SELECT 1 FROM precept AS o WHERE "
    "o.precepttypeid = p.precepttypeid AND o.number = p.number AND o.preceptid <> p.preceptid)");

// A voucher's balance to the cent as an exact number, so that it compares and is kept
// without the remainder of a binary fraction.
QString BalanceOf(const char* lines) {
    return QStringLiteral("CAST(SUM(%1.debit) - SUM(%1.credit) AS DECIMAL(20,2))")
        .arg(QLatin1String(lines));
}

QString Placeholders(qsizetype count) {
    return QStringList(count, QStringLiteral("?")).join(QLatin1Char(','));
}

QVector<qint64> Ids(const TResultSet& rows) {
    QVector<qint64> ids;
    ids.reserve(rows.rows.size());
    for (const auto& row : rows.rows)
        ids << row.value(0).toLongLong();
    return ids;
}

// The vouchers a job has chosen, in a temporary table of the job's session: made before
// its transaction and dropped after it, however that ended.
class TChosen {
public:
    TChosen(TConnection& c, const QString& name, const QString& columns) : c_(c), name_(name) {
        c_.ExecuteDirect(QStringLiteral("CREATE OR REPLACE TEMPORARY TABLE %1 (%2) ENGINE=InnoDB")
                             .arg(name_, columns));
    }
    ~TChosen() {
        try {
            c_.ExecuteDirect(QStringLiteral("DROP TEMPORARY TABLE IF EXISTS %1").arg(name_));
        } catch (...) {
            // a session that went away took its temporary table with it
        }
    }
    TChosen(const TChosen&) = delete;
    TChosen& operator=(const TChosen&) = delete;

private:
    TConnection& c_;
    QString name_;
};

// The job's choice reads without locks, so other workstations are not held up while it
// chooses; its writes re-check what it chose on instead.
void ReadCommittedNext(TConnection& c) {
    if (c.TransactionDepth() == 0)
        c.ExecuteDirect(QStringLiteral("SET TRANSACTION ISOLATION LEVEL READ COMMITTED"));
}

// Writes what a job chose (its temporary table holds "count" vouchers) with a statement
// that re-checks each of them, and gives the ids of those it changed. Nearly always every
// chosen voucher is still as it was: then the plain statement does it all. When another
// workstation changed some meanwhile, that statement is undone and runs again, marking
// each row it changes. The statement has "%1" where the marking goes.
QVector<qint64> WriteChosen(TConnection& c, const QString& table, quint64 count,
                            const QString& update) {
    {
        TTransaction attempt(c);
        if (c.Execute(update.arg(QString())) == count) {
            attempt.Commit();
            return Ids(
                c.Select(QStringLiteral("SELECT preceptid FROM %1 ORDER BY preceptid").arg(table)));
        }
    }
    c.Execute(update.arg(QStringLiteral(", b.done = 1")));
    return Ids(c.Select(
        QStringLiteral("SELECT preceptid FROM %1 WHERE done = 1 ORDER BY preceptid").arg(table)));
}

// Choosing and writing, as steps of the host's progress; a stop before the commit leaves
// everything as it was.
class TSteps {
public:
    explicit TSteps(const QString& caption) : progress_(caption, 2) {}
    void Done(const QString& text) {
        if (!progress_.Step(++step_, text))
            throw TAbort();
    }

private:
    TProgress progress_;
    int step_ = 0;
};

struct TTypeFilter {
    QString sql;
    QVariantList params;
    explicit TTypeFilter(qint64 typeId) {
        if (typeId > 0) {
            sql = QStringLiteral(" AND p.precepttypeid = ?");
            params << typeId;
        }
    }
};

// A group voucher whose merge did not happen leaves the list again.
void DropAppended(TQuery& list) {
    try {
        if (list.Editing())
            list.Cancel();
        else if (list.RecNo() > 0)
            list.RemoveRecords({list.RecNo()});
    } catch (...) {
        // the list is only memory; the database is what counts, and it rolled back
    }
}

// Every voucher the merge chose was registered or merged elsewhere before it wrote.
struct TNothingLeft {};

}  // namespace

QString MergeTypeText(const QString& number, const QString& name) {
    return number + QStringLiteral(" - ") + name;
}

QVector<qint64> TypeIdList(const QString& section, const QString& key, const QString& value) {
    QVector<qint64> ids;
    if (value.trimmed().isEmpty())
        return ids;
    for (const QString& part : value.split(QLatin1Char(','))) {
        const QString id = part.trimmed();
        const bool digits =
            !id.isEmpty() && id.size() <= 9 && std::all_of(id.begin(), id.end(), [](QChar ch) {
                return ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
            });
        if (!digits)
            throw TError(res::BULK_SETTING_ERR.arg(key, section, value));
        ids << id.toLongLong();
    }
    return ids;
}

TBulkResult TBulkJobs::AutoRegister(qint64 typeId) {
    TConnection& c = dm_.Db();
    const TDBIniFile ini(&c);
    auto setting = [&](const char* key) {
        const QString name = QString::fromLatin1(key);
        return TypeIdList(kAutoRegisterSection, name,
                          ini.ReadString(kAutoRegisterSection, name, QStringLiteral("0")));
    };
    const QVector<qint64> except = setting("ExceptTypes");
    const QVector<qint64> includeEmpty = setting("IncludeEmptyTypes");
    const int year = dm_.Options().FinancialYear;
    const QVariantList period{QDate(year, 1, 1), QDate(year, 12, 31)};
    const TTypeFilter type(typeId);

    TBulkResult result;
    {
        const TBusyCursor busy;
        TSteps steps(res::AUTO_REGISTER_CAPT);
        const TChosen chosen(
            c, QStringLiteral("bulkregister"),
            QStringLiteral("preceptid BIGINT NOT NULL PRIMARY KEY, done TINYINT NOT NULL "
                           "DEFAULT 0"));
        ReadCommittedNext(c);
        TTransaction transaction(c);

        // Balanced: the lines on the new chart, temporary accounts ("-...") aside, agree to
        // the cent. Grouped in the order the status index gives, so without sorting.
        QString sql = QStringLiteral(
            "INSERT INTO bulkregister (preceptid) SELECT p.preceptid FROM precept AS p JOIN "
            "preceptitem AS pi ON pi.preceptid = p.preceptid JOIN accountnew AS an ON "
            "an.accountnewid = pi.accountnewid WHERE p.status = 'n' AND p.parentid IS NULL AND "
            "NOT (an.code LIKE ?) AND p.preceptdate >= ? AND p.preceptdate <= ?");
        QVariantList params{QStringLiteral("-%")};
        params << period;
        if (!except.isEmpty()) {
            sql +=
                QStringLiteral(" AND p.precepttypeid NOT IN (%1)").arg(Placeholders(except.size()));
            for (qint64 id : except)
                params << id;
        }
        sql += type.sql + kNumberUsable +
               QStringLiteral(" GROUP BY p.preceptdate, p.preceptid HAVING %1 = 0")
                   .arg(BalanceOf("pi"));
        params << type.params;
        quint64 count = c.Execute(sql, params);

        // Vouchers without any line, of the types that allow it.
        if (!includeEmpty.isEmpty()) {
            QVariantList empty;
            for (qint64 id : includeEmpty)
                empty << id;
            empty << period << type.params;
            count += c.Execute(
                QStringLiteral("INSERT INTO bulkregister (preceptid) SELECT p.preceptid FROM "
                               "precept AS p WHERE p.status = 'n' AND p.parentid IS NULL AND "
                               "p.precepttypeid IN (%1) AND p.preceptdate >= ? AND p.preceptdate "
                               "<= ?%2 AND NOT EXISTS (SELECT 1 FROM preceptitem AS pi WHERE "
                               "pi.preceptid = p.preceptid)")
                        .arg(Placeholders(includeEmpty.size()), type.sql) +
                    kNumberUsable,
                empty);
        }
        steps.Done(res::BULK_SELECT_STEP);
        if (BeforeWrite)
            BeforeWrite();

        result.ids = WriteChosen(c, QStringLiteral("bulkregister"), count,
                                 QStringLiteral("UPDATE precept AS p JOIN bulkregister AS b ON "
                                                "b.preceptid = p.preceptid SET p.status = 'p'%1 "
                                                "WHERE p.status = 'n' AND p.parentid IS NULL"));
        steps.Done(res::BULK_WRITE_STEP);
        transaction.Commit();
    }
    result.message = res::AUTO_REGISTER_INF.arg(result.ids.size());
    Ui().ShowMessage(TMessageType::Information, result.message);
    return result;
}

TBulkResult TBulkJobs::AutoRound(qint64 typeId) {
    TConnection& c = dm_.Db();
    const int year = dm_.Options().FinancialYear;
    const TTypeFilter type(typeId);

    TBulkResult result;
    {
        const TBusyCursor busy;
        TSteps steps(res::AUTO_ROUND_CAPT);
        const TChosen chosen(
            c, QStringLiteral("bulkround"),
            QStringLiteral("preceptid BIGINT NOT NULL PRIMARY KEY, preceptitemid BIGINT NOT "
                           "NULL, difference DECIMAL(20,2) NOT NULL, debit DOUBLE NOT NULL, credit "
                           "DOUBLE NOT NULL, done TINYINT NOT NULL DEFAULT 0"));
        ReadCommittedNext(c);
        TTransaction transaction(c);

        // Unregistered vouchers of the year with a line on a rounding account, off by 0.01
        // to 0.09 either way, each with its first rounding line as it stands now.
        QVariantList params = kRoundingCodes;
        params << kRoundingCodes << QDate(year, 1, 1) << QDate(year, 12, 31) << type.params;
        const quint64 count = c.Execute(
            QStringLiteral(
                "INSERT INTO bulkround (preceptid, preceptitemid, difference, debit, credit) "
                "SELECT f.preceptid, f.preceptitemid, f.balancedifference, l.debit, l.credit FROM "
                "(SELECT g.preceptid, g.balancedifference, (SELECT r.preceptitemid FROM "
                "preceptitem AS r JOIN accountnew AS ra ON ra.accountnewid = r.accountnewid WHERE "
                "r.preceptid = g.preceptid AND %1 ORDER BY ra.code, r.sort, r.preceptitemid LIMIT "
                "1) AS preceptitemid FROM (SELECT p.preceptid, %2 AS balancedifference, MAX(%3) AS "
                "rounding FROM precept AS p JOIN preceptitem AS pi ON pi.preceptid = p.preceptid "
                "LEFT JOIN accountnew AS an ON an.accountnewid = pi.accountnewid WHERE p.status = "
                "'n' AND p.preceptdate >= ? AND p.preceptdate <= ?%4 GROUP BY p.preceptdate, "
                "p.preceptid HAVING rounding = 1 AND ABS(balancedifference) >= 0.01 AND "
                "ABS(balancedifference) <= 0.09) AS g) AS f JOIN preceptitem AS l ON "
                "l.preceptitemid = f.preceptitemid")
                .arg(kRoundingLine.arg(QStringLiteral("ra")), BalanceOf("pi"),
                     kRoundingLine.arg(QStringLiteral("an")), type.sql),
            params);
        steps.Done(res::BULK_SELECT_STEP);
        if (BeforeWrite)
            BeforeWrite();

        // A debit line gives up the difference, a line without debit takes it as credit.
        // Only a line and voucher still as chosen change: the line unchanged and still the
        // voucher's, the voucher unregistered and off by the same difference.
        result.ids = WriteChosen(
            c, QStringLiteral("bulkround"), count,
            QStringLiteral(
                "UPDATE preceptitem AS pi JOIN bulkround AS b ON b.preceptitemid = "
                "pi.preceptitemid JOIN precept AS p ON p.preceptid = b.preceptid SET pi.debit = "
                "ROUND(IF(b.debit = 0, b.debit, b.debit - b.difference), 2), pi.credit = "
                "ROUND(IF(b.debit = 0, b.credit + b.difference, b.credit), 2)%1 WHERE "
                "pi.preceptid = b.preceptid AND pi.debit = b.debit AND pi.credit = b.credit AND "
                "p.status = 'n' AND (SELECT %2 FROM preceptitem AS x WHERE x.preceptid = "
                "b.preceptid) = b.difference")
                .arg(QStringLiteral("%1"), BalanceOf("x")));
        steps.Done(res::BULK_WRITE_STEP);
        transaction.Commit();
    }
    result.message = res::AUTO_ROUND_INF.arg(result.ids.size());
    Ui().ShowMessage(TMessageType::Information, result.message);
    return result;
}

TBulkResult TBulkJobs::MergeIt(const QDate& from, const QDate& to, qint64 typeId) {
    if (!from.isValid() || !to.isValid())
        throw TError(res::MERGE_DATE_ERR);
    if (to < from)
        throw TError(res::MERGE_PERIOD_ERR.arg(to.toString(QStringLiteral("dd.MM.yyyy")),
                                               from.toString(QStringLiteral("dd.MM.yyyy"))));
    TConnection& c = dm_.Db();
    const TResultSet group =
        c.Select(QStringLiteral("SELECT name, number FROM precepttype WHERE precepttypeid = ?"),
                 {kGroupPreceptType});
    if (group.IsEmpty())
        throw TError(res::MERGE_NO_GROUP_TYPE_ERR);
    const TResultSet merged = c.Select(
        QStringLiteral("SELECT number, name FROM precepttype WHERE precepttypeid = ?"), {typeId});
    if (merged.IsEmpty())
        throw TError(res::NO_PRECEPT_TYPE_ERR.arg(typeId));

    TBulkResult result;
    const QString linesOfPeriod = QStringLiteral(
        "p.precepttypeid = ? AND p.status = 'n' AND p.preceptdate >= ? AND p.preceptdate <= ?");
    const QVariantList period{typeId, from, to};
    if (c.Select(QStringLiteral("SELECT 1 FROM preceptitem AS pi JOIN precept AS p ON "
                                "p.preceptid = pi.preceptid WHERE ") +
                     linesOfPeriod + QStringLiteral(" LIMIT 1"),
                 period)
            .IsEmpty()) {
        result.message = res::MERGE_NO_PERC;
        Ui().ShowMessage(TMessageType::Information, result.message);
        return result;
    }
    if (BeforeWrite)
        BeforeWrite();

    const TBusyCursor busy;
    TQuery& list = dm_.PreceptZQ();
    if (!list.Active())
        list.Open();
    list.CheckBrowseMode();
    bool appended = false;
    try {
        TTransaction transaction(c);
        list.Append();
        appended = true;
        list.FieldByName(QStringLiteral("preceptdate")).SetValue(to);
        list.FieldByName(QStringLiteral("precepttypeid")).SetValue(kGroupPreceptType);
        list.FieldByName(QStringLiteral("number"))
            .SetValue(dm_.GetPreceptNum(to, 0, kGroupPreceptType));
        list.FieldByName(QStringLiteral("description"))
            .SetValue(res::GROUP_PRE_DESC_FMT.arg(
                MergeTypeText(merged.rows[0][0].toString(), merged.rows[0][1].toString()),
                from.toString(QStringLiteral("dd.MM.yyyy")),
                to.toString(QStringLiteral("dd.MM.yyyy"))));
        // The list shows the type at once, as after a search.
        list.FieldByName(QStringLiteral("PreceptType")).SetValue(group.rows[0][0]);
        list.FieldByName(QStringLiteral("PreceptTypeNumber")).SetValue(group.rows[0][1]);
        list.Post();
        result.groupId = list.FieldByName(QStringLiteral("preceptid")).AsInteger();

        // The vouchers still unregistered, with lines, are marked first; their lines then
        // move in the vouchers' order and their own.
        QVariantList mark{result.groupId};
        mark << period << result.groupId;
        const quint64 marked = c.Execute(
            QStringLiteral("UPDATE precept AS p SET p.parentid = ? WHERE ") + linesOfPeriod +
                QStringLiteral(" AND p.preceptid <> ? AND EXISTS (SELECT 1 FROM preceptitem AS "
                               "pi WHERE pi.preceptid = p.preceptid)"),
            mark);
        if (marked == 0)
            throw TNothingLeft();
        c.Execute(QStringLiteral(
                      "UPDATE preceptitem AS pi JOIN (SELECT i.preceptitemid, ROW_NUMBER() OVER "
                      "(ORDER BY i.preceptid, i.sort, i.preceptitemid) AS position FROM "
                      "preceptitem AS i JOIN precept AS p ON p.preceptid = i.preceptid WHERE "
                      "p.parentid = ?) AS m ON m.preceptitemid = pi.preceptitemid SET "
                      "pi.preceptid = ?, pi.sort = m.position"),
                  {result.groupId, result.groupId});
        result.ids = Ids(c.Select(
            QStringLiteral("SELECT preceptid FROM precept WHERE parentid = ? ORDER BY preceptid"),
            {result.groupId}));
        transaction.Commit();
        // Said where there is no editor to open on the group voucher.
        result.message = res::MERGE_DONE_INF.arg(result.ids.size())
                             .arg(list.FieldByName(QStringLiteral("number")).AsString())
                             .arg(result.groupId);
    } catch (const TNothingLeft&) {
        if (appended)
            DropAppended(list);
        result = {};
        result.message = res::MERGE_NO_PERC;
        Ui().ShowMessage(TMessageType::Information, result.message);
        return result;
    } catch (...) {
        if (appended)
            DropAppended(list);
        throw;
    }
    return result;
}

}  // namespace fin
