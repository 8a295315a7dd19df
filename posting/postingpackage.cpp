#include "posting/postingpackage.h"

#include <algorithm>

#include "posting/autoconter.h"
#include "posting/bankconter.h"
#include "posting/documentconter.h"
#include "posting/faconter.h"
#include "posting/productionconter.h"

namespace fin {

namespace {

TPostingPackage* g_package = nullptr;

}  // namespace

TPostingPackage* PostingPackage() {
    return g_package;
}

void SetPostingPackage(TPostingPackage* package) {
    g_package = package;
}

TPostingPackage::TPostingPackage(TFinancialDM& dm)
    : dm_(dm), autoConter_(std::make_unique<TAutoConter>(dm)) {
    automats_.push_back(std::make_shared<TDocumentAutomat>(dm));
    automats_.push_back(std::make_shared<TBankAutomat>(dm));
    automats_.push_back(std::make_shared<TFAAutomat>(dm));
    automats_.push_back(std::make_shared<TProductionAutomat>(dm));
    for (const auto& a : automats_) {
        autoConter_->RegisterAutomat(a.get());
        dm_.Automats.push_back(a);
    }
    dm_.CheckRuleExpression = [&dm](const QString& module, const QString& expression) {
        return CheckExpression(dm, module, expression);
    };
}

TPostingPackage::~TPostingPackage() {
    dm_.CheckRuleExpression = nullptr;
    for (auto it = automats_.rbegin(); it != automats_.rend(); ++it) {
        auto& registered = dm_.Automats;
        registered.erase(std::remove(registered.begin(), registered.end(), *it), registered.end());
        autoConter_->UnregisterAutomat(it->get());
    }
    while (!automats_.empty())
        automats_.pop_back();
    autoConter_.reset();
}

TCustomContoAutomat* TPostingPackage::Automat(int kind) const {
    for (const auto& a : automats_)
        if (a->Kind() == kind)
            return a.get();
    return nullptr;
}

}  // namespace fin
