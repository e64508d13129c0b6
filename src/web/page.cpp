#include "web/page.h"

#include <emscripten/em_js.h>
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <array>
#include <string>

// Each function hands its arguments to page.js as they are; strings go as
// their UTF-8 bytes and length.

// clang-format off
EM_JS(void, js_add_panel, (const char* name, int nameLength, const char* label, int labelLength, int x, int y,
                           int width, int height, int frame), {
    Page.addPanel(UTF8ToString(name, nameLength), UTF8ToString(label, labelLength), x, y, width, height, frame);
});
EM_JS(void, js_add_button, (int control, const char* name, int nameLength, const char* caption, int captionLength,
                            int x, int y, int width, int height), {
    Page.addButton(control, UTF8ToString(name, nameLength), UTF8ToString(caption, captionLength), x, y, width, height);
});
EM_JS(void, js_add_list, (int control, const char* name, int nameLength, const char* label, int labelLength,
                          const char* items, int itemsLength, int x, int y, int width, int height), {
    Page.addList(control, UTF8ToString(name, nameLength), UTF8ToString(label, labelLength),
                 UTF8ToString(items, itemsLength).split('\n'), x, y, width, height);
});
EM_JS(void, js_press, (const char* name, int nameLength), { Page.press(UTF8ToString(name, nameLength)); });
EM_JS(void, js_choose, (const char* name, int nameLength, int item), {
    Page.choose(UTF8ToString(name, nameLength), item);
});
EM_JS(void, js_describe_panel, (const char* text, int length), { Page.describePanel(UTF8ToString(text, length)); });
EM_JS(double, js_ratio, (), { return Page.ratio(); });
EM_JS(void, js_set_zoom, (int zoom), { Page.setZoom(zoom); });
EM_JS(void, js_panel_size, (int width, int height), { Page.panelSize(width, height); });
EM_JS(void, js_clip, (int x, int y, int width, int height), { Page.clip(x, y, width, height); });
EM_JS(void, js_unclip, (), { Page.unclip(); });
EM_JS(void, js_fill, (int x, int y, int width, int height, unsigned rgb), { Page.fill(x, y, width, height, rgb); });
EM_JS(void, js_keep_picture, (int key, const unsigned char* rgba, int length, int width, int height), {
    Page.keepPicture(key, HEAPU8.slice(rgba, rgba + length), width, height);
});
EM_JS(void, js_draw_picture, (int key, int x, int y), { Page.drawPicture(key, x, y); });
EM_JS(void, js_text, (int x, int y, int width, int height, unsigned rgb, const char* text, int length, double ratio), {
    Page.text(x, y, width, height, rgb, UTF8ToString(text, length), ratio);
});
EM_JS(unsigned, js_system_colour, (int index), { return Page.systemColour(index); });
EM_JS(int, js_time_of_day, (double wallMs), {
    const time = new Date(wallMs);
    return (time.getHours() * 60 + time.getMinutes()) * 60 + time.getSeconds();
});
EM_JS(int, js_time_text, (int hour, int minute, int second, char* out, int room), {
    return stringToUTF8(Page.timeText(hour, minute, second), out, room);
});
EM_JS(int, js_shown, (), { return Page.shown() ? 1 : 0; });
EM_JS(void, js_trace, (const char* line, int length), { Page.trace(UTF8ToString(line, length)); });
EM_JS(void, js_say, (const char* text, int length), { Page.say(UTF8ToString(text, length)); });
EM_JS(void, js_close, (const char* text, int length), { Page.close(UTF8ToString(text, length)); });
// clang-format on

namespace miravel::web::page {

namespace {

int length(std::string_view text) { return static_cast<int>(text.size()); }

} // namespace

void addPanel(std::string_view name, std::string_view label, const forms::PixelRect& outer, int frame) {
    js_add_panel(name.data(), length(name), label.data(), length(label), outer.x, outer.y, outer.width, outer.height,
                 frame);
}

void addButton(int control, std::string_view name, std::string_view caption, const forms::PixelRect& area) {
    js_add_button(control, name.data(), length(name), caption.data(), length(caption), area.x, area.y, area.width,
                  area.height);
}

void addList(int control, std::string_view name, std::string_view label, std::span<const std::string_view> items,
             const forms::PixelRect& area) {
    std::string lines;
    for (const std::string_view item : items) {
        if (!lines.empty()) lines += '\n';
        lines += item;
    }
    js_add_list(control, name.data(), length(name), label.data(), length(label), lines.data(), length(lines), area.x,
                area.y, area.width, area.height);
}

void press(std::string_view name) { js_press(name.data(), length(name)); }

void choose(std::string_view name, int item) { js_choose(name.data(), length(name), item); }

void describePanel(std::string_view text) { js_describe_panel(text.data(), length(text)); }

double ratio() { return js_ratio(); }

void setZoom(int zoom) { js_set_zoom(zoom); }

void panelSize(forms::PixelSize size) { js_panel_size(size.width, size.height); }

void clip(const forms::PixelRect& area) { js_clip(area.x, area.y, area.width, area.height); }

void unclip() { js_unclip(); }

void fill(const forms::PixelRect& area, std::uint32_t rgb) { js_fill(area.x, area.y, area.width, area.height, rgb); }

void keepPicture(int key, std::span<const std::uint8_t> rgba, forms::PixelSize size) {
    js_keep_picture(key, rgba.data(), static_cast<int>(rgba.size()), size.width, size.height);
}

void drawPicture(int key, int x, int y) { js_draw_picture(key, x, y); }

void text(const forms::PixelRect& box, std::uint32_t rgb, std::string_view text, double ratio) {
    js_text(box.x, box.y, box.width, box.height, rgb, text.data(), length(text), ratio);
}

std::uint32_t systemColour(int index) { return js_system_colour(index); }

double now() { return emscripten_get_now(); }

double wallNow() { return emscripten_date_now(); }

forms::TimeOfDay timeOfDay(double wallMs) {
    const int seconds = js_time_of_day(wallMs);
    return {seconds / 3600, seconds / 60 % 60, seconds % 60};
}

std::string timeText(forms::TimeOfDay time) {
    std::array<char, 64> text{};
    const int written = js_time_text(time.hour, time.minute, time.second, text.data(), static_cast<int>(text.size()));
    return std::string(text.data(), static_cast<std::size_t>(written));
}

bool shown() { return js_shown() != 0; }

void trace(std::string_view line) { js_trace(line.data(), length(line)); }

void say(std::string_view text) { js_say(text.data(), length(text)); }

void close(std::string_view text) { js_close(text.data(), length(text)); }

} // namespace miravel::web::page
