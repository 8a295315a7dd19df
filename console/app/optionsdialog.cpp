#include "console/app/optionsdialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "host/common/error.h"
#include "host/ui/uiservice.h"

namespace fin {

TOptionsDialog::TOptionsDialog(const std::vector<ISnapinPtr>& snapins, QWidget* parent)
    : QDialog(parent), tabs_(new QTabWidget(this)) {
    setWindowTitle(QStringLiteral("Podešavanja"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("U redu"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Otkaži"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TOptionsDialog::Confirm);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons);

    for (const ISnapinPtr& snapin : snapins) {
        try {
            auto tab = As<IOptionsTab>(snapin->GetInterface(iid::OptionsTab));
            if (!tab)
                continue;
            TPage page{tab, tab->CreateFrame()};
            if (page.frame)
                tabs_->addTab(page.frame, tab->GetTabCaption());
            pages_.push_back(std::move(page));
        } catch (const TError& e) {
            Ui().ShowMessage(TMessageType::Error, e.Message());
        }
    }
}

TOptionsDialog::~TOptionsDialog() {
    DestroyFrames();
}

void TOptionsDialog::Confirm() {
    try {
        // Every page checks its values and says itself what is wrong; the first one that
        // refuses is brought to the front.
        int refused = -1;
        for (int i = 0; i < PageCount(); ++i)
            if (!pages_[i].tab->CheckValues() && refused < 0)
                refused = i;
        if (refused >= 0) {
            if (pages_[refused].frame)
                tabs_->setCurrentWidget(pages_[refused].frame);
            return;
        }
        for (TPage& page : pages_)
            page.tab->Update();
    } catch (const TError& e) {
        Ui().ShowMessage(TMessageType::Error, e.Message());
        return;
    }
    accept();
}

void TOptionsDialog::done(int result) {
    QDialog::done(result);
    DestroyFrames();
}

void TOptionsDialog::DestroyFrames() {
    // The frames belong to their pages: taken out of the tabs first, then handed back.
    for (TPage& page : pages_) {
        if (page.frame) {
            tabs_->removeTab(tabs_->indexOf(page.frame));
            page.frame->setParent(nullptr);
        }
        try {
            page.tab->DestroyFrame();
        } catch (const TError& e) {
            Ui().ShowMessage(TMessageType::Error, e.Message());
        }
    }
    pages_.clear();
}

}  // namespace fin
