#include "console/app/console.h"

#include "host/ui/uiservice.h"

namespace fin {

std::shared_ptr<TConsole> TConsole::Create(TConnectionSettings settings) {
    return std::shared_ptr<TConsole>(new TConsole(std::move(settings)));
}

TConsole::TConsole(TConnectionSettings settings) : standins_(std::move(settings)) {}

TConsole::~TConsole() {
    Shutdown();
}

IInterfacePtr TConsole::QueryModule(const QUuid& identity) {
    if (IInterfacePtr found = standins_.Find(identity))
        return found;
    for (const TLoadedModule& module : loader_.Modules())
        if (IInterfacePtr found = module.snapin->GetInterface(identity))
            return found;
    return nullptr;
}

void TConsole::ShowControl(QWidget* control) {
    if (view_)
        view_->PlaceControl(control);
}

void TConsole::LoadModules(const QStringList& files) {
    const QStringList failures = loader_.Load(files, shared_from_this());
    if (!failures.isEmpty())
        Ui().ShowMessage(TMessageType::Warning,
                         QStringLiteral("Sledeći moduli nisu učitani i biće preskočeni:\n\n%1")
                             .arg(failures.join(QLatin1Char('\n'))));
}

std::vector<ISnapinPtr> TConsole::Snapins() const {
    std::vector<ISnapinPtr> snapins;
    for (const TLoadedModule& module : loader_.Modules())
        snapins.push_back(module.snapin);
    return snapins;
}

void TConsole::Shutdown() {
    if (view_)
        view_->ReleaseModuleWidgets();
    loader_.Unload();
}

}  // namespace fin
