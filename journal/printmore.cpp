#include "journal/printmore.h"

#include <QHash>

#include "host/common/error.h"
#include "host/data/dataset.h"
#include "host/ui/uiservice.h"
#include "journal/daybook.h"
#include "ledger/financialdm.h"

namespace fin {

namespace {

// "%" and "_" of a typed part are searched for as themselves.
QString LikeContaining(const QString& part) {
    QString escaped = part;
    escaped.replace(QLatin1Char('!'), QStringLiteral("!!"));
    escaped.replace(QLatin1Char('%'), QStringLiteral("!%"));
    escaped.replace(QLatin1Char('_'), QStringLiteral("!_"));
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

}  // namespace

TGroupFiller GroupFiller(int page, int lines) {
    if (lines <= 0)
        return {0, page};
    // A short voucher takes half a page: on top it is padded to 21 rows and the next one
    // starts in the middle, in the middle to 10 rows (from 10 lines on it fills the page)
    // and the next one starts a page. A long one is padded to a page of its own.
    if (page == 1) {
        if (lines < 20)
            return {21 - lines, 2};
        return {lines <= 50 ? 52 - lines : 0, 1};
    }
    if (lines < 10)
        return {10 - lines, 1};
    if (lines < 20)
        return {0, 1};
    return {lines <= 52 ? 54 - lines : 0, 2};
}

TPrintMore::TPrintMore(TFinancialDM& dm) : dm_(dm) {
    for (TDataSet* table : {&List(), &Rows()})
        if (!table->Active())
            table->Open();
    List().EmptyDataSet();
}

TDataSet& TPrintMore::List() const {
    return dm_.PreceptPrintCDS();
}

TDataSet& TPrintMore::Rows() const {
    return dm_.GroupPreceptCDS();
}

QVector<QPair<qint64, QString>> TPrintMore::Types() const {
    QVector<QPair<qint64, QString>> types;
    const TResultSet r = dm_.Db().Select(
        QStringLiteral("SELECT precepttypeid, number, name FROM precepttype ORDER BY "
                       "precepttypeid"));
    for (const auto& row : r.rows)
        types.append(
            {row[0].toLongLong(), row[1].toString() + QStringLiteral(" - ") + row[2].toString()});
    return types;
}

void TPrintMore::ShowPrecepts(qint64 typeId, const QString& from, const QString& to,
                              const QString& descriptionPart) {
    const auto [start, end] = CheckYearPeriod(dm_, from, to);
    const TBusyCursor busy;
    QString sql = QStringLiteral(
        "SELECT p.preceptid, pt.name, p.number, p.preceptdate, p.registerdate, p.status, "
        "p.description, p.foreignid, p.foreigntable FROM precept AS p INNER JOIN precepttype "
        "AS pt ON p.precepttypeid = pt.precepttypeid WHERE p.status = 'p' AND p.preceptdate >= "
        "? AND p.preceptdate <= ? AND p.precepttypeid = ?");
    QVariantList values{start, end, typeId};
    if (!descriptionPart.isEmpty()) {
        sql += QStringLiteral(" AND p.description LIKE ? ESCAPE '!'");
        values << LikeContaining(descriptionPart);
    }
    sql += QStringLiteral(" ORDER BY p.preceptdate DESC, p.preceptid DESC");
    const TResultSet r = dm_.Db().Select(sql, values);
    TDataSet& list = List();
    {
        const TRefill refill(list);
        for (const auto& row : r.rows)
            list.AppendRecord(
                {row[0], row[1], row[2], row[3], row[4], row[5], row[6], true, row[7], row[8]});
    }
    list.First();
}

void TPrintMore::Untick(const QVector<qint64>& preceptIds) {
    TDataSet& list = List();
    list.CheckBrowseMode();
    for (list.First(); !list.Eof(); list.Next())
        if (preceptIds.contains(list.FieldByName(QStringLiteral("PreceptID")).AsInteger())) {
            list.Edit();
            list.FieldByName(QStringLiteral("PreceptPrint")).SetValue(false);
            list.Post();
        }
    list.First();
}

int TPrintMore::TickedCount() const {
    TDataSet& list = List();
    const int tick = list.FieldByName(QStringLiteral("PreceptPrint")).Index();
    int ticked = 0;
    for (int rec = 1; rec <= list.RecordCount(); ++rec)
        ticked += list.RecordValue(rec, tick).toBool() ? 1 : 0;
    return ticked;
}

void TPrintMore::PrepareGroupPrecepts() {
    const TBusyCursor busy;
    TDataSet& list = List();
    list.CheckBrowseMode();  // a tick being changed counts
    list.DisableControls();
    struct TEnable {
        TDataSet& ds;
        ~TEnable() { ds.EnableControls(); }
    } enable{list};
    auto field = [&list](const char* name) {
        return list.FieldByName(QString::fromLatin1(name)).Index();
    };
    const int id = field("PreceptID"), type = field("PreceptType"), number = field("PreceptNumber"),
              date = field("PreceptDate"), registered = field("PreceptRegisterDate"),
              tick = field("PreceptPrint"), foreignId = field("PreceptForeignID"),
              foreignTable = field("PreceptForeignTable");
    // A line without a new-chart account shows its old one, so vouchers of the years before
    // the new chart print their accounts too.
    const QString lines = QStringLiteral(
        "SELECT COALESCE(an.code, a.code) AS code, IF(an.accountnewid IS NULL, a.type, "
        "an.type) AS type, pi.foreignid, pi.description, pi.debit, pi.credit FROM "
        "preceptitem AS pi LEFT JOIN accountnew AS an ON an.accountnewid = pi.accountnewid "
        "LEFT JOIN account AS a ON a.accountid = pi.accountid WHERE pi.preceptid = ? ORDER BY "
        "pi.sort, pi.preceptitemid");
    QHash<QPair<QString, qint64>, QString> names;
    auto subaccountName = [&](const QString& typeKey, qint64 subaccount) {
        const QPair<QString, qint64> key{typeKey, subaccount};
        auto it = names.constFind(key);
        if (it == names.constEnd())
            it = names.insert(key, dm_.GetSubAccountName(typeKey, subaccount));
        return *it;
    };
    TDataSet& rows = Rows();
    const TRefill refill(rows);
    int page = 1;
    for (int rec = list.RecordCount(); rec >= 1; --rec) {  // the list is newest first
        if (!list.RecordValue(rec, tick).toBool())
            continue;
        const QVariant voucher = list.RecordValue(rec, id);
        const TResultSet r = dm_.Db().Select(lines, {voucher});
        const TGroupFiller filler = GroupFiller(page, static_cast<int>(r.rows.size()));
        const QString related =
            dm_.GetRelatedEntityDescription(list.RecordValue(rec, foreignTable).toString(),
                                            list.RecordValue(rec, foreignId).toLongLong());
        for (int i = 0; i < r.rows.size(); ++i) {
            const auto& line = r.rows[i];
            const qint64 subaccount = line[2].toLongLong();
            QVariant emptyRows;
            if (i == r.rows.size() - 1 && filler.rows > 0)
                emptyRows =
                    QStringList(filler.rows, QStringLiteral(" ")).join(QStringLiteral("\r\n"));
            rows.AppendRecord(
                {voucher, list.RecordValue(rec, type), list.RecordValue(rec, number),
                 list.RecordValue(rec, date), list.RecordValue(rec, registered), line[0],
                 subaccount > 0 ? QVariant(subaccount) : QVariant(),
                 subaccount > 0 ? subaccountName(line[1].toString(), subaccount) : QVariant(),
                 line[3], related, line[4], line[5], i + 1, page, emptyRows});
        }
        page = filler.nextPage;
    }
    rows.First();
    list.First();
}

}  // namespace fin
