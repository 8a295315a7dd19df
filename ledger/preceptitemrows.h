#pragma once

#include <QVariant>

namespace fin {

class TConnection;
class TDataSet;

// Writes every record of a line dataset as a new line of the voucher, with multi-row
// INSERTs in the caller's transaction: a voucher of thousands of lines costs a handful of
// statements, not one round trip per line. The dataset itself is left as it is.
void InsertPreceptItems(TConnection& connection, const TDataSet& items, const QVariant& preceptId);

}  // namespace fin
