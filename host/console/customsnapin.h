#pragma once

#include <QPointer>
#include <QWidget>

#include "host/console/interfaces.h"

namespace fin {

// Base of a snap-in: the properties the console lists it by, and the console it belongs to.
class TCustomSnapin : public ISnapin {
public:
    explicit TCustomSnapin(const IConsolePtr& console) : console_(console) {}

    QString GetName() const override { return name_; }
    QString GetDescription() const override { return description_; }
    QImage GetImage() const override { return image_; }
    int GetSnapinType() const override { return snapinType_; }
    TDataSet* GetDataSet() const override { return dataSet_; }
    IInterfacePtr GetInterface(const QUuid&) override { return nullptr; }

protected:
    IConsolePtr Console() const { return console_.lock(); }

    QString name_;
    QString description_;
    QImage image_;
    int snapinType_ = 0;
    TDataSet* dataSet_ = nullptr;

private:
    IConsoleRef console_;
};

// Base of a snap-in's main panel. The frame is made on first show and kept until the
// viewer goes; the console gets the frame's control to place.
class TCustomViewer : public IViewer {
public:
    explicit TCustomViewer(const IConsolePtr& console) : console_(console) {}
    ~TCustomViewer() override;

    void Load(const ISnapinPtr&) override {}
    void Show() override;
    void Hide() override;
    QList<QAction*> GetActionList() override;

    QWidget* Frame();  // made when first asked for
    int GetSnapinType() const { return snapinType_; }

protected:
    virtual QWidget* InternalCreateFrame() = 0;
    virtual void InternalDestroyFrame();
    IConsolePtr Console() const { return console_.lock(); }
    void DestroyFrame();

    int snapinType_ = 0;

private:
    IConsoleRef console_;
    QPointer<QWidget> frame_;
};

// Base of a snap-in's search panel.
class TCustomNavigator : public INavigable {
public:
    explicit TCustomNavigator(const IConsolePtr& console) : console_(console) {}
    ~TCustomNavigator() override;

    QWidget* ShowNavigator() override;
    void HideNavigator() override;
    QWidget* Frame();

protected:
    virtual QWidget* InternalCreateFrame() = 0;
    virtual void InternalDestroyFrame();
    IConsolePtr Console() const { return console_.lock(); }
    void DestroyFrame();

private:
    IConsoleRef console_;
    QPointer<QWidget> frame_;
};

// Base of a package's factory: one snap-in per package, made on the first call.
class TCustomSnapinFactory : public ISnapinFactory {
public:
    ISnapinPtr CreateSnapin(const IConsolePtr& console) override;
    void Release() { snapin_.reset(); }

protected:
    virtual ISnapinPtr InternalCreateSnapin(const IConsolePtr& console) = 0;
    virtual void ConsoleChanged(const IConsolePtr&) {}

private:
    ISnapinPtr snapin_;
};

}  // namespace fin
