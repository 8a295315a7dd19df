#pragma once

#include <memory>
#include <vector>

#include "console/app/moduleloader.h"
#include "console/standins/standins.h"

namespace fin {

// The window that shows the console's controls.
class IConsoleView {
public:
    virtual ~IConsoleView() = default;
    virtual void PlaceControl(QWidget* control) = 0;  // null clears the main panel
    // Hands back every widget of a module it shows; called before the modules go.
    virtual void ReleaseModuleWidgets() = 0;
};

// The host application as the modules see it: the stand-ins of the sibling modules, the
// loaded snap-ins and the window their controls appear in.
class TConsole : public IConsole, public std::enable_shared_from_this<TConsole> {
public:
    static std::shared_ptr<TConsole> Create(
        TConnectionSettings settings = TConnectionSettings::FromEnvironment());
    ~TConsole() override;

    // The stand-ins first, then each snap-in's own interfaces; null when none has it.
    IInterfacePtr QueryModule(const QUuid& identity) override;
    void ShowControl(QWidget* control) override;

    // Loads the plug-ins; the ones that fail are reported together in one warning.
    void LoadModules(const QStringList& files);
    std::vector<ISnapinPtr> Snapins() const;
    void SetView(IConsoleView* view) { view_ = view; }
    // The window gives back the modules' widgets, the snap-ins are released and then the
    // libraries unloaded. Afterwards only the stand-ins answer.
    void Shutdown();
    TStandinModules& Standins() { return standins_; }

private:
    explicit TConsole(TConnectionSettings settings);

    TStandinModules standins_;
    TModuleLoader loader_;
    IConsoleView* view_ = nullptr;
};

}  // namespace fin
