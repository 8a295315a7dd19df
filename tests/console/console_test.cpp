#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>

#include "console/app/consoleapp.h"
#include "console/app/mainwindow.h"
#include "console/app/optionsdialog.h"
#include "host/ui/uiservice.h"
#include "tests/console/fakeplugin/fakeprobe.h"

namespace fin::test {
namespace {

class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        QSettings(kSettingsOrganization, kSettingsApplication).clear();
        SetUi(&ui_);
    }
    void TearDown() override {
        window_.reset();
        if (console_)
            console_->Shutdown();
        console_.reset();
        SetUi(nullptr);
    }

    QString Plugin(const char* built, const QString& name) {
        const QString target = QDir(folder_.path()).filePath(name);
        EXPECT_TRUE(QFile::copy(QString::fromUtf8(built), target)) << name.toStdString();
        return target;
    }
    QString Broken() {
        const QString target = QDir(folder_.path()).filePath(QStringLiteral("broken.so"));
        QFile file(target);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("ovo nije biblioteka\n");
        return target;
    }
    TConsole& Start(const QStringList& files) {
        console_ = TConsole::Create();
        console_->LoadModules(files);
        return *console_;
    }
    TMainWindow& Window() {
        window_ = std::make_unique<TMainWindow>(console_);
        return *window_;
    }
    // Never held past Shutdown: the object's code goes with its library.
    TFakeCounters& Counters(int snapin = 0) {
        auto probe = As<IFakeProbe>(console_->Snapins().at(snapin));
        return probe->Counters();
    }

    QTemporaryDir folder_;
    TScriptedUiService ui_;
    std::shared_ptr<TConsole> console_;
    std::unique_ptr<TMainWindow> window_;
};

QPushButton* DialogButton(QDialog& dialog, QDialogButtonBox::StandardButton which) {
    return dialog.findChild<QDialogButtonBox*>()->button(which);
}

TEST_F(ConsoleTest, LoadsTheGoodPluginAndReportsTheOthersInOneWarning) {
    Plugin(FAKE_PLUGIN, QStringLiteral("libgood.so"));
    Plugin(FAKE_FAILING_PLUGIN, QStringLiteral("libfailing.so"));
    Plugin(FAKE_NOENTRY_PLUGIN, QStringLiteral("libnoentry.so"));
    Broken();
    const QStringList files = TModuleLoader::PluginFiles(folder_.path());
    ASSERT_EQ(files.size(), 4);
    EXPECT_TRUE(files[0].endsWith(QStringLiteral("/broken.so")));  // by name

    TConsole& console = Start(files);
    ASSERT_EQ(console.Snapins().size(), 1u);
    EXPECT_EQ(console.Snapins()[0]->GetName(), kFakeSnapinName);

    ASSERT_EQ(ui_.Shown().size(), 1u);
    EXPECT_EQ(ui_.Shown()[0].type, TMessageType::Warning);
    const QString text = ui_.Shown()[0].text;
    EXPECT_TRUE(text.contains(QStringLiteral("broken.so:"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("libfailing.so: Probni modul odbija da se pokrene.")))
        << text.toStdString();
    EXPECT_TRUE(
        text.contains(QStringLiteral("libnoentry.so: biblioteka nema ulaznu tačku "
                                     "GetSnapinFactory.")))
        << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("libgood.so"))) << text.toStdString();
}

TEST_F(ConsoleTest, NothingIsReportedWhenEveryPluginLoads) {
    Start({Plugin(FAKE_PLUGIN, QStringLiteral("libgood.so"))});
    EXPECT_TRUE(ui_.Shown().empty());
    EXPECT_EQ(console_->Snapins().size(), 1u);
}

TEST_F(ConsoleTest, SelectingASnapinShowsItsViewerAndNavigator) {
    Start({Plugin(FAKE_PLUGIN, QStringLiteral("libgood.so"))});
    TMainWindow& window = Window();
    window.show();
    QListWidget* list = window.SnapinList();
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), kFakeSnapinName);
    EXPECT_EQ(list->item(0)->toolTip(), QStringLiteral("Modul za probu konzole"));
    EXPECT_FALSE(list->item(0)->icon().isNull());
    EXPECT_EQ(window.Control(), nullptr);

    list->setCurrentRow(0);
    QPointer<QWidget> control = window.Control();
    ASSERT_TRUE(control);
    EXPECT_EQ(control->objectName(), QStringLiteral("fakeViewer"));
    EXPECT_TRUE(window.centralWidget()->isAncestorOf(control));
    EXPECT_TRUE(control->isVisible());
    ASSERT_TRUE(window.Navigator());
    EXPECT_EQ(window.Navigator()->objectName(), QStringLiteral("fakeNavigator"));
    EXPECT_TRUE(window.Navigator()->isVisible());
    EXPECT_EQ(Counters().loads, 1);

    // Taken away, the control is handed back to its module, not deleted.
    console_->ShowControl(nullptr);
    EXPECT_EQ(window.Control(), nullptr);
    ASSERT_TRUE(control);
    EXPECT_EQ(control->parentWidget(), nullptr);
    console_->ShowControl(control);
    EXPECT_EQ(window.Control(), control.data());

    window.SelectSnapin(-1);
    EXPECT_EQ(window.Control(), nullptr);
    EXPECT_EQ(window.Navigator(), nullptr);
    EXPECT_EQ(list->currentRow(), -1);
    EXPECT_TRUE(control);
    list->setCurrentRow(0);  // chosen again from the list
    EXPECT_EQ(window.Control(), control.data());
    EXPECT_EQ(Counters().loads, 2);
}

TEST_F(ConsoleTest, QueryModuleAnswersWithStandinsThenSnapinInterfaces) {
    Start({Plugin(FAKE_PLUGIN, QStringLiteral("libgood.so"))});
    auto security = As<ISecurity>(console_->QueryModule(iid::Security));
    ASSERT_TRUE(security);
    EXPECT_EQ(security, console_->Standins().Security());
    EXPECT_EQ(security, As<ISecurity>(console_->QueryModule(iid::Security)));  // one object
    EXPECT_TRUE(As<IDocuments>(console_->QueryModule(iid::Documents)));
    EXPECT_TRUE(As<IBank>(console_->QueryModule(iid::Bank)));
    EXPECT_TRUE(As<IProduction>(console_->QueryModule(iid::Production)));
    EXPECT_TRUE(As<IFixedAssets>(console_->QueryModule(iid::FixedAssets)));
    EXPECT_FALSE(As<IBank>(console_->QueryModule(iid::Documents)));

    EXPECT_TRUE(As<IFakeProbe>(console_->QueryModule(kFakeProbe)));
    EXPECT_TRUE(As<IOptionsTab>(console_->QueryModule(iid::OptionsTab)));
    EXPECT_TRUE(As<IViewer>(console_->QueryModule(iid::Viewer)));
    EXPECT_EQ(console_->QueryModule(iid::Financial), nullptr);
    EXPECT_EQ(console_->QueryModule(QUuid::createUuid()), nullptr);
}

TEST_F(ConsoleTest, WithoutPluginsOnlyTheStandinsAnswer) {
    TConsole& console = Start({});
    EXPECT_TRUE(console.Snapins().empty());
    EXPECT_TRUE(ui_.Shown().empty());
    EXPECT_TRUE(console.QueryModule(iid::Security));
    EXPECT_EQ(console.QueryModule(kFakeProbe), nullptr);
    TMainWindow& window = Window();
    EXPECT_EQ(window.SnapinList()->count(), 0);
    window.SelectSnapin(0);  // nothing to select; nothing breaks
    EXPECT_EQ(window.Control(), nullptr);
}

TEST_F(ConsoleTest, TheFactoryHandsOutTheSameSnapinEveryTime) {
    const QString file = Plugin(FAKE_PLUGIN, QStringLiteral("libgood.so"));
    Start({file});
    QLibrary library(file);
    ASSERT_TRUE(library.load()) << library.errorString().toStdString();
    auto entry = reinterpret_cast<TGetSnapinFactory>(library.resolve(kGetSnapinFactoryName));
    ASSERT_TRUE(entry);
    ISnapinFactory* factory = entry();
    EXPECT_EQ(factory, entry());
    {
        ISnapinPtr first = factory->CreateSnapin(console_);
        ISnapinPtr second = factory->CreateSnapin(console_);
        EXPECT_EQ(first, second);
        EXPECT_EQ(first, console_->Snapins().at(0));
    }
}

TEST_F(ConsoleTest, TeardownReleasesModuleObjectsBeforeTheirLibrariesGo) {
    const QString file = Plugin(FAKE_PLUGIN, QStringLiteral("libgood.so"));
    // Kept mapped after the console lets it go, as a library pinned by unique symbols is:
    // its statics then outlive the console, and the snap-in must not live on in them.
    QLibrary resident(file);
    ASSERT_TRUE(resident.load());
    Start({file});
    bool destroyed = false;
    Counters().destroyed = &destroyed;
    Window().SelectSnapin(0);
    QPointer<QWidget> control = window_->Control();
    QPointer<QWidget> navigator = window_->Navigator();
    ASSERT_TRUE(control && navigator);

    // The window gives the module's widgets back instead of deleting them with itself.
    window_.reset();
    EXPECT_TRUE(control);
    EXPECT_TRUE(navigator);
    EXPECT_EQ(control->parentWidget(), nullptr);
    EXPECT_FALSE(destroyed);

    console_->Shutdown();
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(control);  // went with the snap-in's viewer
    EXPECT_FALSE(navigator);
    EXPECT_TRUE(console_->Snapins().empty());
    EXPECT_EQ(console_->QueryModule(kFakeProbe), nullptr);
    EXPECT_TRUE(console_->QueryModule(iid::Security));
    console_->Shutdown();  // a second time is harmless
}

TEST_F(ConsoleTest, ShutdownWithTheWindowStillOpenTakesTheWidgetsOutFirst) {
    Start({Plugin(FAKE_PLUGIN, QStringLiteral("libgood.so"))});
    Window().SelectSnapin(0);
    QPointer<QWidget> control = window_->Control();
    console_->Shutdown();
    EXPECT_FALSE(control);
    EXPECT_EQ(window_->Control(), nullptr);
    EXPECT_EQ(window_->SnapinList()->count(), 0);
    window_.reset();  // holds nothing of the unloaded library
}

TEST_F(ConsoleTest, OptionsDialogStaysOpenUntilEveryPageAccepts) {
    // Two copies load as two packages, so the dialog has two pages.
    Start({Plugin(FAKE_PLUGIN, QStringLiteral("liba.so")),
           Plugin(FAKE_PLUGIN, QStringLiteral("libb.so"))});
    ASSERT_EQ(console_->Snapins().size(), 2u);
    TFakeCounters& first = Counters(0);
    TFakeCounters& second = Counters(1);
    ASSERT_NE(&first, &second);
    first.acceptValues = false;
    {
        TOptionsDialog dialog(console_->Snapins());
        ASSERT_EQ(dialog.PageCount(), 2);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Podešavanja"));
        EXPECT_EQ(dialog.Tabs()->tabText(0), kFakeSnapinName);
        EXPECT_EQ(first.framesMade, 1);
        QPushButton* ok = DialogButton(dialog, QDialogButtonBox::Ok);
        EXPECT_EQ(ok->text(), QStringLiteral("U redu"));
        dialog.Tabs()->setCurrentIndex(1);
        dialog.show();

        ok->click();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(first.checks, 1);
        EXPECT_EQ(second.checks, 1);  // every page is asked
        EXPECT_EQ(first.updates + second.updates, 0);
        EXPECT_EQ(dialog.Tabs()->currentIndex(), 0);  // the refusing page in front
        EXPECT_EQ(first.framesDestroyed, 0);

        first.acceptValues = true;
        ok->click();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(first.updates, 1);
        EXPECT_EQ(second.updates, 1);
        EXPECT_EQ(first.framesDestroyed, 1);
        EXPECT_EQ(second.framesDestroyed, 1);
    }
    {
        TOptionsDialog dialog(console_->Snapins());
        QPushButton* cancel = DialogButton(dialog, QDialogButtonBox::Cancel);
        EXPECT_EQ(cancel->text(), QStringLiteral("Otkaži"));
        dialog.show();
        cancel->click();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(first.updates, 1);  // nothing stored
        EXPECT_EQ(first.checks, 2);
        EXPECT_EQ(first.framesDestroyed, 2);  // frames go either way
        EXPECT_EQ(second.framesDestroyed, 2);
    }
}

TEST_F(ConsoleTest, MenusAndTheOptionsCommandWithoutPages) {
    Start({});
    TMainWindow& window = Window();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Finansije"));
    QStringList menus;
    QStringList actions;
    for (QAction* menu : window.menuBar()->actions()) {
        menus << menu->text();
        for (QAction* action : menu->menu()->actions())
            if (!action->isSeparator())
                actions << action->text();
    }
    EXPECT_EQ(menus, QStringList({"&Datoteka", "Pomo&ć"}));
    EXPECT_EQ(actions, QStringList({"&Podešavanja...", "&Izlaz", "&O programu"}));

    window.ShowOptions();
    ASSERT_EQ(ui_.Shown().size(), 1u);
    EXPECT_EQ(ui_.Shown()[0].type, TMessageType::Information);
    window.menuBar()->actions().at(1)->menu()->actions().at(0)->trigger();
    ASSERT_EQ(ui_.Shown().size(), 2u);
    EXPECT_TRUE(ui_.LastText().startsWith(QStringLiteral("Finansije")));
}

TEST_F(ConsoleTest, ConfiguredLibrariesJoinTheFolderOnce) {
    QTemporaryDir elsewhere;
    const QString away = QDir(elsewhere.path()).filePath(QStringLiteral("libaway.so"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(FAKE_PLUGIN), away));
    const QString here = Plugin(FAKE_PLUGIN, QStringLiteral("libhere.so"));
    QSettings(kSettingsOrganization, kSettingsApplication)
        .setValue(QStringLiteral("Moduli/Biblioteke"),
                  QStringList({away, QStringLiteral("libhere.so"), QStringLiteral("libnema.so")}));

    const QStringList files = TModuleLoader::PluginFiles(folder_.path());
    EXPECT_EQ(files, QStringList({here, away, QDir(folder_.path()).filePath("libnema.so")}));
    Start(files);
    EXPECT_EQ(console_->Snapins().size(), 2u);
    ASSERT_EQ(ui_.Shown().size(), 1u);
    EXPECT_TRUE(ui_.LastText().contains(QStringLiteral("libnema.so")));
}

TEST_F(ConsoleTest, PluginFolderFromOptionThenEnvironmentThenBesideTheProgram) {
    const QByteArray saved = qgetenv("FINANSIJE_PLUGIN_PATH");
    qputenv("FINANSIJE_PLUGIN_PATH", "/iz/okruzenja");
    EXPECT_EQ(TModuleLoader::PluginFolder(QStringLiteral("/iz/opcije")), "/iz/opcije");
    EXPECT_EQ(TModuleLoader::PluginFolder(), "/iz/okruzenja");
    qunsetenv("FINANSIJE_PLUGIN_PATH");
    EXPECT_EQ(
        QDir::cleanPath(TModuleLoader::PluginFolder()),
        QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../lib/finansije-plugins"));
    if (!saved.isNull())
        qputenv("FINANSIJE_PLUGIN_PATH", saved);
}

TEST_F(ConsoleTest, WindowRemembersItsGeometry) {
    Start({});
    {
        TMainWindow& window = Window();
        window.show();
        window.resize(640, 480);
        window.close();
    }
    window_.reset();
    TMainWindow& again = Window();
    EXPECT_EQ(again.size(), QSize(640, 480));
}

TEST(ConsoleOptions, ParsesTheCommandLine) {
    TConsoleOptions o = ParseOptions({"console", "--plugins", "/p", "--screenshot=/s.png"});
    EXPECT_EQ(o.plugins, "/p");
    EXPECT_EQ(o.screenshot, "/s.png");
    EXPECT_FALSE(o.help);
    EXPECT_TRUE(o.error.isEmpty());
    EXPECT_TRUE(ParseOptions({"console", "--help"}).help);
    EXPECT_FALSE(o.autoPost);
    EXPECT_TRUE(ParseOptions({"console", "--screenshot", "/s.png", "--auto"}).autoPost);
    EXPECT_TRUE(ParseOptions({"console", "--screenshot", "/s.png", "--new-chart"}).newChart);
    EXPECT_FALSE(o.balance);
    EXPECT_TRUE(ParseOptions({"console", "--screenshot", "/s.png", "--balance"}).balance);
    EXPECT_EQ(ParseOptions({"console", "--rules", "Osnovna sredstva:A"}).rules,
              "Osnovna sredstva:A");
    EXPECT_TRUE(ParseOptions({"console", "--screenshot", "/s.png", "--daybook"}).dayBook);
    EXPECT_EQ(ParseOptions({"console", "--print-more=3"}).printMore, "3");
    EXPECT_EQ(ParseOptions({"console", "--print-more"}).error,
              "Opcija --print-more traži vrednost.");
    EXPECT_EQ(ParseOptions({"console", "--plugins"}).error, "Opcija --plugins traži vrednost.");
    EXPECT_EQ(ParseOptions({"console", "--screenshot="}).error,
              "Opcija --screenshot traži vrednost.");
    EXPECT_EQ(ParseOptions({"console", "--pluginsx"}).error, "Nepoznata opcija: --pluginsx");
}

class ConsoleProgramTest : public ConsoleTest {
protected:
    int Run(const QStringList& arguments, QString* out = nullptr, QString* err = nullptr) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), QDir(folder_.path()).filePath("config"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(CONSOLE_EXECUTABLE), arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        if (out)
            *out = QString::fromUtf8(process.readAllStandardOutput());
        if (err)
            *err = QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
};

TEST_F(ConsoleProgramTest, ScreenshotShowsTheFirstSnapinAndExits) {
    QDir(folder_.path()).mkdir(QStringLiteral("plugins"));
    const QString plugins = QDir(folder_.path()).filePath(QStringLiteral("plugins"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(FAKE_PLUGIN), plugins + "/libgood.so"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(FAKE_NOENTRY_PLUGIN), plugins + "/libnoentry.so"));
    const QString png = QDir(folder_.path()).filePath(QStringLiteral("prozor.png"));
    QString err;
    ASSERT_EQ(Run({"--plugins", plugins, "--screenshot", png}, nullptr, &err), 0)
        << err.toStdString();
    const QImage image(png, "PNG");
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(image.width(), 300);
    EXPECT_GT(image.height(), 200);
    // Without a user to answer, the warning about the bad library goes to standard error.
    EXPECT_TRUE(err.contains(QStringLiteral("libnoentry.so"))) << err.toStdString();
}

TEST_F(ConsoleProgramTest, HelpAndWrongUsage) {
    QString out;
    QString err;
    EXPECT_EQ(Run({"--help"}, &out), 0);
    EXPECT_TRUE(out.startsWith(QStringLiteral("Upotreba: finansije-console"))) << out.toStdString();
    EXPECT_EQ(Run({"--nepoznato"}, nullptr, &err), 2);
    EXPECT_TRUE(err.contains(QStringLiteral("Nepoznata opcija: --nepoznato"))) << err.toStdString();
}

}  // namespace
}  // namespace fin::test
