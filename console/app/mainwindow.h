#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>

#include "console/app/console.h"

class QLabel;
class QListWidget;
class QVBoxLayout;

namespace fin {

// The console's window: the loaded snap-ins on the left, the chosen one's viewer in the
// middle and its navigator below the list. Module widgets are only borrowed: when taken
// away they get no parent again, so nothing of ours deletes a module's widget.
class TMainWindow : public QMainWindow, public IConsoleView {
public:
    explicit TMainWindow(std::shared_ptr<TConsole> console, QWidget* parent = nullptr);
    ~TMainWindow() override;

    void PlaceControl(QWidget* control) override;
    void ReleaseModuleWidgets() override;

    void SelectSnapin(int row);  // -1 selects none
    void ShowOptions();
    QListWidget* SnapinList() const { return list_; }
    QWidget* Control() const { return control_; }
    QWidget* Navigator() const { return navigator_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FillSnapinList();
    void HideSnapin(int row);
    void PlaceNavigator(QWidget* navigator);

    std::shared_ptr<TConsole> console_;
    QListWidget* list_;
    QVBoxLayout* centralLayout_;
    QVBoxLayout* navigatorLayout_;
    QLabel* placeholder_;
    QPointer<QWidget> control_;
    QPointer<QWidget> navigator_;
    int current_ = -1;
};

}  // namespace fin
