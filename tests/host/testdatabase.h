#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "host/db/connection.h"

// Failures show texts as text, not as bytes.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace fin::test {

// Each test gets a database of its own on the server the test command started, dropped
// again afterwards.
class TDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    TConnection& Db() { return *connection_; }
    // A second, independent session on the same database (another workstation).
    std::unique_ptr<TConnection> OpenSecond() const;
    const QString& DatabaseName() const { return database_; }

private:
    QString database_;
    std::unique_ptr<TConnection> admin_;
    std::unique_ptr<TConnection> connection_;
};

}  // namespace fin::test
