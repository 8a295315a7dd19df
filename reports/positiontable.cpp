#include "reports/positiontable.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cstdlib>

namespace fin {

namespace {

constexpr int kFormCount = 6;

const char* ResourceOf(TStatementForm form) {
    switch (form) {
        case TStatementForm::BalanceSheet:
            return ":/positions/balancesheet.tsv";
        case TStatementForm::IncomeStatement:
            return ":/positions/incomestatement.tsv";
        case TStatementForm::CashFlow:
            return ":/positions/cashflow.tsv";
        case TStatementForm::StatisticalAnnex:
            return ":/positions/statisticalannex.tsv";
        case TStatementForm::OldBalanceSheet:
            return ":/positions/oldbalancesheet.tsv";
        case TStatementForm::OldIncomeStatement:
            return ":/positions/oldincomestatement.tsv";
    }
    return "";
}

// The files are part of the program: one that is missing or malformed is a build fault, and a
// statement silently printed without its rows would be worse than stopping.
[[noreturn]] void BrokenTable(const QString& resource, const QString& why) {
    qFatal("Tabela pozicija %s je neispravna: %s", qPrintable(resource), qPrintable(why));
    std::abort();
}

QVector<TPosition> Load(TStatementForm form) {
    const QString resource = QString::fromLatin1(ResourceOf(form));
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        BrokenTable(resource, file.errorString());
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (lines.isEmpty())
        BrokenTable(resource, QStringLiteral("nema zaglavlja"));

    // Columns are found by name, so a form carries only the columns it prints.
    QHash<QString, int> column;
    const QStringList header = lines.takeFirst().split(QLatin1Char('\t'));
    for (int i = 0; i < header.size(); ++i)
        column.insert(header[i], i);
    if (!column.contains(QStringLiteral("Index")))
        BrokenTable(resource, QStringLiteral("nema kolone Index"));

    QVector<TPosition> positions;
    positions.reserve(lines.size());
    for (int n = 0; n < lines.size(); ++n) {
        const QStringList cells = lines[n].split(QLatin1Char('\t'));
        if (cells.size() != header.size())
            BrokenTable(resource, QStringLiteral("red %1 ima %2 kolona umesto %3")
                                      .arg(n + 2)
                                      .arg(cells.size())
                                      .arg(header.size()));
        auto cell = [&](const char* name) {
            const int at = column.value(QString::fromLatin1(name), -1);
            return at < 0 ? QString() : cells[at];
        };
        TPosition p;
        bool ok = false;
        p.index = cell("Index").toInt(&ok);
        if (!ok)
            BrokenTable(resource, QStringLiteral("red %1 nema broj pozicije").arg(n + 2));
        p.group = cell("Group");
        p.accountGroup = cell("AccountGroup");
        p.description = cell("Description");
        p.captionAccountGroup = cell("CaptionAccountGroup");
        p.captionValue = cell("CaptionValue");
        p.captionPrevValue = cell("CaptionPrevValue");
        p.captionGrossValue = cell("CaptionGrossValue");
        p.captionCorrectionValue = cell("CaptionCorrectionValue");
        p.captionNetValue = cell("CaptionNetValue");
        positions.push_back(p);
    }
    return positions;
}

// Fills every form once; a function-local static keeps the first use thread-safe.
const std::array<QVector<TPosition>, kFormCount>& AllForms() {
    static const std::array<QVector<TPosition>, kFormCount> forms = [] {
        std::array<QVector<TPosition>, kFormCount> all;
        for (int f = 0; f < kFormCount; ++f)
            all[f] = Load(static_cast<TStatementForm>(f));
        return all;
    }();
    return forms;
}

}  // namespace

const QVector<TPosition>& Positions(TStatementForm form) {
    return AllForms()[static_cast<int>(form)];
}

const TPosition* FindPosition(TStatementForm form, int index) {
    const QVector<TPosition>& positions = Positions(form);
    const auto it = std::find_if(positions.begin(), positions.end(),
                                 [index](const TPosition& p) { return p.index == index; });
    return it == positions.end() ? nullptr : &*it;
}

QVector<QPair<int, int>> PositionFormula(const QString& description) {
    // A term is a position number of three or four digits, or a range "first do last".
    static const QRegularExpression group(QStringLiteral("\\(([^()]*)\\)"));
    static const QRegularExpression term(
        QStringLiteral("\\s*([+-])?\\s*(\\d{3,4})(?:\\s+do\\s+(\\d{3,4}))?\\s*"));
    for (auto groups = group.globalMatch(description); groups.hasNext();) {
        const QString text = groups.next().captured(1);
        QVector<QPair<int, int>> terms;
        int at = 0;
        bool formula = !text.trimmed().isEmpty();
        while (formula && at < text.size()) {
            const auto m = term.match(text, at, QRegularExpression::NormalMatch,
                                      QRegularExpression::AnchorAtOffsetMatchOption);
            // Only the first term may go without a sign.
            if (!m.hasMatch() || (m.captured(1).isEmpty() && !terms.isEmpty())) {
                formula = false;
                break;
            }
            const int sign = m.captured(1) == QLatin1String("-") ? -1 : 1;
            const int first = m.captured(2).toInt();
            const int last = m.captured(3).isEmpty() ? first : m.captured(3).toInt();
            if (last < first) {
                formula = false;
                break;
            }
            for (int p = first; p <= last; ++p)
                terms.append({p, sign});
            at = m.capturedEnd();
        }
        if (formula)
            return terms;
    }
    return {};
}

}  // namespace fin
