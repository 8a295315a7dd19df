// The rules on voucher lines and the look-ups of the source modules' data.

#include "host/common/captions.h"
#include "host/common/rounding.h"
#include "host/data/dbinifile.h"
#include "host/data/fieldtests.h"
#include "host/data/query.h"
#include "host/ui/uiservice.h"
#include "ledger/accountlookup.h"
#include "ledger/financialdm.h"
#include "ledger/ledgercache.h"

namespace fin {

namespace {

bool NoAccount(const TField& field) {
    return field.IsNull() || field.AsInteger() == 0;
}

}  // namespace

void TFinancialDM::PreceptItemZQNewRecord() {
    TQuery& lines = *preceptItemZQ_;
    lines.FieldByName(QStringLiteral("debit")).SetValue(0.0);
    lines.FieldByName(QStringLiteral("credit")).SetValue(0.0);
    LastItemSort = lines.RecordCount() + 1;
    lines.FieldByName(QStringLiteral("sort")).SetValue(LastItemSort);
}

void TFinancialDM::PreceptItemZQBeforePost() {
    TQuery& lines = *preceptItemZQ_;
    for (const char* side : {"debit", "credit"}) {
        TField& f = lines.FieldByName(QString::fromLatin1(side));
        if (!f.IsNull())
            f.SetValue(BetterRoundTo(f.AsFloat(), -2));
    }
    CommonBeforePost(lines);
}

void TFinancialDM::PreceptItemZQBeforeDelete() {
    if (!RecalcSortOnDelete)
        return;
    CommonBeforeDelete(*preceptItemZQ_);
    RecalcPreceptItemSortNum(
        static_cast<int>(preceptItemZQ_->FieldByName(QStringLiteral("sort")).AsInteger()));
}

void TFinancialDM::RecalcPreceptItemSortNum(int deletedSort) {
    if (SortRecalculating)
        return;
    TQuery& lines = *preceptItemZQ_;
    const quint64 current = lines.Bookmark();
    const QString order = lines.IndexFieldNames();
    const int sortIndex = lines.FieldByName(QStringLiteral("sort")).Index();
    // Found first and changed by identity: a changed number may move a line in the order.
    QVector<quint64> later;
    for (int rec = 1; rec <= lines.RecordCount(); ++rec)
        if (lines.RecordValue(rec, sortIndex).toInt() > deletedSort)
            later << lines.BookmarkAt(rec);
    lines.DisableControls();
    SortRecalculating = true;
    struct TRestore {
        TFinancialDM& dm;
        TQuery& lines;
        QString order;
        quint64 current;
        ~TRestore() {
            dm.SortRecalculating = false;
            try {
                lines.SetIndexFieldNames(order);
                lines.GotoBookmark(current);
            } catch (...) {
            }
            lines.EnableControls();
        }
    } restore{*this, lines, order, current};
    lines.SetIndexFieldNames(QStringLiteral("sort"));
    for (quint64 line : later) {
        if (!lines.GotoBookmark(line))
            continue;
        lines.Edit();
        TField& sort = lines.FieldByName(QStringLiteral("sort"));
        sort.SetValue(sort.AsInteger() - 1);
        lines.Post();
    }
}

bool TFinancialDM::PreceptItemAccountTest(const TField& field, bool newChart) const {
    const int year = options_.FinancialYear;
    // Up to 2014 a line needs an old-chart account, from 2014 a new-chart one.
    const bool optional = newChart ? year < kFirstNewChartYear : year > kFirstNewChartYear;
    if (optional && NoAccount(field))
        return true;
    return TestID(field);
}

bool TFinancialDM::PreceptItemSubaccountTest(const TField& field) {
    if (field.IsNull())
        return true;
    TQuery& lines = *preceptItemZQ_;
    const qint64 oldId = lines.FieldByName(QStringLiteral("accountid")).AsInteger();
    const qint64 newId = lines.FieldByName(QStringLiteral("accountnewid")).AsInteger();
    auto check = [&](bool newChart) {
        TAccountDesc d;
        d.AccountID = static_cast<qint32>(oldId);
        d.AccountNewID = static_cast<qint32>(newId);
        d.SubaccountCode = field.AsString();
        return FindSubAccountByCode(d, newChart);
    };
    const int year = options_.FinancialYear;
    if (year < kFirstNewChartYear)
        return oldId != 0 && check(false);
    if (year > kFirstNewChartYear)
        return newId != 0 && check(true);
    if (oldId != 0)
        return check(false) && (newId == 0 || check(true));
    return newId != 0 && check(true);
}

void TFinancialDM::PreceptItemZQCodeChange(bool newChart) {
    TQuery& lines = *preceptItemZQ_;
    TAccountDesc d;
    const QString code =
        lines.FieldByName(newChart ? QStringLiteral("ContoNewCode") : QStringLiteral("ContoCode"))
            .AsString()
            .trimmed();
    (newChart ? d.CodeNew : d.Code) = code;
    if (code.isEmpty() || !FindAccountByCode(d, newChart))
        return;
    TField& id =
        lines.FieldByName(newChart ? QStringLiteral("accountnewid") : QStringLiteral("accountid"));
    const qint64 found = newChart ? d.AccountNewID : d.AccountID;
    if (id.AsInteger() == found)
        return;
    id.SetValue(found);
    lines.FieldByName(QStringLiteral("AccountType")).SetValue(d.AccountType);
    if (options_.ChangePreceptItemDescription)
        lines.FieldByName(QStringLiteral("description")).SetValue(d.Name.left(100));
}

void TFinancialDM::PreceptItemZQforeignidChange() {
    TQuery& lines = *preceptItemZQ_;
    const qint64 id = lines.FieldByName(QStringLiteral("foreignid")).AsInteger();
    lines.FieldByName(QStringLiteral("SubcontoName"))
        .SetValue(id > 0 ? GetSubAccountName(
                               lines.FieldByName(QStringLiteral("AccountType")).AsString(), id)
                         : QString());
}

void TFinancialDM::FillSubcontoNames() {
    TQuery& lines = *preceptItemZQ_;
    if (!lines.Active())
        return;
    const bool newChart = NewChartYear();
    const int type = lines.FieldByName(QStringLiteral("AccountType")).Index();
    const int newType = lines.FieldByName(QStringLiteral("AccountNewType")).Index();
    const int foreign = lines.FieldByName(QStringLiteral("foreignid")).Index();
    const int name = lines.FieldByName(QStringLiteral("SubcontoName")).Index();
    lines.DisableControls();
    for (int rec = 1; rec <= lines.RecordCount(); ++rec) {
        // From 2014 the sub-account belongs to the new chart's account.
        if (newChart)
            lines.SetRecordValue(rec, type, lines.RecordValue(rec, newType));
        const qint64 id = lines.RecordValue(rec, foreign).toLongLong();
        lines.SetRecordValue(
            rec, name,
            id > 0 ? GetSubAccountName(lines.RecordValue(rec, type).toString(), id) : QString());
    }
    lines.EnableControls();
}

QString TFinancialDM::GetRelatedEntityDescription(const QString& foreignTable, qint64 foreignId) {
    QString sql;
    if (foreignTable == QLatin1String("document"))
        sql = QStringLiteral(
            "SELECT CONCAT(documenttype,' - ',number) FROM document WHERE "
            "documentid = ?");
    else if (foreignTable == QLatin1String("bankstatement"))
        sql = QStringLiteral(
            "SELECT CONCAT(SUBSTRING(ba.bank,1,9),' - ',bs.number) FROM "
            "bankstatement AS bs LEFT JOIN bankaccount AS ba ON "
            "bs.bankaccountid = ba.bankaccountid WHERE bs.bankstatementid = ?");
    else if (foreignTable == QLatin1String("errand"))
        sql = QStringLiteral(
            "SELECT CONCAT(errandtype,' - ',number) FROM errand WHERE "
            "errandid = ?");
    else
        return QStringLiteral(" ");
    const TResultSet r = Db().Select(sql, {foreignId});
    return r.rows.isEmpty() ? QStringLiteral(" ") : r.rows[0][0].toString();
}

void TFinancialDM::GetWarehouseByID(qint64 warehouseId, QChar& priceType, QChar& methodType,
                                    QString& code) {
    priceType = QLatin1Char('v');
    methodType = QLatin1Char(' ');
    code.clear();
    const TResultSet r = Db().Select(
        QStringLiteral("SELECT pricetype, warehousemethodtype, code FROM warehouse WHERE "
                       "warehouseid = ?"),
        {warehouseId});
    if (r.rows.isEmpty())
        return;
    const QString price = r.rows[0][0].toString(), method = r.rows[0][1].toString();
    if (!price.isEmpty())
        priceType = price[0];
    if (!method.isEmpty())
        methodType = method[0];
    code = r.rows[0][2].toString();
}

QString TFinancialDM::GetPartnerTypeByID(qint64 partnerId) {
    if (cache_)
        return cache_->PartnerType(partnerId);
    QString type = Db().SelectValue(QStringLiteral("SELECT partnertype FROM partner WHERE "
                                                   "partnerid = ?"),
                                    {partnerId})
                       .toString();
    return type.remove(QLatin1Char(' '));
}

QString TFinancialDM::GetDefaultCurrency() {
    return Db()
        .SelectValue(QStringLiteral("SELECT code FROM currency WHERE status = 'primary' LIMIT 1"))
        .toString();
}

double TFinancialDM::GetDefaultCurrRate(qint64 exchangeListId, const QString& currencyCode) {
    const QString home = GetDefaultCurrency();
    if (home.isEmpty() || home == currencyCode)
        return 1.0;
    const TResultSet r = Db().Select(
        QStringLiteral("SELECT code1, code1amount, code2amount FROM currencyexchange WHERE "
                       "exchangelistid = ? AND ((code1 = ? AND code2 = ?) OR (code2 = ? AND "
                       "code1 = ?)) LIMIT 1"),
        {exchangeListId, home, currencyCode, home, currencyCode});
    if (r.rows.isEmpty())
        return 1.0;
    const double a1 = r.rows[0][1].toDouble(), a2 = r.rows[0][2].toDouble();
    // A rate of zero in the list would divide by zero; such a row says nothing.
    const bool homeFirst = r.rows[0][0].toString() == home;
    const double num = homeFirst ? a1 : a2, den = homeFirst ? a2 : a1;
    return den == 0 ? 1.0 : num / den;
}

void TFinancialDM::GetRetailDocumentPayment(qint64 documentId, double& cash, double& cheque,
                                            double& card) {
    cash = cheque = card = 0;
    const TResultSet r = Db().Select(
        QStringLiteral("SELECT cashincome, chequeincome, cardincome FROM documentretailpayment "
                       "WHERE documentid = ? LIMIT 1"),
        {documentId});
    if (r.rows.isEmpty())
        return;
    cash = r.rows[0][0].toDouble();
    cheque = r.rows[0][1].toDouble();
    card = r.rows[0][2].toDouble();
}

double TFinancialDM::GetDocumentPayments(qint64 documentId) {
    const std::shared_ptr<IBankPayments> bank = BankLookup ? BankLookup() : nullptr;
    if (!bank) {
        Ui().ShowMessage(TMessageType::Error, res::CMN_NO_MODULE.arg(res::CMN_MOD_BANK_NAME));
        return 0;
    }
    double paidOut = 0, paidIn = 0;
    bank->GetDocumentPayments(static_cast<int>(documentId), 0, paidOut, paidIn, 0, 0, 0);
    return BetterRoundTo(paidIn - paidOut, -2);
}

void TFinancialDM::GetDocumentStornoAdvance(qint64 documentId, const QString& documentType,
                                            const QString& taxField, double& payments,
                                            double& value, double& taxHigh, double& taxLow) {
    payments = value = taxHigh = taxLow = 0;
    // The tax column is named by the caller; only the document item's own columns serve.
    if (taxField != QLatin1String("taxvalue") && taxField != QLatin1String("intax"))
        throw TError(QStringLiteral("Nepoznata kolona poreza: \"%1\".").arg(taxField));
    const TResultSet r = Db().Select(
        QStringLiteral("SELECT SUM(di.itemvalue) AS sumitemvalue, di.documentid, "
                       "MIN(di.taxvalue) AS taxvalue, MIN(di.intax) AS intax, "
                       "MIN(d.exchangelistid), MIN(d.documentcurrency) FROM documentitem AS di "
                       "INNER JOIN document AS d ON di.documentid = d.documentid LEFT JOIN "
                       "documentdoc AS dd ON d.documentid = dd.documentid WHERE d.documenttype = ? "
                       "AND dd.relateddocumentid = ? GROUP BY di.documentid, di.taxvalue "
                       "ORDER BY di.documentid, di.taxvalue"),
        {documentType, documentId});
    const int tax = r.ColumnIndex(taxField);
    double rate = 1.0;
    qint64 previous = -1;
    for (const auto& row : r.rows) {
        const qint64 linked = row[1].toLongLong();
        if (linked != previous) {
            rate = GetDefaultCurrRate(row[4].toLongLong(), row[5].toString());
            payments += GetDocumentPayments(linked);
            previous = linked;
        }
        const double v = row[0].toDouble() * rate;
        value += v;
        const double t = row[tax].toDouble();
        if (t == 18 || t == 20)
            taxHigh += t / 100 * v;
        else if (t == 8 || t == 10)
            taxLow += t / 100 * v;
    }
}

bool TFinancialDM::SpecificCategoryInDocumentFin(qint64 documentId) {
    const int category = TDBIniFile(&Db()).ReadInteger(
        QStringLiteral("Document"), QStringLiteral("SpecificCategoryPrIDFin"), 0);
    if (category <= 0)
        return false;
    return !Db().Select(QStringLiteral("SELECT pc.categoryprid FROM documentitem AS di LEFT JOIN "
                                       "productcategorypr AS pc ON di.productid = pc.productid "
                                       "WHERE di.documentid = ? AND pc.categoryprid = ? LIMIT 1"),
                        {documentId, category})
                .rows.isEmpty();
}

bool TFinancialDM::DocumentHasAutoNivChild(qint64 documentId) {
    return !Db().Select(QStringLiteral("SELECT documentid FROM document WHERE documenttype = 'N' "
                                       "AND reservationid = ? LIMIT 1"),
                        {documentId})
                .rows.isEmpty();
}

bool TFinancialDM::AutoNivParentIsInvoice(qint64 documentId) {
    return !Db().Select(QStringLiteral("SELECT documentid FROM document WHERE documenttype = 'R' "
                                       "AND documentid = ?"),
                        {documentId})
                .rows.isEmpty();
}

}  // namespace fin
