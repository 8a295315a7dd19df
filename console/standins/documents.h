#pragma once

#include <memory>

#include "console/standins/picker.h"

namespace fin {

// Stands in for the documents module until it is part of the suite: its document picker
// is a pick list over table document, shown through the UI service.
class TDocumentsModule : public IDocuments {
public:
    explicit TDocumentsModule(std::shared_ptr<ISecurity> security)
        : connection_(std::move(security)) {}
    explicit TDocumentsModule(TConnection& connection) : connection_(connection) {}
    bool SelectDocument(qint64& id, QString& text1, QString& text2) override;

private:
    TModuleConnection connection_;
};

}  // namespace fin
