#include "host/db/namedparams.h"

namespace fin {

namespace {
bool IsNameStart(QChar c) {
    return c.isLetter() || c == QLatin1Char('_');
}
bool IsNamePart(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}
}  // namespace

TParsedSql ParseNamedParams(const QString& sql) {
    TParsedSql out;
    out.sql.reserve(sql.size());
    const int n = sql.size();
    int i = 0;
    auto copyUntil = [&](int end) {
        out.sql += sql.mid(i, end - i);
        i = end;
    };
    while (i < n) {
        const QChar c = sql[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
            int j = i + 1;
            while (j < n) {
                if (sql[j] == QLatin1Char('\\') && c != QLatin1Char('`')) {
                    j += 2;
                    continue;
                }
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c) {  // doubled quote inside the literal
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            copyUntil(std::min(j + 1, n));
        } else if (c == QLatin1Char('#') ||
                   (c == QLatin1Char('-') && i + 2 < n && sql[i + 1] == QLatin1Char('-') &&
                    sql[i + 2].isSpace())) {
            const int end = sql.indexOf(QLatin1Char('\n'), i);
            copyUntil(end < 0 ? n : end);
        } else if (c == QLatin1Char('/') && i + 1 < n && sql[i + 1] == QLatin1Char('*')) {
            const int end = sql.indexOf(QStringLiteral("*/"), i + 2);
            copyUntil(end < 0 ? n : end + 2);
        } else if (c == QLatin1Char(':') && i + 1 < n && IsNameStart(sql[i + 1]) &&
                   (i == 0 || !IsNamePart(sql[i - 1]))) {
            int j = i + 1;
            while (j < n && IsNamePart(sql[j]))
                ++j;
            out.names << sql.mid(i + 1, j - i - 1);
            out.sql += QLatin1Char('?');
            i = j;
        } else {
            out.sql += c;
            ++i;
        }
    }
    return out;
}

}  // namespace fin
