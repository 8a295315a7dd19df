#pragma once

#include <memory>

#include "console/standins/standins.h"
#include "host/db/connection.h"
#include "ledger/financialdm.h"
#include "posting/postingpackage.h"

namespace fin {

// The data module of a command-line run, on the configured database, set up as the console
// sets it up: the connection is the security module's, the sibling modules are the
// stand-ins, and automatic posting is registered.
struct TSession {
    TStandinModules modules;
    TConnection& connection;
    TFinancialDM dm;
    // Declared last, so it is taken back before the data module it registers with.
    std::unique_ptr<TPostingPackage> posting;

    TSession() : connection(*modules.Security()->GetConnection()) {
        connection.Open();  // a server that cannot be reached says why here
        dm.SetZConnection(&connection);
        dm.ModuleLookup = [this](const QUuid& identity) { return modules.Find(identity); };
        dm.BankLookup = [this] { return As<IBankPayments>(modules.Find(iid::Bank)); };
        // Vouchers made here record who made them, as in the console.
        dm.SecurityLookup = [this] {
            return std::static_pointer_cast<ISecurity>(modules.Security());
        };
        dm.LoadOptions();
        dm.LoadFreeAccountTypes();
        posting = std::make_unique<TPostingPackage>(dm);
    }
    TSession(const TSession&) = delete;
    TSession& operator=(const TSession&) = delete;
};

}  // namespace fin
