#include "host/data/dbinifile.h"

#include <optional>

#include "host/common/captions.h"

namespace fin {

void TDBIniFile::CreateTable(TConnection& connection) {
    connection.ExecuteDirect(
        QStringLiteral("CREATE TABLE IF NOT EXISTS `ini` ("
                       "`iniid` BIGINT NOT NULL AUTO_INCREMENT,"
                       "`section` VARCHAR(100) NOT NULL,"
                       "`name` VARCHAR(100) NOT NULL,"
                       "`value` MEDIUMTEXT NULL,"
                       "PRIMARY KEY (`iniid`),"
                       "UNIQUE KEY `ini_section_name` (`section`, `name`)"
                       ") ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_unicode_ci"));
}

std::optional<QString> TDBIniFile::Read(const QString& section, const QString& name) const {
    if (!connection_)
        return std::nullopt;
    const TResultSet r = connection_->Select(
        QStringLiteral("SELECT `value` FROM `ini` WHERE `section` = ? AND `name` = ?"),
        {section, name});
    if (r.rows.isEmpty())
        return std::nullopt;
    return r.rows.first().first().toString();
}

QString TDBIniFile::ReadString(const QString& section, const QString& name,
                               const QString& def) const {
    return Read(section, name).value_or(def);
}

qint64 TDBIniFile::ReadInteger(const QString& section, const QString& name, qint64 def) const {
    const auto text = Read(section, name);
    if (!text)
        return def;
    bool ok = false;
    const qint64 value = text->trimmed().toLongLong(&ok);
    return ok ? value : def;
}

bool TDBIniFile::ReadBool(const QString& section, const QString& name, bool def) const {
    const auto text = Read(section, name);
    if (!text)
        return def;
    const QString t = text->trimmed().toLower();
    if (t == QLatin1String("1") || t == QLatin1String("true"))
        return true;
    if (t == QLatin1String("0") || t == QLatin1String("false"))
        return false;
    bool ok = false;
    const qint64 n = t.toLongLong(&ok);
    return ok ? n != 0 : def;
}

QDateTime TDBIniFile::ReadDateTime(const QString& section, const QString& name,
                                   const QDateTime& def) const {
    const auto text = Read(section, name);
    if (!text)
        return def;
    const QString t = text->trimmed();
    QDateTime dt = QDateTime::fromString(t, Qt::ISODate);
    if (!dt.isValid()) {
        const QDate d = QDate::fromString(t, Qt::ISODate);
        if (d.isValid())
            dt = QDateTime(d, QTime(0, 0));
    }
    return dt.isValid() ? dt : def;
}

QDate TDBIniFile::ReadDate(const QString& section, const QString& name, const QDate& def) const {
    return ReadDateTime(section, name, QDateTime(def, QTime(0, 0))).date();
}

void TDBIniFile::WriteString(const QString& section, const QString& name, const QString& value) {
    if (!connection_)
        throw TError(res::CMN_NO_CONNECTION_ERR);
    connection_->Execute(
        QStringLiteral("INSERT INTO `ini` (`section`, `name`, `value`) VALUES (?, ?, ?) "
                       "ON DUPLICATE KEY UPDATE `value` = VALUES(`value`)"),
        {section, name, value});
}

void TDBIniFile::WriteInteger(const QString& section, const QString& name, qint64 value) {
    WriteString(section, name, QString::number(value));
}

void TDBIniFile::WriteBool(const QString& section, const QString& name, bool value) {
    WriteString(section, name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TDBIniFile::WriteDateTime(const QString& section, const QString& name,
                               const QDateTime& value) {
    // Midnight is stored as a plain date, the form every other reader expects.
    WriteString(section, name,
                value.time() == QTime(0, 0)
                    ? value.date().toString(Qt::ISODate)
                    : value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

void TDBIniFile::WriteDate(const QString& section, const QString& name, const QDate& value) {
    WriteString(section, name, value.toString(Qt::ISODate));
}

bool TDBIniFile::ValueExists(const QString& section, const QString& name) const {
    return Read(section, name).has_value();
}

QStringList TDBIniFile::ReadSection(const QString& section) const {
    QStringList names;
    if (!connection_)
        return names;
    const TResultSet r = connection_->Select(
        QStringLiteral("SELECT `name` FROM `ini` WHERE `section` = ? ORDER BY `name`"), {section});
    for (const auto& row : r.rows)
        names << row.first().toString();
    return names;
}

void TDBIniFile::DeleteKey(const QString& section, const QString& name) {
    if (!connection_)
        return;
    connection_->Execute(QStringLiteral("DELETE FROM `ini` WHERE `section` = ? AND `name` = ?"),
                         {section, name});
}

void TDBIniFile::EraseSection(const QString& section) {
    if (!connection_)
        return;
    connection_->Execute(QStringLiteral("DELETE FROM `ini` WHERE `section` = ?"), {section});
}

}  // namespace fin
