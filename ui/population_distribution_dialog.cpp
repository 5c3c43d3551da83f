#include "ui/population_distribution_dialog.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <algorithm>
#include <string>

#include "core/number_format.h"
#include "core/rounding.h"
#include "core/simulation_state.h"
#include "core/variable_summary.h"
#include "ui/dialog_fields.h"
#include "texts/interface_text_table.h"
#include "ui/window_style.h"

namespace {

// The histogram geometry follows from the dialog's outer size; the reference
// size is used on every platform, so that frame metrics never move a bar.
constexpr double ReferenceOuterWidth = 506.0;
constexpr double ReferenceOuterHeight = 392.0;
// The tallest bar is at most this share of the outer height.
constexpr double TallestBarShare = 0.55;
constexpr std::size_t StatisticWidth = 12;
constexpr int NameLeft = 64;
constexpr const char* ValueRightProperty = "valueRight";

struct AxisGeometry {
    int left = nearest(0.04 * ReferenceOuterWidth);
    int base = nearest(0.6 * ReferenceOuterHeight);
    int length = nearest(0.9 * ReferenceOuterWidth);
    int tick = nearest(0.02 * ReferenceOuterHeight);
};

// Right-aligned in a field of 12 characters; longer numbers are not cut.
std::string StatisticText(double value, bool available)
{
    std::string text = FormatFixed3Or(value, available);
    if (text.size() < StatisticWidth) {
        text.insert(0, StatisticWidth - text.size(), ' ');
    }
    return text;
}

// Class k holds the values that round to k - 1 class widths above the minimum;
// everything beyond the last class goes into it. Without a range every value
// falls into class 1.
void CountClasses(int variable, const VariableSummary& extremes)
{
    auto& counts = SimulationState.histogramCounts;
    std::fill(counts.begin() + 1, counts.begin() + HistogramClasses + 1, 0);
    const double range = extremes.maximum - extremes.minimum;
    for (int i = 1; i <= PopulationSize(); ++i) {
        int k = 1;
        if (range > 0.0) {
            k = nearest(HistogramClasses * (UnitValue(i, variable) - extremes.minimum) / range) + 1;
        }
        ++counts[std::clamp(k, 1, HistogramClasses)];
    }
}

void DrawTickedText(QPainter& painter, const AxisGeometry& axis, int x, int textLeft, const QString& text)
{
    const QFontMetrics metrics(painter.font());
    painter.drawLine(x, axis.base, x, axis.base + axis.tick);
    painter.drawText(textLeft, axis.base + axis.tick + metrics.ascent(), text);
}

void DrawAxis(QPainter& painter, const AxisGeometry& axis, const VariableSummary& extremes)
{
    painter.setPen(Qt::black);
    painter.setFont(StandardFont());
    painter.drawLine(axis.left, axis.base, axis.left + axis.length, axis.base);
    const QFontMetrics metrics(painter.font());

    const QString low = QString::fromStdString(FormatFixed3(extremes.minimum));
    DrawTickedText(painter, axis, axis.left, axis.left, low);

    const int middle = nearest(axis.left + axis.length / 2.0);
    const QString centre = QString::fromStdString(FormatFixed3((extremes.minimum + extremes.maximum) / 2));
    DrawTickedText(painter, axis, middle, middle - nearest(metrics.horizontalAdvance(centre) / 2.0), centre);

    const int end = axis.left + axis.length;
    const QString high = QString::fromStdString(FormatFixed3(extremes.maximum));
    DrawTickedText(painter, axis, end, end - metrics.horizontalAdvance(high), high);
}

// Each unit counted adds one nominal bar width in height, unless the fullest
// class would then exceed the tallest bar allowed: then all bars shrink alike.
void DrawBars(QPainter& painter, const AxisGeometry& axis)
{
    const auto& counts = SimulationState.histogramCounts;
    const int fullest = *std::max_element(counts.begin() + 1, counts.begin() + HistogramClasses + 1);
    const int unit = nearest(axis.length / static_cast<double>(HistogramClasses));
    const double tallest = TallestBarShare * ReferenceOuterHeight;
    const double scale = fullest * unit > tallest ? tallest / (fullest * unit) : 1.0;
    for (int k = 1; k <= HistogramClasses; ++k) {
        const int left = axis.left + nearest((k - 1) * axis.length / static_cast<double>(HistogramClasses));
        const int right = axis.left + nearest(k * axis.length / static_cast<double>(HistogramClasses));
        const int height = nearest(counts[k] * scale * unit);
        painter.fillRect(left, axis.base - height, right - left, height, tarvek_colors::BarGreen);
    }
}

}  // namespace

TPopDis::TPopDis(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PopDis"));
    SetUpSettingsDialog(this, 498, 363);
    // Bevels without a fill: the panel colour is painted beneath them with the histogram.
    Bevel1 = CreateSunkenFrame(this, "Bevel1", 8, 8, 481, 257);
    Bevel2 = CreateSunkenFrame(this, "Bevel2", 8, 280, 337, 73);
    Label1 = CreatePanelLabel("Label1", 16, 288);
    Label2 = CreatePanelLabel("Label2", NameLeft, 288);
    Label3 = CreatePanelLabel("Label3", 16, 312, "Minimum:");
    Label4 = CreateValueLabel("Label4", 121, 312);
    Label5 = CreatePanelLabel("Label5", 16, 328, "Maximum:");
    Label6 = CreateValueLabel("Label6", 121, 328);
    Label7 = CreatePanelLabel("Label7", 176, 312);
    Label8 = CreateValueLabel("Label8", 305, 312);
    Label9 = CreatePanelLabel("Label9", 176, 328);
    Label10 = CreateValueLabel("Label10", 299, 328);
    OKButton = CreateOKButton(this, 424, 328, 65, 25);
    connect(OKButton, &QPushButton::clicked, this, &TPopDis::OKButtonClick);
}

QLabel* TPopDis::CreatePanelLabel(const char* name, int left, int top, const char* caption)
{
    QLabel* label = CreateLabel(this, name, left, top);
    SetBackground(label, tarvek_colors::PanelBackground);
    SetTextColor(label, Qt::black);
    SetCaption(label, caption);
    return label;
}

// A value label is laid out with its own name as caption and then keeps its
// right edge: longer values grow to the left, so the columns of figures stay
// aligned on their last digit.
QLabel* TPopDis::CreateValueLabel(const char* name, int left, int top)
{
    QLabel* label = CreatePanelLabel(name, left, top, name);
    label->setProperty(ValueRightProperty, label->x() + label->width());
    return label;
}

// A value too long to grow left of its right edge starts a blank after its
// caption instead; one that does not fit before `limit` either is cut with an
// ellipsis and shown whole in its tooltip.
void TPopDis::SetValue(QLabel* label, const QLabel* caption, int limit, const std::string& text)
{
    SetCaption(label, text);
    const int right = label->property(ValueRightProperty).toInt();
    const int left = std::max(right - label->width(), RightOfCaption(caption));
    SetElidedText(label, label->text(), limit - left);
    label->move(left, label->y());
}

void TPopDis::Execute()
{
    SetCaption(Label1, InterfaceTexts.distributionTexts[1]);
    SetCaption(Label7, InterfaceTexts.distributionTexts[2]);
    SetCaption(Label9, InterfaceTexts.distributionTexts[3]);
    if (SimulationState.displayVariable > 0) {
        CenterOnScreen(this);
        exec();
    }
}

void TPopDis::FormActivate()
{
    const int variable = SimulationState.displayVariable;
    if (!IsVariableNumber(variable)) {
        return;
    }
    SetCaption(Label2, SimulationState.variableNames[variable]);
    // The name keeps its place unless the caption's text would run into it.
    Label2->move(std::max(NameLeft, RightOfCaption(Label1)), Label2->y());
    const VariableSummary summary = SummarizeVariable(variable);
    // The left column ends a blank before the right column's captions, the right
    // one inside the bevel.
    const int leftColumnLimit =
        Label7->x() - QFontMetrics(Label7->font()).horizontalAdvance(QLatin1Char(' '));
    const int rightColumnLimit = Bevel2->geometry().right() - Bevel2->frameWidth();
    SetValue(Label4, Label3, leftColumnLimit, StatisticText(summary.minimum, summary.extremesAvailable));
    SetValue(Label6, Label5, leftColumnLimit, StatisticText(summary.maximum, summary.extremesAvailable));
    SetValue(Label8, Label7, rightColumnLimit, StatisticText(summary.mean, summary.meanAvailable));
    SetValue(Label10, Label9, rightColumnLimit,
             StatisticText(summary.standardDeviation, summary.standardDeviationAvailable));
}

void TPopDis::FormPaint(QPainter& painter)
{
    painter.fillRect(Bevel1->geometry(), tarvek_colors::PanelBackground);
    painter.fillRect(Bevel2->geometry(), tarvek_colors::PanelBackground);
    const int variable = SimulationState.displayVariable;
    if (!IsVariableNumber(variable)) {
        return;
    }
    const AxisGeometry axis;
    const VariableSummary extremes = SummarizeVariable(variable);
    DrawAxis(painter, axis, extremes);
    CountClasses(variable, extremes);
    DrawBars(painter, axis);
}

void TPopDis::OKButtonClick()
{
    accept();
}

void TPopDis::showEvent(QShowEvent* event)
{
    FormActivate();
    QDialog::showEvent(event);
}

void TPopDis::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    FormPaint(painter);
}
