#include "ui/LocaleText.h"

#include "model/RealText.h"

#include <QLocale>

char DecimalSeparator() {
    const QString Point = QLocale().decimalPoint();
    if (Point.size() == 1 && Point.front().unicode() > 0x20 && Point.front().unicode() < 0x7F)
        return static_cast<char>(Point.front().unicode());
    return '.';
}

QString DurationText(TReal Duration) {
    return QString::fromStdString(FormatReal(Duration, DecimalSeparator()));
}

std::optional<TReal> DurationFromText(const QString& Text) {
    return ParseReal(Text.toStdString(), DecimalSeparator());
}
