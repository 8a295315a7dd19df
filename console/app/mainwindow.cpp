#include "console/app/mainwindow.h"

#include <QCloseEvent>
#include <QDockWidget>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QSettings>
#include <QVBoxLayout>

#include "console/app/optionsdialog.h"
#include "host/common/error.h"
#include "host/ui/uiservice.h"

namespace fin {

namespace {

const QString kGeometryKey = QStringLiteral("Prozor/Geometrija");
const QString kStateKey = QStringLiteral("Prozor/Stanje");
// The panels can move but not close: the menu has no way to bring them back.
constexpr QDockWidget::DockWidgetFeatures kPanelFeatures =
    QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable;

QVBoxLayout* PanelLayout(QWidget* panel) {
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    return layout;
}

// Module code runs inside Qt's event handlers, where an exception must not pass.
template <typename F>
void Guarded(F&& action) {
    try {
        action();
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
    } catch (const std::exception& e) {
        Ui().ShowMessage(TMessageType::Error, QString::fromLocal8Bit(e.what()));
    }
}

// Takes the widget out of the panel without deleting it: it belongs to its module.
void Unplace(QVBoxLayout* layout, QWidget* widget) {
    layout->removeWidget(widget);
    widget->hide();
    widget->setParent(nullptr);
}

}  // namespace

TMainWindow::TMainWindow(std::shared_ptr<TConsole> console, QWidget* parent)
    : QMainWindow(parent), console_(std::move(console)) {
    setWindowTitle(QStringLiteral("Finansije"));
    resize(1100, 720);

    auto* central = new QWidget(this);
    centralLayout_ = PanelLayout(central);
    placeholder_ = new QLabel(QStringLiteral("Izaberite modul sa spiska levo."), central);
    placeholder_->setAlignment(Qt::AlignCenter);
    centralLayout_->addWidget(placeholder_);
    setCentralWidget(central);

    auto* modules = new QDockWidget(QStringLiteral("Moduli"), this);
    modules->setObjectName(QStringLiteral("moduli"));
    modules->setFeatures(kPanelFeatures);
    list_ = new QListWidget(modules);
    list_->setIconSize(QSize(32, 32));
    modules->setWidget(list_);
    addDockWidget(Qt::LeftDockWidgetArea, modules);

    auto* search = new QDockWidget(QStringLiteral("Pretraga"), this);
    search->setObjectName(QStringLiteral("pretraga"));
    search->setFeatures(kPanelFeatures);
    auto* navigatorPanel = new QWidget(search);
    navigatorLayout_ = PanelLayout(navigatorPanel);
    search->setWidget(navigatorPanel);
    addDockWidget(Qt::LeftDockWidgetArea, search);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&Datoteka"));
    file->addAction(QStringLiteral("&Podešavanja..."), this, &TMainWindow::ShowOptions);
    file->addSeparator();
    file->addAction(QStringLiteral("&Izlaz"), this, &QWidget::close);
    QMenu* help = menuBar()->addMenu(QStringLiteral("Pomo&ć"));
    help->addAction(QStringLiteral("&O programu"), this, [] {
        Ui().ShowMessage(
            TMessageType::Information,
            QStringLiteral("Finansije\nGlavna knjiga, verzija %1").arg(QStringLiteral("0.1")));
    });

    FillSnapinList();
    connect(list_, &QListWidget::currentRowChanged, this, &TMainWindow::SelectSnapin);
    console_->SetView(this);

    QSettings settings(kSettingsOrganization, kSettingsApplication);
    restoreGeometry(settings.value(kGeometryKey).toByteArray());
    restoreState(settings.value(kStateKey).toByteArray());
}

TMainWindow::~TMainWindow() {
    ReleaseModuleWidgets();
    console_->SetView(nullptr);
}

void TMainWindow::FillSnapinList() {
    for (const ISnapinPtr& snapin : console_->Snapins()) {
        auto* item = new QListWidgetItem(snapin->GetName(), list_);
        const QImage image = snapin->GetImage();
        if (!image.isNull())
            item->setIcon(QIcon(QPixmap::fromImage(image)));
        item->setToolTip(snapin->GetDescription());
    }
    if (list_->count() == 0)
        placeholder_->setText(QStringLiteral("Nema učitanih modula."));
}

void TMainWindow::SelectSnapin(int row) {
    if (row == current_)
        return;
    HideSnapin(current_);
    const std::vector<ISnapinPtr> snapins = console_->Snapins();
    current_ = row >= 0 && row < static_cast<int>(snapins.size()) ? row : -1;
    {
        const QSignalBlocker blocker(list_);
        list_->setCurrentRow(current_);
    }
    if (current_ < 0)
        return;
    const ISnapinPtr& snapin = snapins[current_];
    Guarded([&] {
        if (auto viewer = As<IViewer>(snapin->GetInterface(iid::Viewer))) {
            viewer->Load(snapin);
            viewer->Show();
        }
        if (auto navigator = As<INavigable>(snapin->GetInterface(iid::Navigable)))
            PlaceNavigator(navigator->ShowNavigator());
    });
}

void TMainWindow::HideSnapin(int row) {
    const std::vector<ISnapinPtr> snapins = console_->Snapins();
    if (row >= 0 && row < static_cast<int>(snapins.size())) {
        Guarded([&] {
            if (auto navigator = As<INavigable>(snapins[row]->GetInterface(iid::Navigable)))
                navigator->HideNavigator();
            if (auto viewer = As<IViewer>(snapins[row]->GetInterface(iid::Viewer)))
                viewer->Hide();
        });
    }
    PlaceNavigator(nullptr);
    PlaceControl(nullptr);
}

void TMainWindow::PlaceControl(QWidget* control) {
    if (control == control_)
        return;
    if (control_)
        Unplace(centralLayout_, control_);
    control_ = control;
    placeholder_->setVisible(!control);
    if (control) {
        centralLayout_->addWidget(control);
        control->show();
    }
}

void TMainWindow::PlaceNavigator(QWidget* navigator) {
    if (navigator == navigator_)
        return;
    if (navigator_)
        Unplace(navigatorLayout_, navigator_);
    navigator_ = navigator;
    if (navigator) {
        navigatorLayout_->addWidget(navigator);
        navigator->show();
    }
}

void TMainWindow::ReleaseModuleWidgets() {
    HideSnapin(current_);
    current_ = -1;
    const QSignalBlocker blocker(list_);
    list_->clear();
}

void TMainWindow::ShowOptions() {
    TOptionsDialog dialog(console_->Snapins(), this);
    if (dialog.PageCount() == 0) {
        Ui().ShowMessage(TMessageType::Information,
                         QStringLiteral("Nijedan učitani modul nema podešavanja."));
        return;
    }
    dialog.exec();
}

void TMainWindow::closeEvent(QCloseEvent* event) {
    QSettings settings(kSettingsOrganization, kSettingsApplication);
    settings.setValue(kGeometryKey, saveGeometry());
    settings.setValue(kStateKey, saveState());
    QMainWindow::closeEvent(event);
}

}  // namespace fin
