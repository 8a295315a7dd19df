#pragma once

#include <functional>

#include "host/console/customsnapin.h"

namespace fin {

class TFinancialDM;
class TFinancialOptionsTabFrame;
class TFinancialViewerForm;
class TFinancialNavigatorForm;

inline constexpr int kFinancialSnapinType = 1021;

class TFinancialViewer : public TCustomViewer {
public:
    explicit TFinancialViewer(const IConsolePtr& console);
    // Connects on demand: takes the shared connection from the security module and loads
    // the options. True when the module has a connection afterwards.
    void Load(const ISnapinPtr& snapin) override;
    bool LoadModule();
    TFinancialViewerForm* Form();

protected:
    QWidget* InternalCreateFrame() override;
};

class TFinancialNavigator : public TCustomNavigator {
public:
    explicit TFinancialNavigator(const IConsolePtr& console);
    QWidget* ShowNavigator() override;
    TFinancialNavigatorForm* Form();

protected:
    QWidget* InternalCreateFrame() override;
};

class TFinancialSnapin : public TCustomSnapin,
                         public IFinancial,
                         public IOptionsTab,
                         public std::enable_shared_from_this<TFinancialSnapin> {
public:
    explicit TFinancialSnapin(const IConsolePtr& console);
    ~TFinancialSnapin() override;

    IInterfacePtr GetInterface(const QUuid& identity) override;

    void OpenPrecept(int preceptId) override;
    void OpenPrecept(const QString& foreignTable, int foreignId) override;
    double ExtSaldoDFunc(const QString& accountCode, int subaccountId, const QDate& date) override;
    double ExtSaldoPFunc(const QString& accountCode, int subaccountId, const QDate& date) override;

    QWidget* CreateFrame() override;
    void DestroyFrame() override;
    bool CheckValues() override;
    void Update() override;
    QString GetTabCaption() override;

    TFinancialViewer& Viewer() { return *viewer_; }
    // Opens the editor on the current voucher of the list dataset.
    static std::function<void()>& PreceptEditorOpener();

private:
    // Loads the list dataset with the vouchers matching the condition's parameters.
    bool FindPrecept(const QString& condition, const QVariantList& values);
    void OpenFound(const std::function<bool()>& find);

    std::shared_ptr<TFinancialViewer> viewer_;
    std::shared_ptr<TFinancialNavigator> navigator_;
};

class TFinancialSnapinFactory : public TCustomSnapinFactory {
protected:
    ISnapinPtr InternalCreateSnapin(const IConsolePtr& console) override;
    void ConsoleChanged(const IConsolePtr& console) override;
};

// The console the package belongs to, for code that must ask it for another module.
IConsolePtr GlobalConsole();

}  // namespace fin
