#include "tests/posting/postingtest.h"

#include "host/data/dbinifile.h"
#include "posting/autoconter.h"

namespace fin::test {

void TPostingTest::SetUp() {
    TReportsTest::SetUp();
    if (HasFatalFailure())
        return;
    dm->Options().FinancialYear = 2024;
    dm->AutoToDate = QDate(2024, 12, 31);
    package = std::make_unique<TPostingPackage>(*dm);
    for (const char* code : {"2040", "4350"})
        NewAccount(code, "Partneri", "partner");
    for (const char* code : {"1320", "1340", "5010", "6040", "4700", "2700", "4320"})
        NewAccount(code, "Konto");
    NewAccount("1329", "Razlika u ceni", "warehouse");
    Db().Execute(
        "INSERT INTO partner (partnerid, name, partnertype) VALUES (7, 'Kupac doo', "
        "'Veliki kupac'), (8, 'Dobavljač ad', 'Dobavljac')");
    partner = 7;
    Db().Execute(
        "INSERT INTO warehouse (warehouseid, name, code, pricetype) VALUES "
        "(1, 'Veleprodaja', 'VP', 'v'), (2, 'Prodavnica', 'MP', 'm')");
    wholesale = 1;
    retail = 2;
    Db().Execute(
        "INSERT INTO tax (taxid, name, value) VALUES (1, 'Opšta', 20), (2, 'Posebna', 10)");
    Db().Execute(
        "INSERT INTO currency (code, name, status) VALUES ('RSD', 'Dinar', 'primary'), "
        "('EUR', 'Evro', '')");
}

void TPostingTest::TearDown() {
    package.reset();
    TReportsTest::TearDown();
}

qint64 TPostingTest::Document(const QString& type, const QDate& date, const QString& number,
                              qint64 partnerId, qint64 warehouse, const QString& status) {
    Db().Execute(
        "INSERT INTO document (documenttype, number, status, documentdate, "
        "documentissuedate, partnerid, warehouseid, documentcurrency, direction) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, 'RSD', 1)",
        {type, number, status, date, date, partnerId ? QVariant(partnerId) : QVariant(),
         warehouse ? QVariant(warehouse) : QVariant()});
    return Db().LastInsertId();
}

qint64 TPostingTest::Item(qint64 document, qint64 product, double quantity, double price,
                          double price2, double itemValue, qint64 tax, double taxValue,
                          double inTax) {
    Db().Execute(
        "INSERT INTO documentitem (documentid, productid, quantity, price, price2, "
        "itemvalue, taxid, taxvalue, intax) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
        {document, product, quantity, price, price2, itemValue, tax, taxValue, inTax});
    return Db().LastInsertId();
}

qint64 TPostingTest::Card(qint64 document, qint64 product, double in, double out, double price,
                          double debit, double credit) {
    Db().Execute(
        "INSERT INTO docfinitem (documentid, productid, inquantity, outquantity, price, "
        "debit, credit) VALUES (?, ?, ?, ?, ?, ?, ?)",
        {document, product, in, out, price, debit, credit});
    return Db().LastInsertId();
}

qint64 TPostingTest::Product(const QString& name, const QString& type) {
    Db().Execute("INSERT INTO product (name, type) VALUES (?, ?)", {name, type});
    return Db().LastInsertId();
}

qint64 TPostingTest::Rule(const QString& entityType, const QString& conto,
                          const QString& subaccount, const QString& debit, const QString& credit,
                          const QString& description, const QString& module) {
    Db().Execute(
        "INSERT INTO financialini (module, entitytype, conto, contonew, subaccount, "
        "debitexp, creditexp, descriptionfmt) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
        {module, entityType, conto, conto, subaccount, debit, credit, description});
    return Db().LastInsertId();
}

int TPostingTest::PostAll() {
    return package->AutoConter().Execute(false, 0, {}, 0).posted;
}

qint64 TPostingTest::PreceptOf(qint64 document) {
    return Db()
        .SelectValue(
            "SELECT preceptid FROM precept WHERE foreigntable = 'document' AND "
            "foreignid = ?",
            {document})
        .toLongLong();
}

QVector<TPostingTest::TLine> TPostingTest::Lines(qint64 precept) {
    QVector<TLine> lines;
    for (const auto& row :
         Db().Select("SELECT an.code, pi.foreignid, pi.description, pi.debit, pi.credit FROM "
                     "preceptitem AS pi LEFT JOIN accountnew AS an ON an.accountnewid = "
                     "pi.accountnewid WHERE pi.preceptid = ? ORDER BY pi.sort",
                     {precept})
             .rows)
        lines.append({row[0].toString(), row[1].toLongLong(), row[2].toString(), row[3].toDouble(),
                      row[4].toDouble()});
    return lines;
}

}  // namespace fin::test
