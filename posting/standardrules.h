#pragma once

namespace fin {

class TFinancialDM;

// Writes the standard posting rules of the source modules for the demo chart of accounts
// (both charts): commercial documents, bank statements and cash journals, production work
// orders and fixed-asset documents, each through the rule dataset so every expression is
// checked, and the voucher type of each kind of source document. A module whose conter is
// not built yet is left out, since none of its rules would pass the check. Rules already
// there are kept: installing again adds nothing. Returns how many rules were added.
int InstallStandardRules(TFinancialDM& dm);

}  // namespace fin
