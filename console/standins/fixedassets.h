#pragma once

#include <memory>

#include "console/standins/picker.h"

namespace fin {

// Stands in for the fixed-asset module until it is part of the suite: its picker is a
// pick list over table fadocument.
class TFixedAssetsModule : public IFixedAssets {
public:
    explicit TFixedAssetsModule(std::shared_ptr<ISecurity> security)
        : connection_(std::move(security)) {}
    explicit TFixedAssetsModule(TConnection& connection) : connection_(connection) {}
    bool SelectDocument(qint64& id, QString& text) override;

private:
    TModuleConnection connection_;
};

}  // namespace fin
