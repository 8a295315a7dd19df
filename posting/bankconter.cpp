#include "posting/bankconter.h"

#include <QRegularExpression>

#include "host/common/captions.h"
#include "host/data/query.h"
#include "ledger/ledgercaptions.h"
#include "posting/postingcaptions.h"
#include "posting/postingrun.h"

namespace fin {

namespace {

struct TBankName {
    const char* name;
    const char* description;
    bool zero;  // every statement starts from it at 0
};

const TBankName kNames[] = {
    {"UkDuguje", "ukupno duguje", true},
    {"UkPotrazuje", "ukupno potrazuje", true},
    {"DobavljacDuguje{X}", "dobavljac duguje", false},
    {"DobavljacOpis{X}", "dobavljac opis stavke", false},
    {"Dobavljac{X}", "dobavljac analiticki identifikator", false},
    {"KupacPotrazuje{X}", "kupac duguje", false},
    {"KupacOpis{X}", "kupac opis stavke", false},
    {"Kupac{X}", "kupac analiticki identifikator", false},
    {"RaznoDuguje{X}", "razno duguje", false},
    {"RaznoOpis{X}", "razno opis stavke", false},
    {"Razno{X}", "razno analiticki identifikator", false},
    {"Banka{X}", "banka analiticki identifikator", false},
    {"IzvodOpis", "opis izvoda", false},
    {"BlagajnaOpis", "opis dnevnika blagajne", false},
    {"IzvodDevizni", "devizni izvod", true},
};

QString Bracketed(const QString& body) {
    return QLatin1Char('[') + body + QLatin1Char(']');
}

// Every statement starts from the same zeros: the totals and each partner type's selector.
std::shared_ptr<TVariableList> LoadBase(TFinancialDM& dm) {
    auto base = std::make_shared<TVariableList>();
    for (const TBankName& n : kNames)
        if (n.zero)
            base->SetValue(Bracketed(QString::fromLatin1(n.name)), QStringLiteral("0"));
    for (const auto& row :
         dm.Require().Select(QStringLiteral("SELECT DISTINCT partnertype FROM partner")).rows) {
        const QString type = row[0].toString().remove(QLatin1Char(' '));
        if (!type.isEmpty())
            base->SetValue(Bracketed(res::FIN_PART_TYPE_PREFIX + type), QStringLiteral("0"));
    }
    return base;
}

}  // namespace

TBankConter::TBankConter(TFinancialDM& dm, TPostingRun* run, const QString& moduleName,
                         const QString& foreignTable, const QString& entityType, qint64 entityID,
                         TDataSet* masterDataSet, TDataSet* detailDataSet)
    : TCustomConter(
          dm, run, moduleName, foreignTable, entityType, entityID, masterDataSet, detailDataSet,
          run ? run->ModuleData<TVariableList>(QStringLiteral("bank"), [&] { return LoadBase(dm); })
              : nullptr) {}

QVariant TBankConter::Header(const char* field) const {
    return MasterDataSet->FieldByName(QString::fromLatin1(field)).Value();
}

void TBankConter::FillNames(QStringList& names, QStringList& descriptions) {
    for (const TBankName& n : kNames) {
        names << Bracketed(QString::fromLatin1(n.name));
        descriptions << QString::fromUtf8(n.description);
    }
    if (!dm_.Connected())
        return;
    TConnection& c = *dm_.ZConnection();
    for (const auto& row :
         c.Select(QStringLiteral("SELECT DISTINCT partnertype FROM partner")).rows) {
        const QString type = row[0].toString().remove(QLatin1Char(' '));
        if (type.isEmpty())
            continue;
        names << Bracketed(res::FIN_PART_TYPE_PREFIX + type);
        descriptions << QStringLiteral("partner je tipa %1").arg(type);
    }
    for (const auto& row : c.Select(QStringLiteral("SELECT bankaccountid, account FROM "
                                                   "bankaccount WHERE partnerid IS NULL"))
                               .rows) {
        names << Bracketed(res::FIN_BANK_ACC_PREFIX + row[0].toString());
        descriptions << QStringLiteral("izvod je sa računa %1").arg(row[1].toString());
    }
    for (const auto& row : c.Select(QStringLiteral("SELECT partnerid, name FROM partner")).rows) {
        names << Bracketed(res::FIN_PARTNER_PREFIX + row[0].toString());
        descriptions << QStringLiteral("partner stavke je %1").arg(row[1].toString());
    }
}

void TBankConter::CalculateVariables() {
    if (!run_)
        throw TError(QStringLiteral("Izvod se kontira samo u toku kontiranja."));
    // The totals, the foreign flag and the partner types start at 0 in the run's base.
    const QString number = Header("number").toString();
    const qint64 account = Header("bankaccountid").toLongLong();
    if (account > 0)
        AddIndexVariable(QStringLiteral("Banka"), account, TVariableType::vtInteger);
    AddVariable(QStringLiteral("IzvodOpis"), res::STAT_PRE_DESC.arg(number),
                TVariableType::vtString);
    AddVariable(QStringLiteral("BlagajnaOpis"), res::CASH_PRE_DESC.arg(number),
                TVariableType::vtString);
    const QString currency = Header("currency").toString();
    double rate = 1.0;
    if (run_->Foreign(currency)) {
        AddVariable(QStringLiteral("IzvodDevizni"), 1, TVariableType::vtFloat);
        const qint64 list = Header("exchangelistid").toLongLong();
        const std::optional<double> known = run_->Rate(list, currency);
        // Without a rate the foreign amounts would be posted as home currency.
        if (!known)
            throw TError(res::FOREIGN_NO_RATE_ERR.arg(currency).arg(list));
        rate = *known;
    }
    if (account > 0)
        AddVariable(res::FIN_BANK_ACC_PREFIX + QString::number(account), 1, TVariableType::vtFloat);

    const QString heading =
        (EntityType == QLatin1String("I") ? res::STAT_PRE_DESC : res::CASH_PRE_DESC).arg(number) +
        QStringLiteral(" - ");
    TDataSet& lines = *DetailDataSet;
    const int partner = lines.FieldByName(QStringLiteral("partnerid")).Index();
    const int debitAt = lines.FieldByName(QStringLiteral("debit")).Index();
    const int creditAt = lines.FieldByName(QStringLiteral("credit")).Index();
    const int description = lines.FieldByName(QStringLiteral("description")).Index();
    for (int rec = 1; rec <= lines.RecordCount(); ++rec) {
        const QString own = lines.RecordValue(rec, description).toString().trimmed();
        const QString text = heading + (own.isEmpty() ? QStringLiteral("?") : own);
        const double storedDebit = lines.RecordValue(rec, debitAt).toDouble();
        const double debit = storedDebit * rate;
        const double credit = lines.RecordValue(rec, creditAt).toDouble() * rate;
        const qint64 partnerId = lines.RecordValue(rec, partner).toLongLong();
        // A partner's line is a supplier's when its debit is positive (debit wins), else a
        // customer's; a line without partner is anything else, with no sub-account.
        if (partnerId > 0 && storedDebit > 0) {
            AddIndexVariable(QStringLiteral("Dobavljac"), partnerId, TVariableType::vtInteger);
            AddIndexVariable(QStringLiteral("DobavljacDuguje"), debit, TVariableType::vtFloat);
            AddIndexVariable(QStringLiteral("DobavljacOpis"), text, TVariableType::vtString);
        } else if (partnerId > 0) {
            AddIndexVariable(QStringLiteral("Kupac"), partnerId, TVariableType::vtInteger);
            AddIndexVariable(QStringLiteral("KupacPotrazuje"), credit, TVariableType::vtFloat);
            AddIndexVariable(QStringLiteral("KupacOpis"), text, TVariableType::vtString);
        } else {
            AddIndexVariable(QStringLiteral("Razno"), QStringLiteral("-1"),
                             TVariableType::vtString);
            AddIndexVariable(QStringLiteral("RaznoDuguje"), debit - credit, TVariableType::vtFloat);
            AddIndexVariable(QStringLiteral("RaznoOpis"), text, TVariableType::vtString);
        }
        AddVariable(QStringLiteral("UkDuguje"), debit, TVariableType::vtFloat, true, false);
        AddVariable(QStringLiteral("UkPotrazuje"), credit, TVariableType::vtFloat, true, false);
    }
}

void TBankConter::InternalCreatePrecept() {
    TQuery& precepts = dm_.PreceptZQ();
    const TFinancialOptions& o = dm_.Options();
    const QString number = Header("number").toString();
    const QString account = Header("account").toString();
    precepts.FieldByName(QStringLiteral("description"))
        .SetValue(res::DOC_PRE_DESC.arg(
            // A cash journal has no bank and no account: no blanks stand in for them.
            QStringList{Header("bank").toString(), account, GetBankDescription(EntityType)}
                .filter(QRegularExpression(QStringLiteral("\\S")))
                .join(QLatin1Char(' ')) +
            QStringLiteral(" - ") + number));
    if (o.UseDocumentDate)
        precepts.FieldByName(QStringLiteral("preceptdate")).SetValue(Header("statementdate"));
    if (o.UseRelatedEntityDateRegister)
        precepts.FieldByName(QStringLiteral("registerdate")).SetValue(Header("statementdate"));
    if (o.UseRelatedEntityNumber) {
        TQuery& types = dm_.PrecepttypeZQ();
        if (types.Locate(QStringLiteral("precepttypeid"), PreceptTypeID))
            precepts.FieldByName(QStringLiteral("number"))
                .SetValue(types.FieldByName(QStringLiteral("number")).AsString() +
                          QLatin1Char('-') + number + QLatin1Char('/') +
                          precepts.FieldByName(QStringLiteral("preceptdate"))
                              .AsDate()
                              .toString(QStringLiteral("yy")) +
                          QLatin1Char(' ') + account);
    }
}

TBankAutomat::TBankAutomat(TFinancialDM& dm)
    : TCustomContoAutomat(dm, 50, QStringLiteral("bankstatement"), res::FIN_MOD_BANK_NAME,
                          {QStringLiteral("bankstatementid"),
                           QStringLiteral("statementdate"),
                           QStringLiteral("statementtype"),
                           QStringLiteral("number"),
                           {},
                           GetBankDescription}) {}

void TBankAutomat::OpenItems(const QDate& endDate, bool single, const QString& entityType,
                             qint64 entityID) {
    if (!Run)
        throw TError(QStringLiteral("Kontiranje nije započeto."));
    QString sql = QStringLiteral(
        "SELECT bs.*, ba.account, ba.bank FROM bankstatement AS bs LEFT JOIN precept AS p ON "
        "p.foreigntable = 'bankstatement' AND bs.bankstatementid = p.foreignid LEFT JOIN "
        "bankaccount AS ba ON bs.bankaccountid = ba.bankaccountid WHERE p.foreignid IS NULL AND "
        "bs.statementdate >= :YearStart AND bs.statementdate <= :EndDate");
    TValues values{{QStringLiteral("YearStart"), QDate(dm_.Options().FinancialYear, 1, 1)},
                   {QStringLiteral("EndDate"), endDate}};
    AddFilters(sql, values, QStringLiteral("bs.statementtype"), entityType, true,
               QStringLiteral("bs.bankstatementid"), entityID);
    sql += QStringLiteral(" ORDER BY bs.statementdate ASC, bs.bankstatementid");
    if (single)
        sql += QStringLiteral(" LIMIT 0,1");
    OpenMaster(sql, values);
}

void TBankAutomat::OpenDetail(qint64 id) {
    OpenStretch(id,
                QStringLiteral("SELECT * FROM bankstatementitem WHERE bankstatementid IN (%1) "
                               "ORDER BY bankstatementid, bankstatementitemid"),
                QStringLiteral("bankstatementid"));
}

std::shared_ptr<TCustomConter> TBankAutomat::MakeConter() {
    return std::make_shared<TBankConter>(dm_, Run, ModuleName(), TableName(), CurrentType(),
                                         CurrentID(), &MasterQuery(), &DetailQuery());
}

bool TBankAutomat::GetEntityID(qint64& id, QString& description) {
    const auto bank = As<IBank>(dm_.ModuleLookup ? dm_.ModuleLookup(iid::Bank) : nullptr);
    QString first, second;
    if (!bank || !bank->SelectStatement(id, first, second))
        return false;
    description = first + QLatin1Char('-') + second;
    return true;
}

}  // namespace fin
