#include "posting/faconter.h"

#include "host/common/captions.h"
#include "host/data/query.h"
#include "ledger/ledgercaptions.h"
#include "posting/postingcaptions.h"
#include "posting/postingrun.h"

namespace fin {

void TFAConter::FillNames(QStringList& names, QStringList& descriptions) {
    names << QStringLiteral("[RazNabVr]") << QStringLiteral("[RazIspVr]");
    descriptions << QStringLiteral("razlika nabavne vrednosti (posle-pre)")
                 << QStringLiteral("razlika ispravke vrednosti (posle-pre)");
}

void TFAConter::CalculateVariables() {
    AddVariable(QStringLiteral("RazNabVr"), 0, TVariableType::vtFloat);
    AddVariable(QStringLiteral("RazIspVr"), 0, TVariableType::vtFloat);
    TDataSet& lines = *DetailDataSet;
    auto at = [&](const char* f) { return lines.FieldByName(QString::fromLatin1(f)).Index(); };
    const int base = at("basevalue"), base2 = at("basevalue2"), correction = at("correctionvalue"),
              correction2 = at("correctionvalue2");
    for (int rec = 1; rec <= lines.RecordCount(); ++rec) {
        auto v = [&](int field) { return lines.RecordValue(rec, field).toDouble(); };
        AddVariable(QStringLiteral("RazNabVr"), v(base2) - v(base), TVariableType::vtFloat, true,
                    true);
        AddVariable(QStringLiteral("RazIspVr"), v(correction2) - v(correction),
                    TVariableType::vtFloat, true, true);
    }
}

void TFAConter::InternalCreatePrecept() {
    TQuery& precepts = dm_.PreceptZQ();
    const TFinancialOptions& o = dm_.Options();
    const QVariant date = MasterDataSet->FieldByName(QStringLiteral("documentdate")).Value();
    precepts.FieldByName(QStringLiteral("description"))
        .SetValue(res::DOC_PRE_DESC.arg(GetFADescription(EntityType)));
    if (o.UseDocumentDate)
        precepts.FieldByName(QStringLiteral("preceptdate")).SetValue(date);
    if (o.UseRelatedEntityDateRegister)
        precepts.FieldByName(QStringLiteral("registerdate")).SetValue(date);
}

TFAAutomat::TFAAutomat(TFinancialDM& dm)
    : TCustomContoAutomat(dm, 10, QStringLiteral("fadocument"), res::FIN_MOD_FA_NAME,
                          {QStringLiteral("fadocumentid"), QStringLiteral("documentdate"),
                           QStringLiteral("documenttype"), QStringLiteral("number"),
                           QStringLiteral("p"), GetFADescription}) {}

void TFAAutomat::OpenItems(const QDate& endDate, bool single, const QString&, qint64 entityID) {
    if (!Run)
        throw TError(QStringLiteral("Kontiranje nije započeto."));
    // Registered activations, write-offs and depreciations; only an id narrows them.
    QString sql = QStringLiteral(
        "SELECT fad.* FROM fadocument AS fad LEFT JOIN precept AS p ON p.foreigntable = "
        "'fadocument' AND fad.fadocumentid = p.foreignid WHERE fad.status = 'p' AND "
        "p.foreignid IS NULL AND fad.documenttype IN ('A','R','O') AND fad.documentdate >= "
        ":YearStart AND fad.documentdate <= :EndDate");
    TValues values{{QStringLiteral("YearStart"), QDate(dm_.Options().FinancialYear, 1, 1)},
                   {QStringLiteral("EndDate"), endDate}};
    AddFilters(sql, values, {}, {}, false, QStringLiteral("fad.fadocumentid"), entityID);
    sql += QStringLiteral(" ORDER BY fad.documentdate, fad.fadocumentid");
    if (single)
        sql += QStringLiteral(" LIMIT 0,1");
    OpenMaster(sql, values);
}

void TFAAutomat::OpenDetail(qint64 id) {
    OpenStretch(id,
                QStringLiteral("SELECT * FROM fadocumentitem WHERE fadocumentid IN (%1) ORDER BY "
                               "fadocumentid, fadocumentitemid"),
                QStringLiteral("fadocumentid"));
}

std::shared_ptr<TCustomConter> TFAAutomat::MakeConter() {
    return std::make_shared<TFAConter>(dm_, Run, ModuleName(), TableName(), CurrentType(),
                                       CurrentID(), &MasterQuery(), &DetailQuery());
}

bool TFAAutomat::GetEntityID(qint64& id, QString& description) {
    const auto assets =
        As<IFixedAssets>(dm_.ModuleLookup ? dm_.ModuleLookup(iid::FixedAssets) : nullptr);
    return assets && assets->SelectDocument(id, description);
}

}  // namespace fin
