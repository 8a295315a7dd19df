#pragma once

#include "console/standins/tables.h"
#include "host/ui/uiservice.h"
#include "ledger/financialdm.h"
#include "ledger/schema.h"
#include "tests/host/testdatabase.h"

namespace fin::test {

// A test database with the ledger's tables, a data module on it and a scripted UI.
class TLedgerTest : public TDatabaseTest {
protected:
    void SetUp() override {
        TDatabaseTest::SetUp();
        if (HasFatalFailure())
            return;
        CreateLedgerSchema(Db());
        CreateSiblingTables(Db());
        dm = std::make_unique<TFinancialDM>();
        dm->SetZConnection(&Db());
        dm->LoadOptions();
        SetUi(&ui);
    }
    void TearDown() override {
        SetUi(nullptr);
        dm.reset();
        TDatabaseTest::TearDown();
    }

    qint64 AddType(const QString& number, const QString& name = QStringLiteral("Tip")) {
        Db().Execute(QStringLiteral("INSERT INTO precepttype (name, number) VALUES (?, ?)"),
                     {name, number});
        return Db().LastInsertId();
    }
    qint64 AddPrecept(qint64 type, const QDate& date, const QString& number,
                      const QString& status = QStringLiteral("n"), const QVariant& parent = {}) {
        Db().Execute(QStringLiteral("INSERT INTO precept (preceptdate, registerdate, number, "
                                    "status, precepttypeid, parentid) VALUES (?, ?, ?, ?, ?, ?)"),
                     {date, date, number, status, type, parent});
        return Db().LastInsertId();
    }
    qint64 Count(const QString& table) {
        return Db()
            .SelectValue(
                QStringLiteral("SELECT COUNT(*) FROM %1").arg(TConnection::QuoteIdentifier(table)))
            .toLongLong();
    }
    // Loads one voucher into the data module's voucher dataset.
    void LoadPrecept(qint64 id) {
        TQuery& p = dm->PreceptZQ();
        p.Close();
        p.SetSQL(
            QStringLiteral("SELECT p.*, pt.name AS PreceptType, pt.number AS "
                           "PreceptTypeNumber FROM precept AS p INNER JOIN precepttype AS "
                           "pt ON p.precepttypeid = pt.precepttypeid WHERE p.preceptid = :ID"));
        p.ParamByName(QStringLiteral("ID")).SetValue(id);
        p.Open();
    }

    TScriptedUiService ui;
    std::unique_ptr<TFinancialDM> dm;
};

}  // namespace fin::test
