#include "desktop/session.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace miravel::desktop {
namespace {

// Every way the zone file is changed: a new link renamed over it (as the
// system's time-zone tools do), the file removed and made again, and written
// anew or in place. A file beside it is no change.
TEST(RealClock, AChangedTimeZoneIsToldAtOnce) {
    QTemporaryDir etc;
    ASSERT_TRUE(etc.isValid());
    const QString zone = etc.filePath(QStringLiteral("localtime"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/usr/share/zoneinfo/UTC"), zone));
    SystemWallClock wall(monotonicClock(), nullptr, zone);
    int changes = 0;
    QObject::connect(&wall, &WallClock::changed, [&] { ++changes; });
    // The notices of a step, each seen by then or never.
    const auto settled = [] {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 200) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    };
    const struct {
        const char* how;
        std::function<bool()> change;
        bool told;
    } steps[] = {
        {"a file beside it", [&] { return QFile(etc.filePath(QStringLiteral("resolv.conf"))).open(QIODevice::WriteOnly); },
         false},
        {"a new link renamed over it",
         [&] {
             const QString next = etc.filePath(QStringLiteral("localtime.new"));
             return QFile::link(QStringLiteral("/usr/share/zoneinfo/Asia/Tokyo"), next) &&
                    std::rename(QFile::encodeName(next).constData(), QFile::encodeName(zone).constData()) == 0;
         },
         true},
        {"removed and made again",
         [&] { return QFile::remove(zone) && QFile::link(QStringLiteral("/usr/share/zoneinfo/UTC"), zone); }, true},
        {"removed and written anew",
         [&] {
             QFile::remove(zone);
             QFile file(zone);
             return file.open(QIODevice::WriteOnly) && file.write("TZif") == 4;
         },
         true},
        {"written in place",
         [&] {
             QFile file(zone); // a plain file by now, not a link into the system's zones
             return file.open(QIODevice::Append) && file.write("2") == 1;
         },
         true},
    };
    for (const auto& step : steps) {
        changes = 0;
        ASSERT_TRUE(step.change()) << step.how;
        settled();
        if (step.told) {
            EXPECT_GE(changes, 1) << step.how;
        } else {
            EXPECT_EQ(changes, 0) << step.how;
        }
    }
}

} // namespace
} // namespace miravel::desktop
