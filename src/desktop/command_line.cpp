#include "desktop/command_line.h"

#include "binding/start_options.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <array>
#include <string>

namespace miravel::desktop {

namespace {

const QString Usage =
    QStringLiteral("Usage: miravel [--time] [--scene NAME]... [--zoom N] [--on-top] [--trace FILE]\n"
                   "               [the toolkit's options: -display NAME, -geometry +X+Y, -style NAME, ...]\n"
                   "       miravel --version | --help\n"
                   "\n"
                   "  --time          press \"time\" once the window is up: the clock shows\n"
                   "  --scene NAME    choose NAME in the list: \"The universe\", \"The deep sea\" or\n"
                   "                  \"Eternity\", in any case; each --scene is chosen in turn\n"
                   "  --zoom N        show the whole window N times larger, N from 1 to 8\n"
                   "  --on-top        keep the window above other windows, where the desktop can\n"
                   "  --trace FILE    write one JSON line per event handler run to FILE\n"
                   "  --version       print the version and exit\n"
                   "  --help          print this help and exit\n"
                   "\n"
                   "The toolkit's own options are taken too, among them -display NAME and\n"
                   "-geometry +X+Y (X11: the display, and where the window goes), -platform NAME,\n"
                   "-style NAME and -reverse.\n"
                   "\n"
                   "Examples:\n"
                   "  miravel --time --scene \"The deep sea\"\n"
                   "  miravel --scene eternity --scene \"the deep sea\" --zoom 2 --on-top\n"
                   "  miravel -geometry -0+0 --time\n");

// The toolkit's documented options, Qt's own and its X11 platform's, with
// and without a value. QApplication takes them from argv as it is made;
// they are known here only so that they are not refused.
constexpr std::array ToolkitOptionsWithValue{"display",
                                             "geometry",
                                             "platform",
                                             "platformpluginpath",
                                             "platformtheme",
                                             "plugin",
                                             "qwindowgeometry",
                                             "qwindowicon",
                                             "qwindowtitle",
                                             "title",
                                             "icon",
                                             "name",
                                             "visual",
                                             "session",
                                             "style",
                                             "stylesheet",
                                             "qmljsdebugger"};
constexpr std::array ToolkitFlags{"reverse", "nograb", "dograb", "widgetcount", "testability"};

QString toQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

EarlyExit refused(const QString& why, bool withUsage) {
    return {2, {}, toQString(binding::refusalLine(why.toStdString())) + u'\n' + (withUsage ? Usage : QString())};
}

} // namespace

std::variant<StartOptions, EarlyExit> parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    // -display is one option, as the toolkit reads it, not seven letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption time(QStringLiteral("time"));
    const QCommandLineOption scene(QStringLiteral("scene"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption zoom(QStringLiteral("zoom"), QString(), QStringLiteral("N"));
    const QCommandLineOption onTop(QStringLiteral("on-top"));
    const QCommandLineOption trace(QStringLiteral("trace"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption help(QStringLiteral("help"));
    parser.addOptions({time, scene, zoom, onTop, trace, version, help});
    for (const char* name : ToolkitOptionsWithValue) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value")));
    }
    for (const char* name : ToolkitFlags) parser.addOption(QCommandLineOption(QString::fromLatin1(name)));

    // The parser reads the program's name first.
    const bool parsed = parser.parse(QStringList{QStringLiteral("miravel")} + arguments);
    if (parser.isSet(help)) return EarlyExit{0, Usage, {}};
    if (parser.isSet(version)) return EarlyExit{0, QStringLiteral("Miravel " MIRAVEL_VERSION "\n"), {}};
    if (!parsed) {
        QString why = parser.errorText();
        if (why.endsWith(u'.')) why.chop(1);
        if (!why.isEmpty()) why[0] = why[0].toLower();
        return refused(why, true);
    }
    if (!parser.positionalArguments().isEmpty()) {
        return refused(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().front()), true);
    }

    StartOptions options;
    options.actions.time = parser.isSet(time);
    for (const QString& name : parser.values(scene)) {
        const std::string words = name.toStdString();
        const std::optional<std::size_t> index = binding::sceneIndex(words);
        if (!index) return refused(toQString(binding::unknownScene(words)), false);
        options.actions.scenes.push_back(*index);
    }
    if (parser.isSet(zoom)) {
        const std::variant<int, std::string> value = binding::parseZoom(parser.value(zoom).toStdString());
        if (const auto* why = std::get_if<std::string>(&value)) return refused(toQString(*why), false);
        options.zoom = std::get<int>(value);
    }
    options.onTop = parser.isSet(onTop);
    if (parser.isSet(trace)) {
        if (parser.value(trace).isEmpty()) return refused(QStringLiteral("--trace needs the name of a file"), false);
        options.trace = parser.value(trace);
    }
    if (parser.isSet(QStringLiteral("platform"))) options.platform = parser.value(QStringLiteral("platform"));
    if (parser.isSet(QStringLiteral("display"))) options.display = parser.value(QStringLiteral("display"));
    return options;
}

QByteArray zoomedGeometry(const QByteArray& geometry, int zoom) {
    static const QRegularExpression offsets(QStringLiteral("^(\\d+x\\d+)?([+-]\\d+)([+-]\\d+)$"));
    const QRegularExpressionMatch match = offsets.match(QString::fromLatin1(geometry));
    if (!match.hasMatch() || zoom == 1) return geometry;
    // Rounded to the nearest place the toolkit can put the window; "-0" stays
    // "-0", the right or bottom edge.
    const auto scaled = [zoom](const QString& offset) {
        const int value = offset.mid(1).toInt();
        return offset.front() + QString::number((value + zoom / 2) / zoom);
    };
    return (match.captured(1) + scaled(match.captured(2)) + scaled(match.captured(3))).toLatin1();
}

std::vector<QByteArray> toolkitArguments(int argc, char** argv, int zoom) {
    std::vector<QByteArray> arguments(argv, argv + argc);
    for (std::size_t i = 1; i + 1 < arguments.size(); ++i) {
        QByteArray name = arguments[i];
        if (name.startsWith("--")) name.remove(0, 1);
        if (name == "-geometry" || name == "-qwindowgeometry") {
            arguments[i + 1] = zoomedGeometry(arguments[i + 1], zoom);
            ++i;
        }
    }
    return arguments;
}

QByteArray zoomedScaleFactor(const QByteArray& current, int zoom) {
    bool ok = false;
    const double desktop = current.toDouble(&ok);
    return QByteArray::number((ok && desktop > 0 ? desktop : 1.0) * zoom);
}

} // namespace miravel::desktop
