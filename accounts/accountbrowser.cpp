#include "accounts/accountbrowser.h"

#include "host/data/query.h"
#include "host/ui/uiservice.h"
#include "ledger/accountlookup.h"
#include "ledger/financialdm.h"
#include "ledger/ledgercaptions.h"

namespace fin {

namespace {

QString Base(TChart chart) {
    return chart == TChart::New
               ? QStringLiteral(
                     "SELECT *, (accountnewid + 0.0) AS debit, (accountnewid + 0.0) "
                     "AS credit, (accountnewid + 0.0) AS balance FROM accountnew ")
               : QStringLiteral(
                     "SELECT *, (accountid + 0.0) AS debit, (accountid + 0.0) AS "
                     "credit, (accountid + 0.0) AS balance FROM account ");
}

void WriteValues(TQuery& rows, int recNo, const TTurnover& t) {
    rows.SetRecordValue(recNo, rows.FieldByName(QStringLiteral("debit")).Index(), t.debit);
    rows.SetRecordValue(recNo, rows.FieldByName(QStringLiteral("credit")).Index(), t.credit);
    rows.SetRecordValue(recNo, rows.FieldByName(QStringLiteral("balance")).Index(), t.Balance());
}

void ShowValueColumns(TQuery& rows, bool visible) {
    for (const char* name : {"debit", "credit", "balance"})
        if (TField* f = rows.FindField(QString::fromLatin1(name)))
            f->SetVisible(visible);
}

}  // namespace

TAccountBrowser::TAccountBrowser(TFinancialDM& dm) : dm_(dm) {}

TChart TAccountBrowser::Chart() const {
    return dm_.UseNewChart ? TChart::New : TChart::Old;
}

TQuery& TAccountBrowser::Accounts() const {
    return dm_.UseNewChart ? dm_.AccountNewZQ() : dm_.AccountZQ();
}

TQuery& TAccountBrowser::Subaccounts() const {
    return dm_.SubaccountZQ();
}

QStringList TAccountBrowser::PrintSubtitles() const {
    QStringList lines;
    if (Chart() == TChart::Old)
        lines << QStringLiteral("Stari kontni plan");
    if (!ContoText.isEmpty())
        lines << QStringLiteral("Konta koja počinju sa %1").arg(ContoText);
    if (!ContoNameText.isEmpty())
        lines << QStringLiteral("Naziv počinje sa %1").arg(ContoNameText);
    if (AccountValuesShow)
        lines << QStringLiteral("Promet i saldo proknjiženih naloga %1. godine")
                     .arg(dm_.Options().FinancialYear);
    return lines;
}

QString TAccountBrowser::ParseSQL() const {
    QStringList conditions;
    if (!ContoText.isEmpty())
        conditions << QStringLiteral("code LIKE :Code");
    if (!ContoNameText.isEmpty())
        conditions << QStringLiteral("name LIKE :Name");
    QString sql = Base(Chart());
    if (!conditions.isEmpty())
        sql += QStringLiteral("WHERE ") + conditions.join(QStringLiteral(" AND "));
    return sql;
}

void TAccountBrowser::SwitchChart(bool newChart) {
    Subaccounts().Close();
    dm_.AccountZQ().Close();
    dm_.AccountNewZQ().Close();
    dm_.UseNewChart = newChart;
}

void TAccountBrowser::Search() {
    Subaccounts().Close();
    dm_.AccountZQ().Close();
    dm_.AccountNewZQ().Close();
    TQuery& accounts = Accounts();
    accounts.DisableControls();
    try {
        accounts.SetSQL(ParseSQL());
        if (!ContoText.isEmpty())
            accounts.ParamByName(QStringLiteral("Code")).SetValue(LikePrefix(ContoText, true));
        if (!ContoNameText.isEmpty())
            accounts.ParamByName(QStringLiteral("Name")).SetValue(LikePrefix(ContoNameText, true));
        // Ordered before it opens, so the first account's sub-accounts load once.
        accounts.SetIndexFieldNames(QStringLiteral("code"));
        accounts.Open();
    } catch (...) {
        accounts.EnableControls();
        throw;
    }
    accounts.EnableControls();
    ComputeAccountValues();
    if (ShowSubaccountValues)
        ComputeSubaccountValues();

    TQuery& subs = Subaccounts();
    if (!SubaccountText.isEmpty() && subs.Active()) {
        bool ok = false;
        const qint64 code = SubaccountText.trimmed().toLongLong(&ok);
        if (!ok) {
            Ui().ShowMessage(TMessageType::Warning, res::SUBACC_CODE_WRN);
            return;
        }
        subs.Locate(QStringLiteral("Code"), code);
    } else if (!SubaccountNameText.isEmpty() && subs.Active()) {
        if (!SubaccountNameLocate(SubaccountNameText, true)) {
            subs.First();
            Ui().ShowMessage(TMessageType::Warning, res::SUBACC_NAME_LOC_WRN);
        }
    }
}

void TAccountBrowser::ComputeAccountValues() {
    TQuery& accounts = Accounts();
    if (!AccountValuesShow) {
        ShowValueColumns(accounts, false);
        return;
    }
    if (!accounts.Active())
        return;
    TConnection* c = &dm_.Require();
    const TBusyCursor busy;
    const int year = dm_.Options().FinancialYear;
    const TChartTotals totals(*c, Chart(), QDate(year, 1, 1), QDate(year, 12, 31));
    const bool prefix = Chart() == TChart::Old;
    const int code = accounts.FieldByName(QStringLiteral("code")).Index();
    accounts.DisableControls();
    for (int rec = 1; rec <= accounts.RecordCount(); ++rec)
        WriteValues(accounts, rec, totals.Of(accounts.RecordValue(rec, code).toString(), prefix));
    ShowValueColumns(accounts, true);
    accounts.EnableControls();
}

void TAccountBrowser::ComputeSubaccountValues() {
    TQuery& subs = Subaccounts();
    if (!ShowSubaccountValues) {
        ShowValueColumns(subs, false);
        dm_.SubaccountsReloaded = true;
        return;
    }
    if (!subs.Active() || subs.IsEmpty())
        return;
    TConnection* c = &dm_.Require();
    const TBusyCursor busy;
    const int year = dm_.Options().FinancialYear;
    const auto totals =
        SubaccountTotals(*c, Chart(), Accounts().FieldByName(QStringLiteral("code")).AsString(),
                         QDate(year, 1, 1), QDate(year, 12, 31));
    const int code = subs.FieldByName(QStringLiteral("Code")).Index();
    subs.DisableControls();
    for (int rec = 1; rec <= subs.RecordCount(); ++rec)
        WriteValues(subs, rec, totals.value(subs.RecordValue(rec, code).toLongLong()));
    ShowValueColumns(subs, true);
    // Cleared before the grids hear of the values, so they do not take the list for a
    // reloaded one.
    dm_.SubaccountsReloaded = false;
    subs.EnableControls();
}

bool LocateByName(TDataSet& rows, const QString& field, const QString& text, bool fromFirst) {
    QString pattern = text;
    bool anchored = true;
    while (pattern.startsWith(QLatin1Char('%'))) {
        pattern.remove(0, 1);
        anchored = false;
    }
    if (const int cut = pattern.indexOf(QLatin1Char('%')); cut >= 0)
        pattern.truncate(cut);
    pattern = pattern.toLower();
    if (!rows.Active())
        return false;
    const int column = rows.FieldByName(field).Index();
    const int start = fromFirst ? 1 : qMax(rows.RecNo(), 1);
    for (int rec = start; rec <= rows.RecordCount(); ++rec) {
        const QString candidate = rows.RecordValue(rec, column).toString().toLower();
        if (anchored ? candidate.startsWith(pattern) : candidate.contains(pattern)) {
            rows.SetRecNo(rec);
            return true;
        }
    }
    return false;
}

bool TAccountBrowser::SubaccountNameLocate(const QString& text, bool fromFirst) {
    return LocateByName(Subaccounts(), QStringLiteral("name"), text, fromFirst);
}

bool TAccountBrowser::SearchNext() {
    TQuery& subs = Subaccounts();
    if (!SubaccountText.isEmpty() || SubaccountNameText.isEmpty() || !subs.Active())
        return false;
    const int before = subs.RecNo();
    subs.Next();
    if (subs.RecNo() != before && SubaccountNameLocate(SubaccountNameText, false))
        return true;
    subs.First();
    Ui().ShowMessage(TMessageType::Warning, res::SUBACC_NAME_LOC_NEXT_WRN);
    return false;
}

TAccountDesc TAccountBrowser::Current(bool withSubaccount) const {
    TAccountDesc d;
    TQuery& accounts = Accounts();
    if (!accounts.Active() || accounts.IsEmpty())
        return d;
    if (dm_.UseNewChart) {
        d.CodeNew = accounts.FieldByName(QStringLiteral("code")).AsString();
        d.AccountNewID =
            static_cast<qint32>(accounts.FieldByName(QStringLiteral("accountnewid")).AsInteger());
    } else {
        d.Code = accounts.FieldByName(QStringLiteral("code")).AsString();
        d.AccountID =
            static_cast<qint32>(accounts.FieldByName(QStringLiteral("accountid")).AsInteger());
    }
    d.Name = accounts.FieldByName(QStringLiteral("name")).AsString();
    d.AccountType = accounts.FieldByName(QStringLiteral("type")).AsString();
    TQuery& subs = Subaccounts();
    if (withSubaccount && subs.Active() && !subs.IsEmpty()) {
        d.SubaccountCode = subs.FieldByName(QStringLiteral("Code")).AsString();
        d.SubaccountName = subs.FieldByName(QStringLiteral("name")).AsString();
    }
    return d;
}

bool TAccountBrowser::GetAccountByCode(TConnection& connection, TAccountDesc& desc, bool newChart) {
    return fin::GetAccountByCode(connection, desc, newChart);
}

bool TAccountBrowser::GetSubAccountByCode(TFinancialDM& dm, TAccountDesc& desc, bool newChart) {
    return fin::GetSubAccountByCode(dm.Require(), desc, newChart);
}

}  // namespace fin
