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
      production_(std::make_shared<TProductionModule>()),
      fixedAssets_(std::make_shared<TFixedAssetsModule>()) {}

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

TBankModule::TBankModule(std::shared_ptr<ISecurity> security)
    : connection_([security = std::move(security)] {
          return security ? security->GetConnection() : nullptr;
      }) {}

TBankModule::TBankModule(TConnection& connection)
    : connection_([&connection] { return &connection; }) {}

void TBankModule::GetDocumentPayments(int documentId, int, double& paidOut, double& paidIn, int,
                                      int, int) {
    paidOut = paidIn = 0;
    TConnection* c = connection_();
    if (!c || !c->Connected())
        return;
    const TResultSet r = c->Select(QStringLiteral("SELECT COALESCE(SUM(credit), 0), "
                                                  "COALESCE(SUM(debit), 0) FROM bankstatementitem "
                                                  "WHERE documentid = ?"),
                                   {documentId});
    if (!r.rows.isEmpty()) {
        paidOut = r.rows[0][0].toDouble();
        paidIn = r.rows[0][1].toDouble();
    }
}

bool TDocumentsModule::SelectDocument(qint64& id, QString& text1, QString& text2) {
    TConnection* c = security_ ? security_->GetConnection() : nullptr;
    if (!c || !c->Connected())
        return false;
    const TResultSet r = c->Select(QStringLiteral(
        "SELECT d.documentid, d.documenttype, d.number, d.documentdate, p.name FROM document AS "
        "d LEFT JOIN partner AS p ON p.partnerid = d.partnerid ORDER BY d.documentdate DESC, "
        "d.documentid DESC"));
    QStringList items;
    for (const auto& row : r.rows)
        items << QStringLiteral("%1 %2, %3%4")
                     .arg(GetDocDescription(row[1].toString()), row[2].toString(),
                          DateToText(row[3].toDate()),
                          row[4].toString().isEmpty() ? QString() : ", " + row[4].toString());
    int index = 0;
    if (items.isEmpty() || !Ui().PickFromList(QStringLiteral("Dokumenti"), items, index) ||
        index < 0 || index >= items.size())
        return false;
    const auto& row = r.rows[index];
    id = row[0].toLongLong();
    text1 = GetDocDescription(row[1].toString());
    text2 = row[2].toString();
    return true;
}

}  // namespace fin
