#include "ui/about_box.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "plot/fonts.h"
#include "ui/emblem.h"
#include "texts/interface_text_table.h"
#include "ui/window_style.h"

QFont AboutFont()
{
    QFont font = StandardFont();
    font.setFamily(AboutFontFamily());
    return font;
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    SetUpFixedWindow(this, 304, 269, tarvek_colors::SettingsBackground);

    const QFont lineFont = AboutFont();
    QFont titleFont = lineFont;
    titleFont.setPixelSize(19);

    OKButton = CreateOKButton(this, 220, 228, 67, 25);
    connect(OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);

    Panel1 = CreatePanel(this, "Panel1", 16, 16, 273, 57);
    Panel1->setFont(lineFont);
    Image2 = CreateLabel(Panel1, "Image2", 12, 12);
    Image2->resize(37, 37);
    Image2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image2->setPixmap(QPixmap::fromImage(RenderEmblem(EmblemDesignSize)));
    Label7 = CreateLabel(Panel1, "Label7", 54, 8);
    Label7->setFont(titleFont);
    Label1 = CreateLabel(Panel1, "Label1", 56, 32);

    Panel2 = CreatePanel(this, "Panel2", 16, 92, 273, 117);
    Panel2->setFont(lineFont);
    Label2 = CreateLabel(Panel2, "Label2", 6, 8);
    Label8 = CreateLabel(Panel2, "Label8", 9, 44);
    Label3 = CreateLabel(Panel2, "Label3", 8, 60);
    Label9 = CreateLabel(Panel2, "Label9", 8, 76);
    Label10 = CreateLabel(Panel2, "Label10", 8, 92);
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
