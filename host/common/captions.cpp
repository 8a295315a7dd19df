#include "host/common/captions.h"

#include <QHash>

namespace fin {

namespace {

QString Lookup(const QHash<QString, QString>& table, const QString& code) {
    const QString caption = table.value(code.trimmed().toUpper());
    return caption.isEmpty() ? code : caption;
}

struct TMethod {
    const char* name;
    const QString& caption;
};

const TMethod kMethods[] = {
    {"I", res::METH_AVR_IN_PRICE_CAPT},
    {"O", res::METH_OUT_PRICE_CAPT},
    {"P", res::METH_PLAN_PRICE_CAPT},
};

}  // namespace

QString GetDocDescription(const QString& documentType) {
    static const QHash<QString, QString> captions{
        {"A", QStringLiteral("Avansni račun")},  {"C", QStringLiteral("Ulaz robe u komision")},
        {"F", QStringLiteral("Otpis")},          {"G", QStringLiteral("Ulaz gotovih proizvoda")},
        {"I", QStringLiteral("Interni prenos")}, {"K", QStringLiteral("Kalkulacija")},
        {"L", QStringLiteral("Manjak")},         {"M", QStringLiteral("Maloprodaja")},
        {"N", QStringLiteral("Nivelacija")},     {"Q", QStringLiteral("Ulazni avansni račun")},
        {"R", QStringLiteral("Račun")},          {"S", QStringLiteral("Revers")},
        {"T", QStringLiteral("Trebovanje")},     {"U", QStringLiteral("Ulazni račun")},
        {"V", QStringLiteral("Višak")},          {"W", QStringLiteral("Odjava robe")},
        {"Z", QStringLiteral("Zaduženje")},
    };
    return Lookup(captions, documentType);
}

QString GetBankDescription(const QString& statementType) {
    static const QHash<QString, QString> captions{
        {"I", QStringLiteral("Izvod iz banke")},
        {"B", QStringLiteral("Dnevnik blagajne")},
    };
    return Lookup(captions, statementType);
}

QString GetFADescription(const QString& documentType) {
    static const QHash<QString, QString> captions{
        {"A", QStringLiteral("Aktiviranje osnovnog sredstva")},
        {"R", QStringLiteral("Rashodovanje osnovnog sredstva")},
        {"O", QStringLiteral("Obračun amortizacije")},
    };
    return Lookup(captions, documentType);
}

QString GetErrandDescription(const QString& errandType) {
    static const QHash<QString, QString> captions{
        {"R", QStringLiteral("Radni nalog")},
        {"P", QStringLiteral("Proizvodni nalog")},
    };
    return Lookup(captions, errandType);
}

QString GetMethodName(const QString& caption) {
    for (const TMethod& m : kMethods)
        if (m.caption == caption)
            return QString::fromLatin1(m.name);
    return {};
}

QString GetMethodCaption(const QString& name) {
    for (const TMethod& m : kMethods)
        if (name.compare(QLatin1String(m.name), Qt::CaseInsensitive) == 0)
            return m.caption;
    return {};
}

QStringList ProdTypeLetters() {
    return {"r", "u", "m", "p", "l", "o", "s", "k"};
}

QString GetProdTypeName(const QString& letter) {
    static const QHash<QString, QString> captions{
        {"r", res::PROD_STOCK_CAPTION},      {"u", res::PROD_SERVICE_CAPTION},
        {"m", res::PROD_MATERIAL_CAPTION},   {"p", res::PROD_PRODUCT_CAPTION},
        {"l", res::PROD_SEMI_MANUF_CAPTION}, {"o", res::PROD_ASSET_CAPTION},
        {"s", res::PROD_INVENTORY_CAPTION},  {"k", res::PROD_COMM_STOCK_CAPTION},
    };
    return captions.value(letter.trimmed().toLower());
}

void FillProdTypeCaptions(QStringList& captions) {
    captions.clear();
    for (const QString& letter : ProdTypeLetters())
        captions << GetProdTypeName(letter);
}

}  // namespace fin
