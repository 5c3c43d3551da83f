#include "tests/support/gui_test_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

namespace testing_support {

void OnNextModal(std::function<void(QWidget*)> action)
{
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, action]() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        action(modal);
    });
    poll->start();
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

class ModalWatchdog::Impl {
public:
    explicit Impl(int seconds)
    {
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
