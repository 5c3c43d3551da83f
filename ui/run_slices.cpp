#include "ui/run_slices.h"

#include <QCoreApplication>
#include <QScopeGuard>

bool RunSlices::Run(const std::function<void()>& work)
{
    if (running_) {
        return false;
    }
    running_ = true;
    stopped_ = false;
    const auto finished = qScopeGuard([this] { running_ = false; });
    slice_.start();
    work();
    return true;
}

bool RunSlices::Continue()
{
    if (!stopped_ && slice_.elapsed() >= sliceLength_) {
        QCoreApplication::processEvents();
        slice_.start();
    }
    return !stopped_;
}
