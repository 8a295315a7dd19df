#include "posting/autoconter.h"

#include <algorithm>

#include "host/data/dbinifile.h"
#include "host/ui/uiservice.h"
#include "ledger/financialdm.h"
#include "posting/customconter.h"
#include "posting/postingcaptions.h"
#include "posting/postingrun.h"

namespace fin {

namespace {

const QString kSection = QStringLiteral("AutoConter");

bool Selected(const TCustomContoAutomat* automat, int kind) {
    return kind == 0 || automat->Kind() == kind;
}

}  // namespace

void TAutoConter::UnregisterAutomat(TCustomContoAutomat* automat) {
    automats_.erase(std::remove(automats_.begin(), automats_.end(), automat), automats_.end());
}

bool TAutoConter::IsOver(int kind) const {
    return std::all_of(automats_.begin(), automats_.end(), [&](const TCustomContoAutomat* a) {
        return !Selected(a, kind) || a->IsEnd();
    });
}

TCustomContoAutomat* TAutoConter::GetFirstAutomat(int kind) const {
    TCustomContoAutomat* first = nullptr;
    for (TCustomContoAutomat* a : automats_) {
        if (!Selected(a, kind) || a->IsEnd())
            continue;
        if (kind != 0)
            return a;
        if (!first) {
            first = a;
            continue;
        }
        // By calendar day only; on the same day the larger kind goes first.
        const QDate mine = a->GetDate(), theirs = first->GetDate();
        if (mine < theirs || (mine == theirs && a->Kind() > first->Kind()))
            first = a;
    }
    return first;
}

TAutoConterResult TAutoConter::Execute(bool single, int kind, const QString& entityType,
                                       qint64 entityID,
                                       const std::function<void(TPostingRun&)>& prepare) {
    TAutoConterResult result;
    TPostingRun run(dm_);
    if (prepare)
        prepare(run);
    // A preview writes nothing, the running flags included.
    const bool flags = !run.PreviewOnly;
    TDBIniFile ini(&dm_.Require());
    const QString kindKey = QString::number(kind);
    auto flag = [&](const QString& key) { return ini.ReadBool(kSection, key, false); };
    if (flags) {
        const bool anyModule = flag(QStringLiteral("100")) || flag(QStringLiteral("75")) ||
                               flag(QStringLiteral("50")) || flag(QStringLiteral("10"));
        if (flag(QStringLiteral("0")) || (flag(kindKey) && (flag(QString()) || flag(entityType))) ||
            ((kind == 0 || (entityType.isEmpty() && entityID == 0)) && anyModule)) {
            Ui().ShowMessage(TMessageType::Warning, res::AUTO_CONTER_WRN);
            result.refused = true;
            return result;
        }
    }

    const TBusyCursor busy;
    bool flagsSet = false;
    auto clearFlags = [&] {
        if (!flagsSet)
            return;
        flagsSet = false;
        ini.WriteBool(kSection, kindKey, false);
        ini.WriteBool(kSection, entityType, false);
    };
    auto detach = [&] {
        for (TCustomContoAutomat* a : automats_)
            a->Run = nullptr;
    };
    try {
        for (TCustomContoAutomat* a : automats_) {
            a->Run = &run;
            a->OpenItems(dm_.AutoToDate, single, entityType, entityID);
            if (Selected(a, kind))
                result.found += a->Pending();
        }
        TProgress progress(res::AUTO_CONTER_CAPT, single ? 0 : result.found);
        int done = 0;
        while (!IsOver(kind)) {
            // Set once for the whole run, before its first document: a write per document
            // would cost a commit each and say nothing more.
            if (flags && !flagsSet) {
                ini.WriteBool(kSection, kindKey, true);
                ini.WriteBool(kSection, entityType, true);
                flagsSet = true;
            }
            TCustomContoAutomat* next = GetFirstAutomat(kind);
            if (!next)
                break;
            const QString caption = next->CurrentCaption();
            next->CreatePrecept();
            ++done;
            if (single)
                break;
            if (!progress.Step(done, caption)) {
                result.cancelled = true;
                break;
            }
        }
        for (TCustomContoAutomat* a : automats_)
            a->CloseItems();
    } catch (...) {
        detach();
        try {
            clearFlags();
        } catch (...) {
            // the error that ended the run is the one to report
        }
        throw;
    }
    detach();
    clearFlags();
    result.posted = run.PostedCount();
    if (run.PreviewOnly)
        result.preview = std::move(run.Preview);
    return result;
}

}  // namespace fin

namespace fin {

QVector<TAutoConter::TWaiting> TAutoConter::Waiting(int kind, const QString& entityType) {
    TPostingRun run(dm_);
    run.PreviewOnly = true;
    QVector<TWaiting> waiting;
    for (TCustomContoAutomat* a : automats_) {
        a->Run = &run;
        a->OpenItems(dm_.AutoToDate, false, entityType, 0);
    }
    while (TCustomContoAutomat* next = GetFirstAutomat(kind)) {
        waiting.append(
            {next->ModuleName(), next->CurrentID(), next->GetDate(), next->CurrentCaption()});
        next->Skip();
    }
    for (TCustomContoAutomat* a : automats_) {
        a->CloseItems();
        a->Run = nullptr;
    }
    return waiting;
}

}  // namespace fin
