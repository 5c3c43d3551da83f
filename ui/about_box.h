#pragma once
// The about box: the program's emblem, name and version above a panel with its
// purpose and the project's author and contact lines.

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

class TAboutBox : public QDialog {
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    /// \brief Copies the about texts into the seven lines.
    void ShowAboutTexts();
    void OKButtonClick();

    QPushButton* OKButton = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label1 = nullptr;
    QFrame* Panel2 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};

/// \brief The about box's lines: the stand-in for "Comic Sans MS" when installed,
/// else the interface font.
QFont AboutFont();
