#pragma once
// Helpers for tests that drive the real windows under the offscreen platform.

#include <QString>
#include <QWidget>
#include <functional>

namespace testing_support {

/// \brief Runs `action` on the next modal widget that opens after this call (or
/// on the one open at the call, as long as it stays open), once it is the active
/// window, e.g. to read its texts and click its button. Call before the code that
/// calls exec(). A dialog that closes after the call is never answered unless it
/// opens again.
void OnNextModal(std::function<void(QWidget*)> action);

/// \brief Types `path` into the name field of the file dialog `modal`, as the
/// user would (selectFile leaves a focused name field alone), and accepts it as
/// its button does, which checks the choice. Fails the test for another widget.
void TypeIntoFileDialog(QWidget* modal, const QString& path);

/// \brief Watches for modal widgets left open: while it lives, any modal widget
/// that stays open longer than `seconds` fails the current test and is closed, so
/// a test never hangs.
class ModalWatchdog {
public:
    explicit ModalWatchdog(int seconds = 10);
    ~ModalWatchdog();
    ModalWatchdog(const ModalWatchdog&) = delete;
    ModalWatchdog& operator=(const ModalWatchdog&) = delete;

private:
    class Impl;
    Impl* impl_;
};

/// \brief Writes `contents` to a new file in a temporary folder that lives as
/// long as the test process; returns its path.
QString WriteTemporaryFile(const QString& fileName, const QByteArray& contents);

}  // namespace testing_support
