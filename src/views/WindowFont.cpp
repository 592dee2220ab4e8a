#include "views/WindowFont.h"

QFont WindowFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(10);
    font.setStretch(87);
    return font;
}
