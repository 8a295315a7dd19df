#include "host/ui/progressline.h"

namespace fin {

void TProgressLine::Step(qint64 done, qint64 total, const QString& current) {
    QString text = label_ + QStringLiteral(": ") + QString::number(done);
    if (total > 0)
        text += QStringLiteral(" od ") + QString::number(total);
    if (terminal_) {
        if (!current.isEmpty())
            text += QStringLiteral(" (") + current + QLatin1Char(')');
        // Cleared to the end, so a shorter line leaves nothing of the last one.
        write_(QLatin1Char('\r') + text + QStringLiteral("\x1b[K"));
        open_ = true;
        return;
    }
    const int tenth = total > 0 ? static_cast<int>(done * 10 / total) : 10;
    if (tenth <= lastTenth_)
        return;
    lastTenth_ = tenth;
    write_(text + QLatin1Char('\n'));
}

void TProgressLine::Finish() {
    if (!open_)
        return;
    open_ = false;
    write_(QStringLiteral("\n"));
}

}  // namespace fin
