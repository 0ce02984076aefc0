#include "ui/LocaleText.h"

#include "model/RealText.h"

#include <QDate>
#include <QLocale>
#include <QTime>

#include <algorithm>
#include <string>

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
    // Durations have no thousands separators, so a comma or a point is the
    // decimal separator whatever the locale says.
    std::string Plain = Text.toStdString();
    std::replace(Plain.begin(), Plain.end(), ',', '.');
    return ParseReal(Plain, '.');
}

QString MomentText(const TMoment& At) {
    int y = 0, m = 0, d = 0;
    At.Date.ToYmd(y, m, d);
    return QLocale().toString(QDate(y, m, d), QLocale::ShortFormat) + ' ' +
           QTime(At.Minute / 60, At.Minute % 60).toString(QStringLiteral("HH:mm"));
}
