// A snap-in package as small as the console can load: a viewer with a label, a navigator,
// an options page that can be told to refuse its values, and a probe for the tests.
#include <QLabel>
#include <QLineEdit>

#include "host/common/error.h"
#include "host/console/customsnapin.h"
#include "tests/console/fakeplugin/fakeprobe.h"

namespace fin::test {
namespace {

class TFakeViewer : public TCustomViewer {
public:
    TFakeViewer(const IConsolePtr& console, TFakeCounters& counters)
        : TCustomViewer(console), counters_(counters) {}
    void Load(const ISnapinPtr&) override { ++counters_.loads; }

protected:
    QWidget* InternalCreateFrame() override {
        auto* label = new QLabel(QStringLiteral("Probni pregled"));
        label->setObjectName(QStringLiteral("fakeViewer"));
        return label;
    }

private:
    TFakeCounters& counters_;
};

class TFakeNavigator : public TCustomNavigator {
public:
    using TCustomNavigator::TCustomNavigator;

protected:
    QWidget* InternalCreateFrame() override {
        auto* label = new QLabel(QStringLiteral("Probna pretraga"));
        label->setObjectName(QStringLiteral("fakeNavigator"));
        return label;
    }
};

class TFakeSnapin : public TCustomSnapin,
                    public IOptionsTab,
                    public IFakeProbe,
                    public std::enable_shared_from_this<TFakeSnapin> {
public:
    explicit TFakeSnapin(const IConsolePtr& console)
        : TCustomSnapin(console),
          viewer_(std::make_shared<TFakeViewer>(console, counters_)),
          navigator_(std::make_shared<TFakeNavigator>(console)) {
        name_ = kFakeSnapinName;
        description_ = QStringLiteral("Modul za probu konzole");
        image_ = QImage(16, 16, QImage::Format_RGB32);
        image_.fill(Qt::darkGreen);
    }
    ~TFakeSnapin() override {
        DestroyFrame();
        if (counters_.destroyed)
            *counters_.destroyed = true;
    }

    IInterfacePtr GetInterface(const QUuid& identity) override {
        if (identity == iid::Viewer)
            return viewer_;
        if (identity == iid::Navigable)
            return navigator_;
        if (identity == iid::OptionsTab)
            return std::static_pointer_cast<IOptionsTab>(shared_from_this());
        if (identity == kFakeProbe)
            return std::static_pointer_cast<IFakeProbe>(shared_from_this());
        return nullptr;
    }

    QWidget* CreateFrame() override {
        ++counters_.framesMade;
        page_ = new QLineEdit(QStringLiteral("vrednost"));
        return page_;
    }
    void DestroyFrame() override {
        if (page_)
            ++counters_.framesDestroyed;
        delete page_.data();
    }
    bool CheckValues() override {
        ++counters_.checks;
        return counters_.acceptValues;
    }
    void Update() override { ++counters_.updates; }
    QString GetTabCaption() override { return kFakeSnapinName; }

    TFakeCounters& Counters() override { return counters_; }

private:
    TFakeCounters counters_;
    std::shared_ptr<TFakeViewer> viewer_;
    std::shared_ptr<TFakeNavigator> navigator_;
    QPointer<QLineEdit> page_;
};

class TFakeFactory : public TCustomSnapinFactory {
protected:
    ISnapinPtr InternalCreateSnapin(const IConsolePtr& console) override {
#ifdef FAKE_FACTORY_FAILS
        (void)console;
        throw TError(QStringLiteral("Probni modul odbija da se pokrene."));
#else
        return std::make_shared<TFakeSnapin>(console);
#endif
    }
};

}  // namespace
}  // namespace fin::test

extern "C" __attribute__((visibility("default"))) fin::ISnapinFactory* GetSnapinFactory() {
    static fin::test::TFakeFactory factory;
    return &factory;
}
