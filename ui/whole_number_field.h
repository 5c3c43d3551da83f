#pragma once
// A whole-number entry field that is checked when it loses the focus: a valid
// value is stored in its setting at once, an invalid one sends the focus back to
// the field without a message and is never stored.

#include <QObject>
#include <cstdint>
#include <functional>

class QEvent;
class QLineEdit;

class WholeNumberField : public QObject {
public:
    /// \brief Watches `field`; accepted values lie in low..high() (high is asked
    /// at each check, since it may follow the population) and go to `setting`.
    WholeNumberField(QLineEdit* field, int low, std::function<int()> high, std::int32_t& setting);

    /// \brief Shows the stored value; the field then counts as untouched.
    void ShowSetting();

    /// \brief The check run when the field is left. A field the user has not
    /// edited holds the stored value and passes without a new check, so a
    /// population too small for any valid value does not lock its dialog.
    /// Returns false, and returns the focus to the field, for an invalid text.
    bool Check();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* field_;
    int low_;
    std::function<int()> high_;
    std::int32_t& setting_;
};
