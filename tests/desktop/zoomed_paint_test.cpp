// The panel at a zoom: every art pixel a whole block of device pixels, in the
// backing image and on the window, and no paint handing work to Qt's pool of
// helper threads, which the raster engine does with large scaled or
// many-rectangle blends.
#include "desktop/pixel_scale.h"
#include "desktop/scene_panel.h"
#include "scene_images.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPainter>

#include <cmath>
#include <map>

namespace miravel::desktop {
namespace {

using namespace testing;

// Context switches of each of Qt's pooled threads, by thread id. A pooled
// thread sleeps until given work (or for half a minute, then ends), so one
// that appears or switches more has run something meanwhile.
std::map<QString, long long> pooledThreadSwitches() {
    std::map<QString, long long> switches;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& id : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(id + QStringLiteral("/comm")));
        QFile status(tasks.filePath(id + QStringLiteral("/status")));
        if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != "Thread (pooled)") continue;
        if (!status.open(QIODevice::ReadOnly)) continue;
        long long count = 0;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.contains("ctxt_switches:")) count += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
        }
        switches[id] = count;
    }
    return switches;
}

// Pooled threads that appeared or ran between two looks.
int pooledThreadsThatRan(const std::map<QString, long long>& before, const std::map<QString, long long>& after) {
    int ran = 0;
    for (const auto& [id, count] : after) {
        const auto earlier = before.find(id);
        if (earlier == before.end() || earlier->second != count) ++ran;
    }
    return ran;
}

// Device pixels of a zoomed image that are not the single-density pixel
// they lie in, the image's top-left at the given single-density point.
int pixelsOffTheirBlock(const QImage& zoomed, QPoint zoomedAt, const QImage& single, int zoom) {
    int off = 0;
    for (int y = 0; y < single.height() * zoom; ++y) {
        for (int x = 0; x < single.width() * zoom; ++x) {
            if (pixel(zoomed, zoomedAt + QPoint(x, y)) != pixel(single, {x / zoom, y / zoom})) ++off;
        }
    }
    return off;
}

class ZoomedPaintTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.timeOfDay = [] { return forms::TimeOfDay{12, 34, 56}; };
        form.load();
        // The deep sea with the face over it, its turtle part of the way
        // across: stretched, natural-size and windowed pictures, one cut off
        // at the panel's edge. The clock stays hidden: its text is drawn
        // smooth at each density on purpose.
        form.SelectBg.choose(Eternity);
        form.SelectBg.choose(DeepSea);
        form.scheduler().advanceTo(6'000);
    }

    Form1 form;
};

TEST_F(ZoomedPaintTest, TheBackingImageHoldsEachPixelAsAWholeBlockAtEveryZoom) {
    for (const int zoom : {2, 3, 5, 8}) {
        SCOPED_TRACE(::testing::Message() << "zoom " << zoom);
        form.scheduler().advanceTo(form.scheduler().now() + 500);
        const QImage single = ScenePainter().render(form, 1.0);
        ScenePanel panel(form);
        const QImage& backing = panel.updateBacking(zoom);
        ASSERT_EQ(backing.size(), single.size() * zoom);
        EXPECT_EQ(pixelsOffTheirBlock(backing, {0, 0}, single, zoom), 0);
    }
}

// The panel painted as the window paints it, into an image of three device
// pixels a logical one, for a region of several rectangles (a paint's usual
// lot: the turtle, the kelp, the lure): the scene lands in whole blocks, and
// neither painting the backing image nor copying it gives the pool work.
TEST_F(ZoomedPaintTest, AZoomedWindowPaintShowsWholeBlocksWithoutHelperThreads) {
    constexpr int Zoom = 3;
    ScenePanel panel(form);
    const QRect inside = panelInnerRect(form).translated(panelInnerOrigin(form) - panelOuterRect(form).topLeft());
    QImage window(panel.size() * Zoom, QImage::Format_RGB32);
    window.setDevicePixelRatio(Zoom);
    window.fill(Qt::black);
    const auto before = pooledThreadSwitches();
    // First the whole panel, then parts of it over the same backing image.
    panel.render(&window);
    const QRegion parts = QRegion(inside.adjusted(0, 0, -60, -70)) + QRect(inside.center(), QSize(30, 40)) +
                          QRect(inside.left() + 3, inside.bottom() - 20, 50, 21);
    form.scheduler().advanceTo(form.scheduler().now() + 500);
    panel.invalidate(panelInnerRect(form));
    // Qt puts the region's top-left at the offset given.
    panel.render(&window, parts.boundingRect().topLeft(), parts);
    EXPECT_EQ(pooledThreadsThatRan(before, pooledThreadSwitches()), 0);

    // What each part shows is the scene of that moment, block by block;
    // elsewhere the earlier moment stays.
    const QImage now = ScenePainter().render(form, 1.0);
    int off = 0;
    for (const QRect& part : parts) {
        const QRect in = part.translated(-inside.topLeft());
        off += pixelsOffTheirBlock(window, part.topLeft() * Zoom, now.copy(in), Zoom);
    }
    EXPECT_EQ(off, 0);
}

// The grid of device pixels agrees with the toolkit's own rounding, so what
// the panel paints meets what Qt paints beside it (the frame) with no gap
// or overlap, wherever a fractional ratio puts the inner area's origin.
TEST(DeviceGridTest, EdgesFallWhereTheToolkitFillsAndAreasMeet) {
    for (const qreal ratio : {1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0}) {
        for (const int originX : {0, 1, 7, 10}) {
            SCOPED_TRACE(::testing::Message() << "ratio " << ratio << ", origin " << originX);
            const QRect area(3, 2, 5, 4); // logical, from the origin
            // Qt fills the logical rectangle at the origin's offset...
            QImage image(QSize(40, 20) * ratio, QImage::Format_RGB32);
            image.setDevicePixelRatio(ratio);
            image.fill(Qt::black);
            QPainter painter(&image);
            painter.fillRect(area.translated(originX, 0), Qt::white);
            painter.end();
            QRect filled;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    if (image.pixel(x, y) == qRgb(255, 255, 255)) filled |= QRect(x, y, 1, 1);
                }
            }
            // ...where the grid, told of that offset, puts it.
            const qreal origin = originX * ratio;
            const int rounded = static_cast<int>(std::floor(origin + 0.5));
            const DeviceGrid grid{ratio, QPointF(origin - rounded, 0)};
            EXPECT_EQ(grid.map(area).translated(rounded, 0), filled);
            // Neighbours share their edge.
            EXPECT_EQ(grid.map(QRect(0, 0, 3, 2)).right() + 1, grid.map(area).left());
            EXPECT_EQ(grid.map(QRect(8, 0, 4, 2)).left(), grid.map(area).right() + 1);
        }
    }
}

} // namespace
} // namespace miravel::desktop
