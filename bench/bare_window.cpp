// The smallest Qt program the idle figures are held against: a window of the
// program's size that writes the time of day, one line of text in a small
// area, once a second. bench/footprint.sh runs it beside the program.
#include <QApplication>
#include <QPainter>
#include <QTime>
#include <QTimer>
#include <QWidget>

namespace {

const QRect Clock(86, 130, 49, 17);

class BareWindow : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(Clock, Qt::gray);
        painter.drawText(Clock, Qt::AlignLeft | Qt::AlignVCenter, QTime::currentTime().toString(u"hh:mm:ss"));
    }
};

} // namespace

int main(int argc, char* argv[]) {
    // As the program does: no shared-memory images.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication app(argc, argv);
    BareWindow window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.setFixedSize(145, 210);
    window.show();
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, &window, [&window] { window.update(Clock); });
    tick.start(1000);
    return QApplication::exec();
}
