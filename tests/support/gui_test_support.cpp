#include "tests/support/gui_test_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

namespace testing_support {

namespace {

bool IsModalWindow(QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    return widget != nullptr && widget->isWindow() && widget->isModal();
}

/// Waits for the modal widget that a call of OnNextModal means: one shown after
/// the call, or the one on top at the call while it stays open. A dialog that
/// closes after the call and opens again (the same instance) counts as new. It
/// answers a newly shown one once it is the active window, as a user can only
/// answer it then: before, a file dialog's name field does not have the focus,
/// and typing there leaves the name it offered selected.
class NextModal : public QObject {
public:
    explicit NextModal(std::function<void(QWidget*)> action)
        : action_(std::move(action)), openAtCall_(QApplication::activeModalWidget())
    {
        qApp->installEventFilter(this);
        poll_.setInterval(5);
        QObject::connect(&poll_, &QTimer::timeout, this, &NextModal::ActIfReady);
        poll_.start();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && IsModalWindow(watched)) {
            shown_.append(static_cast<QWidget*>(watched));
        } else if (event->type() == QEvent::Hide && watched == openAtCall_) {
            openAtCall_ = nullptr;
        }
        return false;
    }

private:
    void ActIfReady()
    {
        QWidget* modal = QApplication::activeModalWidget();
        // The offscreen platform does not activate a dialog again when one above it closes.
        const bool ready = modal != nullptr && modal->isVisible() &&
                           (modal == openAtCall_ || (shown_.contains(modal) && modal->isActiveWindow()));
        if (!ready) {
            return;
        }
        poll_.stop();
        qApp->removeEventFilter(this);
        deleteLater();
        action_(modal);
    }

    std::function<void(QWidget*)> action_;
    QPointer<QWidget> openAtCall_;
    QList<QPointer<QWidget>> shown_;
    QTimer poll_;
};

}  // namespace

void OnNextModal(std::function<void(QWidget*)> action)
{
    new NextModal(std::move(action));
}

void TypeIntoFileDialog(QWidget* modal, const QString& path)
{
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    auto* name = dialog == nullptr ? nullptr : dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (name == nullptr) {
        ADD_FAILURE() << "a file dialog was expected";
        return;
    }
    name->setText(path);
    // QFileDialog's own accept is protected.
    static_cast<QDialog*>(dialog)->accept();
}

class ModalWatchdog::Impl : public QObject {
public:
    explicit Impl(int seconds)
    {
        qApp->installEventFilter(this);
        timer.setInterval(100);
        QObject::connect(&timer, &QTimer::timeout, [this, seconds]() {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal != current) {
                current = modal;
                ticks = 0;
                return;
            }
            if (modal != nullptr && ++ticks > seconds * 10) {
                ADD_FAILURE() << "A modal window stayed open: " << modal->windowTitle().toStdString();
                if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                    dialog->reject();
                } else {
                    modal->close();
                }
                ticks = 0;
            }
        });
        timer.start();
    }

    // A dialog opened again starts a new wait, even when it is the same instance.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && IsModalWindow(watched)) {
            current = nullptr;
            ticks = 0;
        }
        return false;
    }

    QTimer timer;
    QWidget* current = nullptr;
    int ticks = 0;
};

ModalWatchdog::ModalWatchdog(int seconds) : impl_(new Impl(seconds))
{}

ModalWatchdog::~ModalWatchdog()
{
    delete impl_;
}

QString WriteTemporaryFile(const QString& fileName, const QByteArray& contents)
{
    static QTemporaryDir folder;
    const QString path = folder.filePath(fileName);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        ADD_FAILURE() << "cannot write " << path.toStdString();
        return path;
    }
    file.write(contents);
    return path;
}

}  // namespace testing_support
