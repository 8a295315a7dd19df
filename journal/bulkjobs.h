#pragma once

#include <QDate>
#include <QString>
#include <QVector>
#include <functional>

namespace fin {

class TFinancialDM;

// What a bulk job changed: the vouchers it registered or rounded, or the vouchers a merge
// emptied into its group voucher; and the message it showed.
struct TBulkResult {
    QVector<qint64> ids;
    qint64 groupId = 0;  // the group voucher a merge wrote; 0 when it wrote none
    QString message;
};

// Jobs on many vouchers at once, without a window: registering the balanced ones,
// rounding small imbalances and merging a period's vouchers of one type into a group
// voucher. Each is a few grouped statements in one transaction, so it changes everything
// it chose or nothing; its writes re-check the state it chose on, so a voucher that
// another workstation registered, merged or deleted meanwhile is left as that one left it.
// Refusals and failures raise TError; the count message goes through the UI service.
class TBulkJobs {
public:
    explicit TBulkJobs(TFinancialDM& dm) : dm_(dm) {}

    // Registers the financial year's unregistered, unmerged vouchers of the type (0: every
    // type) whose lines on the new chart, temporary accounts ("-") aside, balance to the
    // cent, and those without lines of the types in "IncludeEmptyTypes"; types in
    // "ExceptTypes" never, nor vouchers whose number is empty or not unique in their type.
    TBulkResult AutoRegister(qint64 typeId);
    // Absorbs an imbalance of 0.01 to 0.09 of an unregistered voucher of the year into its
    // first line on a rounding account (1329, 1349, 6040, lowest code first).
    TBulkResult AutoRound(qint64 typeId);
    // Moves the lines of the period's unregistered vouchers of the type into a new group
    // voucher (type 30), numbered 1 to N in their vouchers' order, and marks the emptied
    // vouchers with it as their parent. The group voucher joins the list as its current
    // record.
    TBulkResult MergeIt(const QDate& from, const QDate& to, qint64 typeId);

    // Runs once a job has chosen its vouchers, before it writes: the moment at which
    // another workstation may change them.
    std::function<void()> BeforeWrite;

private:
    TFinancialDM& dm_;
};

// A voucher type as the merge offers it, "01 - Kalkulacija"; the group voucher's
// description names it so.
QString MergeTypeText(const QString& number, const QString& name);

// The ids of a comma-separated setting such as "5,6"; anything else is refused with a
// message naming the setting.
QVector<qint64> TypeIdList(const QString& section, const QString& key, const QString& value);

}  // namespace fin
