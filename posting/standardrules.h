#pragma once

namespace fin {

class TFinancialDM;

// Writes the standard posting rules of commercial documents for the demo chart of
// accounts (both charts), through the rule dataset so every expression is checked, and the
// voucher type of each document type. Rules already there are kept: installing again adds
// nothing. Returns how many rules were added.
int InstallStandardRules(TFinancialDM& dm);

}  // namespace fin
