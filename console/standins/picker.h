#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "host/console/interfaces.h"

namespace fin {

class TConnection;

// How a stand-in reaches the database: through the security module in the console, or on
// a connection of the caller's for a job that runs without it.
class TModuleConnection {
public:
    explicit TModuleConnection(std::shared_ptr<ISecurity> security);
    explicit TModuleConnection(TConnection& connection);
    // Null when there is no open connection.
    TConnection* Get() const;

private:
    std::function<TConnection*()> get_;
};

// Offers the rows of a module's pick list through the UI service; the chosen row, or -1
// when there is none or nothing was chosen.
int PickRow(const QString& caption, const QStringList& items, const QString& prompt = {});

}  // namespace fin
