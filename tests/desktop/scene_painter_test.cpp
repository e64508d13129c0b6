#include "desktop/scene_panel.h"
#include "scene_images.h"

#include <gtest/gtest.h>

#include <QPainter>

namespace miravel::desktop {
namespace {

using namespace testing;

class ScenePainterTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.timeOfDay = [] { return forms::TimeOfDay{12, 34, 56}; };
        form.load();
    }

    QImage render(qreal ratio = 1.0) { return painter.render(form, ratio); }

    // The picture's pixel, as it is expected on screen over a background.
    static QRgb expected(const forms::Picture& picture, int x, int y, QRgb background) {
        if (picture.transparent(x, y)) return background;
        const forms::Rgb c = picture.colour(x, y);
        return qRgb(c.red, c.green, c.blue);
    }

    Form1 form;
    ScenePainter painter;
};

TEST_F(ScenePainterTest, StartsAsAnEmptyButtonFacePanel) {
    const QImage image = render();
    EXPECT_EQ(image.size(), panelInnerRect(form).size());
    EXPECT_EQ(count(image, image.rect(), [](QRgb p) { return p != rgbOf(forms::ButtonFace); }), 0);
}

TEST_F(ScenePainterTest, TimeShowsAGreyClockWithPaleCyanTextInsideItsBox) {
    form.scheduler().advanceTo(100); // one clock tick writes the caption
    const QImage before = render();
    form.JIKOKU.click();
    const QImage after = render();

    const QRect clock = rectOf(form.CLOCK);
    const QList<QPoint> changed = differences(before, after);
    ASSERT_FALSE(changed.isEmpty());
    EXPECT_TRUE(clock.contains(boundingRect(changed))) << "drawn outside the label";

    const QRgb grey = rgbOf(form.CLOCK.backColor());
    const int greyPixels = count(after, clock, [&](QRgb p) { return p == grey; });
    // Text pixels lean to the pale cyan: green and blue well above red.
    const int textPixels =
        count(after, clock, [](QRgb p) { return qGreen(p) > qRed(p) + 24 && qBlue(p) > qRed(p) + 24; });
    const int area = clock.width() * clock.height();
    EXPECT_GT(greyPixels, area / 2);
    EXPECT_GT(textPixels, 20);
    // The text stays off the box's left and right edge columns: nothing is cut off.
    const auto edgeText = [&](int x) {
        return count(after, QRect(x, clock.top(), 1, clock.height()), [](QRgb p) { return p != qRgb(128, 128, 128); });
    };
    EXPECT_EQ(edgeText(clock.left()), 0);
    EXPECT_EQ(edgeText(clock.right()), 0);

    form.JIKOKU.click();
    EXPECT_EQ(render(), before) << "a second press hides the clock again";
}

TEST_F(ScenePainterTest, TheClockShowsEachNewTimeAndOnlyItsOwnArea) {
    forms::TimeOfDay time{12, 34, 56};
    form.timeOfDay = [&] { return time; };
    form.scheduler().advanceTo(100);
    form.JIKOKU.click();
    const QImage first = render();
    time.second = 57;
    form.scheduler().advanceTo(200);
    const QImage next = render();
    ASSERT_FALSE(differences(first, next).isEmpty()) << "the clock still shows the old second";
    EXPECT_TRUE(rectOf(form.CLOCK).contains(boundingRect(differences(first, next))));
    time.second = 56;
    form.scheduler().advanceTo(300);
    EXPECT_EQ(render(), first);

    // A paint of an area beside the clock leaves the clock's pixels as they were.
    QImage image = first;
    image.fill(qRgb(1, 2, 3));
    QPainter p(&image);
    painter.paint(p, form, QRect(0, 0, 20, 20));
    p.end();
    EXPECT_EQ(count(image, rectOf(form.CLOCK), [](QRgb c) { return c != qRgb(1, 2, 3); }), 0);
    EXPECT_EQ(count(image, QRect(0, 0, 20, 20), [](QRgb c) { return c != rgbOf(forms::ButtonFace); }), 0);
}

TEST_F(ScenePainterTest, WindowedLureBoxCoversTheClockWhereTheyOverlap) {
    form.scheduler().advanceTo(100);
    form.SelectBg.choose(DeepSea);
    form.JIKOKU.click();
    const QImage image = render();

    const QRect lure = rectOf(form.ancou1);
    const QRect overlap = lure & rectOf(form.CLOCK) & image.rect();
    ASSERT_FALSE(overlap.isEmpty());
    const forms::Picture& picture = *form.ancou1.picture();
    const QRgb back = rgbOf(form.ancou1.backColor());
    for (int y = overlap.top(); y <= overlap.bottom(); ++y) {
        for (int x = overlap.left(); x <= overlap.right(); ++x) {
            ASSERT_EQ(pixel(image, {x, y}), expected(picture, x - lure.left(), y - lure.top(), back))
                << "at " << x << "," << y;
        }
    }
    // Outside the lure box the clock is still there.
    EXPECT_GT(count(image, rectOf(form.CLOCK).adjusted(0, 0, lure.left() - rectOf(form.CLOCK).right() - 1, 0),
                    [&](QRgb p) { return p == rgbOf(form.CLOCK.backColor()); }),
              0);
}

TEST_F(ScenePainterTest, TurtleIsClippedToTheInnerArea) {
    form.SelectBg.choose(DeepSea);
    // Left 1950 lies beyond the right edge: nothing of the turtle shows.
    const QImage start = render();
    form.kame1.setVisible(false);
    EXPECT_EQ(render(), start);
    form.kame1.setVisible(true);

    form.scheduler().advanceTo(600); // four steps of 50 twips to the left
    ASSERT_LT(form.kame1.left(), 1950.0f);
    const QRect turtle = rectOf(form.kame1);
    const QRect inner = panelInnerRect(form);
    ASSERT_GT(turtle.right(), inner.right());

    // Drawn with a margin around the inner area, to see that nothing spills out.
    const QRgb sentinel = qRgb(1, 254, 3);
    const int margin = 40;
    const auto renderWithMargin = [&] {
        QImage canvas(inner.size() + QSize(2 * margin, 2 * margin), QImage::Format_ARGB32_Premultiplied);
        canvas.fill(sentinel);
        QPainter p(&canvas);
        p.translate(margin, margin);
        painter.paint(p, form, inner);
        return canvas;
    };
    const QImage shown = renderWithMargin();
    form.kame1.setVisible(false);
    const QImage hidden = renderWithMargin();

    const QRect innerOnCanvas = inner.translated(margin, margin);
    EXPECT_EQ(count(shown, shown.rect(), [&](QRgb p) { return p == sentinel; }),
              shown.width() * shown.height() - inner.width() * inner.height());
    EXPECT_EQ(count(shown, innerOnCanvas, [&](QRgb p) { return p == sentinel; }), 0);
    const QList<QPoint> turtlePixels = differences(shown, hidden);
    ASSERT_FALSE(turtlePixels.isEmpty());
    const QRect visiblePart = (turtle & inner).translated(margin, margin);
    EXPECT_TRUE(visiblePart.contains(boundingRect(turtlePixels)));
}

TEST_F(ScenePainterTest, BackColorShowsOnlyThroughAPictureBoxsTransparentPixels) {
    struct Case {
        forms::PictureBox* box;
        std::size_t scene;
    };
    for (const Case& c : {Case{&form.ancou1, DeepSea}, Case{&form.MASIC, Universe}}) {
        SCOPED_TRACE(c.box->name());
        form.SelectBg.choose(c.scene);
        const QImage before = render();
        c.box->setBackColor(forms::rgb(10, 200, 30));
        const QImage after = render();

        const QRect area = rectOf(*c.box);
        const forms::Picture& picture = *c.box->picture();
        QList<QPoint> transparent;
        int opaque = 0;
        for (int y = 0; y < forms::Picture::Size; ++y) {
            for (int x = 0; x < forms::Picture::Size; ++x) {
                const QPoint at = area.topLeft() + QPoint(x, y);
                if (!after.rect().contains(at)) continue;
                if (picture.transparent(x, y)) {
                    transparent.append(at);
                    EXPECT_EQ(pixel(after, at), qRgb(10, 200, 30));
                } else {
                    ++opaque;
                }
            }
        }
        ASSERT_FALSE(transparent.isEmpty());
        ASSERT_GT(opaque, 0) << "the picture's own colours must stay";
        EXPECT_EQ(differences(before, after), transparent);
        form.Command2.click();
    }
}

TEST_F(ScenePainterTest, EyeIrisShowsThePanelBackground) {
    form.SelectBg.choose(Eternity);
    const forms::Image& eye = form.Face12A;
    ASSERT_TRUE(eye.visible());
    const QImage eternity = render();
    form.SelectBg.choose(Universe);
    ASSERT_TRUE(eye.visible()) << "the face stays when the universe comes";
    const QImage universe = render();

    // Pixels every nearby source pixel of which is transparent (or opaque):
    // away from the edges between them, whatever the rounding of the scaling.
    const QRect area = rectOf(eye);
    const forms::Picture& picture = *eye.picture();
    const auto source = [&](int d, int size, int extent) {
        return std::pair{std::clamp(d * forms::Picture::Size / extent, 0, size - 1),
                         std::clamp(((d + 1) * forms::Picture::Size - 1) / extent, 0, size - 1)};
    };
    const QRect covered = rectOf(form.DOSEI) | rectOf(form.MASIC) | rectOf(form.SUISEI);
    int seeThrough = 0;
    int drawn = 0;
    for (int dy = 0; dy < area.height(); ++dy) {
        for (int dx = 0; dx < area.width(); ++dx) {
            const QPoint at = area.topLeft() + QPoint(dx, dy);
            if (covered.contains(at)) continue; // the universe's pictures may lie over the face
            const auto [x0, x1] = source(dx, forms::Picture::Size, area.width());
            const auto [y0, y1] = source(dy, forms::Picture::Size, area.height());
            bool allClear = true;
            bool allOpaque = true;
            for (int y = y0; y <= y1; ++y) {
                for (int x = x0; x <= x1; ++x) {
                    (picture.transparent(x, y) ? allOpaque : allClear) = false;
                }
            }
            if (allClear) {
                ++seeThrough;
                EXPECT_EQ(pixel(eternity, at), rgbOf(forms::ButtonFace));
                EXPECT_EQ(pixel(universe, at), qRgb(0, 0, 0));
            } else if (allOpaque) {
                ++drawn;
                EXPECT_EQ(pixel(eternity, at), pixel(universe, at));
            }
        }
    }
    EXPECT_GT(seeThrough, 10);
    EXPECT_GT(drawn, 0);
    EXPECT_GT(count(eternity, area, [](QRgb p) { return p != rgbOf(forms::ButtonFace); }), 20);
}

TEST_F(ScenePainterTest, PicturesAreDrawnAtTheirSizes) {
    // Unstretched: the picture itself, pixel for pixel, at 32 x 32.
    form.SelectBg.choose(DeepSea);
    const QImage image = render();
    const QRect kelp = rectOf(form.combuA);
    const forms::Picture& picture = *form.combuA.picture();
    for (int y = 0; y < forms::Picture::Size; ++y) {
        for (int x = 0; x < forms::Picture::Size; ++x) {
            if (!image.rect().contains(kelp.topLeft() + QPoint(x, y))) continue; // below the panel's edge
            ASSERT_EQ(pixel(image, kelp.topLeft() + QPoint(x, y)), expected(picture, x, y, rgbOf(form.HAIKEI1.backColor())))
                << "at " << x << "," << y;
        }
    }
    form.Command2.click();

    // Stretched: the drawn pixels span the control's own rectangle, however
    // large the picture's opaque part is.
    const auto extentOf = [&](forms::Image& control) {
        const QImage shown = render();
        control.setVisible(false);
        const QImage hidden = render();
        control.setVisible(true);
        return boundingRect(differences(shown, hidden));
    };
    const auto opaqueBounds = [](const forms::Picture& p) {
        QRect bounds;
        for (int y = 0; y < forms::Picture::Size; ++y) {
            for (int x = 0; x < forms::Picture::Size; ++x) {
                if (!p.transparent(x, y)) bounds |= QRect(x, y, 1, 1);
            }
        }
        return bounds;
    };
    for (forms::Image* control : {&form.SUISEI, &form.Face12A}) {
        SCOPED_TRACE(control->name());
        control->setVisible(true);
        const QRect area = rectOf(*control);
        const QRect drawn = extentOf(*control);
        const QRect opaque = opaqueBounds(*control->picture());
        const double sx = area.width() / 32.0;
        const double sy = area.height() / 32.0;
        EXPECT_TRUE(area.contains(drawn));
        EXPECT_NEAR(drawn.left() - area.left(), opaque.left() * sx, 1.0);
        EXPECT_NEAR(drawn.right() + 1 - area.left(), (opaque.right() + 1) * sx, 1.0);
        EXPECT_NEAR(drawn.top() - area.top(), opaque.top() * sy, 1.0);
        EXPECT_NEAR(drawn.bottom() + 1 - area.top(), (opaque.bottom() + 1) * sy, 1.0);
        control->setVisible(false);
    }
    EXPECT_EQ(rectOf(form.SUISEI).size(), QSize(17, 17));
    EXPECT_EQ(rectOf(form.Face12A).size(), QSize(49, 17));
}

TEST_F(ScenePainterTest, PicturesStayCrispAtDoubleDensity) {
    form.SelectBg.choose(Eternity);
    form.SelectBg.choose(Universe);
    ScenePanel panel(form);
    const QImage& backing = panel.updateBacking(2.0);
    ASSERT_EQ(backing.size(), panelInnerRect(form).size() * 2);
    int blocks = 0;
    for (int y = 0; y + 1 < backing.height(); y += 2) {
        for (int x = 0; x + 1 < backing.width(); x += 2) {
            const QRgb p = backing.pixel(x, y);
            ASSERT_TRUE(backing.pixel(x + 1, y) == p && backing.pixel(x, y + 1) == p && backing.pixel(x + 1, y + 1) == p)
                << "at " << x << "," << y;
            ++blocks;
        }
    }
    // The same picture as at single density, each pixel doubled.
    const QImage single = render(1.0);
    EXPECT_EQ(backing.scaled(single.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation)
                  .convertToFormat(single.format()),
              single.copy().convertToFormat(single.format()));
    EXPECT_GT(blocks, 0);
}

} // namespace
} // namespace miravel::desktop
