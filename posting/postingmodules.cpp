#include "posting/postingmodules.h"

#include "host/common/captions.h"
#include "ledger/ledgercaptions.h"

namespace fin {

namespace {

QVector<TEntityType> Types(const QString& letters, QString (*caption)(const QString&)) {
    QVector<TEntityType> types;
    for (const QChar letter : letters)
        types.append({QString(letter), caption(QString(letter))});
    return types;
}

}  // namespace

const QVector<TPostingModule>& PostingModules() {
    static const QVector<TPostingModule> modules{
        {res::FIN_MOD_DOCUMENT_NAME, 100,
         Types(QStringLiteral("ACFGIKLMNQRSTUVWZ"), GetDocDescription)},
        {res::FIN_MOD_BANK_NAME, 50, Types(QStringLiteral("IB"), GetBankDescription)},
        {res::FIN_MOD_FA_NAME, 10, Types(QStringLiteral("ARO"), GetFADescription)},
        {res::FIN_MOD_PRODUCTION_NAME, 75, Types(QStringLiteral("R"), GetErrandDescription)},
    };
    return modules;
}

const TPostingModule* FindPostingModule(const QString& name) {
    for (const TPostingModule& m : PostingModules())
        if (m.name == name)
            return &m;
    return nullptr;
}

}  // namespace fin
