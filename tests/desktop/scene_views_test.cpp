#include "scene_images.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace miravel::desktop {
namespace {

using namespace testing;

// Each scene rendered as a user sees it, checked against the decoded pictures
// themselves: every opaque picture pixel, scaled nearest-pixel to its control,
// must be on screen where nothing windowed covers it.
class SceneViews : public ::testing::Test {
protected:
    SceneViews() { form.load(); }

    QImage render() { return painter.render(form); }

    // Pixels of a shown control's visible part that are not its picture's
    // opaque pixel at that place; transparent pixels are not looked at.
    int wrongPixels(const QImage& image, const forms::VisibleControl& control, const forms::Picture& picture,
                    const std::vector<const forms::VisibleControl*>& coveredBy = {}) {
        const QRect area = rectOf(control);
        const QRect visible = area & image.rect();
        int wrong = 0;
        for (int y = visible.top(); y <= visible.bottom(); ++y) {
            for (int x = visible.left(); x <= visible.right(); ++x) {
                bool covered = false;
                for (const forms::VisibleControl* over : coveredBy)
                    covered |= rectOf(*over).contains(x, y);
                const int px = (2 * (x - area.left()) + 1) * forms::Picture::Size / (2 * area.width());
                const int py = (2 * (y - area.top()) + 1) * forms::Picture::Size / (2 * area.height());
                if (covered || picture.transparent(px, py)) continue;
                // Nearest-pixel scaling may round a pixel lying on the border of two
                // source pixels either way, but never blends: one of the source
                // pixels around it shows, unchanged. Beside a see-through pixel
                // that may be whatever lies beneath, so only the inside is held.
                bool found = false;
                bool edge = false;
                for (int sy = std::max(0, py - 1); sy <= std::min(forms::Picture::Size - 1, py + 1); ++sy) {
                    for (int sx = std::max(0, px - 1); sx <= std::min(forms::Picture::Size - 1, px + 1); ++sx) {
                        const forms::Rgb c = picture.colour(sx, sy);
                        edge |= picture.transparent(sx, sy);
                        found |= pixel(image, {x, y}) == qRgb(c.red, c.green, c.blue);
                    }
                }
                wrong += found || edge ? 0 : 1;
            }
        }
        return wrong;
    }
    int wrongPixels(const QImage& image, const forms::Image& control) {
        return wrongPixels(image, control, *control.picture());
    }
    int share(const QImage& image, QRgb colour) {
        return 100 * count(image, image.rect(), [&](QRgb p) { return p == colour; }) / (image.width() * image.height());
    }

    Form1 form;
    ScenePainter painter;
};

TEST_F(SceneViews, TheDeepSeaIsNavyWithKelpAnglerfishAndATurtleSwimmingInFromTheRight) {
    form.SelectBg.choose(DeepSea);
    const QImage start = render();
    EXPECT_GT(share(start, qRgb(0, 0, 128)), 60) << "mostly open sea";
    EXPECT_EQ(wrongPixels(start, form.combuA), 0);
    EXPECT_EQ(wrongPixels(start, form.ancou1, *form.ancou1.picture()), 0);

    // The turtle starts beyond the right edge and is seen only in part.
    const QRect turtle = rectOf(form.kame1);
    EXPECT_GT(turtle.right(), start.rect().right());
    EXPECT_EQ(wrongPixels(start, form.kame1), 0);

    // Four steps later it has come in by four steps, still the same picture.
    form.scheduler().advanceTo(4 * form.KAME.interval());
    const QImage later = render();
    EXPECT_LT(rectOf(form.kame1).left(), turtle.left());
    EXPECT_EQ(wrongPixels(later, form.kame1.visible() ? form.kame1 : form.kame2), 0);
    EXPECT_NE(later, start);
}

TEST_F(SceneViews, TheUniverseIsABlackSkyWithItsThreeBodies) {
    form.SelectBg.choose(Universe);
    const QImage sky = render();
    EXPECT_GT(share(sky, qRgb(0, 0, 0)), 60);
    EXPECT_EQ(wrongPixels(sky, form.DOSEI), 0);
    EXPECT_EQ(wrongPixels(sky, form.SUISEI), 0);
    EXPECT_EQ(wrongPixels(sky, form.MASIC, *form.MASIC.picture()), 0);
    for (const forms::VisibleControl* body : form.universePictures()) {
        const QRect area = rectOf(*body);
        EXPECT_GT(count(sky, area, [](QRgb p) { return p != qRgb(0, 0, 0); }), area.width() * area.height() / 4)
            << body->name() << " hardly shows";
    }
}

TEST_F(SceneViews, TheMoonAndTheLureShowTheirPulsingColourTickByTick) {
    struct Case {
        std::size_t scene;
        forms::PictureBox* box;
        forms::Timer* pulse;
    };
    for (const Case& c : {Case{Universe, &form.MASIC, &form.masicA}, Case{DeepSea, &form.ancou1, &form.ANCOU}}) {
        form.SelectBg.choose(c.scene);
        const forms::Picture& picture = *c.box->picture();
        const QRect area = rectOf(*c.box);
        const int seeThrough = [&] {
            int n = 0;
            for (int y = 0; y < forms::Picture::Size; ++y) {
                for (int x = 0; x < forms::Picture::Size; ++x)
                    n += picture.transparent(x, y) ? 1 : 0;
            }
            return n;
        }();
        for (int tick = 1; tick <= 3; ++tick) {
            const forms::Colour before = c.box->backColor();
            form.scheduler().advanceTo(form.scheduler().now() + c.pulse->interval());
            ASSERT_NE(c.box->backColor(), before) << c.box->name() << " did not pulse";
            const QImage image = render();
            const QRgb now = rgbOf(c.box->backColor());
            EXPECT_EQ(count(image, area, [&](QRgb p) { return p == now; }), seeThrough)
                << c.box->name() << " tick " << tick;
        }
        form.Command2.click();
    }
}

TEST_F(SceneViews, TheFaceWakesWithShutEyesAndLaughsWithOpenEyesTwoSecondsLater) {
    form.SelectBg.choose(Eternity);
    const QImage waking = render();
    EXPECT_EQ(wrongPixels(waking, form.Face12A), 0);
    EXPECT_EQ(wrongPixels(waking, form.Face12B(1)), 0);
    EXPECT_EQ(wrongPixels(waking, form.Face1C), 0);

    form.scheduler().advanceTo(2000);
    const QImage laughing = render();
    EXPECT_EQ(wrongPixels(laughing, form.Face1A), 0);
    EXPECT_EQ(wrongPixels(laughing, form.Face1B), 0);
    EXPECT_EQ(wrongPixels(laughing, form.Face6C), 0);
    // Nothing of the shut eyes or the closed mouth is left behind.
    EXPECT_FALSE(form.Face12A.visible());
    EXPECT_FALSE(form.Face1C.visible());
    for (const forms::Image* shown : {&form.Face1A, &form.Face1B, &form.Face6C}) {
        EXPECT_NE(waking.copy(rectOf(*shown)), laughing.copy(rectOf(*shown))) << shown->name() << " did not change";
    }
}

} // namespace
} // namespace miravel::desktop
