#pragma once

#include <QDialog>
#include <QPointer>
#include <memory>
#include <vector>

#include "host/console/interfaces.h"

class QTabWidget;

namespace fin {

// "Podešavanja": one tab per snap-in that has an options page. "U redu" stores the pages
// only when every page accepts its values; the pages' frames go when the dialog closes,
// whichever way it closes.
class TOptionsDialog : public QDialog {
public:
    explicit TOptionsDialog(const std::vector<ISnapinPtr>& snapins, QWidget* parent = nullptr);
    ~TOptionsDialog() override;

    int PageCount() const { return static_cast<int>(pages_.size()); }
    QTabWidget* Tabs() const { return tabs_; }
    void done(int result) override;

private:
    struct TPage {
        std::shared_ptr<IOptionsTab> tab;
        QPointer<QWidget> frame;
    };
    void Confirm();
    void DestroyFrames();

    QTabWidget* tabs_;
    std::vector<TPage> pages_;
};

}  // namespace fin
