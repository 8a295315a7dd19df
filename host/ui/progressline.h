#pragma once

#include <QString>
#include <functional>

namespace fin {

// Progress of a long job as text: on a terminal one line rewritten in place, otherwise a
// plain line at every tenth of the way (a log is not flooded); a line break when it is done.
class TProgressLine {
public:
    using TWrite = std::function<void(const QString& text)>;
    TProgressLine(TWrite write, bool terminal, QString label)
        : write_(std::move(write)), terminal_(terminal), label_(std::move(label)) {}
    ~TProgressLine() { Finish(); }
    TProgressLine(const TProgressLine&) = delete;
    TProgressLine& operator=(const TProgressLine&) = delete;

    // "Nalozi: 250 od 300", with what is being done beside it on a terminal.
    void Step(qint64 done, qint64 total, const QString& current = {});
    void Finish();

private:
    TWrite write_;
    bool terminal_;
    QString label_;
    int lastTenth_ = 0;  // nothing is said before the first tenth
    bool open_ = false;  // a rewritten line waits for its line break
};

}  // namespace fin
