#include "ledger/preceptitemrows.h"

#include <QStringList>
#include <algorithm>

#include "host/data/dataset.h"
#include "host/db/connection.h"

namespace fin {

namespace {

// Rows per statement: far below the server's limit of bound values and its packet size.
constexpr int kRowsPerInsert = 1000;

}  // namespace

void InsertPreceptItems(TConnection& connection, const TDataSet& items, const QVariant& preceptId) {
    const char* const columns[] = {"sort",      "description",  "debit",    "credit",
                                   "accountid", "accountnewid", "foreignid"};
    QVector<int> at;
    for (const char* c : columns)
        at << items.FieldByName(QString::fromLatin1(c)).Index();
    const QString insert = QStringLiteral(
        "INSERT INTO preceptitem (preceptid, sort, description, debit, credit, accountid, "
        "accountnewid, foreignid) VALUES ");
    const QString marks = QStringLiteral("(?,?,?,?,?,?,?,?)");
    const int count = items.RecordCount();
    for (int first = 1; first <= count; first += kRowsPerInsert) {
        const int last = std::min(count, first + kRowsPerInsert - 1);
        QVariantList values;
        values.reserve((last - first + 1) * (at.size() + 1));
        for (int rec = first; rec <= last; ++rec) {
            values << preceptId;
            for (int field : at)
                values << items.RecordValue(rec, field);
        }
        connection.Execute(insert + QStringList(last - first + 1, marks).join(QLatin1Char(',')),
                           values);
    }
}

}  // namespace fin
