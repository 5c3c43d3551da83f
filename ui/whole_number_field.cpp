#include "ui/whole_number_field.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QTimer>
#include <utility>

#include "core/population_file.h"

WholeNumberField::WholeNumberField(QLineEdit* field, int low, std::function<int()> high,
                                   std::int32_t& setting)
    : QObject(field), field_(field), low_(low), high_(std::move(high)), setting_(setting)
{
    field_->installEventFilter(this);
}

void WholeNumberField::ShowSetting()
{
    field_->setText(QString::number(setting_));
    field_->setModified(false);
}

bool WholeNumberField::Check()
{
    if (!field_->isModified()) {
        return true;
    }
    int value = 0;
    if (!ParseIntInRange(field_->text().toStdString(), low_, high_(), value)) {
        // Focus changes inside a focus-out handler are undone by the one in
        // progress, so the return of the focus is posted.
        QTimer::singleShot(0, field_, [field = field_]() { field->setFocus(Qt::OtherFocusReason); });
        return false;
    }
    setting_ = value;
    return true;
}

bool WholeNumberField::eventFilter(QObject* watched, QEvent* event)
{
    // A field being destroyed is no longer a QLineEdit when its QWidget part
    // clears the focus: there is nothing to check then.
    const bool liveField = watched == field_ && qobject_cast<QLineEdit*>(watched) != nullptr;
    if (liveField && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Another window or a popup taking the focus is not the user leaving the field.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            Check();
        }
    }
    return QObject::eventFilter(watched, event);
}
