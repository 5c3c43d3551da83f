#include "ui/about_box.h"

#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "ui/emblem.h"
#include "ui/interface_text_table.h"
#include "ui/window_style.h"

QFont AboutFont()
{
    QFont font = StandardFont();
    const QString comic = QStringLiteral("Comic Sans MS");
    if (QFontDatabase::families().contains(comic)) {
        font.setFamily(comic);
    }
    return font;
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    SetUpFixedWindow(this, 304, 269, tarvek_colors::SettingsBackground);

    const QFont lineFont = AboutFont();
    QFont titleFont = lineFont;
    titleFont.setPixelSize(19);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    Place(OKButton, 220, 228, 67, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);

    Panel1 = AddPanel("Panel1", 16, 16, 273, 57);
    Image2 = new QLabel(Panel1);
    Image2->setObjectName(QStringLiteral("Image2"));
    Place(Image2, 12, 12, 37, 37);
    Image2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image2->setPixmap(QPixmap::fromImage(RenderEmblem(EmblemDesignSize)));
    Label7 = AddLabel(Panel1, "Label7", 54, 8, titleFont);
    Label1 = AddLabel(Panel1, "Label1", 56, 32, lineFont);

    Panel2 = AddPanel("Panel2", 16, 92, 273, 117);
    Label2 = AddLabel(Panel2, "Label2", 6, 8, lineFont);
    Label8 = AddLabel(Panel2, "Label8", 9, 44, lineFont);
    Label3 = AddLabel(Panel2, "Label3", 8, 60, lineFont);
    Label9 = AddLabel(Panel2, "Label9", 8, 76, lineFont);
    Label10 = AddLabel(Panel2, "Label10", 8, 92, lineFont);
}

QFrame* TAboutBox::AddPanel(const char* name, int left, int top, int width, int height)
{
    auto* panel = new QFrame(this);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Place(panel, left, top, width, height);
    SetBackground(panel, tarvek_colors::PanelBackground);
    return panel;
}

QLabel* TAboutBox::AddLabel(QFrame* panel, const char* name, int left, int top, const QFont& font)
{
    auto* label = new QLabel(panel);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(font);
    label->move(left, top);
    return label;
}

void TAboutBox::ShowAboutTexts()
{
    const auto& lines = InterfaceTexts.aboutTexts;
    QLabel* const labels[] = {Label7, Label1, Label2, Label8, Label3, Label9, Label10};
    for (std::size_t i = 0; i < std::size(labels); ++i) {
        SetAutoSizedText(labels[i], QString::fromStdString(lines[i + 1]));
    }
}

void TAboutBox::OKButtonClick()
{
    accept();
}

void TAboutBox::showEvent(QShowEvent* event)
{
    CenterOnScreen(this);
    QDialog::showEvent(event);
}
