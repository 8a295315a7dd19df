#pragma once

#include <memory>

#include "posting/postingpackage.h"
#include "tests/reports/reportstest.h"

namespace fin::test {

// A ledger of 2024 with the posting package, a small chart, a partner, a wholesale and a
// retail warehouse, two taxes, the home currency, and helpers for documents and rules.
class TPostingTest : public TReportsTest {
protected:
    void SetUp() override;
    void TearDown() override;

    qint64 Document(const QString& type, const QDate& date, const QString& number,
                    qint64 partner = 0, qint64 warehouse = 0, const QString& status = "p");
    qint64 Item(qint64 document, qint64 product, double quantity, double price, double price2,
                double itemValue, qint64 tax = 1, double taxValue = 20, double inTax = 0);
    qint64 Card(qint64 document, qint64 product, double in, double out, double price, double debit,
                double credit);
    qint64 Product(const QString& name, const QString& type = "R");
    qint64 Rule(const QString& entityType, const QString& conto, const QString& subaccount,
                const QString& debit, const QString& credit, const QString& description = {},
                const QString& module = "Dokument");
    // Posts every waiting document of the year as the list's "Auto" does.
    int PostAll();
    qint64 PreceptOf(qint64 document);
    struct TLine {
        QString code;
        qint64 foreignId;
        QString description;
        double debit, credit;
    };
    QVector<TLine> Lines(qint64 precept);

    std::unique_ptr<TPostingPackage> package;
    qint64 partner = 0, wholesale = 0, retail = 0;
};

}  // namespace fin::test
