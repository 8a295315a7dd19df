#pragma once

#include <functional>
#include <memory>

#include "host/console/interfaces.h"

namespace fin {

class ISecurity;

// Stands in for the module until it is part of the suite: the payments of a document are
// the statement lines that name it.
class TBankModule : public IBank {
public:
    explicit TBankModule(std::shared_ptr<ISecurity> security);
    // On a connection of the caller's, for a job that runs without the console.
    explicit TBankModule(TConnection& connection);
    void GetDocumentPayments(int documentId, int selector, double& paidOut, double& paidIn,
                             int reserved1, int reserved2, int reserved3) override;

private:
    std::function<TConnection*()> connection_;
};

}  // namespace fin
