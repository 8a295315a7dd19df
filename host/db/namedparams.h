#pragma once

#include <QString>
#include <QStringList>

namespace fin {

// A statement with ":Name" parameters rewritten to "?" placeholders; names in order of use.
struct TParsedSql {
    QString sql;
    QStringList names;
};

// Quoted text, back-quoted names and comments are left alone, so "'10:30'" stays a literal.
TParsedSql ParseNamedParams(const QString& sql);

}  // namespace fin
