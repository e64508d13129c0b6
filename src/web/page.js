// Miravel's page: the window the program runs in.
//
// The program (miravel.js and miravel.wasm, the same core as on the desktop)
// makes its controls here from its layout, draws its panel on the canvas
// and is told what a person does. This file holds the page's side of that:
// the elements and their keyboard and mouse, the canvas's drawing
// operations, the options read from the address, and the messages said in
// the window's place when the program cannot run or has ended. The
// program's functions are called as Module._miravel_*; what it calls here
// is Page.*.
'use strict';

const Page = (() => {
    // The build this page belongs to: every file it loads is asked for as
    // that build's, so that the service worker never hands it another's.
    const build = new URL(document.currentScript.src).searchParams.get('v') || '';
    const CACHE_PREFIX = 'miravel-';

    const windowElement = document.getElementById('Form1');
    const message = document.getElementById('message');
    // The controls by name, each with what a person can do with it.
    const controls = new Map();
    let zoom = 1;
    let running = false;

    // --- Messages, in the window's place or under it ---

    function say(text) {
        message.setAttribute('role', 'status');
        message.textContent = text;
        message.hidden = false;
    }

    // The window goes, as the desktop's closes, and the message takes its place.
    function close(text) {
        running = false;
        windowElement.hidden = true;
        message.setAttribute('role', 'alert');
        message.textContent = text;
        message.hidden = false;
    }

    // --- Elements at the layout's places ---

    function place(element, x, y, width, height) {
        element.style.left = x + 'px';
        element.style.top = y + 'px';
        element.style.width = width + 'px';
        element.style.height = height + 'px';
    }

    function make(tag, className) {
        const element = document.createElement(tag);
        if (className) element.className = className;
        return element;
    }

    // The program's functions exist once it runs, and do nothing after its end.
    function tell(name, ...values) {
        if (running) Module['_miravel_' + name](...values);
    }

    // --- The scene panel: a canvas of device pixels in a sunken frame ---

    const panel = {canvas: null, context: null, description: null, pictures: new Map()};

    function addPanel(name, label, x, y, width, height, frame) {
        const box = make('div', 'panel');
        place(box, x, y, width, height);
        const ring = make('div', 'ring');
        const canvas = make('canvas');
        canvas.id = name;
        canvas.setAttribute('role', 'img');
        canvas.setAttribute('aria-label', label);
        canvas.tabIndex = 0;
        place(canvas, frame, frame, width - 2 * frame, height - 2 * frame);
        const mark = make('div', 'focus');
        place(mark, frame, frame, width - 2 * frame, height - 2 * frame);
        // Read by assistive technologies with the label, and changed as the scene does.
        const description = make('span');
        description.id = name + '-description';
        description.hidden = true;
        canvas.setAttribute('aria-describedby', description.id);
        box.append(ring, canvas, mark, description);
        windowElement.append(box);
        panel.canvas = canvas;
        panel.description = description;
    }

    // The panel's picture is size device pixels: made afresh, with nothing kept.
    function panelSize(width, height) {
        panel.canvas.width = width;
        panel.canvas.height = height;
        panel.context = panel.canvas.getContext('2d', {alpha: false});
        panel.context.imageSmoothingEnabled = false;
        panel.pictures.clear();
    }

    function describePanel(text) {
        if (panel.description.textContent !== text) panel.description.textContent = text;
    }

    // --- Drawing, in the canvas's device pixels ---

    const cssColour = (rgb) => '#' + rgb.toString(16).padStart(6, '0');

    function clip(x, y, width, height) {
        const context = panel.context;
        context.save();
        context.beginPath();
        context.rect(x, y, width, height);
        context.clip();
    }

    function unclip() {
        panel.context.restore();
    }

    function fill(x, y, width, height, rgb) {
        panel.context.fillStyle = cssColour(rgb);
        panel.context.fillRect(x, y, width, height);
    }

    // A picture already scaled to device pixels by the program, kept as a
    // canvas of its own to be drawn one to one as often as needed.
    function keepPicture(key, rgba, width, height) {
        const picture = make('canvas');
        picture.width = width;
        picture.height = height;
        const pixels = new Uint8ClampedArray(rgba.buffer, rgba.byteOffset, rgba.length);
        picture.getContext('2d').putImageData(new ImageData(pixels, width, height), 0, 0);
        panel.pictures.set(key, picture);
    }

    function drawPicture(key, x, y) {
        panel.context.drawImage(panel.pictures.get(key), x, y);
    }

    // The clock's face: its own where installed, else a decorative family in
    // italics, as on the desktop.
    const CLOCK_FACES = '"Curlz MT", "Comic Neue", cursive';
    const CLOCK_PIXELS = 13; // 9.75 points
    const SMALLEST_CLOCK_PIXELS = 6;
    const clockSizes = new Map();
    let widestDigit = null;

    // The largest size up to the clock's own at which every text of the
    // text's shape fits: measured with the widest digit in every place, so
    // that the clock keeps its size as the seconds go by.
    function clockPixels(context, text, room) {
        if (widestDigit === null) {
            context.font = `italic ${CLOCK_PIXELS}px ${CLOCK_FACES}`;
            widestDigit = '0';
            for (const digit of '123456789') {
                if (context.measureText(digit).width > context.measureText(widestDigit).width) widestDigit = digit;
            }
        }
        const shape = text.replace(/[0-9]/g, widestDigit);
        const key = shape + '/' + room;
        if (!clockSizes.has(key)) {
            let pixels = CLOCK_PIXELS;
            for (; pixels > SMALLEST_CLOCK_PIXELS; --pixels) {
                context.font = `italic ${pixels}px ${CLOCK_FACES}`;
                if (context.measureText(shape).width <= room) break;
            }
            clockSizes.set(key, pixels);
        }
        return clockSizes.get(key);
    }

    // A label's text: left-aligned in its box and centred in its height, in
    // its colour, at ratio device pixels to a logical one.
    function text(x, y, width, height, rgb, words, ratio) {
        const context = panel.context;
        const pixels = clockPixels(context, words, width / ratio);
        context.font = `italic ${pixels * ratio}px ${CLOCK_FACES}`;
        context.textAlign = 'left';
        context.textBaseline = 'middle';
        context.fillStyle = cssColour(rgb);
        context.fillText(words, x, y + height / 2);
    }

    // The time of day as this browser writes it by default.
    function timeText(hour, minute, second) {
        const time = new Date();
        time.setHours(hour, minute, second, 0);
        return time.toLocaleTimeString();
    }

    // A system colour as this page shows it: the window's own colour and text.
    const SYSTEM_COLOURS = {0x08: 'CanvasText', 0x0F: 'ButtonFace', 0x12: 'ButtonText'};
    function systemColour(index) {
        const probe = make('span');
        probe.style.color = SYSTEM_COLOURS[index] || 'ButtonFace';
        document.body.append(probe);
        const [red, green, blue] = getComputedStyle(probe).color.match(/\d+/g).map(Number);
        probe.remove();
        return (red << 16) | (green << 8) | blue;
    }

    // --- Buttons ---

    function addButton(control, name, caption, x, y, width, height) {
        const button = make('button');
        button.type = 'button';
        button.id = name;
        button.textContent = caption;
        place(button, x, y, width, height);
        button.addEventListener('click', () => tell('press', control));
        windowElement.append(button);
        controls.set(name, {press: () => button.click()});
    }

    // --- The scene list: a combobox whose entries open as a listbox. A
    // native list sends nothing when the entry it shows is chosen again,
    // which the program must hear as any other choice. ---

    function addList(control, name, label, items, x, y, width, height) {
        const box = make('div', 'list');
        place(box, x, y, width, height);
        const field = make('div');
        field.id = name;
        field.tabIndex = 0;
        field.setAttribute('role', 'combobox');
        field.setAttribute('aria-label', label);
        field.setAttribute('aria-haspopup', 'listbox');
        field.setAttribute('aria-expanded', 'false');
        field.setAttribute('aria-controls', name + '-list');
        const shown = make('span');
        const arrow = make('span', 'arrow');
        arrow.setAttribute('aria-hidden', 'true');
        field.append(shown, arrow);

        const listbox = make('ul');
        listbox.id = name + '-list';
        listbox.setAttribute('role', 'listbox');
        listbox.setAttribute('aria-label', label);
        listbox.tabIndex = -1;
        listbox.hidden = true;
        const options = items.map((item, index) => {
            const option = make('li');
            option.id = `${name}-${index}`;
            option.setAttribute('role', 'option');
            option.setAttribute('aria-selected', 'false');
            option.textContent = item;
            // The focus stays on the field.
            option.addEventListener('mousedown', (event) => event.preventDefault());
            option.addEventListener('mousemove', () => highlight(index));
            option.addEventListener('click', () => choose(index));
            return option;
        });
        listbox.append(...options);
        box.append(field, listbox);
        windowElement.append(box);

        let chosen = -1;
        let active = -1;
        const isOpen = () => !listbox.hidden;

        function highlight(index) {
            active = index;
            options.forEach((option, i) => option.classList.toggle('active', i === index));
            if (index >= 0) field.setAttribute('aria-activedescendant', options[index].id);
            else field.removeAttribute('aria-activedescendant');
        }

        function open(index) {
            listbox.hidden = false;
            // Over the field when the window has no room under it.
            const room = windowElement.clientHeight - (box.offsetTop + box.offsetHeight);
            listbox.classList.toggle('above', room < listbox.offsetHeight);
            field.setAttribute('aria-expanded', 'true');
            highlight(index);
        }

        function shut() {
            listbox.hidden = true;
            field.setAttribute('aria-expanded', 'false');
            highlight(-1);
        }

        // A choice, also of the entry already shown: the program's Click.
        function choose(index) {
            shut();
            chosen = index;
            shown.textContent = items[index];
            options.forEach((option, i) => option.setAttribute('aria-selected', String(i === index)));
            tell('choose', control, index);
        }

        const last = items.length - 1;
        const from = () => (chosen >= 0 ? chosen : 0);
        field.addEventListener('click', () => (isOpen() ? shut() : open(from())));
        field.addEventListener('blur', shut);
        field.addEventListener('keydown', (event) => {
            const key = event.key;
            let handled = true;
            if (!isOpen()) {
                if (key === 'ArrowDown' || key === 'ArrowUp' || key === 'Enter' || key === ' ') open(from());
                else if (key === 'Home') open(0);
                else if (key === 'End') open(last);
                else handled = false;
            } else if (key === 'ArrowDown') highlight(Math.min(active + 1, last));
            else if (key === 'ArrowUp') highlight(event.altKey ? active : Math.max(active - 1, 0));
            else if (key === 'Home' || key === 'PageUp') highlight(0);
            else if (key === 'End' || key === 'PageDown') highlight(last);
            else if (key === 'Enter' || key === ' ') choose(active);
            else if (key === 'Escape') shut();
            else if (key === 'Tab') {
                shut();
                handled = false;
            } else handled = false;
            if (event.altKey && key === 'ArrowUp' && isOpen()) choose(active);
            if (handled) event.preventDefault();
        });
        controls.set(name, {choose});
    }

    // --- What the person asked for in the address, as the program's options ---

    // ?time, ?scene=NAME (again for each), ?zoom=N and ?trace, in the
    // order given; anything else is the address's own business.
    function optionsOf(search) {
        const args = [];
        for (const [name, value] of new URLSearchParams(search)) {
            if (name === 'time' || name === 'trace') args.push('--' + name);
            else if (name === 'scene' || name === 'zoom') args.push('--' + name, value);
        }
        return args;
    }

    function setZoom(factor) {
        zoom = factor;
        document.body.style.zoom = String(factor);
    }

    // Device pixels to a logical pixel of the window.
    const ratio = () => (window.devicePixelRatio || 1) * zoom;

    // The browser's zoom or the screen changed the device pixels under the window.
    function watchRatio() {
        const query = matchMedia(`(resolution: ${window.devicePixelRatio || 1}dppx)`);
        query.addEventListener('change', () => {
            tell('rescale');
            watchRatio();
        }, {once: true});
    }

    // --- Starting the program, or saying why it cannot start ---

    // Why the program could not be loaded, in a person's words; what the
    // browser said goes to the console.
    class LoadFailure extends Error {
        constructor(message, detail) {
            super(message);
            this.detail = detail;
        }
    }

    // A newer build's service worker took over while this page was loading
    // and dropped this build's files: the page starts again as the new build.
    async function newerBuildTookOver() {
        if (!navigator.serviceWorker || !navigator.serviceWorker.controller || !window.caches) return false;
        return !(await caches.has(CACHE_PREFIX + build));
    }

    async function cannotStart(text) {
        const again = 'miravel-reloaded-' + build;
        if (await newerBuildTookOver() && !sessionStorage.getItem(again)) {
            sessionStorage.setItem(again, '1');
            location.reload();
            return;
        }
        close(text);
    }

    // Fetched and compiled at once, while the loader is on its way. Its
    // failure is said once the loader asks for it, not before.
    const PROGRAM = 'miravel.wasm';
    const compiledProgram = typeof WebAssembly === 'object' ? compileProgram() : null;
    if (compiledProgram) compiledProgram.catch(() => {});

    async function compileProgram() {
        let response;
        try {
            response = await fetch(`${PROGRAM}?v=${build}`);
        } catch (error) {
            throw new LoadFailure(`Miravel cannot start: its program, ${PROGRAM}, could not be fetched. ` +
                                  'Reload the page when the connection is back.', error.message);
        }
        if (!response.ok) {
            throw new LoadFailure(`Miravel cannot start: its program, ${PROGRAM}, could not be fetched ` +
                                  `(${response.status} ${response.statusText}). Reload the page to try again.`);
        }
        // Compiled as it arrives from a server that says it is WebAssembly;
        // from one that does not, once it is whole.
        const type = (response.headers.get('Content-Type') || '').split(';')[0].trim();
        try {
            return type === 'application/wasm' && WebAssembly.compileStreaming
                ? await WebAssembly.compileStreaming(response)
                : await WebAssembly.compile(await response.arrayBuffer());
        } catch (error) {
            throw damaged(error);
        }
    }

    function damaged(error) {
        return new LoadFailure(`Miravel cannot start: its program, ${PROGRAM}, is damaged. ` +
                               'Reload the page to fetch it again.', error.message);
    }

    async function instantiateProgram(imports) {
        const module = await compiledProgram;
        try {
            return {module, instance: await WebAssembly.instantiate(module, imports)};
        } catch (error) {
            throw damaged(error);
        }
    }

    function keepForOffline() {
        if ('serviceWorker' in navigator && window.isSecureContext) {
            navigator.serviceWorker.register('sw.js')
                .catch((error) => console.warn('Miravel works online only:', error));
        }
    }

    function start() {
        if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function') {
            close('Miravel cannot run in this browser: it is a WebAssembly program, and this browser has no ' +
                  'WebAssembly, or has it turned off.');
            return;
        }
        window.Module = {
            arguments: optionsOf(location.search),
            instantiateWasm(imports, receive) {
                instantiateProgram(imports)
                    .then((result) => receive(result.instance, result.module))
                    .catch((error) => {
                        console.error('Miravel:', error.detail || error.message);
                        cannotStart(error instanceof LoadFailure ? error.message
                                    : 'Miravel cannot start. Reload the page to try again.');
                    });
                return {};
            },
            onRuntimeInitialized: () => { running = true; },
            // The service worker fetches the whole site again to keep it:
            // not before the window has come up, which it would slow.
            postRun: [keepForOffline],
            onAbort(what) {
                console.error('Miravel:', what);
                if (!windowElement.hidden) close('Miravel has stopped. Reload the page to start it again.');
            },
            printErr: (line) => console.error(line),
        };
        const loader = make('script');
        loader.src = `miravel.js?v=${build}`;
        loader.onerror = () => cannotStart('Miravel cannot start: its loader, miravel.js, could not be fetched. ' +
                                           'Reload the page when the connection is back.');
        document.head.append(loader);
        // A fault inside the program that it could not report itself.
        window.addEventListener('error', (event) => {
            const wasm = typeof WebAssembly === 'object' ? WebAssembly : {};
            const fault = [wasm.RuntimeError, wasm.Exception].some((kind) => kind && event.error instanceof kind);
            if (running && fault) close('Miravel has stopped. Reload the page to start it again.');
        });
        document.addEventListener('visibilitychange',
                                  () => tell('shown', document.visibilityState === 'visible' ? 1 : 0));
        watchRatio();
    }

    start();

    return {
        say, close,
        addPanel, addButton, addList, panelSize, describePanel,
        clip, unclip, fill, keepPicture, drawPicture, text, timeText, systemColour,
        setZoom, ratio,
        shown: () => document.visibilityState === 'visible',
        press: (name) => controls.get(name).press(),
        choose: (name, index) => controls.get(name).choose(index),
        trace: (line) => console.log(line),
    };
})();
