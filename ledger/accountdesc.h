#pragma once

#include <QString>

namespace fin {

// An account, and perhaps one of its sub-accounts, as the pick dialogs hand it over.
struct TAccountDesc {
    QString Code;     // old chart
    QString CodeNew;  // new chart
    QString Name;
    QString AccountType;     // the account's stored type (the sub-account kind)
    QString SubaccountCode;  // the sub-account's row id as text; empty: none
    QString SubaccountName;
    qint32 AccountID = 0;     // 0 or less: not set
    qint32 AccountNewID = 0;  // 0 or less: not set
};

enum class TAccountResult { arAccount, arSubaccount, arNone };

}  // namespace fin
