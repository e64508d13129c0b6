// Miravel in the browser. The page (page.js) starts the program once it has
// loaded, with the address's options as arguments: --time, --scene NAME
// (any number), --zoom N and --trace. The session then lives as long as the
// page, woken only by the page's events and its one timeout.

#include "binding/error_text.h"
#include "binding/start_options.h"
#include "binding/trace_lines.h"
#include "forms/runtime_error.h"
#include "scene/form1.h"
#include "web/page.h"
#include "web/web_session.h"

#include <emscripten/emscripten.h>

#include <memory>
#include <string>
#include <string_view>
#include <variant>

namespace {

miravel::web::WebSession* session = nullptr;

struct Options {
    miravel::web::StartActions actions;
    int zoom = 1;
    bool trace = false;
    // What could not be taken, each the desktop's line for it.
    std::string refused;
};

Options optionsOf(int argc, char** argv) {
    using namespace miravel::binding;
    Options options;
    const auto refuse = [&options](const std::string& why) {
        if (!options.refused.empty()) options.refused += '\n';
        options.refused += refusalLine(why);
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view name = argv[i];
        const bool valued = (name == "--scene" || name == "--zoom") && i + 1 < argc;
        const std::string_view value = valued ? argv[++i] : std::string_view();
        if (name == "--time") {
            options.actions.time = true;
        } else if (name == "--trace") {
            options.trace = true;
        } else if (name == "--scene" && valued) {
            if (const auto scene = sceneIndex(value)) {
                options.actions.scenes.push_back(*scene);
            } else {
                refuse(unknownScene(value));
            }
        } else if (name == "--zoom" && valued) {
            const auto zoom = parseZoom(value);
            if (const int* factor = std::get_if<int>(&zoom)) {
                options.zoom = *factor;
            } else {
                refuse(std::get<std::string>(zoom));
            }
        }
    }
    return options;
}

} // namespace

// What the page tells the program; nothing once it has ended.
extern "C" {

EMSCRIPTEN_KEEPALIVE void miravel_press(int control) {
    if (session) session->press(static_cast<std::size_t>(control));
}

EMSCRIPTEN_KEEPALIVE void miravel_choose(int control, int item) {
    if (session) session->choose(static_cast<std::size_t>(control), static_cast<std::size_t>(item));
}

EMSCRIPTEN_KEEPALIVE void miravel_shown(int shown) {
    if (session) session->setShown(shown != 0);
}

EMSCRIPTEN_KEEPALIVE void miravel_rescale() {
    if (session) session->rescale();
}

} // extern "C"

int main(int argc, char** argv) {
    using namespace miravel;
    const Options options = optionsOf(argc, argv);
    // The trace's clock is the page's, so its times convert to the pacer's exactly.
    if (options.trace) web::page::trace(binding::wallLine(web::page::now(), web::page::wallNow()));
    // A wrong option is said, and the program starts without it.
    if (!options.refused.empty()) web::page::say(options.refused);
    web::page::setZoom(options.zoom);

    // Made once for the page's life: the page calls into them until it goes.
    static std::unique_ptr<Form1> form;
    try {
        form = std::make_unique<Form1>();
    } catch (const forms::RuntimeError& error) {
        web::page::close(binding::runtimeErrorText(error));
        return 1;
    }
    static web::WebSession running(*form, options.trace);
    session = &running;
    return running.start(options.actions) ? 0 : 1;
}
