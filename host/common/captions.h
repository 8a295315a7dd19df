#pragma once

#include <QString>
#include <QStringList>

// The host's captions and common messages. The names follow the suite's resource names
// without their leading underscore (an underscore and a capital are reserved in C++).
namespace fin::res {

inline const QString CMN_NO_MODULE = QStringLiteral("Modul \"%1\" nije učitan.");
inline const QString CMN_MOD_SECURITY_NAME = QStringLiteral("Bezbednost");
inline const QString CMN_MOD_FINANCIAL_NAME = QStringLiteral("Finansije");
inline const QString CMN_MOD_DOCUMENT_NAME = QStringLiteral("Dokumenti");
inline const QString CMN_MOD_BANK_NAME = QStringLiteral("Banka");
// Prefix of an expense's value among the posting variables.
inline const QString CMN_EXPENSE_PREFIX = QStringLiteral("V");
inline const QString CMN_MOD_PRODUCTION_NAME = QStringLiteral("Proizvodnja");
inline const QString CMN_MOD_FA_NAME = QStringLiteral("Osnovna sredstva");

inline const QString CMN_NO_CONNECTION_ERR = QStringLiteral("Nema veze sa bazom podataka.");
inline const QString CMN_FIELD_REQUIRED_ERR = QStringLiteral("Polje \"%1\" mora biti popunjeno.");
inline const QString CMN_FIELD_INVALIDE_ERR =
    QStringLiteral("Polje \"%1\" nema ispravnu vrednost.");
inline const QString CMN_RELATIONAL_INTEGRITY_ERR =
    QStringLiteral("Zapis ne može biti izbrisan jer ga koriste drugi podaci.");
inline const QString CMN_DELETE_PROMT =
    QStringLiteral("Da li ste sigurni da želite da izbrišete izabrani zapis?");
inline const QString CMN_SAVE_CHANGES_PROMT = QStringLiteral("Da li želite da sačuvate izmene?");
inline const QString CMN_NOT_EDITING_ERR =
    QStringLiteral("Podaci nisu u režimu izmene; izmena nije moguća.");
inline const QString CMN_READ_ONLY_ERR = QStringLiteral("Ovi podaci se ne mogu menjati.");
inline const QString CMN_NO_RECORD_ERR = QStringLiteral("Nema izabranog zapisa.");
inline const QString CMN_NO_FIELD_ERR = QStringLiteral("Polje \"%1\" ne postoji u skupu \"%2\".");
inline const QString CMN_NOT_OPEN_ERR = QStringLiteral("Skup podataka \"%1\" nije otvoren.");
inline const QString CMN_INVALID_NUMBER_ERR =
    QStringLiteral("\"%1\" nije ispravan broj za polje \"%2\".");
inline const QString CMN_INVALID_DATE_ERR =
    QStringLiteral("\"%1\" nije ispravan datum za polje \"%2\" (upišite npr. 31.12.2024.).");
inline const QString CMN_RECORD_CHANGED_ERR =
    QStringLiteral("Zapis je u međuvremenu izbrisan na drugoj radnoj stanici; osvežite prikaz.");
inline const QString CMN_NO_KEY_ERR =
    QStringLiteral("Skup podataka \"%1\" nema ključ, pa se izmene ne mogu upisati.");

inline const QString YES_CAP = QStringLiteral("Da");
inline const QString NO_CAP = QStringLiteral("Ne");

inline const QString DOC_REG_STATUS_CAPTION = QStringLiteral("Proknjižen");
inline const QString DOC_NOT_REG_STATUS_CAPTION = QStringLiteral("Neproknjižen");

// Product types, in the order the host numbers them.
inline const QString PROD_STOCK_CAPTION = QStringLiteral("Roba");
inline const QString PROD_SERVICE_CAPTION = QStringLiteral("Usluga");
inline const QString PROD_MATERIAL_CAPTION = QStringLiteral("Materijal");
inline const QString PROD_PRODUCT_CAPTION = QStringLiteral("Proizvod");
inline const QString PROD_SEMI_MANUF_CAPTION = QStringLiteral("Poluproizvod");
inline const QString PROD_ASSET_CAPTION = QStringLiteral("Osnovno sredstvo");
inline const QString PROD_INVENTORY_CAPTION = QStringLiteral("Sitan inventar");
inline const QString PROD_COMM_STOCK_CAPTION = QStringLiteral("Komisiona roba");

// Pricing methods.
inline const QString METH_AVR_IN_PRICE_CAPT = QStringLiteral("Prosečna nabavna cena");
inline const QString METH_OUT_PRICE_CAPT = QStringLiteral("Prodajna cena");
inline const QString METH_PLAN_PRICE_CAPT = QStringLiteral("Planska cena");

}  // namespace fin::res

namespace fin {

// Captions of the kind codes the sibling modules store.
QString GetDocDescription(const QString& documentType);
QString GetBankDescription(const QString& statementType);
QString GetFADescription(const QString& documentType);
QString GetErrandDescription(const QString& errandType);
// Pricing methods: the store keeps a one-letter name, screens show the caption.
QString GetMethodName(const QString& caption);
QString GetMethodCaption(const QString& name);
// Product types by their letter (r, u, m, p, l, o, s, k).
QString GetProdTypeName(const QString& letter);
QStringList ProdTypeLetters();
void FillProdTypeCaptions(QStringList& captions);

}  // namespace fin
