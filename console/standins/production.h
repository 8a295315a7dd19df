#pragma once

#include <memory>

#include "console/standins/picker.h"

namespace fin {

// Stands in for the production module until it is part of the suite: its picker is a
// pick list over table errand.
class TProductionModule : public IProduction {
public:
    explicit TProductionModule(std::shared_ptr<ISecurity> security)
        : connection_(std::move(security)) {}
    explicit TProductionModule(TConnection& connection) : connection_(connection) {}
    bool SelectErrand(qint64& id, QString& text1, QString& text2) override;

private:
    TModuleConnection connection_;
};

}  // namespace fin
