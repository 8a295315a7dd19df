#include "host/common/textformat.h"

#include <QRegularExpression>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace fin {

std::string DecimalText(double value, int decimals) {
    if (!std::isfinite(value))
        return value != value ? "nan" : (value > 0 ? "inf" : "-inf");
    decimals = std::max(decimals, 0);
    char buf[512];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    std::string s(buf, res.ptr);
    bool negative = false;
    if (!s.empty() && s[0] == '-') {
        negative = true;
        s.erase(0, 1);
    }
    const size_t dot = s.find('.');
    std::string intPart = dot == std::string::npos ? s : s.substr(0, dot);
    std::string frac = dot == std::string::npos ? std::string() : s.substr(dot + 1);
    bool up = false;
    if (static_cast<int>(frac.size()) > decimals) {
        up = frac[decimals] >= '5';
        frac.resize(decimals);
    }
    frac.append(decimals - frac.size(), '0');
    std::string digits = intPart + frac;
    if (up) {
        int i = static_cast<int>(digits.size()) - 1;
        while (i >= 0 && digits[i] == '9')
            digits[i--] = '0';
        if (i < 0)
            digits.insert(digits.begin(), '1');
        else
            ++digits[i];
    }
    std::string out = digits.substr(0, digits.size() - decimals);
    if (decimals > 0) {
        out += '.';
        out.append(digits, digits.size() - decimals, std::string::npos);
    }
    if (!negative || out.find_first_not_of("0.") == std::string::npos)
        return out;
    std::string signedText(1, '-');
    signedText += out;
    return signedText;
}

namespace {

QString Group(const QString& digits, QChar separator) {
    QString out;
    const int n = digits.size();
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += separator;
        out += digits[i];
    }
    return out;
}

}  // namespace

QString FormatFloat(const QString& pattern, double value, TNumberStyle style) {
    const QString section = pattern.section(QLatin1Char(';'), 0, 0);
    // Literal text before and after the digit placeholders is copied, quotes removed.
    int first = -1, last = -1;
    bool quoted = false;
    QChar quote;
    for (int i = 0; i < section.size(); ++i) {
        const QChar c = section[i];
        if (quoted) {
            if (c == quote)
                quoted = false;
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quoted = true;
            quote = c;
        } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            if (first < 0)
                first = i;
            last = i;
        } else if ((c == QLatin1Char('.') || c == QLatin1Char(',')) && first >= 0) {
            last = std::max(last, i);
        } else if (c == QLatin1Char('.') && first < 0) {
            first = i;
            last = i;
        }
    }
    auto literal = [](const QString& text) {
        QString t = text;
        t.remove(QLatin1Char('\'')).remove(QLatin1Char('"'));
        return t;
    };
    if (first < 0)
        return literal(section);
    const QString body = section.mid(first, last - first + 1);
    const int dot = body.indexOf(QLatin1Char('.'));
    const QString intSpec = dot < 0 ? body : body.left(dot);
    const QString fracSpec = dot < 0 ? QString() : body.mid(dot + 1);
    const bool grouping = intSpec.contains(QLatin1Char(','));
    const int minInt = static_cast<int>(intSpec.count(QLatin1Char('0')));
    const int minFrac = static_cast<int>(fracSpec.count(QLatin1Char('0')));
    const int maxFrac = minFrac + static_cast<int>(fracSpec.count(QLatin1Char('#')));

    QString text = QString::fromStdString(DecimalText(value, maxFrac));
    const bool negative = text.startsWith(QLatin1Char('-'));
    if (negative)
        text.remove(0, 1);
    QString intDigits = text.section(QLatin1Char('.'), 0, 0);
    QString frac = text.section(QLatin1Char('.'), 1);
    while (frac.size() > minFrac && frac.endsWith(QLatin1Char('0')))
        frac.chop(1);
    if (intDigits == QLatin1String("0") && minInt == 0)
        intDigits.clear();
    while (intDigits.size() < minInt)
        intDigits.prepend(QLatin1Char('0'));
    const bool display = style == TNumberStyle::Display;
    if (grouping)
        intDigits = Group(intDigits, display ? QLatin1Char('.') : QLatin1Char(','));
    QString out = intDigits;
    if (!frac.isEmpty())
        out += (display ? QLatin1Char(',') : QLatin1Char('.')) + frac;
    if (out.isEmpty())
        out = QStringLiteral("0");
    return (negative ? QStringLiteral("-") : QString()) + literal(section.left(first)) + out +
           literal(section.mid(last + 1));
}

QString NumberToText(double value, int maxDecimals) {
    return FormatFloat(QStringLiteral("0.") + QString(maxDecimals, QLatin1Char('#')), value,
                       TNumberStyle::System);
}

std::optional<double> ParseNumber(const QString& input) {
    QString t = input.trimmed();
    t.remove(QLatin1Char(' '));
    if (t.isEmpty())
        return std::nullopt;
    if (t.contains(QLatin1Char(','))) {
        t.remove(QLatin1Char('.'));
        t.replace(QLatin1Char(','), QLatin1Char('.'));
    }
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)$"));
    if (!number.match(t).hasMatch())
        return std::nullopt;
    const QByteArray bytes = t.toLatin1();
    return std::strtod(bytes.constData(), nullptr);
}

std::optional<QDate> MyDateStrToDate(const QString& input) {
    const QString t = input.trimmed();
    static const QRegularExpression dotted(
        QStringLiteral("^(\\d{1,2})\\.\\s*(\\d{1,2})\\.\\s*(\\d{2}|\\d{4})\\.?$"));
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})$"));
    int y = 0, m = 0, d = 0;
    if (const auto match = dotted.match(t); match.hasMatch()) {
        d = match.captured(1).toInt();
        m = match.captured(2).toInt();
        y = match.captured(3).toInt();
        if (match.captured(3).size() == 2)
            y += 2000;
    } else if (const auto match = iso.match(t); match.hasMatch()) {
        y = match.captured(1).toInt();
        m = match.captured(2).toInt();
        d = match.captured(3).toInt();
    } else {
        return std::nullopt;
    }
    const QDate date(y, m, d);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QString DateToText(const QDate& date) {
    return date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy.")) : QString();
}

QString DateToSql(const QDate& date) {
    return date.toString(Qt::ISODate);
}

}  // namespace fin
