#pragma once

#include "host/db/connection.h"
#include "ledger/financialdm.h"

namespace fin {

// The data module of a command-line run, on the configured database.
struct TSession {
    TConnection connection;
    TFinancialDM dm;
    TSession() {
        connection.Open();
        dm.SetZConnection(&connection);
        dm.LoadOptions();
        dm.LoadFreeAccountTypes();
    }
};

}  // namespace fin
