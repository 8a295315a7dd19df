#pragma once

#include <memory>
#include <vector>

namespace fin {

class TAutoConter;
class TCustomContoAutomat;
class TFinancialDM;

// What automatic posting keeps for as long as the package is loaded: the batch driver and
// one automat per source module, created in the order documents, bank, fixed assets,
// production, each registered with the driver and the data module; and the rule check the
// data module runs before a rule is stored. Everything is taken back in reverse order.
class TPostingPackage {
public:
    explicit TPostingPackage(TFinancialDM& dm);
    ~TPostingPackage();
    TPostingPackage(const TPostingPackage&) = delete;
    TPostingPackage& operator=(const TPostingPackage&) = delete;

    TAutoConter& AutoConter() { return *autoConter_; }
    // The automat of a module kind (100, 75, 50, 10), or null.
    TCustomContoAutomat* Automat(int kind) const;

private:
    TFinancialDM& dm_;
    std::unique_ptr<TAutoConter> autoConter_;
    std::vector<std::shared_ptr<TCustomContoAutomat>> automats_;
};

// The package's posting objects, beside its data module; null while none is installed.
TPostingPackage* PostingPackage();
void SetPostingPackage(TPostingPackage* package);

}  // namespace fin
