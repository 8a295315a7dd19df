#pragma once

#include <QDate>
#include <QString>
#include <QVector>
#include <functional>
#include <vector>

#include "posting/postingrun.h"

namespace fin {

class TCustomContoAutomat;
class TFinancialDM;

// What one run did.
struct TAutoConterResult {
    bool refused = false;     // another workstation runs the same posting
    bool cancelled = false;   // the user stopped it between documents
    int found = 0;            // documents the selection held
    int posted = 0;           // vouchers made
    TPostingPreview preview;  // what a preview run would have made
};

// Automatic posting over every source document that waits for it, across the registered
// automats in date order (the larger kind first on the same day), with the running flags
// of section "AutoConter" that keep two users from the same posting.
class TAutoConter {
public:
    explicit TAutoConter(TFinancialDM& dm) : dm_(dm) {}

    void RegisterAutomat(TCustomContoAutomat* automat) { automats_.push_back(automat); }
    void UnregisterAutomat(TCustomContoAutomat* automat);
    const std::vector<TCustomContoAutomat*>& Automats() const { return automats_; }

    bool IsOver(int kind) const;
    TCustomContoAutomat* GetFirstAutomat(int kind) const;

    // One run: all modules (false, 0, "", 0), the first pending document (true, 0, "", 0),
    // one module (single as chosen, its kind, "", 0), one kind of document of a module
    // (single, kind, letter, 0) or one picked document (true, kind, "", id). Messages and
    // progress go through the UI service; an error ends the run after the flags are
    // cleared and passes on. Prepare, when set, adjusts the run before it starts (the
    // command line keeps no list; a preview writes nothing).
    TAutoConterResult Execute(bool single, int kind, const QString& entityType, qint64 entityID,
                              const std::function<void(TPostingRun&)>& prepare = {});

    // The documents a run would post, in its order, without posting any: module name,
    // id, date and caption of each.
    struct TWaiting {
        QString module;
        qint64 id = 0;
        QDate date;
        QString caption;
    };
    QVector<TWaiting> Waiting(int kind, const QString& entityType);

private:
    TFinancialDM& dm_;
    std::vector<TCustomContoAutomat*> automats_;
};

}  // namespace fin
