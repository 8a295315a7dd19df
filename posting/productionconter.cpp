#include "posting/productionconter.h"

#include "host/common/captions.h"
#include "host/common/rounding.h"
#include "host/data/query.h"
#include "ledger/ledgercaptions.h"
#include "posting/postingcaptions.h"
#include "posting/postingrun.h"

namespace fin {

namespace {

const std::pair<const char*, const char*> kNames[] = {
    {"TrosDirMat", "troškovi direktnog materijala"},
    {"TrosDirRad", "troškovi direktnog rada"},
    {"TrosOpsti", "opšti troškovi"},
    {"VredGotProiz", "vrednost gotovih proizvoda"},
};

}  // namespace

void TProductionConter::FillNames(QStringList& names, QStringList& descriptions) {
    for (const auto& [name, description] : kNames) {
        names << QLatin1Char('[') + QLatin1String(name) + QLatin1Char(']');
        descriptions << QString::fromUtf8(description);
    }
}

void TProductionConter::CalculateVariables() {
    for (const auto& [name, description] : kNames)
        AddVariable(QString::fromLatin1(name), 0, TVariableType::vtFloat);
    // The stock value of the finished goods received against the errand's product errands.
    AddVariable(QStringLiteral("VredGotProiz"),
                dm_.Require()
                    .SelectValue(QStringLiteral(
                                     "SELECT SUM(dfi.debit) AS errandvalue FROM docfinitem AS dfi "
                                     "INNER JOIN document AS d ON dfi.documentid = d.documentid "
                                     "INNER JOIN erranddocument AS ed ON ed.documentid = "
                                     "d.documentid INNER JOIN errand AS e ON e.errandid = "
                                     "ed.errandid WHERE d.status = 'p' AND d.documenttype = 'G' "
                                     "AND e.errandtype = 'P' AND e.parentid = ?"),
                                 {EntityID})
                    .toDouble(),
                TVariableType::vtFloat);
    TDataSet& costs = *DetailDataSet;
    const int type = costs.FieldByName(QStringLiteral("costtype")).Index();
    const int value = costs.FieldByName(QStringLiteral("value")).Index();
    const int coef = costs.FieldByName(QStringLiteral("coef")).Index();
    for (int rec = 1; rec <= costs.RecordCount(); ++rec) {
        const QString kind = costs.RecordValue(rec, type).toString().trimmed().left(1).toLower();
        const char* target = kind == QLatin1String("m")   ? "TrosDirMat"
                             : kind == QLatin1String("r") ? "TrosDirRad"
                             : kind == QLatin1String("o") ? "TrosOpsti"
                                                          : nullptr;
        if (target)
            AddVariable(QString::fromLatin1(target),
                        BetterRoundTo(costs.RecordValue(rec, value).toDouble() *
                                          costs.RecordValue(rec, coef).toDouble(),
                                      -2),
                        TVariableType::vtFloat, true, true);
    }
}

void TProductionConter::InternalCreatePrecept() {
    TQuery& precepts = dm_.PreceptZQ();
    const TFinancialOptions& o = dm_.Options();
    auto header = [&](const char* field) {
        return MasterDataSet->FieldByName(QString::fromLatin1(field)).Value();
    };
    const QString number = header("number").toString();
    precepts.FieldByName(QStringLiteral("description"))
        .SetValue(
            res::DOC_PRE_DESC.arg(GetErrandDescription(EntityType) + QLatin1Char(' ') + number));
    if (o.UseDocumentDate)
        precepts.FieldByName(QStringLiteral("preceptdate")).SetValue(header("erranddate"));
    if (o.UseRelatedEntityDateRegister)
        precepts.FieldByName(QStringLiteral("registerdate")).SetValue(header("erranddate"));
    if (o.UseRelatedEntityNumber) {
        TQuery& types = dm_.PrecepttypeZQ();
        if (types.Locate(QStringLiteral("precepttypeid"), PreceptTypeID))
            precepts.FieldByName(QStringLiteral("number"))
                .SetValue(types.FieldByName(QStringLiteral("number")).AsString() +
                          QLatin1Char('-') + number);
    }
}

TProductionAutomat::TProductionAutomat(TFinancialDM& dm)
    : TCustomContoAutomat(
          dm, 75, QStringLiteral("errand"), res::FIN_MOD_PRODUCTION_NAME,
          {QStringLiteral("errandid"), QStringLiteral("erranddate"), QStringLiteral("errandtype"),
           QStringLiteral("number"), QStringLiteral("z"), GetErrandDescription}) {}

void TProductionAutomat::OpenItems(const QDate& endDate, bool single, const QString&,
                                   qint64 entityID) {
    if (!Run)
        throw TError(QStringLiteral("Kontiranje nije započeto."));
    // Only closed work errands; neither an entity type nor excluded types select here.
    QString sql = QStringLiteral(
        "SELECT e.* FROM errand AS e LEFT JOIN precept AS p ON p.foreigntable = 'errand' AND "
        "e.errandid = p.foreignid WHERE e.status = 'z' AND p.foreignid IS NULL AND e.errandtype "
        "= 'R' AND e.erranddate >= :YearStart AND e.erranddate <= :EndDate");
    TValues values{{QStringLiteral("YearStart"), QDate(dm_.Options().FinancialYear, 1, 1)},
                   {QStringLiteral("EndDate"), endDate}};
    AddFilters(sql, values, {}, {}, false, QStringLiteral("e.errandid"), entityID);
    sql += QStringLiteral(" ORDER BY e.erranddate, e.errandid");
    if (single)
        sql += QStringLiteral(" LIMIT 0,1");
    OpenMaster(sql, values);
}

void TProductionAutomat::OpenDetail(qint64 id) {
    OpenStretch(id,
                QStringLiteral("SELECT * FROM errandcost WHERE errandid IN (%1) ORDER BY "
                               "errandid, errandcostid"),
                QStringLiteral("errandid"));
}

std::shared_ptr<TCustomConter> TProductionAutomat::MakeConter() {
    return std::make_shared<TProductionConter>(dm_, Run, ModuleName(), TableName(), CurrentType(),
                                               CurrentID(), &MasterQuery(), &DetailQuery());
}

bool TProductionAutomat::GetEntityID(qint64& id, QString& description) {
    const auto production =
        As<IProduction>(dm_.ModuleLookup ? dm_.ModuleLookup(iid::Production) : nullptr);
    QString first, second;
    if (!production || !production->SelectErrand(id, first, second))
        return false;
    description = first + QLatin1Char('-') + second;
    return true;
}

}  // namespace fin
