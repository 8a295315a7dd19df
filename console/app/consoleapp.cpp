#include "console/app/consoleapp.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <cstdio>
#include <functional>

#include "console/app/mainwindow.h"
#include "host/forms/customforms.h"
#include "host/ui/uiservice.h"

namespace fin {

TConsoleOptions ParseOptions(const QStringList& arguments) {
    TConsoleOptions options;
    for (int i = 1; i < arguments.size() && options.error.isEmpty(); ++i) {
        const QString& argument = arguments[i];
        auto value = [&](const QString& name, QString& target) {
            if (argument.startsWith(name + QLatin1Char('='))) {
                target = argument.mid(name.size() + 1);
            } else if (i + 1 < arguments.size()) {
                target = arguments[++i];
            }
            if (target.isEmpty())
                options.error = QStringLiteral("Opcija %1 traži vrednost.").arg(name);
        };
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
            options.help = true;
        else if (argument.section(QLatin1Char('='), 0, 0) == QLatin1String("--plugins"))
            value(QStringLiteral("--plugins"), options.plugins);
        else if (argument.section(QLatin1Char('='), 0, 0) == QLatin1String("--screenshot"))
            value(QStringLiteral("--screenshot"), options.screenshot);
        else if (argument == QLatin1String("--find") && i + 1 < arguments.size())
            options.finds << arguments[++i];
        else if (argument.section(QLatin1Char('='), 0, 0) == QLatin1String("--voucher"))
            value(QStringLiteral("--voucher"), options.voucher);
        else if (argument.section(QLatin1Char('='), 0, 0) == QLatin1String("--rules"))
            value(QStringLiteral("--rules"), options.rules);
        else if (argument == QLatin1String("--auto"))
            options.autoPost = true;
        else if (argument == QLatin1String("--new-chart"))
            options.newChart = true;
        else if (argument.section(QLatin1Char('='), 0, 0) == QLatin1String("--balance")) {
            options.balance = true;
            options.balanceTab = argument.section(QLatin1Char('='), 1);
        } else if (argument == QLatin1String("--daybook"))
            options.dayBook = true;
        else if (argument.section(QLatin1Char('='), 0, 0) == QLatin1String("--print-more"))
            value(QStringLiteral("--print-more"), options.printMore);
        else
            options.error = QStringLiteral("Nepoznata opcija: %1").arg(argument);
    }
    return options;
}

QString UsageText() {
    return QStringLiteral(
        "Upotreba: finansije-console [opcije]\n"
        "\n"
        "  --plugins FASCIKLA   moduli se učitavaju iz ove fascikle (inače iz\n"
        "                       FINANSIJE_PLUGIN_PATH ili ../lib/finansije-plugins)\n"
        "  --screenshot DATOTEKA  prikazuje prvi modul, čuva snimak prozora (PNG) i izlazi\n"
        "  --find KLJUČ=VREDNOST  uz --screenshot: pretraga spiska pre snimka (npr.\n"
        "                       number=00001, status=Proknjižen); može više puta\n"
        "  --voucher ID         uz --screenshot: snimak editora naloga sa tim id\n"
        "  --auto               uz --screenshot: pre snimka auto kontiranje svih\n"
        "                       dokumenata koji čekaju (nalozi se vide u spisku)\n"
        "  --rules MODUL:TIP    uz --screenshot: snimak opcija kontiranja sa pravilima\n"
        "                       modula i vrste dokumenta (npr. Dokument:R)\n"
        "  --new-chart          uz --screenshot: snimak prelaska na novi kontni plan (traži\n"
        "                       opciju TransitionToNewChartOfAccounts)\n"
        "  --balance[=KARTICA]  uz --screenshot: snimak ekrana Bilansi posle \"Prikaži\",\n"
        "                       na kartici po imenu (npr. BalanceSheet, IncomeStatement,\n"
        "                       CashFlow, StatisticalAnnex, OldBalanceSheet)\n"
        "  --daybook            uz --screenshot: snimak dnevnika glavne knjige za godinu\n"
        "  --print-more TIP     uz --screenshot: snimak štampe više naloga, sa nalozima\n"
        "                       tipa (id) za finansijsku godinu\n"
        "  --help               ovo uputstvo\n");
}

bool SaveScreenshot(TMainWindow& window, const TConsoleOptions& options,
                    const IConsolePtr& console) {
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.show();
    if (window.SnapinList()->count() > 0)
        window.SelectSnapin(0);
    QApplication::processEvents();  // lets the layouts settle before the picture
    if (options.autoPost) {
        // The list's own "Auto": the vouchers it makes join the list; a search after it
        // shows them among the others.
        auto* viewer = window.findChild<TCustomViewerForm*>();
        QAction* command = viewer ? viewer->Command(QStringLiteral("AutoConting")) : nullptr;
        if (!command)
            return false;
        command->trigger();
        QApplication::processEvents();
    }
    if (!options.finds.isEmpty()) {
        if (auto* navigator = window.findChild<TCustomNavigatorForm*>()) {
            for (const QString& find : options.finds)
                navigator->SetSearchValue(find.section(QLatin1Char('='), 0, 0),
                                          find.section(QLatin1Char('='), 1));
            navigator->FindButton->click();
            QApplication::processEvents();
        }
    }
    // A modal form is pictured as soon as it shows, after prepare, then closed.
    auto pictureModal = [&](const std::function<void(QDialog&)>& prepare,
                            const std::function<void()>& open) {
        bool saved = false;
        SetModalRunner([&](QDialog& dialog) {
            dialog.setAttribute(Qt::WA_DontShowOnScreen);
            dialog.show();
            if (prepare)
                prepare(dialog);
            QApplication::processEvents();
            saved = dialog.grab().save(options.screenshot, "PNG");
            dialog.done(QDialog::Rejected);
            return 0;
        });
        open();
        SetModalRunner(nullptr);
        return saved;
    };
    if (!options.voucher.isEmpty()) {
        auto financial = As<IFinancial>(console->QueryModule(iid::Financial));
        if (!financial)
            return false;
        return pictureModal({}, [&] { financial->OpenPrecept(options.voucher.toInt()); });
    }
    if (options.balance) {
        // The list's "Bilansi" (Ctrl+B), filled for the financial year up to today.
        auto* viewer = window.findChild<TCustomViewerForm*>();
        QAction* command =
            viewer ? viewer->Command(QStringLiteral("FinancialBalanceAction")) : nullptr;
        if (!command)
            return false;
        bool shown = false;
        const bool saved = pictureModal(
            [&](QDialog& dialog) {
                if (auto* show = dialog.findChild<QPushButton*>(QStringLiteral("ShowButton"))) {
                    show->click();
                    shown = true;
                }
                if (options.balanceTab.isEmpty())
                    return;
                auto* tabs = dialog.findChild<QTabWidget*>(QStringLiteral("PageControl"));
                auto* page = dialog.findChild<QWidget*>(options.balanceTab + QStringLiteral("TS"));
                if (tabs && page && tabs->indexOf(page) >= 0 &&
                    tabs->isTabVisible(tabs->indexOf(page)))
                    tabs->setCurrentWidget(page);
                else
                    shown = false;
            },
            [&] { command->trigger(); });
        return saved && shown;
    }
    if (!options.rules.isEmpty()) {
        // "Osnovna sredstva:A": the module name may hold blanks, the kind is after the last
        // colon. The form is reached by its command and its invokable ShowRules.
        const int colon = static_cast<int>(options.rules.lastIndexOf(QLatin1Char(':')));
        const QString module = options.rules.left(colon), type = options.rules.mid(colon + 1);
        auto* viewer = window.findChild<TCustomViewerForm*>();
        QAction* command = viewer ? viewer->Command(QStringLiteral("ContingOptions")) : nullptr;
        if (colon <= 0 || type.isEmpty() || !command)
            return false;
        bool shown = false;
        const bool saved = pictureModal(
            [&](QDialog& dialog) {
                QMetaObject::invokeMethod(&dialog, "ShowRules", Q_RETURN_ARG(bool, shown),
                                          Q_ARG(QString, module), Q_ARG(QString, type));
            },
            [&] { command->trigger(); });
        return saved && shown;
    }
    // The list's own commands open the day book and the group print; the list of the group
    // print is filled by its invokable ShowYear.
    auto* viewer = window.findChild<TCustomViewerForm*>();
    if (options.dayBook) {
        QAction* command = viewer ? viewer->Command(QStringLiteral("FinancialLogAction")) : nullptr;
        return command && pictureModal({}, [&] { command->trigger(); });
    }
    if (!options.printMore.isEmpty()) {
        QAction* command = viewer ? viewer->Command(QStringLiteral("PrintMore")) : nullptr;
        if (!command)
            return false;
        bool shown = false;
        const bool saved = pictureModal(
            [&](QDialog& dialog) {
                QMetaObject::invokeMethod(&dialog, "ShowYear", Q_RETURN_ARG(bool, shown),
                                          Q_ARG(qint64, options.printMore.toLongLong()));
            },
            [&] { command->trigger(); });
        return saved && shown;
    }
    if (options.newChart) {
        QAction* command =
            viewer ? viewer->Command(QStringLiteral("FinancialAccountingNew")) : nullptr;
        if (!command || !command->isEnabled()) {
            Ui().ShowMessage(TMessageType::Error,
                             QStringLiteral("Komanda \"Novi kontni plan\" nije uključena: "
                                            "finansije options TransitionToNewChartOfAccounts 1"));
            return false;
        }
        return pictureModal({}, [&] { command->trigger(); });
    }
    return window.grab().save(options.screenshot, "PNG");
}

int RunConsole(const TConsoleOptions& options) {
    if (options.help) {
        std::fputs(UsageText().toUtf8().constData(), stdout);
        return 0;
    }
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "%s\n\n%s", options.error.toUtf8().constData(),
                     UsageText().toUtf8().constData());
        return 2;
    }
    auto console = TConsole::Create();
    console->LoadModules(TModuleLoader::PluginFiles(TModuleLoader::PluginFolder(options.plugins)));
    int result = 0;
    {
        TMainWindow window(console);
        if (options.screenshot.isEmpty()) {
            window.show();
            result = QApplication::exec();
        } else if (!SaveScreenshot(window, options, console)) {
            Ui().ShowMessage(
                TMessageType::Error,
                QStringLiteral("Snimak prozora nije sačuvan u \"%1\".").arg(options.screenshot));
            result = 1;
        }
    }
    // The window has handed back the modules' widgets; now the modules can go.
    console->Shutdown();
    return result;
}

}  // namespace fin
