#include "desktop/clock_font.h"
#include "desktop/time_text.h"
#include "scene/form1.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>
#include <QTime>

#include <algorithm>
#include <set>

namespace miravel::desktop {
namespace {

TEST(ClockTimeFormat, HoursMinutesSecondsAndAmPmNothingElse) {
    const struct {
        const char* from;
        const char* to;
    } cases[] = {
        // The zone goes, with what only framed it.
        {"HH:mm:ss t", "HH:mm:ss"},
        {"h:mm:ss AP t", "h:mm:ss AP"},
        {"t HH:mm:ss", "HH:mm:ss"},
        {"AP h:mm:ss (t)", "AP h:mm:ss"},
        {"Bh:mm:ss [t]", "Aph:mm:ss"},
        {"H 'h' mm tttt ss", "H 'h' mm ss"},
        {"HH:mm:ss 'at' t", "HH:mm:ss 'at'"}, // a quoted t is text
        // Seconds follow the minutes, behind the hours' own separator.
        {"h:mm AP", "h:mm:ss AP"},
        {"AP h:mm", "AP h:mm:ss"},
        {"Bh:mm", "Aph:mm:ss"},
        {"HH.mm", "HH.mm.ss"},
        {"'Kl'. H.mm", "'Kl'. H.mm.ss"},
        {"H:mm 'ч'.", "H:mm:ss 'ч'."},
        {"AP 'ga' h:mm", "AP 'ga' h:mm:ss"},
        {"'hm' HH:mm", "'hm' HH:mm:ss"},
        {"H:m", "H:m:s"},
        {"HH 'h' mm", "HH 'h' mm:ss"}, // a word between hours and minutes is no separator for seconds
    };
    for (const auto& c : cases)
        EXPECT_EQ(clockTimeFormat(QString::fromUtf8(c.from)), QString::fromUtf8(c.to)) << c.from;
}

// Qt's own glyphs for text in font: every one found (no box), and all from
// font's face when one face was to be had.
void expectDrawn(const QFont& font, const QString& text, bool oneFace) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    ASSERT_FALSE(runs.isEmpty());
    for (const QGlyphRun& run : runs) {
        const QList<quint32> glyphs = run.glyphIndexes();
        EXPECT_EQ(std::count(glyphs.begin(), glyphs.end(), 0u), 0) << text.toStdString();
        if (oneFace) {
            EXPECT_EQ(run.rawFont().familyName(), QFontInfo(font).family()) << text.toStdString();
        }
    }
}

// What a user of each locale reads at 21:05:09, and whether one face of the
// setup's fonts draws it all (the Bengali face has no Latin letters for PM).
const struct {
    const char* locale;
    const char* text;
    bool oneFace = true;
} Expected[] = {
    {"en_US", "9:05:09 PM"}, {"de_DE", "21:05:09"}, {"ja_JP", "21:05:09"},          {"zh_CN", "21:05:09"},
    {"th_TH", "21:05:09"},   {"he_IL", "21:05:09"}, {"zh_TW", "下午9:05:09"},       {"ko_KR", "오후 9:05:09"},
    {"ar_EG", "٩:٠٥:٠٩ م"},  {"fa_IR", "۲۱:۰۵:۰۹"}, {"bn_BD", "৯:০৫:০৯ PM", false},
};

TEST(ClockText, EachLocaleReadsItsOwnConventionInOneFaceAndOneSizeAllDay) {
    const Form1 form;
    const QSize box(forms::toPixels(form.CLOCK.area().width), forms::toPixels(form.CLOCK.area().height));
    ASSERT_EQ(box, QSize(49, 17));
    for (const auto& expected : Expected) {
        SCOPED_TRACE(expected.locale);
        const auto timeText = localeTimeText(QLocale(QString::fromLatin1(expected.locale)));
        EXPECT_EQ(QString::fromStdString(timeText({21, 5, 9})), QString::fromUtf8(expected.text));

        ClockFont clockFont(form.CLOCK.font(), timeText);
        std::set<int> sizes;
        // Every hour, and minutes and seconds through all their digits.
        for (int hour = 0; hour < 24; ++hour) {
            for (int minute = 0; minute < 60; ++minute) {
                const QString text = QString::fromStdString(timeText({hour, minute, minute}));
                const QFont font = clockFont.fontFor(text, box);
                sizes.insert(font.pixelSize());
                EXPECT_TRUE(ClockFont::fits(font, text, box)) << text.toStdString();
                if (minute % 20 == 0) expectDrawn(font, text, expected.oneFace);
            }
        }
        EXPECT_EQ(sizes.size(), 1u);
        EXPECT_GT(*sizes.begin(), ClockFont::MinimumPixelSize) << "no size fits";
    }
}

TEST(ClockText, DecorativeItalicWhereItDrawsTheText) {
    if (!QFontDatabase::families().contains(QStringLiteral("Comic Neue")))
        GTEST_SKIP() << "Comic Neue is not installed";
    const Form1 form;
    ClockFont clockFont(form.CLOCK.font(), localeTimeText(QLocale(QStringLiteral("en_US"))));
    EXPECT_EQ(clockFont.preferredPixelSize(), 13); // 9.75 points at 96 dots per inch
    const QFont font = clockFont.fontFor(QStringLiteral("9:05:09 PM"), QSize(49, 17));
    EXPECT_TRUE(font.italic());
    EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("Comic Neue"));
}

bool someInstalledFaceDraws(char32_t c) {
    const QStringList families = QFontDatabase::families();
    return std::any_of(families.begin(), families.end(),
                       [c](const QString& family) { return QRawFont::fromFont(QFont(family)).supportsCharacter(c); });
}

TEST(ClockText, DigitsOfTheLocaleWhereAFaceDrawsThemElseAscii) {
    bool sawAscii = false;
    for (const char* name : {"ar_EG", "fa_IR", "bn_BD", "my_MM", "mr_IN", "dz_BT", "sat_IN", "en_US"}) {
        SCOPED_TRACE(name);
        const QLocale locale(QString::fromLatin1(name));
        const char32_t zero = locale.zeroDigit().toUcs4().front();
        const bool drawable = someInstalledFaceDraws(zero) && someInstalledFaceDraws(zero + 9);
        const QString text = QString::fromStdString(localeTimeText(locale)({21, 5, 9}));
        QString values;
        for (const char32_t c : text.toUcs4()) {
            if (!QChar::isDigit(c)) continue;
            values += QString::number(QChar::digitValue(c));
            EXPECT_EQ(c - QChar::digitValue(c), drawable ? zero : U'0') << text.toStdString();
        }
        EXPECT_TRUE(values == u"210509" || values == u"90509") << text.toStdString();
        sawAscii = sawAscii || !drawable;
    }
    // With faces for every script installed, the fallback has nothing to show.
    if (!sawAscii) GTEST_SKIP() << "every locale's digits are drawn by some installed face";
}

} // namespace
} // namespace miravel::desktop
