#include "host/console/customsnapin.h"

namespace fin {

TCustomViewer::~TCustomViewer() {
    DestroyFrame();
}

QWidget* TCustomViewer::Frame() {
    if (!frame_)
        frame_ = InternalCreateFrame();
    return frame_;
}

void TCustomViewer::DestroyFrame() {
    if (frame_)
        InternalDestroyFrame();
    frame_.clear();
}

void TCustomViewer::InternalDestroyFrame() {
    delete frame_.data();
}

void TCustomViewer::Show() {
    QWidget* frame = Frame();
    if (IConsolePtr console = Console())
        console->ShowControl(frame);
}

void TCustomViewer::Hide() {
    if (IConsolePtr console = Console())
        console->ShowControl(nullptr);
}

QList<QAction*> TCustomViewer::GetActionList() {
    QWidget* frame = Frame();
    return frame ? frame->actions() : QList<QAction*>();
}

TCustomNavigator::~TCustomNavigator() {
    DestroyFrame();
}

QWidget* TCustomNavigator::Frame() {
    if (!frame_)
        frame_ = InternalCreateFrame();
    return frame_;
}

void TCustomNavigator::DestroyFrame() {
    if (frame_)
        InternalDestroyFrame();
    frame_.clear();
}

void TCustomNavigator::InternalDestroyFrame() {
    delete frame_.data();
}

QWidget* TCustomNavigator::ShowNavigator() {
    QWidget* frame = Frame();
    if (frame)
        frame->show();
    return frame;
}

void TCustomNavigator::HideNavigator() {
    if (frame_)
        frame_->hide();
}

ISnapinPtr TCustomSnapinFactory::CreateSnapin(const IConsolePtr& console) {
    ConsoleChanged(console);
    if (!snapin_)
        snapin_ = InternalCreateSnapin(console);
    return snapin_;
}

}  // namespace fin
