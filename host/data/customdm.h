#pragma once

#include <memory>
#include <vector>

#include "host/data/fieldtests.h"
#include "host/data/query.h"

namespace fin {

// Base of a module's data module: owns its datasets, shares one connection among them and
// carries the common rules every post and delete passes through.
class TCustomDM {
public:
    TCustomDM() = default;
    virtual ~TCustomDM() = default;
    TCustomDM(const TCustomDM&) = delete;
    TCustomDM& operator=(const TCustomDM&) = delete;

    void SetZConnection(TConnection* connection);
    TConnection* ZConnection() const { return connection_; }
    bool Connected() const { return connection_ && connection_->Connected(); }

    virtual void DataModuleCreate();  // builds the validation table
    virtual void DataModuleDestroy() {}

    // The validation table's checks for the dataset being posted.
    void CommonBeforePost(TDataSet& dataSet);
    // Asks before a delete; anything but Yes cancels it silently.
    void CommonBeforeDelete(TDataSet& dataSet);

    qint64 GetLastInsertID() const;
    // Every value of one column, in table order (pick lists).
    QStringList GetFieldValues(const QString& table, const QString& column) const;
    // Copies the rows matching where, with overrides, in one transaction; the new id of
    // the last copy, 0 when nothing matched. The auto-increment key and the columns named
    // in serverFilled (such as a change time) are left to the server.
    qint64 CopyDataSet(const QString& table, const TColumnValues& where,
                       const TColumnValues& overrides, const QStringList& serverFilled = {});

    const TValidator& Validator() const { return validator_; }
    // The connection, or a clear error when there is none.
    TConnection& Require() const;

protected:
    virtual void CreateFieldValidations(TFieldValidations& validations) { Q_UNUSED(validations); }
    TQuery& AddQuery(const QString& name, const QString& sql = {});
    TDataSet& AddMemDataSet(const QString& name);

private:
    TConnection* connection_ = nullptr;
    std::vector<std::unique_ptr<TDataSet>> dataSets_;
    TValidator validator_;
};

}  // namespace fin
