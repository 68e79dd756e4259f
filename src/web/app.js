// The page's side of the browser program: the window built from the design
// the module hands over, the module's window rules answered from the page,
// and the plane's raster copied onto a canvas at the screen's resolution.
'use strict';

const TWIPS_PER_PIXEL = 15;
const PIXELS_PER_POINT = 96 / 72;
// The plane drawn for a printer, in device pixels to a CSS pixel: 384 ppi.
const PRINT_RATIO = 4;
// Labels are rendered this many times finer, then each pixel is ink where
// enough of it is covered: thin strokes stay whole and edges stay sharp.
const LABEL_OVERSAMPLING = 4;
const LABEL_INK_COVERAGE = 0.4;

const px = (twips) => `${twips / TWIPS_PER_PIXEL}px`;

window.LumivarPage = {
    design: null,
    controls: [],
    canvas: null,
    context: null,
    ratio: 1,
    helpWindows: [],
    copyScheduled: false,
    rectBuffer: 0,

    start() {
        this.design = JSON.parse(UTF8ToString(Module._lumivarDesign()));
        document.title = this.design.title;
        this.rectBuffer = Module._malloc(16);
        this.build();
        this.ratio = window.devicePixelRatio || 1;
        Module._lumivarStart(this.ratio);
        this.fitCanvas();
        this.followRatio();
        window.addEventListener('beforeprint', () => this.preparePrint());
        window.addEventListener('afterprint', () => this.setRatio(window.devicePixelRatio || 1));
        this.wrapTabOrder();
        this.controls[0].focus();
        document.body.dataset.ready = 'true';
    },

    build() {
        const form = document.getElementById('form1');
        const [, , clientWidth, clientHeight] = this.design.client;
        form.style.width = px(clientWidth);
        form.style.height = px(clientHeight);
        this.design.controls.forEach((control, index) => {
            const element = this.makeControl(control, index);
            const [left, top, width, height] = control.place;
            Object.assign(element.style, {left: px(left), top: px(top), width: px(width), height: px(height)});
            element.style.fontSize = `${control.points * PIXELS_PER_POINT}px`;
            element.id = control.name;
            if (control.serif) {
                element.classList.add('serif');
            }
            if (control.description) {
                element.title = control.description;
            }
            form.appendChild(element);
        });
    },

    makeControl(control, index) {
        switch (control.kind) {
        case 'plane': {
            const frame = document.createElement('div');
            frame.className = 'plane';
            this.canvas = document.createElement('canvas');
            this.canvas.tabIndex = 0;
            this.canvas.setAttribute('role', 'img');
            this.canvas.setAttribute('aria-label', control.accessibleName);
            this.context = this.canvas.getContext('2d');
            // A canvas prints as the bitmap it shows; the page prints this
            // picture of the plane instead, drawn at the printer's resolution.
            this.printImage = document.createElement('img');
            this.printImage.alt = control.accessibleName;
            frame.append(this.canvas, this.printImage);
            this.controls[index] = this.canvas;
            return frame;
        }
        case 'check': {
            const label = document.createElement('label');
            label.className = 'check';
            const box = document.createElement('input');
            box.type = 'checkbox';
            label.append(box, control.caption);
            this.controls[index] = box;
            return label;
        }
        case 'button': {
            const button = document.createElement('button');
            button.type = 'button';
            button.textContent = control.caption;
            button.addEventListener('click', () => Module._lumivarClick(index));
            this.controls[index] = button;
            return button;
        }
        case 'box': {
            const box = document.createElement('input');
            box.type = 'text';
            box.autocomplete = 'off';
            box.spellcheck = false;
            box.setAttribute('aria-label', control.accessibleName);
            this.controls[index] = box;
            return box;
        }
        default: {
            const label = document.createElement('div');
            label.className = 'label';
            label.textContent = control.caption;
            label.setAttribute('aria-hidden', 'true');
            this.controls[index] = label;
            return label;
        }
        }
    },

    // Tab goes round the window, as on the desktop, not out to the browser.
    wrapTabOrder() {
        const focusable = this.controls.filter((control) => control.tabIndex >= 0 && control.tagName !== 'DIV');
        const first = focusable[0];
        const last = focusable[focusable.length - 1];
        document.addEventListener('keydown', (event) => {
            if (event.key !== 'Tab' || document.getElementById('message').open) {
                return;
            }
            const to = event.shiftKey ? (document.activeElement === first ? last : null)
                                      : (document.activeElement === last ? first : null);
            if (to) {
                event.preventDefault();
                to.focus();
            }
        });
    },

    // A new ratio, from browser zoom or another screen, draws the plane
    // again from its record. Browsers tell it in different ways: the
    // canvas's size in device pixels, the window's size, the resolution.
    followRatio() {
        const follow = () => this.setRatio(window.devicePixelRatio || 1);
        new ResizeObserver(follow).observe(this.canvas, {box: 'device-pixel-content-box'});
        window.addEventListener('resize', follow);
        const watch = () => {
            window.matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`).addEventListener('change', () => {
                follow();
                watch();
            }, {once: true});
        };
        watch();
    },

    setRatio(ratio) {
        if (ratio === this.ratio) {
            return;
        }
        this.ratio = ratio;
        Module._lumivarSetRatio(ratio);
        this.fitCanvas();
    },

    preparePrint() {
        this.setRatio(PRINT_RATIO);
        const [width, height] = this.design.interior;
        Object.assign(this.printImage.style, {width: `${width}px`, height: `${height}px`});
        this.printImage.src = this.canvas.toDataURL('image/png');
    },

    fitCanvas() {
        const [width, height] = this.design.interior;
        this.canvas.width = Module._lumivarDeviceWidth();
        this.canvas.height = Module._lumivarDeviceHeight();
        this.canvas.style.width = `${width}px`;
        this.canvas.style.height = `${height}px`;
        this.copyDirty();
    },

    planeChanged() {
        if (!this.copyScheduled) {
            this.copyScheduled = true;
            requestAnimationFrame(() => this.copyDirty());
        }
    },

    // Only the rectangle drawn over is copied to the canvas.
    copyDirty() {
        this.copyScheduled = false;
        const pixels = Module._lumivarTakeDirty(this.rectBuffer);
        if (pixels === 0) {
            return;
        }
        const [left, top, width, height] = HEAP32.subarray(this.rectBuffer >> 2, (this.rectBuffer >> 2) + 4);
        const bytes = new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4);
        this.context.putImageData(new ImageData(new Uint8ClampedArray(bytes), width, height), left, top);
    },

    curveTicked() {
        return this.controls[this.indexOf('Check1')].checked;
    },

    boxText(index) {
        return this.controls[index].value;
    },

    indexOf(name) {
        return this.design.controls.findIndex((control) => control.name === name);
    },

    showMessage(text) {
        const dialog = document.getElementById('message');
        document.getElementById('message-text').textContent = text;
        const ok = document.getElementById('message-ok');
        const focused = document.activeElement;
        ok.onclick = () => dialog.close();
        dialog.addEventListener('close', () => focused && focused.focus(), {once: true});
        dialog.showModal();
        ok.focus();
    },

    print() {
        window.print();
    },

    openHelp() {
        this.helpWindows = this.helpWindows.filter((help) => !help.closed);
        const [left, top, width, height] = this.design.dialogClient;
        const help = window.open('help.html', '',
                                 `popup,left=${left / TWIPS_PER_PIXEL},top=${top / TWIPS_PER_PIXEL},` +
                                     `width=${width / TWIPS_PER_PIXEL},height=${height / TWIPS_PER_PIXEL}`);
        if (!help) {
            return false;
        }
        this.helpWindows.push(help);
        return true;
    },

    // Every window of the program goes. A tab the page may not close is
    // emptied and says so.
    end() {
        for (const help of this.helpWindows) {
            help.close();
        }
        this.helpWindows = [];
        window.close();
        const ended = document.createElement('p');
        ended.className = 'ended';
        ended.textContent = 'Lumivar è terminato: si può chiudere questa scheda.';
        document.body.replaceChildren(ended);
        document.body.dataset.ended = 'true';
    },

    // Renders a label in the label font at `ratio`, as a mask of ink, into
    // the module's buffer; 0 with the size when the buffer is too small.
    label(text, ratio, mask, capacity, size) {
        const plane = this.design.controls[0];
        const scale = ratio * LABEL_OVERSAMPLING;
        const canvas = this.labelCanvas || (this.labelCanvas = document.createElement('canvas'));
        const context = canvas.getContext('2d', {willReadFrequently: true});
        const font = `${plane.points * PIXELS_PER_POINT * scale}px ${getComputedStyle(document.body).fontFamily}`;
        context.font = font;
        const metrics = context.measureText(text);
        const width = Math.max(1, Math.ceil(metrics.width / LABEL_OVERSAMPLING));
        const height = Math.max(1, Math.ceil(
            (metrics.fontBoundingBoxAscent + metrics.fontBoundingBoxDescent) / LABEL_OVERSAMPLING));
        HEAP32[size >> 2] = width;
        HEAP32[(size >> 2) + 1] = height;
        if (width * height > capacity) {
            return 0;
        }
        canvas.width = width * LABEL_OVERSAMPLING;
        canvas.height = height * LABEL_OVERSAMPLING;
        context.font = font;
        context.fillStyle = '#000';
        context.textBaseline = 'alphabetic';
        context.fillText(text, 0, metrics.fontBoundingBoxAscent);
        const alpha = context.getImageData(0, 0, canvas.width, canvas.height).data;
        const threshold = LABEL_INK_COVERAGE * 255 * LABEL_OVERSAMPLING * LABEL_OVERSAMPLING;
        for (let row = 0; row < height; ++row) {
            for (let column = 0; column < width; ++column) {
                let covered = 0;
                for (let y = 0; y < LABEL_OVERSAMPLING; ++y) {
                    const line = (row * LABEL_OVERSAMPLING + y) * canvas.width;
                    for (let x = 0; x < LABEL_OVERSAMPLING; ++x) {
                        covered += alpha[(line + column * LABEL_OVERSAMPLING + x) * 4 + 3];
                    }
                }
                HEAPU8[mask + row * width + column] = covered >= threshold ? 1 : 0;
            }
        }
        return 1;
    },
};

// What the test and a curious user can ask: the canvas as the raster says
// it should be.
window.LumivarPage.planeHash = () => UTF8ToString(Module._lumivarPlaneHash());

var Module = {
    onRuntimeInitialized() {
        window.LumivarPage.start();
    },
};

if ('serviceWorker' in navigator) {
    navigator.serviceWorker.register('sw.js');
}
