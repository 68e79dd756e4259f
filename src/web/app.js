// The page's side of the browser program: the window built from the design
// the module hands over and fitted to the screen, the module's window rules
// answered from the page, and the plane's raster shown on a canvas at the
// screen's resolution. The module is reached through bridge.js only.
'use strict';

// Below this scale the window scrolls instead of shrinking further, but for
// a touch screen too narrow for it, where the window fits the width.
const SMALLEST_SCALE = 0.67;
// The plane drawn for a printer, in device pixels to a CSS pixel: 384 ppi.
const PRINT_RATIO = 4;
// Labels are rendered finer, up to this many times, then sampled back at
// each pixel's centre; a stroke that falls between centres still gets a
// pixel, as a font rasteriser's dropout control gives it.
const LABEL_FINEST_OVERSAMPLING = 8;
const LABEL_FINE_PIXELS = 64;
// Sub-pixel offsets tried, in turn, until the label keeps its holes.
const LABEL_PHASES = [0, 0.5, 0.25, 0.75];

const byId = (id) => document.getElementById(id);
const deviceRatio = () => window.devicePixelRatio || 1;

// The window's scale on this screen: on a desktop never larger than designed,
// on a touch screen as large as fits.
function windowScale(viewWidth, viewHeight, clientWidth, clientHeight, touch) {
    const fitWidth = viewWidth / clientWidth;
    const fitBoth = Math.min(fitWidth, viewHeight / clientHeight);
    const scale = touch ? Math.max(fitBoth, Math.min(fitWidth, SMALLEST_SCALE))
                        : Math.min(1, Math.max(fitBoth, SMALLEST_SCALE));
    // Rounded down, so that a window that fits is not a hair too large.
    return Math.floor(scale * 1000) / 1000;
}

// Enclosed holes in a mask of ink: background regions, four-connected, that
// do not reach its edge and cover at least `area` of its pixels.
function countHoles(inked, width, height, area = 1) {
    const seen = new Uint8Array(width * height);
    const stack = new Int32Array(width * height);
    let holes = 0;
    for (let start = 0; start < width * height; ++start) {
        if (inked[start] || seen[start]) {
            continue;
        }
        let open = false;
        let top = 0;
        let size = 0;
        stack[top++] = start;
        seen[start] = 1;
        while (top > 0) {
            const at = stack[--top];
            ++size;
            const x = at % width;
            const y = (at - x) / width;
            open = open || x === 0 || y === 0 || x === width - 1 || y === height - 1;
            const visit = (next) => {
                if (!inked[next] && !seen[next]) {
                    seen[next] = 1;
                    stack[top++] = next;
                }
            };
            if (x > 0) visit(at - 1);
            if (x < width - 1) visit(at + 1);
            if (y > 0) visit(at - width);
            if (y < height - 1) visit(at + width);
        }
        holes += open || size < area ? 0 : 1;
    }
    return holes;
}

// The plane's labels, in the label font at a ratio, as masks of ink.
const Labels = {
    family: '',
    fontPixels: 0,
    canvas: null,
    context: null,

    setUp(control) {
        this.family = control.font;
        this.fontPixels = control.fontPixels;
        this.canvas = document.createElement('canvas');
        this.context = this.canvas.getContext('2d', {willReadFrequently: true});
    },

    // The label's ink, one byte a device pixel.
    mask(text, ratio) {
        const pixels = this.fontPixels * ratio;
        const over = Math.min(LABEL_FINEST_OVERSAMPLING, Math.max(2, Math.ceil(LABEL_FINE_PIXELS / pixels)));
        const context = this.context;
        const font = `${pixels * over}px ${this.family}`;
        context.font = font;
        const metrics = context.measureText(text);
        // Engines without the font's box get the usual proportions.
        const ascent = metrics.fontBoundingBoxAscent ?? pixels * over * 0.9;
        const descent = metrics.fontBoundingBoxDescent ?? pixels * over * 0.21;
        // A column to spare for the sub-pixel offsets.
        const width = Math.max(1, Math.ceil(metrics.width / over) + 1);
        const height = Math.max(1, Math.ceil((ascent + descent) / over));
        this.canvas.width = width * over;
        this.canvas.height = height * over;
        let best = null;
        // The holes of the label as the font draws it, at any offset; one
        // smaller than half a pixel is the font's smoothing, not a hole.
        let holes = -1;
        for (const dy of LABEL_PHASES) {
            for (const dx of LABEL_PHASES) {
                context.clearRect(0, 0, this.canvas.width, this.canvas.height);
                context.font = font;
                context.fillStyle = '#000';
                context.textBaseline = 'alphabetic';
                context.fillText(text, dx * over, ascent + dy * over);
                const fine = this.fineInk(this.canvas.width, this.canvas.height);
                if (holes < 0) {
                    holes = countHoles(fine, this.canvas.width, this.canvas.height, over * over / 2);
                }
                const ink = this.sample(fine, width, height, over);
                const miss = Math.abs(countHoles(ink, width, height) - holes);
                if (!best || miss < best.miss) {
                    best = {ink, width, height, miss};
                }
                if (miss === 0) {
                    return best;
                }
            }
        }
        return best;
    },

    fineInk(width, height) {
        const alpha = this.context.getImageData(0, 0, width, height).data;
        const ink = new Uint8Array(width * height);
        for (let i = 0; i < ink.length; ++i) {
            ink[i] = alpha[i * 4 + 3] >= 128 ? 1 : 0;
        }
        return ink;
    },

    // A pixel is ink where at least half of it is; then every run of ink
    // crossing a row's or a column's centre line keeps one pixel.
    sample(fine, width, height, over) {
        const fineWidth = width * over;
        const ink = new Uint8Array(width * height);
        const half = over * over / 2;
        for (let row = 0; row < height; ++row) {
            for (let column = 0; column < width; ++column) {
                let covered = 0;
                for (let y = row * over; y < (row + 1) * over; ++y) {
                    for (let x = column * over; x < (column + 1) * over; ++x) {
                        covered += fine[y * fineWidth + x];
                    }
                }
                ink[row * width + column] = covered >= half ? 1 : 0;
            }
        }
        const centre = over >> 1;
        const dropouts = (lines, length, fineAt, inkAt) => {
            for (let line = 0; line < lines; ++line) {
                for (let at = 0; at < length * over;) {
                    if (!fineAt(line * over + centre, at)) {
                        ++at;
                        continue;
                    }
                    const first = at;
                    while (at < length * over && fineAt(line * over + centre, at)) {
                        ++at;
                    }
                    let kept = false;
                    for (let cell = Math.floor(first / over); cell <= Math.floor((at - 1) / over); ++cell) {
                        kept = kept || ink[inkAt(line, cell)] === 1;
                    }
                    if (!kept) {
                        ink[inkAt(line, Math.floor((first + at - 1) / 2 / over))] = 1;
                    }
                }
            }
        };
        dropouts(height, width, (y, x) => fine[y * fineWidth + x], (row, column) => row * width + column);
        dropouts(width, height, (x, y) => fine[y * fineWidth + x], (column, row) => row * width + column);
        return ink;
    },
};

// The plane: a canvas of whole device pixels that shows the module's raster
// as it is, from the module's memory.
const Plane = {
    frame: null,
    canvas: null,
    context: null,
    printImage: null,
    ratio: 0,
    copyScheduled: false,

    build(control, describe) {
        this.frame = document.createElement('div');
        this.frame.className = 'plane';
        this.canvas = document.createElement('canvas');
        this.canvas.tabIndex = 0;
        this.canvas.setAttribute('role', 'img');
        this.canvas.setAttribute('aria-label', control.accessibleName);
        describe(this.canvas);
        this.context = this.canvas.getContext('2d');
        // A canvas prints as the bitmap it shows; the page prints this
        // picture of the plane instead, drawn at the printer's resolution.
        this.printImage = document.createElement('img');
        this.printImage.alt = control.accessibleName;
        this.frame.append(this.canvas, this.printImage);
        return this.frame;
    },

    // Places the frame and the canvas on whole device pixels at `scale`.
    // The frame's bevel is painted, not a border, which engines round to
    // their own units.
    place(place, frame, scale) {
        const device = deviceRatio();
        const ratio = scale * device;
        this.setRatio(ratio);
        const border = Math.max(1, Math.round(frame * ratio));
        const css = (pixels) => `${pixels / device}px`;
        Object.assign(this.frame.style, {
            left: css(Math.round(place[0] * ratio)),
            top: css(Math.round(place[1] * ratio)),
            width: css(this.canvas.width + 2 * border),
            height: css(this.canvas.height + 2 * border),
        });
        this.frame.style.setProperty('--bevel', css(border));
        Object.assign(this.canvas.style, {
            left: css(border),
            top: css(border),
            width: css(this.canvas.width),
            height: css(this.canvas.height),
        });
    },

    setRatio(ratio) {
        if (ratio === this.ratio) {
            return;
        }
        if (this.ratio === 0) {
            LumivarBridge.start(ratio);
        } else {
            LumivarBridge.setRatio(ratio);
        }
        this.ratio = ratio;
        Object.assign(this.canvas, LumivarBridge.deviceSize());
        this.copyDirty();
    },

    changed() {
        if (!this.copyScheduled) {
            this.copyScheduled = true;
            requestAnimationFrame(() => this.copyDirty());
        }
    },

    // Only the rectangle drawn over goes to the canvas.
    copyDirty() {
        this.copyScheduled = false;
        const dirty = LumivarBridge.takeDirty();
        if (!dirty) {
            return;
        }
        const [left, top, right, bottom] = dirty;
        const {width, height} = this.canvas;
        this.context.putImageData(LumivarBridge.raster(width, height), 0, 0, left, top, right - left, bottom - top);
    },

    preparePrint() {
        this.setRatio(PRINT_RATIO);
        this.printImage.src = this.canvas.toDataURL('image/png');
    },
};

// The one message box, modal, as the desktop's.
const Messages = {
    show(text) {
        const dialog = byId('message');
        byId('message-text').textContent = text;
        const ok = byId('message-ok');
        const focused = document.activeElement;
        const close = () => {
            if (dialog.close) {
                dialog.close();
            } else {
                dialog.removeAttribute('open');
                document.body.classList.remove('modal');
                focused?.focus();
            }
        };
        ok.onclick = close;
        if (dialog.showModal) {
            dialog.addEventListener('close', () => focused?.focus(), {once: true});
            dialog.showModal();
        } else {
            // No <dialog> in this engine: the same box over a veil.
            dialog.setAttribute('open', '');
            document.body.classList.add('modal');
        }
        ok.focus();
    },

    open() {
        return byId('message').hasAttribute('open');
    },
};

// Help windows: any number, at their designed place. They close with the
// program, and hear it end even when this page was loaded again after
// opening them.
const HelpWindows = {
    opened: [],
    channel: null,

    setUp() {
        if (!window.name.startsWith('lumivar-')) {
            window.name = `lumivar-${Date.now().toString(36)}${Math.random().toString(36).slice(2)}`;
        }
        if (typeof BroadcastChannel === 'function') {
            this.channel = new BroadcastChannel('lumivar');
        }
    },

    open(place) {
        this.opened = this.opened.filter((help) => !help.closed);
        const [left, top, width, height] = place;
        const help = window.open('help.html', '', `popup,left=${left},top=${top},width=${width},height=${height}`);
        if (!help) {
            return false;
        }
        this.opened.push(help);
        return true;
    },

    closeAll() {
        this.opened.forEach((help) => help.close());
        this.opened = [];
        this.channel?.postMessage({end: window.name});
    },
};

// The free space around a control, in design units, into which its hit
// area may grow: half the gap to the nearest control it faces, all of it to
// the window's edge, none towards a control it touches.
const roomAround = (design, index) => {
    const [left, top, width, height] = design.controls[index].place;
    const [, , clientWidth, clientHeight] = design.client;
    const room = {top, left, bottom: clientHeight - top - height, right: clientWidth - left - width};
    design.controls.forEach(({place: [l, t, w, h]}, other) => {
        if (other === index) {
            return;
        }
        const gap = (near, far) => Math.max(0, (far - near) / 2);
        if (l < left + width && l + w > left) {
            if (t + h / 2 > top + height / 2) {
                room.bottom = Math.min(room.bottom, gap(top + height, t));
            } else {
                room.top = Math.min(room.top, gap(t + h, top));
            }
        }
        if (t < top + height && t + h > top) {
            if (l + w / 2 > left + width / 2) {
                room.right = Math.min(room.right, gap(left + width, l));
            } else {
                room.left = Math.min(room.left, gap(l + w, left));
            }
        }
    });
    return room;
};

// The window built from the design: each control by its kind, placed in
// design units that the page's scale turns into pixels.
const Form = {
    elements: [],

    build(design) {
        const form = byId('form1');
        const [, , clientWidth, clientHeight] = design.client;
        form.style.setProperty('--client-width', clientWidth);
        form.style.setProperty('--client-height', clientHeight);
        form.style.setProperty('--frame', design.frame);
        form.style.setProperty('--check-side', design.checkSide);
        form.style.setProperty('--check-gap', design.checkGap);
        const descriptions = document.createElement('div');
        descriptions.hidden = true;
        design.controls.forEach((control, index) => {
            const describe = (element) => {
                if (control.description) {
                    const text = document.createElement('span');
                    text.id = `${control.name}-description`;
                    text.textContent = control.description;
                    descriptions.append(text);
                    element.setAttribute('aria-describedby', text.id);
                }
            };
            const element = this.makeControl(control, index, describe);
            const [left, top, width, height] = control.place;
            element.style.setProperty('--left', left);
            element.style.setProperty('--top', top);
            element.style.setProperty('--width', width);
            element.style.setProperty('--height', height);
            element.style.setProperty('--font-size', control.fontPixels);
            if (control.kind === 'button' || control.kind === 'check') {
                const room = roomAround(design, index);
                for (const side of Object.keys(room)) {
                    element.style.setProperty(`--room-${side}`, room[side]);
                }
                element.classList.add('reach');
            }
            element.style.fontFamily = control.font;
            // A button's name is the button's, not its reach's.
            (control.kind === 'button' ? this.elements[index] : element).id = control.name;
            form.appendChild(element);
        });
        form.appendChild(descriptions);
    },

    // The element the user works, stored at the control's place in the
    // design; the one returned is what the form holds.
    makeControl(control, index, describe) {
        switch (control.kind) {
        case 'plane':
            Plane.build(control, describe);
            this.elements[index] = Plane.canvas;
            return Plane.frame;
        case 'check': {
            const label = document.createElement('label');
            label.className = 'check';
            const box = document.createElement('input');
            box.type = 'checkbox';
            describe(box);
            label.append(box, control.caption);
            this.elements[index] = box;
            return label;
        }
        case 'button': {
            // A button clips what it holds: its reach is a box around it,
            // and a press there is the button's.
            const reach = document.createElement('div');
            const button = document.createElement('button');
            button.type = 'button';
            button.textContent = control.caption;
            describe(button);
            button.addEventListener('click', () => LumivarBridge.click(index));
            reach.addEventListener('click', (event) => event.target === reach && button.click());
            reach.append(button);
            this.elements[index] = button;
            return reach;
        }
        case 'box': {
            const box = document.createElement('input');
            box.type = 'text';
            box.autocomplete = 'off';
            box.spellcheck = false;
            box.setAttribute('aria-label', control.accessibleName);
            describe(box);
            this.elements[index] = box;
            return box;
        }
        case 'label': {
            const label = document.createElement('div');
            label.className = 'label';
            label.textContent = control.caption;
            label.setAttribute('aria-hidden', 'true');
            this.elements[index] = label;
            return label;
        }
        default:
            throw new Error(`kind of control unknown: ${control.kind}`);
        }
    },

    // The first control of a kind, as the design lists it, and its element.
    ofKind(design, kind) {
        const index = design.controls.findIndex((control) => control.kind === kind);
        if (index < 0) {
            throw new Error(`no control of kind ${kind} in the design`);
        }
        return {control: design.controls[index], element: this.elements[index]};
    },
};

// The whole window on the screen, the plane at the resulting resolution,
// again at every change of screen, zoom or window size.
const Fitting = {
    scale: 0,

    fit(design) {
        const [, , clientWidth, clientHeight] = design.client;
        const viewport = document.documentElement;
        const touch = window.matchMedia('(pointer: coarse)').matches;
        const scale = windowScale(viewport.clientWidth, viewport.clientHeight, clientWidth, clientHeight, touch);
        const form = byId('form1');
        if (scale !== this.scale) {
            this.scale = scale;
            form.style.setProperty('--unit', `${scale}px`);
        }
        // Centred across, on whole device pixels.
        const device = deviceRatio();
        const spare = Math.max(0, viewport.clientWidth - clientWidth * scale);
        form.style.marginLeft = `${Math.floor(spare / 2 * device) / device}px`;
        Plane.place(Form.ofKind(design, 'plane').control.place, design.frame, scale);
    },

    follow(design) {
        const fit = () => this.fit(design);
        let width = window.innerWidth;
        window.addEventListener('resize', () => {
            // An on-screen keyboard takes height only: the window keeps its
            // scale, and the box typed into is brought into view.
            const typing = document.activeElement?.type === 'text';
            if (!(typing && window.innerWidth === width)) {
                fit();
            }
            width = window.innerWidth;
            if (typing) {
                document.activeElement.scrollIntoView({block: 'nearest'});
            }
        });
        window.visualViewport?.addEventListener('resize', () => {
            if (document.activeElement?.type === 'text') {
                document.activeElement.scrollIntoView({block: 'nearest'});
            }
        });
        window.matchMedia('(pointer: coarse)').addEventListener('change', fit);
        const watch = () => {
            window.matchMedia(`(resolution: ${deviceRatio()}dppx)`).addEventListener('change', () => {
                fit();
                watch();
            }, {once: true});
        };
        watch();
        window.addEventListener('beforeprint', () => Plane.preparePrint());
        window.addEventListener('afterprint', fit);
    },
};

// Tab goes round the window, as on the desktop, not out to the browser;
// Enter presses the focused button in every engine.
const Keys = {
    follow(elements) {
        const focusable = elements.filter((element) => element.tabIndex >= 0 && element.tagName !== 'DIV');
        const first = focusable[0];
        const last = focusable[focusable.length - 1];
        document.addEventListener('keydown', (event) => {
            if (Messages.open()) {
                return;
            }
            if (event.key === 'Enter' && document.activeElement.tagName === 'BUTTON') {
                event.preventDefault();
                document.activeElement.click();
                return;
            }
            if (event.key !== 'Tab') {
                return;
            }
            const to = event.shiftKey ? (document.activeElement === first ? last : null)
                                      : (document.activeElement === last ? first : null);
            if (to) {
                event.preventDefault();
                to.focus();
            }
        });
        first.focus();
    },
};

// Start-up, and the page's answers to the module's window rules, which
// reach it through the bridge.
window.LumivarPage = {
    design: null,

    start() {
        const design = LumivarBridge.design();
        this.design = design;
        document.title = design.title;
        byId('form1').setAttribute('aria-label', design.title);
        byId('program-title').textContent = design.title;
        byId('message-title').textContent = design.title;
        const plane = Form.ofKind(design, 'plane').control;
        document.body.style.fontFamily = plane.font;
        HelpWindows.setUp();
        // A window of its own, as an installed program's or a launcher's,
        // opens at the designed size; a browser's tab ignores this.
        const [, , clientWidth, clientHeight] = design.client;
        window.resizeBy(clientWidth - window.innerWidth, clientHeight - window.innerHeight);
        Form.build(design);
        Labels.setUp(plane);
        Fitting.fit(design);
        Fitting.follow(design);
        Keys.follow(Form.elements);
        document.body.dataset.ready = 'true';
        LumivarBoot.started();
        // The label font's first use is slow; it is made while the user
        // reads the window, not at the first plot.
        (window.requestIdleCallback || setTimeout)(() => Labels.mask('-18', Plane.ratio));
    },

    curveTicked() {
        return Form.ofKind(this.design, 'check').element.checked;
    },

    boxText(control) {
        return Form.elements[control].value;
    },

    showMessage(text) {
        Messages.show(text);
    },

    print() {
        window.print();
    },

    openHelp() {
        return HelpWindows.open(this.design.helpClient);
    },

    // Every window of the program goes. A tab the page may not close is
    // emptied and says so.
    end(words) {
        HelpWindows.closeAll();
        window.close();
        const ended = document.createElement('p');
        ended.className = 'ended';
        ended.textContent = words;
        document.body.replaceChildren(ended);
        document.body.dataset.ended = 'true';
    },

    planeChanged() {
        Plane.changed();
    },

    labelMask(text, ratio) {
        return Labels.mask(text, ratio);
    },
};

var Module = {
    onRuntimeInitialized() {
        // Shown once the page knows it is the current version.
        LumivarBoot.whenCurrent(() => {
            try {
                window.LumivarPage.start();
            } catch (problem) {
                LumivarBoot.fail('fault', `${problem}`);
            }
        });
    },
    onAbort() {
        LumivarBoot.fail('module');
    },
};
