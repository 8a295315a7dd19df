#pragma once

#include <QString>
#include <QVector>

namespace fin {

// One kind of source document a module posts: the letter rules are kept under
// (financialini.entitytype) and its caption.
struct TEntityType {
    QString letter;
    QString caption;
};

// A source module as posting knows it: its name (financialini.module), the kind that
// selects its automat, and every kind of document it may have rules for.
struct TPostingModule {
    QString name;
    int kind = 0;
    QVector<TEntityType> entityTypes;
};

// The four source modules in the order "Dokument", "Banka", "Osnovna sredstva",
// "Proizvodnja". The rule editor offers each pair from here, so a module's rules can be
// started before it has any.
const QVector<TPostingModule>& PostingModules();
// The module of that name, or null.
const TPostingModule* FindPostingModule(const QString& name);

}  // namespace fin
