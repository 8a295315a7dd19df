#pragma once

#include <memory>

#include "host/console/interfaces.h"

namespace fin {

// Stands in for the documents module until it is part of the suite: its document picker
// is a pick list over table document, shown through the UI service.
class TDocumentsModule : public IDocuments {
public:
    explicit TDocumentsModule(std::shared_ptr<ISecurity> security)
        : security_(std::move(security)) {}
    bool SelectDocument(qint64& id, QString& text1, QString& text2) override;

private:
    std::shared_ptr<ISecurity> security_;
};

}  // namespace fin
