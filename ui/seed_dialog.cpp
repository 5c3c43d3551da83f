#include "ui/seed_dialog.h"

#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <limits>

#include "ui/error_message.h"
#include "ui/window_style.h"

std::uint32_t ClockSeed()
{
    // The milliseconds of the clock, taken modulo 2^32.
    return static_cast<std::uint32_t>(QDateTime::currentMSecsSinceEpoch() & 0xFFFFFFFF);
}

std::optional<std::uint32_t> ParseSeed(const QString& text)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 10) {
        return std::nullopt;
    }
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return std::nullopt;
        }
    }
    const qulonglong value = digits.toULongLong();
    if (value > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

TSeedDialog::TSeedDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SeedDialog"));
    SetUpSettingsDialog(this, 281, 105);
    setWindowTitle(QStringLiteral(" New random start"));
    Label1 = CreateLabel(this, "Label1", 16, 16);
    SetAutoSizedText(Label1, QStringLiteral("Seed (0 to 4294967295):"));
    Edit1 = CreateEntryField(this, "Edit1", 16, 36, 121, 21);
    CancelButton = CreateButton(this, "CancelButton", "Cancel", 128, 68, 65, 25);
    OKButton = CreateOKButton(this, 200, 68, 67, 25);
    connect(OKButton, &QPushButton::clicked, this, &TSeedDialog::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<std::uint32_t> TSeedDialog::Execute(std::uint32_t proposed)
{
    accepted_.reset();
    Edit1->setText(QString::number(proposed));
    Edit1->selectAll();
    Edit1->setFocus();
    CenterOnScreen(this);
    exec();
    return accepted_;
}

void TSeedDialog::OKButtonClick()
{
    accepted_ = ParseSeed(Edit1->text());
    if (!accepted_) {
        ShowErrorMessage(QString::fromLatin1(SeedRefusedMessage));
        Edit1->setFocus();
        return;
    }
    accept();
}
