#pragma once

#include <memory>

#include "console/standins/picker.h"

namespace fin {

// Stands in for the bank module until it is part of the suite: the payments of a document
// are the statement lines that name it (debit paid out, credit received, as on a bank
// statement), and its picker is a pick list over table bankstatement.
class TBankModule : public IBank {
public:
    explicit TBankModule(std::shared_ptr<ISecurity> security) : connection_(std::move(security)) {}
    // On a connection of the caller's, for a job that runs without the console.
    explicit TBankModule(TConnection& connection) : connection_(connection) {}
    void GetDocumentPayments(int documentId, int selector, double& paidOut, double& paidIn,
                             int reserved1, int reserved2, int reserved3) override;
    bool SelectStatement(qint64& id, QString& text1, QString& text2) override;

private:
    TModuleConnection connection_;
};

}  // namespace fin
