#include <gtest/gtest.h>

#include <QLibrary>

#include "host/console/interfaces.h"

namespace fin::test {
namespace {

class TBareConsole : public IConsole {
public:
    IInterfacePtr QueryModule(const QUuid&) override { return nullptr; }
    void ShowControl(QWidget*) override {}
};

// The library as the console sees it: one exported entry, one snap-in, a clean unload.
TEST(Plugin, ExportsItsFactoryAndUnloadsCleanly) {
    QLibrary library(QStringLiteral(FINANSIJE_PLUGIN));
    ASSERT_TRUE(library.load()) << library.errorString().toStdString();
    auto entry = reinterpret_cast<TGetSnapinFactory>(library.resolve(kGetSnapinFactoryName));
    ASSERT_NE(entry, nullptr);
    ISnapinFactory* factory = entry();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(entry(), factory);  // the entry point creates nothing
    {
        auto console = std::make_shared<TBareConsole>();
        ISnapinPtr snapin = factory->CreateSnapin(console);
        ASSERT_TRUE(snapin);
        EXPECT_EQ(factory->CreateSnapin(console), snapin);
        EXPECT_EQ(snapin->GetName(), "Finansije");
        EXPECT_TRUE(As<IFinancial>(snapin->GetInterface(iid::Financial)));
        EXPECT_TRUE(As<IViewer>(snapin->GetInterface(iid::Viewer)));
        EXPECT_EQ(snapin->GetInterface(QUuid::createUuid()), nullptr);
    }
    EXPECT_TRUE(library.unload());
}

}  // namespace
}  // namespace fin::test
