#include "testdatabase.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <atomic>

namespace fin::test {

namespace {
TConnectionSettings ServerSettings() {
    TConnectionSettings s = TConnectionSettings::FromEnvironment();
    s.database.clear();
    return s;
}
}  // namespace

void TDatabaseTest::SetUp() {
    if (qEnvironmentVariableIsEmpty("FINANSIJE_DB_SOCKET") &&
        qEnvironmentVariableIsEmpty("FINANSIJE_DB_HOST"))
        FAIL() << "No test server: run the tests through scripts/test.";
    static std::atomic<int> counter{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    QString name = QStringLiteral("fintest_%1_%2_%3")
                       .arg(QCoreApplication::applicationPid())
                       .arg(counter++)
                       .arg(QString::fromUtf8(info->name()).toLower());
    name.replace(QRegularExpression(QStringLiteral("[^a-z0-9_]")), QStringLiteral("_"));
    database_ = name.left(64);
    admin_ = std::make_unique<TConnection>(ServerSettings());
    admin_->Open();
    admin_->ExecuteDirect(
        QStringLiteral("DROP DATABASE IF EXISTS %1").arg(TConnection::QuoteIdentifier(database_)));
    admin_->ExecuteDirect(
        QStringLiteral("CREATE DATABASE %1 CHARACTER SET utf8mb4 COLLATE utf8mb4_unicode_ci")
            .arg(TConnection::QuoteIdentifier(database_)));
    TConnectionSettings s = ServerSettings();
    s.database = database_;
    connection_ = std::make_unique<TConnection>(s);
    connection_->Open();
}

void TDatabaseTest::TearDown() {
    connection_.reset();
    if (admin_ && !database_.isEmpty()) {
        try {
            admin_->ExecuteDirect(QStringLiteral("DROP DATABASE IF EXISTS %1")
                                      .arg(TConnection::QuoteIdentifier(database_)));
        } catch (const TError&) {
        }
    }
}

std::unique_ptr<TConnection> TDatabaseTest::OpenSecond() const {
    TConnectionSettings s = ServerSettings();
    s.database = database_;
    auto c = std::make_unique<TConnection>(s);
    c->Open();
    return c;
}

}  // namespace fin::test
