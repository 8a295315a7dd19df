#include "journal/daybook.h"

#include "host/common/error.h"
#include "host/common/textformat.h"
#include "host/data/query.h"
#include "host/ui/uiservice.h"
#include "ledger/financialdm.h"
#include "ledger/ledgercaptions.h"

namespace fin {

std::pair<QDate, QDate> CheckYearPeriod(const TFinancialDM& dm, const QString& from,
                                        const QString& to) {
    auto date = [&dm](const QString& text) {
        const std::optional<QDate> d = MyDateStrToDate(text.trimmed());
        if (!d)
            throw TError(res::CARD_DATE_ERR.arg(text.trimmed()));
        if (d->year() != dm.Options().FinancialYear)
            throw TError(res::OUT_OF_YEAR_WRN);
        return *d;
    };
    const QDate start = date(from), end = date(to);
    if (end < start)
        throw TError(res::CARD_PERIOD_ERR);
    return {start, end};
}

QDate YearPickerStart(int financialYear, const QDate& today) {
    if (today.year() == financialYear)
        return today;
    return QDate(financialYear, today.month(),
                 qMin(today.day(), QDate(financialYear, today.month(), 1).daysInMonth()));
}

bool PickYearDate(TFinancialDM& dm, QString& box) {
    const int year = dm.Options().FinancialYear;
    QDate date = YearPickerStart(year, dm.Today());
    if (!Ui().GetDate(date, QStringLiteral("Izaberite datum")))
        return false;
    if (date.year() != year) {
        Ui().ShowMessage(TMessageType::Warning, res::OUT_OF_YEAR_WRN);
        return false;
    }
    box = DateToSql(date);
    return true;
}

TDayBook::TDayBook(TFinancialDM& dm) : dm_(dm) {
    const int year = dm_.Options().FinancialYear;
    From = DateToSql(QDate(year, 1, 1));
    To = DateToSql(QDate(year, 12, 31));
}

TQuery& TDayBook::Lines() const {
    return dm_.LogZQ();
}

const QString& TDayBook::Statement() {
    // The day-book columns first, in the report's order; the line's keys after them. A
    // sub-account id of 0 is no sub-account, as a null one.
    static const QString sql = QStringLiteral(
        "SELECT p.preceptdate, p.registerdate, p.number, "
        "CONCAT(a.code, IF(pi.foreignid > 0, pi.foreignid, '')) AS accountcode, "
        "CONCAT(an.code, IF(pi.foreignid > 0, pi.foreignid, '')) AS accountnewcode, "
        "pi.description, pi.debit, pi.credit, pi.preceptitemid, pi.preceptid, pi.sort, "
        "pi.accountid, pi.accountnewid, pi.foreignid, CONCAT(pt.number, '') AS "
        "PreceptTypeNumber FROM preceptitem AS pi INNER JOIN precept AS p ON p.preceptid = "
        "pi.preceptid LEFT JOIN precepttype AS pt ON p.precepttypeid = pt.precepttypeid "
        "LEFT JOIN account AS a ON a.accountid = pi.accountid LEFT JOIN accountnew AS an ON "
        "an.accountnewid = pi.accountnewid WHERE p.status = 'p' AND p.preceptdate >= ? AND "
        "p.preceptdate <= ? ORDER BY p.preceptdate, PreceptTypeNumber, p.number, pi.sort, "
        "pi.preceptitemid");
    return sql;
}

void TDayBook::OpenLog(const QString& fromText, const QString& toText) {
    const auto [from, to] = CheckYearPeriod(dm_, fromText, toText);
    const TBusyCursor busy;
    TQuery& lines = Lines();
    lines.DisableControls();
    struct TEnable {
        TQuery& q;
        ~TEnable() { q.EnableControls(); }
    } enable{lines};
    if (lines.Active())
        lines.Close();
    QString sql = Statement();
    sql.replace(sql.indexOf(QLatin1Char('?')), 1, QStringLiteral(":DateFrom"));
    sql.replace(sql.indexOf(QLatin1Char('?')), 1, QStringLiteral(":DateTo"));
    lines.SetSQL(sql);
    lines.ParamByName(QStringLiteral("DateFrom")).SetValue(from);
    lines.ParamByName(QStringLiteral("DateTo")).SetValue(to);
    lines.Open();
    From = DateToSql(from);
    To = DateToSql(to);
}

void TDayBook::ForEachLine(const QDate& from, const QDate& to,
                           const std::function<void(const QVector<QVariant>&)>& line) const {
    dm_.Db().SelectEach(Statement(), {from, to}, {}, line);
}

}  // namespace fin
