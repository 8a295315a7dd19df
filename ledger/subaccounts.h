#pragma once

#include <QStringList>

namespace fin {

class TConnection;

// Every user sub-account type lives in a table of its own named by this prefix and the
// encoded type name.
inline const QString kSubaccountPrefix = QStringLiteral("subaccount_");

// Type names as table names: blanks and the letters š, ž written without diacritics.
QString EncodeSubaccStr(const QString& name);
QString DecodeSubaccStr(const QString& text);

// The decoded names of every user type found in the database, in the database's order.
void GetSubaccountTypes(TConnection* connection, QStringList& list);

// Why a user type name cannot be taken: the message, or empty text when it can.
QString CheckSubaccountTypeName(TConnection* connection, const QString& name);

// Creates the type's table; false when the database refuses it.
bool CreateSubaccountTable(TConnection& connection, const QString& name);

// The new-account-type dialog: asks for a name through the UI service, checks it and
// creates the table. Name holds the accepted name.
bool AddSubaccountType(TConnection* connection, QString& name);

}  // namespace fin
