#pragma once

#include "tests/ledger/ledgertest.h"

namespace fin::test {

// A ledger test with small helpers to build charts and lines.
class TReportsTest : public TLedgerTest {
protected:
    void SetUp() override {
        TLedgerTest::SetUp();
        if (HasFatalFailure())
            return;
        type = AddType(QStringLiteral("77"), QStringLiteral("Temeljnica"));
    }

    qint64 NewAccount(const QString& code, const QString& name = QStringLiteral("Konto"),
                      const QVariant& kind = {}) {
        Db().Execute(QStringLiteral("INSERT INTO accountnew (code, name, type) VALUES (?, ?, ?)"),
                     {code, name, kind});
        return Db().LastInsertId();
    }
    qint64 OldAccount(const QString& code, const QString& name = QStringLiteral("Konto"),
                      const QVariant& kind = {}) {
        Db().Execute(QStringLiteral("INSERT INTO account (code, name, type) VALUES (?, ?, ?)"),
                     {code, name, kind});
        return Db().LastInsertId();
    }
    qint64 Voucher(const QDate& date, const QString& status = QStringLiteral("p"),
                   qint64 voucherType = 0) {
        return AddPrecept(voucherType ? voucherType : type, date,
                          QStringLiteral("N%1").arg(++vouchers_), status);
    }
    // A line on the new chart, the old chart or both (an id of 0 leaves that chart empty).
    qint64 Line(qint64 precept, qint64 newAccount, double debit, double credit,
                const QVariant& foreign = {}, qint64 oldAccount = 0,
                const QString& text = QStringLiteral("Stavka")) {
        Db().Execute(
            QStringLiteral("INSERT INTO preceptitem (preceptid, sort, description, debit, "
                           "credit, accountid, accountnewid, foreignid) VALUES "
                           "(?, ?, ?, ?, ?, ?, ?, ?)"),
            {precept, ++sort_, text, debit, credit, oldAccount ? QVariant(oldAccount) : QVariant(),
             newAccount ? QVariant(newAccount) : QVariant(), foreign});
        return Db().LastInsertId();
    }

    qint64 type = 0;

private:
    int vouchers_ = 0;
    int sort_ = 0;
};

}  // namespace fin::test
