#pragma once

#include <QLibrary>
#include <QStringList>
#include <memory>
#include <vector>

#include "host/console/interfaces.h"

namespace fin {

// Where the console keeps its settings (QSettings organization and application).
inline const QString kSettingsOrganization = QStringLiteral("Finansije");
inline const QString kSettingsApplication = QStringLiteral("Konzola");

// A plug-in library and the snap-in its factory made.
struct TLoadedModule {
    QString file;
    std::unique_ptr<QLibrary> library;
    ISnapinFactory* factory = nullptr;  // belongs to the library
    ISnapinPtr snapin;
};

// Loads the snap-in libraries and, on the way out, releases their objects before their
// code goes.
class TModuleLoader {
public:
    TModuleLoader() = default;
    ~TModuleLoader();
    TModuleLoader(const TModuleLoader&) = delete;
    TModuleLoader& operator=(const TModuleLoader&) = delete;

    // The option if given, else FINANSIJE_PLUGIN_PATH, else lib/finansije-plugins beside
    // the executable's folder.
    static QString PluginFolder(const QString& option = {});
    // Every *.so of the folder by name, then the libraries listed in the settings
    // ("Moduli/Biblioteke", relative to the folder unless absolute); each file once.
    static QStringList PluginFiles(const QString& folder);

    // Loads each file and asks its factory for the snap-in. A file that fails is left out
    // and gets one line "file: reason" in the result.
    QStringList Load(const QStringList& files, const IConsolePtr& console);
    const std::vector<TLoadedModule>& Modules() const { return modules_; }
    // Drops every snap-in first, then unloads the libraries, the last loaded first.
    void Unload();

private:
    QString LoadOne(const QString& file, const IConsolePtr& console);  // empty when loaded

    std::vector<TLoadedModule> modules_;
};

}  // namespace fin
