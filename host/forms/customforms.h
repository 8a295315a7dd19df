#pragma once

#include <QDialog>
#include <QIcon>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QToolBar>
#include <QWidget>
#include <functional>

namespace fin {

class TDataSetModel;

// A click on a column title orders the grid's dataset by that column.
class TGridSorter {
public:
    static void AddGrid(QTableView* grid);
};

// Base of a snap-in's main panel: a toolbar over a grid of the module's list, the grid's
// context menu and a command that shows or hides columns.
class TCustomViewerForm : public QWidget {
    Q_OBJECT
public:
    explicit TCustomViewerForm(QWidget* parent = nullptr);

    QToolBar* ActionTB;
    QWidget* CenterPanel;
    QTableView* DBG;
    QAction* ColumnsVisibility;

    // Adds a command to the panel, and to the toolbar and context menu when visible there.
    QAction* AddCommand(const QString& name, const QString& caption, const QKeySequence& shortcut,
                        bool onToolbar = true, bool inContextMenu = false);
    QAction* Command(const QString& name) const;

private:
    void ChooseColumns();
};

// Base of a snap-in's search panel: one row per search field (name and value) and a find
// button.
class TCustomNavigatorForm : public QWidget {
    Q_OBJECT
public:
    explicit TCustomNavigatorForm(QWidget* parent = nullptr);

    QTableWidget* SearchVLE;
    QPushButton* FindButton;

    void AddSearchField(const QString& key, const QString& caption);
    QString SearchValue(const QString& key) const;
    void SetSearchValue(const QString& key, const QString& value);

protected:
    virtual void Find() {}

private:
    int RowOf(const QString& key) const;
};

// The "..." of an edit box's trailing button, drawn in the box's text colour.
QIcon EllipsisIcon(const QWidget& box);

// Every modal form of the module is shown through here, so that a test can drive the
// form instead of waiting on it. Returns the dialog's result.
int ShowModal(QDialog& dialog);
void SetModalRunner(std::function<int(QDialog&)> runner);  // null restores exec()

// Base of a module's record editor dialogs.
class TCustomDetailForm : public QDialog {
    Q_OBJECT
public:
    explicit TCustomDetailForm(QWidget* parent = nullptr);

protected:
    // For an event filter on the grid's viewport: the wheel steps one row at a time, as the
    // arrow keys do. True when the event was the grid's wheel.
    static bool WheelStepsRows(QAbstractItemView* grid, QObject* watched, QEvent* event);
    // Centred on its screen; for showEvent.
    void CenterOnScreen();
};

}  // namespace fin
