#include "ledger/financialoptions.h"

#include "host/common/captions.h"
#include "host/common/textformat.h"

namespace fin {

namespace {

QString Bool(bool value) {
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

}  // namespace

const QVector<TMethodRow>& MethodRows() {
    using namespace res;
    static const QVector<TMethodRow> rows{
        {QStringLiteral("r"), PROD_STOCK_CAPTION, {METH_AVR_IN_PRICE_CAPT, METH_OUT_PRICE_CAPT}},
        {QStringLiteral("u"), PROD_SERVICE_CAPTION, {METH_OUT_PRICE_CAPT}},
        {QStringLiteral("m"),
         PROD_MATERIAL_CAPTION,
         {METH_AVR_IN_PRICE_CAPT, METH_PLAN_PRICE_CAPT}},
        {QStringLiteral("p"), PROD_PRODUCT_CAPTION, {METH_OUT_PRICE_CAPT, METH_PLAN_PRICE_CAPT}},
        {QStringLiteral("l"), PROD_SEMI_MANUF_CAPTION, {METH_OUT_PRICE_CAPT, METH_PLAN_PRICE_CAPT}},
        {QStringLiteral("o"), PROD_ASSET_CAPTION, {METH_OUT_PRICE_CAPT}},
        {QStringLiteral("s"), PROD_INVENTORY_CAPTION, {METH_OUT_PRICE_CAPT}},
        {QStringLiteral("k"),
         PROD_COMM_STOCK_CAPTION,
         {METH_AVR_IN_PRICE_CAPT, METH_OUT_PRICE_CAPT}},
    };
    return rows;
}

const QStringList& OptionCheckKeys() {
    static const QStringList keys{
        QStringLiteral("UseDocumentDate"),
        QStringLiteral("UseRelatedEntityDateRegister"),
        QStringLiteral("UseDocumentIssueDate"),
        QStringLiteral("UseRelatedEntityNumber"),
        QStringLiteral("ChangePreceptItemDescription"),
        QStringLiteral("NotAllowRegisterOnSyntAcc"),
        QStringLiteral("PreceptNumberChange"),
        QStringLiteral("AccountShowValues"),
        QStringLiteral("AutoCalculateIncomeTax"),
        QStringLiteral("ShowBalance721"),
        QStringLiteral("TransitionToNewChartOfAccounts"),
        QStringLiteral("AutoPreceptRegisterDateChange"),
    };
    return keys;
}

const QVector<TOptionKey>& FinancialOptionKeys() {
    static const QVector<TOptionKey> keys = [] {
        const TFinancialOptions d;
        const QString F = kFinancialSection;
        QVector<TOptionKey> k{
            {F, QStringLiteral("PreceptNumFmt"), TOptionType::Text, d.PreceptNumFmt,
             QStringLiteral("Format broja finansijskog naloga")},
            {F, QStringLiteral("UseDocumentDate"), TOptionType::Boolean, Bool(d.UseDocumentDate),
             QStringLiteral("Koristi datum temeljnice za datum finansijskog naloga")},
            {F, QStringLiteral("UseRelatedEntityDateRegister"), TOptionType::Boolean,
             Bool(d.UseRelatedEntityDateRegister),
             QStringLiteral("Koristi datum temeljnice za datum knjiženja finansijskog naloga")},
            {F, QStringLiteral("UseDocumentIssueDate"), TOptionType::Boolean,
             Bool(d.UseDocumentIssueDate),
             QStringLiteral("Koristi datum izdavanja za datum finansijskog naloga za ulazne "
                            "dokumente")},
            {F, QStringLiteral("UseRelatedEntityNumber"), TOptionType::Boolean,
             Bool(d.UseRelatedEntityNumber),
             QStringLiteral("Koristi broj temeljnice za broj finansijskog naloga")},
            {F, QStringLiteral("ChangePreceptItemDescription"), TOptionType::Boolean,
             Bool(d.ChangePreceptItemDescription),
             QStringLiteral("Promeni opis stavke finansijskog naloga pri promeni konta")},
            {F, QStringLiteral("NotAllowRegisterOnSyntAcc"), TOptionType::Boolean,
             Bool(d.NotAllowRegisterOnSyntAcc),
             QStringLiteral("Ne dozvoli proknjiženje na sintetičkom kontu bez definisane "
                            "analitike")},
            {F, QStringLiteral("PreceptNumberChange"), TOptionType::Boolean, Bool(false),
             QStringLiteral("Dozvoli menjanje broja kada je nalog proknjižen")},
            {F, QStringLiteral("AccountShowValues"), TOptionType::Boolean,
             Bool(d.AccountShowValues), QStringLiteral("Prikaži vrednosti konta")},
            {F, QStringLiteral("AutoCalculateIncomeTax"), TOptionType::Boolean, Bool(false),
             QStringLiteral("Automatski obračunaj porez u Bilansu uspeha")},
            {F, QStringLiteral("ShowBalance721"), TOptionType::Boolean, Bool(false),
             QStringLiteral("Prikaži saldo 721")},
            {F, QStringLiteral("TransitionToNewChartOfAccounts"), TOptionType::Boolean,
             Bool(d.TransitionToNewChartOfAccounts),
             QStringLiteral("Prelazak na novi Kontni plan")},
            {F, QStringLiteral("AutoPreceptRegisterDateChange"), TOptionType::Boolean,
             Bool(d.AutoPreceptRegisterDateChange),
             QStringLiteral("Automatski promeni datum knjiženja prilikom knjiženja naloga")},
            {F, QStringLiteral("UnregisterClosedPeriod"), TOptionType::Date,
             kClosedPeriodOff.toString(Qt::ISODate),
             QStringLiteral("Ne dozvoli proknjiženje/otknjiženje naloga pre")},
            {F, QStringLiteral("FinancialYear"), TOptionType::Integer,
             QString::number(d.FinancialYear), QStringLiteral("Fin. godina")},
            // The filing system names its schemas; a change there is a change of settings.
            {F, QStringLiteral("XmlFormModelNamespace"), TOptionType::Text,
             QStringLiteral("http://schemas.datacontract.org/2004/07/FiForme.Model"),
             QStringLiteral("XML izvoz: prostor imena modela obrasca")},
            {F, QStringLiteral("XmlFormDefinitionNamespace"), TOptionType::Text,
             QStringLiteral("http://schemas.datacontract.org/2004/07/FiForme.Definicija"),
             QStringLiteral("XML izvoz: prostor imena definicije obrasca")},
        };
        for (const TMethodRow& row : MethodRows())
            k.append({F, row.key, TOptionType::Method, GetMethodName(row.methods.first()),
                      QStringLiteral("Metod obračuna cena: ") + row.caption});
        k.append({kDocumentSection, QStringLiteral("StockCardsForRetail"), TOptionType::Boolean,
                  Bool(d.StockCardsForRetail),
                  QStringLiteral("Maloprodajni magacini vode kartice robe")});
        k.append({kDocumentSection, QStringLiteral("SpecificCategoryPrIDFin"), TOptionType::Integer,
                  QStringLiteral("0"),
                  QStringLiteral("Kategorija proizvoda za proveru u finansijskom")});
        return k;
    }();
    return keys;
}

const TOptionKey* FindOptionKey(const QString& section, const QString& key) {
    for (const TOptionKey& k : FinancialOptionKeys())
        if (k.section == section && k.key == key)
            return &k;
    return nullptr;
}

std::optional<QString> NormalizeOptionValue(const TOptionKey& key, const QString& value,
                                            QString* error) {
    const QString v = value.trimmed();
    auto fail = [&](const QString& why) -> std::optional<QString> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    switch (key.type) {
        case TOptionType::Text:
            return value;
        case TOptionType::Boolean: {
            static const QStringList yes{"1", "da", "true", "yes"};
            static const QStringList no{"0", "ne", "false", "no"};
            if (yes.contains(v.toLower()))
                return QStringLiteral("1");
            if (no.contains(v.toLower()))
                return QStringLiteral("0");
            return fail(QStringLiteral("Opcija %1 prima samo 1 ili 0 (da ili ne).").arg(key.key));
        }
        case TOptionType::Integer: {
            bool ok = false;
            const qint64 n = v.toLongLong(&ok);
            if (!ok)
                return fail(QStringLiteral("Opcija %1 prima ceo broj.").arg(key.key));
            if (key.key == QLatin1String("FinancialYear") && (n < 1990 || n > 2100))
                return fail(QStringLiteral("Finansijska godina mora biti između 1990 i 2100."));
            return QString::number(n);
        }
        case TOptionType::Date: {
            const auto date = MyDateStrToDate(v);
            if (!date)
                return fail(QStringLiteral("Opcija %1 prima datum, npr. 2024-03-15 ili 15.3.2024.")
                                .arg(key.key));
            return date->toString(Qt::ISODate);
        }
        case TOptionType::Method: {
            // Either the method's name or its caption, as long as the row offers it.
            for (const TMethodRow& row : MethodRows()) {
                if (row.key != key.key)
                    continue;
                for (const QString& caption : row.methods)
                    if (caption.compare(v, Qt::CaseInsensitive) == 0 ||
                        GetMethodName(caption).compare(v, Qt::CaseInsensitive) == 0)
                        return GetMethodName(caption);
                QStringList offered;
                for (const QString& caption : row.methods)
                    offered << GetMethodName(caption) + QStringLiteral(" (") + caption +
                                   QLatin1Char(')');
                return fail(QStringLiteral("Za tip proizvoda \"%1\" mogući su metodi: %2.")
                                .arg(row.caption, offered.join(QStringLiteral(", "))));
            }
            return fail(QStringLiteral("Nepoznat tip proizvoda: %1.").arg(key.key));
        }
    }
    return fail(QStringLiteral("Nepoznata vrsta opcije."));
}

QDate ClampToYear(const QDate& date, int year) {
    if (!date.isValid() || date < QDate(year, 1, 1) || date > QDate(year, 12, 31))
        return QDate(year, 12, 31);
    return date;
}

void WriteClosedPeriodSince(TConnection& connection) {
    // The server's clock, the one the vouchers' change times are kept by.
    connection.Execute(
        QStringLiteral("INSERT INTO `ini` (`section`, `name`, `value`) VALUES (?, ?, "
                       "DATE_FORMAT(NOW(), '%Y-%m-%d %H:%i:%s')) ON DUPLICATE KEY UPDATE "
                       "`value` = VALUES(`value`)"),
        {kFinancialSection, kClosedPeriodSinceKey});
}

void WriteClosedPeriod(TConnection& connection, const QDate& date) {
    const QString key = QStringLiteral("UnregisterClosedPeriod");
    const QDate value = date.isValid() && date > kClosedPeriodOff ? date : kClosedPeriodOff;
    TDBIniFile ini(&connection);
    TTransaction transaction(connection);
    const bool changed = ini.ReadDate(kFinancialSection, key, kClosedPeriodOff) != value ||
                         !ini.ValueExists(kFinancialSection, kClosedPeriodSinceKey);
    ini.WriteDate(kFinancialSection, key, value);
    // Saving the page again with the same date keeps the moment it was closed.
    if (changed)
        WriteClosedPeriodSince(connection);
    transaction.Commit();
}

void WriteOption(TConnection& connection, const TOptionKey& key, const QString& value) {
    if (key.section == kFinancialSection && key.key == QLatin1String("UnregisterClosedPeriod")) {
        WriteClosedPeriod(connection, QDate::fromString(value, Qt::ISODate));
        return;
    }
    TDBIniFile(&connection).WriteString(key.section, key.key, value);
}

TClosedPeriod ReadClosedPeriod(TConnection& connection) {
    const TDBIniFile ini(&connection);
    TClosedPeriod p;
    const QDate date =
        ini.ReadDate(kFinancialSection, QStringLiteral("UnregisterClosedPeriod"), kClosedPeriodOff);
    if (date.isValid() && date > kClosedPeriodOff)
        p.date = date;
    p.since = ini.ReadDateTime(kFinancialSection, kClosedPeriodSinceKey, {});
    return p;
}

}  // namespace fin
