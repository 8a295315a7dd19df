#pragma once

#include <QPointer>
#include <QProgressDialog>

#include "host/ui/uiservice.h"

namespace fin {

// The UI service of the windowed console: message boxes, dialogs, the busy cursor and a
// progress window, all parented to the active window.
class TQtUiService : public IUiService {
public:
    ~TQtUiService() override;

    void ShowMessage(TMessageType type, const QString& text) override;
    TAnswer Ask(const QString& text, TButtons buttons = TButtons::YesNo,
                TMessageType type = TMessageType::Confirmation) override;
    bool GetDate(QDate& date, const QString& caption = {}) override;
    bool InputText(const QString& caption, const QString& prompt, QString& value) override;
    bool SaveFileName(const QString& caption, const QString& filter, QString& path) override;
    bool PickFromList(const QString& caption, const QStringList& items, int& index,
                      const QString& prompt = {}) override;

    void SetBusy(bool busy) override;
    void ProgressStart(const QString& caption, int total) override;
    bool ProgressStep(int position, const QString& text = {}) override;
    void ProgressFinish() override;

private:
    int busyDepth_ = 0;
    QPointer<QProgressDialog> progress_;
};

}  // namespace fin
