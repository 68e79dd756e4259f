// The page's whole contract with the module: the design's shape, checked
// key by key, every call into the module and every answer to it, each with
// its C prototype. Only this file touches the module's memory.
'use strict';

// Every key the module writes and the pages read; a rect is [left, top,
// width, height] in CSS pixels. A key missing or unknown stops start-up.
const DESIGN_SHAPE = {
    title: 'string',
    client: 'rect',
    frame: 'number',
    checkSide: 'number',
    checkGap: 'number',
    helpTitle: 'string',
    helpClient: 'rect',
    helpLabel: 'rect',
    helpName: 'string',
    helpFont: 'string',
    helpFontPixels: 'number',
    helpText: 'string',
    controls: [{
        name: 'string',
        kind: 'string',
        caption: 'string',
        place: 'rect',
        font: 'string',
        fontPixels: 'number',
        accessibleName: 'string',
        description: 'string',
    }],
};

// Throws, naming the key, where `value` is not of `shape`.
function checkShape(value, shape, path) {
    if (Array.isArray(shape)) {
        if (!Array.isArray(value) || value.length === 0) {
            throw new Error(`${path}: not a list`);
        }
        value.forEach((item, index) => checkShape(item, shape[0], `${path}[${index}]`));
    } else if (typeof shape === 'object') {
        if (typeof value !== 'object' || value === null || Array.isArray(value)) {
            throw new Error(`${path}: not an object`);
        }
        Object.keys(value).filter((key) => !(key in shape)).forEach((key) => {
            throw new Error(`${path}.${key}: unknown to the page`);
        });
        Object.keys(shape).forEach((key) => {
            if (!(key in value)) {
                throw new Error(`${path}.${key}: missing`);
            }
            checkShape(value[key], shape[key], `${path}.${key}`);
        });
    } else if (shape === 'rect' ? !(Array.isArray(value) && value.length === 4 && value.every(Number.isInteger))
                                : typeof value !== shape) {
        throw new Error(`${path}: not a ${shape}`);
    }
}

const LumivarBridge = {
    dirtyRect: 0,
    image: null,

    // const char* lumivarDesign(void)
    design() {
        const design = JSON.parse(UTF8ToString(Module._lumivarDesign()));
        checkShape(design, DESIGN_SHAPE, 'design');
        return design;
    },

    // void lumivarStart(double ratio)
    start(ratio) {
        this.dirtyRect = Module._malloc(16);
        Module._lumivarStart(ratio);
    },

    // void lumivarSetRatio(double ratio)
    setRatio(ratio) {
        Module._lumivarSetRatio(ratio);
    },

    // void lumivarClick(int control), by the control's place in the design
    click(control) {
        Module._lumivarClick(control);
    },

    // int lumivarDeviceWidth(void); int lumivarDeviceHeight(void)
    deviceSize() {
        return {width: Module._lumivarDeviceWidth(), height: Module._lumivarDeviceHeight()};
    },

    // int lumivarTakeDirty(int* rect): [left, top, right, bottom] drawn over
    // since the last call, or null.
    takeDirty() {
        if (!Module._lumivarTakeDirty(this.dirtyRect)) {
            return null;
        }
        return Array.from(HEAP32.subarray(this.dirtyRect >> 2, (this.dirtyRect >> 2) + 4));
    },

    // const Pixel* lumivarPixels(void): the raster as an image over the
    // module's memory, made again only when the pixels move.
    raster(width, height) {
        const pixels = Module._lumivarPixels();
        const image = this.image;
        if (!image || image.pixels !== pixels || image.data.data.buffer !== HEAPU8.buffer
            || image.data.width !== width || image.data.height !== height) {
            const bytes = new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4);
            this.image = {pixels, data: new ImageData(bytes, width, height)};
        }
        return this.image.data;
    },

    // The module's calls to the page, as main.cpp declares them.

    // int pageCurveTicked(void)
    curveTicked() {
        return LumivarPage.curveTicked() ? 1 : 0;
    },

    // int pageBoxTexts(const int* controls, int count, char* out, int capacity, int* lengths)
    boxTexts(controls, count, out, capacity, lengths) {
        const texts = Array.from(HEAP32.subarray(controls >> 2, (controls >> 2) + count),
                                 (control) => LumivarPage.boxText(control));
        const sizes = texts.map(lengthBytesUTF8);
        const total = sizes.reduce((sum, size) => sum + size, 0);
        HEAP32.set(sizes, lengths >> 2);
        if (total < capacity) {
            let at = out;
            texts.forEach((text, i) => {
                stringToUTF8(text, at, sizes[i] + 1);
                at += sizes[i];
            });
        }
        return total;
    },

    // void pageShowMessage(const char* text)
    showMessage(text) {
        LumivarPage.showMessage(UTF8ToString(text));
    },

    // void pagePrint(void)
    print() {
        LumivarPage.print();
    },

    // int pageOpenHelp(void)
    openHelp() {
        return LumivarPage.openHelp() ? 1 : 0;
    },

    // void pageEnd(const char* words)
    end(words) {
        LumivarPage.end(UTF8ToString(words));
    },

    // int pageLabel(const char* text, double ratio, unsigned char* mask, int capacity, int* size)
    label(text, ratio, mask, capacity, size) {
        const {ink, width, height} = LumivarPage.labelMask(UTF8ToString(text), ratio);
        HEAP32[size >> 2] = width;
        HEAP32[(size >> 2) + 1] = height;
        if (width * height > capacity) {
            return 0;
        }
        HEAPU8.set(ink, mask);
        return 1;
    },

    // void pagePlaneChanged(void)
    planeChanged() {
        LumivarPage.planeChanged();
    },
};
