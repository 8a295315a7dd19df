#include "journal/preceptsearch.h"

#include <QVariantList>

#include "host/common/captions.h"
#include "host/common/textformat.h"
#include "host/data/query.h"
#include "ledger/financialdm.h"

namespace fin {

namespace {

// Numbers and descriptions match by their beginning, character for character.
QString BeginsWith(QString text) {
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    text.replace(QLatin1Char('%'), QStringLiteral("\\%"));
    text.replace(QLatin1Char('_'), QStringLiteral("\\_"));
    return text + QLatin1Char('%');
}

QDate SearchDate(const QString& text) {
    const std::optional<QDate> date = MyDateStrToDate(text);
    if (!date)
        throw TError(QStringLiteral("\"%1\" nije ispravan datum pretrage (upišite npr. "
                                    "2024-03-15 ili 15.3.2024.).")
                         .arg(text));
    return *date;
}

}  // namespace

QString PreceptListSQL(const TPreceptSearch& s, QVariantList* values) {
    QStringList where;
    QVariantList params;
    auto add = [&](const QString& condition, const QVariant& value = {}) {
        where << condition;
        if (value.isValid())
            params << value;
    };
    if (!s.precepttype.isEmpty())
        add(QStringLiteral("pt.name = :P%1").arg(params.size()), s.precepttype);
    if (!s.number.isEmpty())
        add(QStringLiteral("p.number LIKE :P%1").arg(params.size()), BeginsWith(s.number));
    if (!s.datefrom.isEmpty())
        add(QStringLiteral("p.preceptdate >= :P%1").arg(params.size()), SearchDate(s.datefrom));
    if (!s.dateto.isEmpty())
        add(QStringLiteral("p.preceptdate <= :P%1").arg(params.size()), SearchDate(s.dateto));
    if (!s.status.isEmpty())
        add(s.status == res::DOC_REG_STATUS_CAPTION ? QStringLiteral("p.status = 'p'")
                                                    : QStringLiteral("p.status = 'n'"));
    if (!s.relatedentity.isEmpty() && !s.foreignTable.isEmpty() && s.foreignId >= 1) {
        add(QStringLiteral("p.foreigntable = :P%1").arg(params.size()), s.foreignTable);
        add(QStringLiteral("p.foreignid = :P%1").arg(params.size()), s.foreignId);
    }
    if (!s.groupprecept.isEmpty())
        add(s.groupprecept == PRE_GROUP_PRECEPT_Y ? QStringLiteral("p.parentid > 0")
                                                  : QStringLiteral("p.parentid IS NULL"));
    if (!s.description.isEmpty())
        add(QStringLiteral("p.description LIKE :P%1").arg(params.size()),
            BeginsWith(s.description));
    if (values)
        *values = params;
    QString sql = QStringLiteral(
        "SELECT p.number AS number,p.*,CONCAT(pt.name,'') AS PreceptType,CONCAT(pt.number,'') "
        "AS PreceptTypeNumber FROM precept AS p INNER JOIN precepttype AS pt ON "
        "p.precepttypeid = pt.precepttypeid ");
    if (!where.isEmpty())
        sql += QStringLiteral("WHERE ") + where.join(QStringLiteral(" AND "));
    return sql;
}

QStringList SearchConditions(const TPreceptSearch& s) {
    auto date = [](const QString& text) {
        const std::optional<QDate> d = MyDateStrToDate(text);
        return d ? DateToText(*d) : text;
    };
    QStringList lines;
    if (!s.precepttype.isEmpty())
        lines << QStringLiteral("Tip naloga: %1").arg(s.precepttype);
    if (!s.number.isEmpty())
        lines << QStringLiteral("Broj počinje sa: %1").arg(s.number);
    if (!s.datefrom.isEmpty() && !s.dateto.isEmpty())
        lines << QStringLiteral("Period: %1 - %2").arg(date(s.datefrom), date(s.dateto));
    else if (!s.datefrom.isEmpty())
        lines << QStringLiteral("Od datuma: %1").arg(date(s.datefrom));
    else if (!s.dateto.isEmpty())
        lines << QStringLiteral("Do datuma: %1").arg(date(s.dateto));
    if (!s.status.isEmpty())
        lines << QStringLiteral("Status: %1").arg(s.status);
    if (!s.description.isEmpty())
        lines << QStringLiteral("Opis počinje sa: %1").arg(s.description);
    if (!s.groupprecept.isEmpty())
        lines << (s.groupprecept == PRE_GROUP_PRECEPT_Y
                      ? QStringLiteral("Samo nalozi spojeni u zbirni nalog")
                      : QStringLiteral("Samo nalozi koji nisu spojeni u zbirni nalog"));
    if (!s.relatedentity.isEmpty())
        lines << QStringLiteral("Temeljnica: %1").arg(s.relatedentity);
    return lines;
}

void FindPrecepts(TFinancialDM& dm, const TPreceptSearch& search) {
    QVariantList values;
    const QString sql = PreceptListSQL(search, &values);
    TQuery& list = dm.PreceptZQ();
    list.Close();
    list.SetSQL(sql);
    for (int i = 0; i < values.size(); ++i)
        list.ParamByName(QStringLiteral("P%1").arg(i)).SetValue(values[i]);
    list.SetIndexFieldNames(QStringLiteral("preceptdate DESC, preceptid DESC"));
    list.Open();
    list.First();
    dm.PreceptListSearchSQL = sql;
    dm.PreceptListSearchText = SearchConditions(search);
}

QStringList ListConditions(TFinancialDM& dm) {
    TQuery& list = dm.PreceptZQ();
    return list.Active() && list.SQL() == dm.PreceptListSearchSQL ? dm.PreceptListSearchText
                                                                  : QStringList();
}

bool LoadPrecept(TFinancialDM& dm, qint64 preceptId) {
    TQuery& list = dm.PreceptZQ();
    list.Close();
    list.SetSQL(PreceptListSQL({}, nullptr) + QStringLiteral("WHERE p.preceptid = :ID"));
    list.ParamByName(QStringLiteral("ID")).SetValue(preceptId);
    list.Open();
    return !list.IsEmpty();
}

}  // namespace fin
