#pragma once

#include "ledger/accountdesc.h"

namespace fin {

class TConnection;

// The account of a chart with exactly this code: fills its id, code, name and type and
// returns true; a missing or repeated code leaves the record as it was.
bool GetAccountByCode(TConnection& connection, TAccountDesc& desc, bool newChart);
// The account with the record's id, and whether its type's table holds the record's
// sub-account. A type that is no safe table name, or a table that does not exist, holds
// none.
bool GetSubAccountByCode(TConnection& connection, TAccountDesc& desc, bool newChart);

}  // namespace fin
