// The fixed variable names of commercial documents with their descriptions, as the rule
// editor lists them. Names follow one grammar: a total, then perhaps "MagM" (retail),
// "Tip" and a product-type letter, "Stopa" and a tax id.
#include "posting/documentconter.h"

namespace fin {

namespace {

struct TTotal {
    const char* name;
    const char* what;  // how the description names it
};

const TTotal kTotals[] = {
    {"Prod", "prodajna vrednost"},
    {"Nab", "nabavna vrednost"},
    {"Rab", "rabat"},
    {"Fak", "fakturna vrednost"},
    {"Zav", "zavisni troškovi"},
    {"Raz", "razlika u ceni"},
    {"PDV", "porez"},
    {"Mar", "marža"},
};

QString Name(const QString& body) {
    return QLatin1Char('[') + body + QLatin1Char(']');
}

}  // namespace

const QVector<QPair<QString, QString>>& DocumentProductTypes() {
    // The legend's order; each letter with the type's name as descriptions use it.
    static const QVector<QPair<QString, QString>> types{
        {QStringLiteral("M"), QStringLiteral("materijal")},
        {QStringLiteral("U"), QStringLiteral("usluga")},
        {QStringLiteral("R"), QStringLiteral("roba")},
        {QStringLiteral("P"), QStringLiteral("proizvod")},
        {QStringLiteral("L"), QStringLiteral("poluproizvod")},
        {QStringLiteral("O"), QStringLiteral("osnovno sredstvo")},
        {QStringLiteral("S"), QStringLiteral("sitan inventar")},
        {QStringLiteral("K"), QStringLiteral("komisiona roba")},
    };
    return types;
}

const TDocumentNames& DocumentFixedNames() {
    static const TDocumentNames names = [] {
        TDocumentNames n;
        auto add = [&](const QString& body, const QString& description, bool zero) {
            n.names << Name(body);
            n.descriptions << description;
            if (zero)
                n.zeroed << Name(body);
        };
        const auto& types = DocumentProductTypes();
        const int seven = 7;  // the totals that have product-type variants: Prod .. PDV

        // Totals.
        for (const TTotal& t : kTotals)
            add(QStringLiteral("Uk") + QLatin1String(t.name),
                t.name == QLatin1String("Prod")
                    ? QStringLiteral("ukupna prodajna vrednost")
                    : QStringLiteral("ukupno: ") + QString::fromUtf8(t.what),
                true);
        // By product type.
        for (int i = 0; i < seven; ++i)
            for (const auto& [letter, type] : types)
                add(QStringLiteral("Uk") + QLatin1String(kTotals[i].name) + QStringLiteral("Tip") +
                        letter,
                    QStringLiteral("ukupno: ") + QString::fromUtf8(kTotals[i].what) +
                        QStringLiteral(", tip ") + type,
                    true);
        // Retail.
        for (int i = 0; i < seven; ++i)
            for (const auto& [letter, type] : types)
                add(QStringLiteral("Uk") + QLatin1String(kTotals[i].name) +
                        QStringLiteral("MagMTip") + letter,
                    QStringLiteral("maloprodaja: ") + QString::fromUtf8(kTotals[i].what) +
                        QStringLiteral(", tip ") + type,
                    true);
        add(QStringLiteral("UkProdMagM"), QStringLiteral("maloprodaja: ukupna prodajna vrednost"),
            true);
        add(QStringLiteral("UkRabMagM"), QStringLiteral("maloprodaja: ukupan rabat"), true);
        add(QStringLiteral("UkPDVMagM"), QStringLiteral("maloprodaja: ukupan porez"), true);
        // First and second warehouse.
        for (const auto& [letter, type] : types)
            add(QStringLiteral("UkProdMag1Tip") + letter,
                QStringLiteral("prodajna vrednost u magacinu dokumenta, tip ") + type, true);
        for (const auto& [letter, type] : types)
            add(QStringLiteral("UkProdMag2Tip") + letter,
                QStringLiteral("prodajna vrednost u prijemnom magacinu, tip ") + type, true);
        // Last purchase.
        for (const auto& [letter, type] : types)
            add(QStringLiteral("UkPoslNabTip") + letter,
                QStringLiteral("poslednja nabavna vrednost, tip ") + type, true);
        // By tax rate ({X} is the tax id).
        for (const char* t : {"Prod", "Rab", "Nab"})
            for (const auto& [letter, type] : types)
                add(QStringLiteral("Uk") + QLatin1String(t) + QStringLiteral("Tip") + letter +
                        QStringLiteral("Stopa{X}"),
                    QStringLiteral("po poreskoj stopi {X}: ") +
                        QString::fromUtf8(t == QLatin1String("Prod")  ? "prodajna vrednost"
                                          : t == QLatin1String("Rab") ? "rabat"
                                                                      : "nabavna vrednost") +
                        QStringLiteral(", tip ") + type,
                    false);
        for (int i = 0; i < seven; ++i)
            add(QStringLiteral("Uk") + QLatin1String(kTotals[i].name) + QStringLiteral("Stopa{X}"),
                QStringLiteral("po poreskoj stopi {X}: ") + QString::fromUtf8(kTotals[i].what),
                false);
        // VAT split.
        add(QStringLiteral("UkPDVOpstaStopa"),
            QStringLiteral("ukupna vrednost poreza po opstoj stopi"), true);
        add(QStringLiteral("UkPDVPosebnaStopa"),
            QStringLiteral("ukupna vrednost poreza po posebnoj stopi"), true);
        add(QStringLiteral("UkPDVMagMOpstaStopa"),
            QStringLiteral("maloprodaja: ukalkulisani porez po opštoj stopi"), true);
        add(QStringLiteral("UkPDVMagMPosebnaStopa"),
            QStringLiteral("maloprodaja: ukalkulisani porez po posebnoj stopi"), true);
        add(QStringLiteral("UkPretPDVMagMOpstaStopa"),
            QStringLiteral("maloprodaja: prethodni porez po opštoj stopi"), true);
        add(QStringLiteral("UkPretPDVMagMPosebnaStopa"),
            QStringLiteral("maloprodaja: prethodni porez po posebnoj stopi"), true);
        for (const auto& [pattern, what] :
             {std::pair{"UkPDVOpstaStopaTip", "porez po opštoj stopi"},
              std::pair{"UkPDVPosebnaStopaTip", "porez po posebnoj stopi"},
              std::pair{"UkPretPDVOpstaStopaTip", "prethodni porez po opštoj stopi"},
              std::pair{"UkPretPDVPosebnaStopaTip", "prethodni porez po posebnoj stopi"}})
            for (const auto& [letter, type] : types)
                add(QLatin1String(pattern) + letter,
                    QString::fromUtf8(what) + QStringLiteral(", tip ") + type, true);
        // Payments.
        add(QStringLiteral("UkNacPlacGotovina"), QStringLiteral("maloprodaja: plaćeno gotovinom"),
            true);
        add(QStringLiteral("UkNacPlacCek"), QStringLiteral("maloprodaja: plaćeno čekovima"), true);
        add(QStringLiteral("UkNacPlacKartica"), QStringLiteral("maloprodaja: plaćeno karticama"),
            true);
        add(QStringLiteral("UkPlacanje"), QStringLiteral("ukupno plaćeno po dokumentu"), true);
        add(QStringLiteral("UkAvansnoPlacanje"), QStringLiteral("plaćeno po povezanim avansima"),
            true);
        add(QStringLiteral("UkAvansnaVrednost"), QStringLiteral("vrednost povezanih avansa"), true);
        add(QStringLiteral("UkAvansnaPDVOpstaStopa"),
            QStringLiteral("porez povezanih avansa po opštoj stopi"), true);
        add(QStringLiteral("UkAvansnaPDVPosebnaStopa"),
            QStringLiteral("porez povezanih avansa po posebnoj stopi"), true);
        // Dependent costs.
        add(QStringLiteral("ZavTrosPart{X}"), QStringLiteral("zavisni trošak: partner (analitika)"),
            false);
        add(QStringLiteral("ZavTrosVred{X}"), QStringLiteral("zavisni trošak: vrednost"), false);
        add(QStringLiteral("ZavTrosOpis{X}"), QStringLiteral("zavisni trošak: opis"), false);
        add(QStringLiteral("ZavTrosPorez{X}"), QStringLiteral("zavisni trošak: porez"), false);
        add(QStringLiteral("ZavTrosPorezId{X}"),
            QStringLiteral("zavisni trošak: identifikator poreza"), false);
        add(QStringLiteral("ZavTrosBezPart{X}"),
            QStringLiteral("zavisni trošak bez partnera (1 ili 0)"), false);
        // Index families.
        add(QStringLiteral("Partner{X}"), QStringLiteral("identifikator partnera (analitika)"),
            false);
        add(QStringLiteral("Magacin{X}"), QStringLiteral("identifikator magacina (analitika)"),
            false);
        add(QStringLiteral("Porez{X}"), QStringLiteral("identifikator poreza (analitika)"), false);
        add(QStringLiteral("Nab{X}"), QStringLiteral("nabavna vrednost stavke"), false);
        // Header.
        add(QStringLiteral("Magacin1"), QStringLiteral("magacin dokumenta (analitika)"), false);
        add(QStringLiteral("Magacin2"), QStringLiteral("prijemni magacin (analitika)"), false);
        add(QStringLiteral("Porez101"), QStringLiteral("porez po opštoj stopi (analitika)"), false);
        add(QStringLiteral("Porez102"), QStringLiteral("porez po posebnoj stopi (analitika)"),
            false);
        add(QStringLiteral("Magacin1v"), QStringLiteral("magacin dokumenta je veleprodajni"), true);
        add(QStringLiteral("Magacin1m"), QStringLiteral("magacin dokumenta je maloprodajni"), true);
        add(QStringLiteral("Magacin2v"), QStringLiteral("prijemni magacin je veleprodajni"), true);
        add(QStringLiteral("Magacin2m"), QStringLiteral("prijemni magacin je maloprodajni"), true);
        add(QStringLiteral("DokumentOpis"), QStringLiteral("opis dokumenta"), false);
        // Flags.
        add(QStringLiteral("DokIzvoz"), QStringLiteral("izvoz"), true);
        add(QStringLiteral("DokUvoz"), QStringLiteral("uvoz"), true);
        add(QStringLiteral("DokAutoNiv"), QStringLiteral("automatska nivelacija"), true);
        add(QStringLiteral("DokRAutoNiv"), QStringLiteral("automatska nivelacija računa"), true);
        for (int i = 1; i <= 10; ++i)
            add(QStringLiteral("DokTipZaduzenja%1").arg(i),
                QStringLiteral("tip zaduzenja %1").arg(i), true);
        add(QStringLiteral("DokPovrIsprRobe"), QStringLiteral("povraćaj ispravne robe"), true);
        add(QStringLiteral("DokSpecKat"),
            QStringLiteral("dokument ima proizvod posebne kategorije"), true);
        add(QStringLiteral("PDVOpstaStopaOdbitak"),
            QStringLiteral("postoji porez po opštoj stopi za odbitak"), true);
        add(QStringLiteral("PDVPosebnaStopaOdbitak"),
            QStringLiteral("postoji porez po posebnoj stopi za odbitak"), true);
        add(QStringLiteral("UkPDVOpstaStopaOdbitak"),
            QStringLiteral("porez po opštoj stopi za odbitak"), true);
        add(QStringLiteral("UkPDVPosebnaStopaOdbitak"),
            QStringLiteral("porez po posebnoj stopi za odbitak"), true);
        return n;
    }();
    return names;
}

}  // namespace fin
