#include "console/standins/tables.h"

#include "host/db/connection.h"

namespace fin {

namespace {

// Shorthands for the column kinds the sibling tables use.
TColumnDef Key(const QString& table) {
    return {table + QStringLiteral("id"), QStringLiteral("BIGINT NOT NULL AUTO_INCREMENT")};
}
TColumnDef Id(const QString& name, bool required = false) {
    return {name, required ? QStringLiteral("BIGINT NOT NULL") : QStringLiteral("BIGINT NULL")};
}
TColumnDef Text(const QString& name, int length, bool required = false) {
    return {name,
            QStringLiteral("VARCHAR(%1) %2")
                .arg(length)
                .arg(required ? QStringLiteral("NOT NULL DEFAULT ''") : QStringLiteral("NULL"))};
}
TColumnDef Amount(const QString& name) {
    return {name, QStringLiteral("DOUBLE NOT NULL DEFAULT 0")};
}
TColumnDef Date(const QString& name) {
    return {name, QStringLiteral("DATE NULL")};
}
TColumnDef Flag(const QString& name) {
    return {name, QStringLiteral("TINYINT(1) NOT NULL DEFAULT 0")};
}
TColumnDef Int(const QString& name) {
    return {name, QStringLiteral("INT NULL")};
}

TTableDef Table(const QString& name, std::vector<TColumnDef> columns,
                const QStringList& indexed = {}) {
    TTableDef t;
    t.name = name;
    t.columns.push_back(Key(name));
    for (auto& c : columns)
        t.columns.push_back(std::move(c));
    t.primaryKey = TConnection::QuoteIdentifier(name + QStringLiteral("id"));
    for (const QString& cols : indexed) {
        QStringList quoted;
        for (const QString& c : cols.split(QLatin1Char(',')))
            quoted << TConnection::QuoteIdentifier(c.trimmed());
        QString indexName = name + QLatin1Char('_') + cols;
        indexName.remove(QLatin1Char(' ')).replace(QLatin1Char(','), QLatin1Char('_'));
        t.indexes.push_back({indexName, quoted.join(QStringLiteral(", "))});
    }
    return t;
}

std::vector<TTableDef> SiblingTables() {
    const auto S = [](const char* s) { return QString::fromLatin1(s); };
    return {
        Table(S("partner"),
              {Text(S("name"), 255, true), Text(S("partnertype"), 50), Text(S("code"), 20),
               Text(S("taxnumber"), 20), Text(S("registrationnumber"), 20), Text(S("address"), 255),
               Text(S("city"), 100)},
              {S("name")}),
        // type: the product-type letter (M, U, R, P, L, O, S, K).
        Table(S("product"),
              {Text(S("name"), 255, true), Text(S("code"), 30), Text(S("type"), 1),
               Text(S("unit"), 10), Id(S("taxid")), Amount(S("price"))},
              {S("name")}),
        // pricetype: v wholesale, m retail; warehousemethodtype: the pricing method letter.
        Table(S("warehouse"), {Text(S("name"), 255, true), Text(S("code"), 20),
                               Text(S("pricetype"), 1), Text(S("warehousemethodtype"), 1)}),
        Table(S("tax"), {Text(S("name"), 50, true), Amount(S("value"))}),
        // The company's own accounts have no partner.
        Table(S("bankaccount"),
              {Text(S("account"), 50, true), Text(S("bank"), 100), Id(S("partnerid")),
               Text(S("currency"), 3)},
              {S("partnerid")}),
        Table(S("expense"), {Text(S("name"), 255, true)}),
        Table(S("categorypr"), {Text(S("name"), 255, true)}),
        Table(S("productcategorypr"), {Id(S("productid"), true), Id(S("categoryprid"), true)},
              {S("productid"), S("categoryprid")}),
        Table(S("document"),
              {Text(S("documenttype"), 1, true), Text(S("number"), 30, true),
               Text(S("status"), 1, true), Date(S("documentdate")), Date(S("documentissuedate")),
               Int(S("direction")), Id(S("reservationid")), Id(S("exchangelistid")),
               Text(S("documentcurrency"), 3), Text(S("inputcurrency"), 3), Id(S("partnerid")),
               Id(S("warehouseid")), Id(S("inwarehouseid")), Int(S("documentchargetypeid")),
               Flag(S("docreturn")), Flag(S("correctgoods"))},
              {S("documentdate"), S("documenttype, number"), S("reservationid")}),
        Table(
            S("documentitem"),
            {Id(S("documentid"), true), Id(S("productid")), Amount(S("quantity")),
             Amount(S("price")), Amount(S("price2")), Amount(S("itemvalue")), Amount(S("cost")),
             Amount(S("rebate")), Text(S("rebatetype"), 1), Amount(S("margin")),
             Text(S("marginetype"), 1), Amount(S("specialrebate")), Text(S("specialrebatetype"), 1),
             Id(S("taxid")), Amount(S("taxvalue")), Amount(S("intax"))},
            {S("documentid"), S("productid")}),
        Table(S("documentdoc"), {Id(S("documentid"), true), Id(S("relateddocumentid"), true)},
              {S("documentid"), S("relateddocumentid")}),
        Table(S("documentcost"),
              {Id(S("documentid"), true), Id(S("partnerid")), Amount(S("value")),
               Text(S("description"), 255), Amount(S("taxamount"))},
              {S("documentid")}),
        Table(
            S("docfinitem"),
            {Id(S("documentid"), true), Id(S("productid")), Amount(S("inquantity")),
             Amount(S("outquantity")), Amount(S("price")), Amount(S("debit")), Amount(S("credit"))},
            {S("documentid")}),
        Table(S("vatitem"),
              {Id(S("documentid"), true), Text(S("vattype"), 2), Amount(S("vatrate")),
               Amount(S("vat"))},
              {S("documentid")}),
        Table(S("documentretailpayment"),
              {Id(S("documentid"), true), Amount(S("cashincome")), Amount(S("chequeincome")),
               Amount(S("cardincome"))},
              {S("documentid")}),
        // status "primary" marks the home currency.
        Table(S("currency"), {Text(S("code"), 3, true), Text(S("name"), 50), Text(S("status"), 20)},
              {S("code")}),
        Table(S("currencyexchange"),
              {Id(S("exchangelistid"), true), Text(S("code1"), 3, true), Text(S("code2"), 3, true),
               Amount(S("code1amount")), Amount(S("code2amount"))},
              {S("exchangelistid")}),
        // statementtype: I bank statement, B cash journal.
        Table(S("bankstatement"),
              {Id(S("bankaccountid")), Text(S("number"), 30, true), Date(S("statementdate")),
               Text(S("statementtype"), 1, true), Text(S("currency"), 3), Id(S("exchangelistid"))},
              {S("statementdate")}),
        Table(S("bankstatementitem"),
              {Id(S("bankstatementid"), true), Id(S("partnerid")), Amount(S("debit")),
               Amount(S("credit")), Text(S("description"), 255), Id(S("documentid"))},
              {S("bankstatementid"), S("documentid")}),
        Table(S("fadocument"),
              {Text(S("number"), 30), Text(S("status"), 1, true), Text(S("documenttype"), 1, true),
               Date(S("documentdate"))},
              {S("documentdate")}),
        Table(S("fadocumentitem"),
              {Id(S("fadocumentid"), true), Amount(S("basevalue")), Amount(S("basevalue2")),
               Amount(S("correctionvalue")), Amount(S("correctionvalue2"))},
              {S("fadocumentid")}),
        Table(S("errand"),
              {Text(S("errandtype"), 1, true), Text(S("number"), 30, true),
               Text(S("status"), 1, true), Date(S("erranddate")), Id(S("parentid"))},
              {S("erranddate"), S("parentid")}),
        Table(S("errandcost"),
              {Id(S("errandid"), true), Text(S("costtype"), 20), Amount(S("value")),
               Amount(S("coef"))},
              {S("errandid")}),
        Table(S("erranddocument"), {Id(S("errandid"), true), Id(S("documentid"), true)},
              {S("errandid"), S("documentid")}),
    };
}

}  // namespace

TSchemaReport CreateSiblingTables(TConnection& connection) {
    TSchemaReport report;
    for (const TTableDef& table : SiblingTables())
        EnsureTable(connection, table, &report);
    return report;
}

}  // namespace fin
