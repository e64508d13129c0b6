#include "desktop/clock_font.h"
#include "desktop/time_text.h"
#include "scene/form1.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFontDatabase>
#include <QFontInfo>
#include <QTime>

#include <algorithm>

namespace miravel::desktop {
namespace {

TEST(TimeFormat, DropsTheTimeZoneAndKeepsTheRest) {
    EXPECT_EQ(timeFormatWithoutZone("HH:mm:ss t"), "HH:mm:ss");
    EXPECT_EQ(timeFormatWithoutZone("h:mm:ss AP t"), "h:mm:ss AP");
    EXPECT_EQ(timeFormatWithoutZone("t HH:mm:ss"), "HH:mm:ss");
    EXPECT_EQ(timeFormatWithoutZone("AP h:mm:ss (t)"), "AP h:mm:ss ()");
    EXPECT_EQ(timeFormatWithoutZone("H 'h' mm tttt ss"), "H 'h' mm ss");
    // A quoted t is text, not the zone.
    EXPECT_EQ(timeFormatWithoutZone("HH:mm:ss 'at' t"), "HH:mm:ss 'at'");
}

TEST(TimeFormat, ClockCaptionIsTheLocalesTimeWithoutZone) {
    for (const char* name : {"en_US", "de_DE", "ja_JP"}) {
        SCOPED_TRACE(name);
        const QLocale locale(QString::fromLatin1(name));
        Form1 form;
        form.timeOfDay = [] { return forms::TimeOfDay{13, 4, 5}; };
        form.timeText = localeTimeText(locale);
        form.load();
        form.scheduler().advanceTo(100);

        const QString caption = QString::fromStdString(form.CLOCK.caption());
        EXPECT_EQ(caption, locale.toString(QTime(13, 4, 5),
                                           timeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat))));
        EXPECT_TRUE(caption.contains(QStringLiteral("04")));
        EXPECT_TRUE(caption.contains(QStringLiteral("05")));
        EXPECT_TRUE(caption.contains(QStringLiteral("13")) || caption.contains(QStringLiteral("1:")));
        // Nothing of the zone.
        const QString zone = QDateTime::currentDateTime().timeZoneAbbreviation();
        if (!zone.isEmpty()) {
            EXPECT_FALSE(caption.contains(zone)) << caption.toStdString();
        }
    }
}

TEST(ClockFont, TimeFitsTheLabelBoxAndStaysReadable) {
    Form1 form;
    const QSize box(forms::toPixels(form.CLOCK.area().width), forms::toPixels(form.CLOCK.area().height));
    ASSERT_EQ(box, QSize(49, 17));
    ClockFont clockFont(form.CLOCK.font());
    EXPECT_EQ(clockFont.preferredPixelSize(), 13); // 9.75 points at 96 dots per inch
    const QFont font = clockFont.fontFor(QStringLiteral("1:00:00"), box);
    EXPECT_TRUE(font.italic());
    // The decorative stand-in when it is installed, not the plain default.
    if (QFontDatabase::families().contains(QStringLiteral("Comic Neue"))) {
        EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("Comic Neue"));
    }
    for (const char* text : {"1:00:00", "12:34:56", "00:00:00", "88:88:88", "11:11:11 PM", "12:58:59 AM"}) {
        SCOPED_TRACE(text);
        const QFont font = clockFont.fontFor(QString::fromLatin1(text), box);
        EXPECT_TRUE(ClockFont::fits(font, QString::fromLatin1(text), box));
        EXPECT_GE(font.pixelSize(), ClockFont::MinimumPixelSize);
    }
    // A size chosen for one time holds for every time of the same shape.
    const QFont chosen = clockFont.fontFor(QStringLiteral("11:11:11"), box);
    for (const char* text : {"00:00:00", "88:88:88", "44:44:44", "22:22:22"}) {
        EXPECT_TRUE(ClockFont::fits(chosen, QString::fromLatin1(text), box)) << text;
    }
    // Short text keeps the size asked for; long text shrinks.
    EXPECT_EQ(clockFont.fontFor(QStringLiteral("1:00"), box).pixelSize(), 13);
    EXPECT_LT(clockFont.fontFor(QStringLiteral("12:34:56 PM"), box).pixelSize(),
              clockFont.fontFor(QStringLiteral("1:00"), box).pixelSize());
}

} // namespace
} // namespace miravel::desktop
