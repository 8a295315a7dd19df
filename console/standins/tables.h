#pragma once

#include "ledger/schema.h"

namespace fin {

// The tables of the sibling modules (partners, products, documents, bank, fixed assets,
// production) with the columns the ledger reads, for databases where those modules are not
// installed. Re-runnable; existing tables only get what they lack.
TSchemaReport CreateSiblingTables(TConnection& connection);

}  // namespace fin
