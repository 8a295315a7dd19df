#pragma once

#include <QDateTime>
#include <QStringList>
#include <optional>

#include "host/db/connection.h"

namespace fin {

// Settings in table ini (section, name, value), shared by every workstation. Values are
// text: integers in decimal, booleans "1"/"0", dates "yyyy-mm-dd". Without a connection
// every read gives its default.
class TDBIniFile {
public:
    explicit TDBIniFile(TConnection* connection) : connection_(connection) {}

    static void CreateTable(TConnection& connection);

    QString ReadString(const QString& section, const QString& name, const QString& def) const;
    qint64 ReadInteger(const QString& section, const QString& name, qint64 def) const;
    bool ReadBool(const QString& section, const QString& name, bool def) const;
    QDateTime ReadDateTime(const QString& section, const QString& name, const QDateTime& def) const;
    QDate ReadDate(const QString& section, const QString& name, const QDate& def) const;

    void WriteString(const QString& section, const QString& name, const QString& value);
    void WriteInteger(const QString& section, const QString& name, qint64 value);
    void WriteBool(const QString& section, const QString& name, bool value);
    void WriteDateTime(const QString& section, const QString& name, const QDateTime& value);
    void WriteDate(const QString& section, const QString& name, const QDate& value);

    bool ValueExists(const QString& section, const QString& name) const;
    QStringList ReadSection(const QString& section) const;  // names, in name order
    void DeleteKey(const QString& section, const QString& name);
    void EraseSection(const QString& section);

private:
    std::optional<QString> Read(const QString& section, const QString& name) const;
    TConnection* connection_;
};

}  // namespace fin
