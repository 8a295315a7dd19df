#include "console/app/moduleloader.h"

#include <QCoreApplication>
#include <QDir>
#include <QSet>
#include <QSettings>

#include "host/common/error.h"
#include "host/console/customsnapin.h"

namespace fin {

TModuleLoader::~TModuleLoader() {
    Unload();
}

QString TModuleLoader::PluginFolder(const QString& option) {
    if (!option.isEmpty())
        return option;
    const QString env = qEnvironmentVariable("FINANSIJE_PLUGIN_PATH");
    if (!env.isEmpty())
        return env;
    return QDir(QCoreApplication::applicationDirPath())
        .absoluteFilePath(QStringLiteral("../lib/finansije-plugins"));
}

QStringList TModuleLoader::PluginFiles(const QString& folder) {
    const QDir dir(folder);
    QStringList candidates;
    for (const QFileInfo& info :
         dir.entryInfoList({QStringLiteral("*.so")}, QDir::Files, QDir::Name))
        candidates << info.absoluteFilePath();
    QSettings settings(kSettingsOrganization, kSettingsApplication);
    for (const QString& name : settings.value(QStringLiteral("Moduli/Biblioteke")).toStringList())
        if (!name.trimmed().isEmpty())
            candidates << dir.absoluteFilePath(name.trimmed());

    QStringList files;
    QSet<QString> seen;
    for (const QString& file : candidates) {
        const QString canonical = QFileInfo(file).canonicalFilePath();
        const QString key = canonical.isEmpty() ? file : canonical;
        if (!seen.contains(key)) {
            seen.insert(key);
            files << file;
        }
    }
    return files;
}

QStringList TModuleLoader::Load(const QStringList& files, const IConsolePtr& console) {
    QStringList failures;
    for (const QString& file : files) {
        const QString reason = LoadOne(file, console);
        if (!reason.isEmpty())
            failures << QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(file), reason);
    }
    return failures;
}

QString TModuleLoader::LoadOne(const QString& file, const IConsolePtr& console) {
    TLoadedModule module;
    module.file = file;
    module.library = std::make_unique<QLibrary>(file);
    if (!module.library->load())
        return module.library->errorString();
    auto entry =
        reinterpret_cast<TGetSnapinFactory>(module.library->resolve(kGetSnapinFactoryName));
    QString reason;
    if (!entry) {
        reason = QStringLiteral("biblioteka nema ulaznu tačku %1.")
                     .arg(QLatin1String(kGetSnapinFactoryName));
    } else {
        try {
            module.factory = entry();
            if (module.factory)
                module.snapin = module.factory->CreateSnapin(console);
            if (!module.snapin)
                reason = QStringLiteral("biblioteka nije napravila modul.");
        } catch (const TError& e) {
            reason = e.Message();
        } catch (const std::exception& e) {
            reason = QString::fromLocal8Bit(e.what());
        } catch (...) {
            reason = QStringLiteral("nepoznata greška pri pokretanju modula.");
        }
    }
    if (!reason.isEmpty()) {
        module.snapin.reset();
        module.library->unload();
        return reason;
    }
    modules_.push_back(std::move(module));
    return {};
}

void TModuleLoader::Unload() {
    // A snap-in may hold objects of another library, so all go before any code goes.
    // The host's factory base keeps its snap-in until the package's statics end; a library
    // that stays mapped (C++ unique symbols pin it) would end them only after the
    // application object, taking widgets with it, so the factory lets go now.
    for (TLoadedModule& module : modules_) {
        module.snapin.reset();
        if (auto* factory = dynamic_cast<TCustomSnapinFactory*>(module.factory))
            factory->Release();
        module.factory = nullptr;
    }
    while (!modules_.empty()) {
        modules_.back().library->unload();
        modules_.pop_back();
    }
}

}  // namespace fin
