#pragma once
// The dialog that shows one population variable: its name, minimum, maximum,
// mean and standard deviation, and a 50-class histogram of its values.

#include <QDialog>
#include <string>

class QFrame;
class QLabel;
class QPainter;
class QPushButton;

class TPopDis : public QDialog {
public:
    explicit TPopDis(QWidget* parent = nullptr);

    /// \brief Sets the captions and, when a variable was chosen (displayVariable
    /// above 0), shows the dialog modally.
    void Execute();

    /// \brief Fills the name and the statistics of displayVariable.
    void FormActivate();
    /// \brief Fills the panels, recounts the classes of displayVariable into
    /// histogramCounts and draws the axis and the bars.
    void FormPaint(QPainter& painter);
    void OKButtonClick();

    QPushButton* OKButton = nullptr;
    QFrame* Bevel1 = nullptr;
    QFrame* Bevel2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* CreatePanelLabel(const char* name, int left, int top, const char* caption = "");
    QLabel* CreateValueLabel(const char* name, int left, int top);
    static void SetValue(QLabel* label, const QLabel* caption, int limit, const std::string& text);
};
