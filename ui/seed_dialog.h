#pragma once
// The dialog of Simulation > New random start: the seed at which the random
// generator starts again, proposed from the clock so that it can be written on
// the board and typed again later to repeat the same samples.

#include <QDialog>
#include <QString>
#include <cstdint>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

inline constexpr const char* SeedRefusedMessage = "The seed must lie between 0 and 4294967295!";

/// \brief A seed proposed from the clock.
std::uint32_t ClockSeed();

/// \brief The seed a text names: digits only (blanks around them allowed) for a
/// number from 0 to 4294967295; nothing otherwise.
std::optional<std::uint32_t> ParseSeed(const QString& text);

class TSeedDialog : public QDialog {
public:
    explicit TSeedDialog(QWidget* parent = nullptr);

    /// \brief Shows `proposed` and the dialog modally; the seed accepted with OK,
    /// nothing after Cancel.
    std::optional<std::uint32_t> Execute(std::uint32_t proposed);

    /// \brief Accepts a valid seed; an invalid one is reported and the dialog stays open.
    void OKButtonClick();

    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* OKButton = nullptr;

private:
    std::optional<std::uint32_t> accepted_;
};
