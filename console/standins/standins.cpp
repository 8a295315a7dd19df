#include "console/standins/standins.h"

#include "host/common/captions.h"
#include "host/common/textformat.h"
#include "host/db/connection.h"
#include "host/ui/uiservice.h"

namespace fin {

TStandinModules::TStandinModules(TConnectionSettings settings)
    : security_(std::make_shared<TSecurityModule>(std::move(settings))),
      documents_(std::make_shared<TDocumentsModule>(security_)),
      bank_(std::make_shared<TBankModule>(security_)),
      production_(std::make_shared<TProductionModule>(security_)),
      fixedAssets_(std::make_shared<TFixedAssetsModule>(security_)) {}

IInterfacePtr TStandinModules::Find(const QUuid& identity) const {
    if (identity == iid::Security)
        return security_;
    if (identity == iid::Documents)
        return documents_;
    if (identity == iid::Bank)
        return bank_;
    if (identity == iid::Production)
        return production_;
    if (identity == iid::FixedAssets)
        return fixedAssets_;
    return nullptr;
}

TModuleConnection::TModuleConnection(std::shared_ptr<ISecurity> security)
    : get_([security = std::move(security)] {
          return security ? security->GetConnection() : nullptr;
      }) {}

TModuleConnection::TModuleConnection(TConnection& connection)
    : get_([&connection] { return &connection; }) {}

TConnection* TModuleConnection::Get() const {
    TConnection* c = get_();
    return c && c->Connected() ? c : nullptr;
}

int PickRow(const QString& caption, const QStringList& items, const QString& prompt) {
    int index = 0;
    if (items.isEmpty() || !Ui().PickFromList(caption, items, index, prompt) || index < 0 ||
        index >= items.size())
        return -1;
    return index;
}

namespace {

// ", text" when there is a text.
QString After(const QString& text) {
    return text.isEmpty() ? QString() : QStringLiteral(", ") + text;
}

}  // namespace

void TBankModule::GetDocumentPayments(int documentId, int, double& paidOut, double& paidIn, int,
                                      int, int) {
    paidOut = paidIn = 0;
    TConnection* c = connection_.Get();
    if (!c)
        return;
    const TResultSet r = c->Select(QStringLiteral("SELECT COALESCE(SUM(debit), 0), "
                                                  "COALESCE(SUM(credit), 0) FROM bankstatementitem "
                                                  "WHERE documentid = ?"),
                                   {documentId});
    if (!r.rows.isEmpty()) {
        paidOut = r.rows[0][0].toDouble();
        paidIn = r.rows[0][1].toDouble();
    }
}

bool TBankModule::SelectStatement(qint64& id, QString& text1, QString& text2) {
    TConnection* c = connection_.Get();
    if (!c)
        return false;
    const TResultSet r = c->Select(QStringLiteral(
        "SELECT bs.bankstatementid, bs.statementtype, bs.number, bs.statementdate, ba.account, "
        "ba.bank FROM bankstatement AS bs LEFT JOIN bankaccount AS ba ON ba.bankaccountid = "
        "bs.bankaccountid ORDER BY bs.statementdate DESC, bs.bankstatementid DESC"));
    QStringList items;
    for (const auto& row : r.rows)
        items << QStringLiteral("%1 %2, %3%4%5")
                     .arg(GetBankDescription(row[1].toString()), row[2].toString(),
                          DateToText(row[3].toDate()), After(row[5].toString()),
                          After(row[4].toString()));
    const int picked = PickRow(QStringLiteral("Izvodi i dnevnici blagajne"), items,
                               QStringLiteral("Izaberite izvod ili dnevnik blagajne:"));
    if (picked < 0)
        return false;
    const auto& row = r.rows[picked];
    id = row[0].toLongLong();
    text1 = GetBankDescription(row[1].toString());
    // Every account numbers its statements anew: the account tells them apart.
    text2 = row[4].toString().isEmpty() ? row[2].toString()
                                        : row[2].toString() + QLatin1Char(' ') + row[4].toString();
    return true;
}

bool TDocumentsModule::SelectDocument(qint64& id, QString& text1, QString& text2) {
    TConnection* c = connection_.Get();
    if (!c)
        return false;
    const TResultSet r = c->Select(QStringLiteral(
        "SELECT d.documentid, d.documenttype, d.number, d.documentdate, p.name FROM document AS "
        "d LEFT JOIN partner AS p ON p.partnerid = d.partnerid ORDER BY d.documentdate DESC, "
        "d.documentid DESC"));
    QStringList items;
    for (const auto& row : r.rows)
        items << QStringLiteral("%1 %2, %3%4")
                     .arg(GetDocDescription(row[1].toString()), row[2].toString(),
                          DateToText(row[3].toDate()), After(row[4].toString()));
    const int picked = PickRow(QStringLiteral("Dokumenti"), items);
    if (picked < 0)
        return false;
    const auto& row = r.rows[picked];
    id = row[0].toLongLong();
    text1 = GetDocDescription(row[1].toString());
    text2 = row[2].toString();
    return true;
}

bool TProductionModule::SelectErrand(qint64& id, QString& text1, QString& text2) {
    TConnection* c = connection_.Get();
    if (!c)
        return false;
    const TResultSet r = c->Select(
        QStringLiteral("SELECT errandid, errandtype, number, erranddate FROM errand ORDER BY "
                       "erranddate DESC, errandid DESC"));
    QStringList items;
    for (const auto& row : r.rows)
        items << QStringLiteral("%1 %2, %3")
                     .arg(GetErrandDescription(row[1].toString()), row[2].toString(),
                          DateToText(row[3].toDate()));
    const int picked =
        PickRow(QStringLiteral("Nalozi proizvodnje"), items, QStringLiteral("Izaberite nalog:"));
    if (picked < 0)
        return false;
    const auto& row = r.rows[picked];
    id = row[0].toLongLong();
    text1 = GetErrandDescription(row[1].toString());
    text2 = row[2].toString();
    return true;
}

bool TFixedAssetsModule::SelectDocument(qint64& id, QString& text) {
    TConnection* c = connection_.Get();
    if (!c)
        return false;
    const TResultSet r = c->Select(
        QStringLiteral("SELECT fadocumentid, documenttype, number, documentdate FROM fadocument "
                       "ORDER BY documentdate DESC, fadocumentid DESC"));
    QStringList items;
    for (const auto& row : r.rows)
        items << QStringLiteral("%1 %2, %3")
                     .arg(GetFADescription(row[1].toString()), row[2].toString(),
                          DateToText(row[3].toDate()));
    const int picked = PickRow(QStringLiteral("Dokumenti osnovnih sredstava"), items,
                               QStringLiteral("Izaberite dokument osnovnih sredstava:"));
    if (picked < 0)
        return false;
    const auto& row = r.rows[picked];
    id = row[0].toLongLong();
    text = GetFADescription(row[1].toString()) + QLatin1Char(' ') + row[2].toString();
    return true;
}

}  // namespace fin
