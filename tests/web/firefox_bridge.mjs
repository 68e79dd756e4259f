// Drives Debian's Firefox over WebDriver BiDi for the page's tests: one
// JSON request a line on standard input, one JSON answer a line out.
import puppeteer from 'puppeteer-core';
import readline from 'node:readline';

const browser = await puppeteer.launch({
    browser: 'firefox',
    executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr',
    headless: true,
    extraPrefsFirefox: {'dom.disable_open_during_load': false, 'browser.translations.enable': false},
});
let page = (await browser.pages())[0] ?? await browser.newPage();
const pages = () => browser.pages();

const operations = {
    load: async (url) => {
        await page.goto(url);
    },
    // A function body, run in the page with `args` as its arguments.
    js: (body, ...args) => page.evaluate(`(function () { ${body} }).apply(null, ${JSON.stringify(args)})`),
    click: (selector) => page.click(selector),
    type: async (selector, text) => {
        await page.$eval(selector, (box) => {
            box.value = '';
        });
        await page.type(selector, text);
    },
    press: async (selector, key) => {
        if (selector) {
            await page.focus(selector);
        }
        await page.keyboard.press(key);
    },
    screen: (width, height, ratio, touch) =>
        page.setViewport({width, height, deviceScaleFactor: ratio, hasTouch: touch, isMobile: touch}),
    pdf: async (format, landscape) =>
        Buffer.from(await page.pdf({format, landscape, printBackground: true})).toString('base64'),
    help_texts: async (body) => {
        const texts = [];
        for (const other of await pages()) {
            if (other.url().endsWith('help.html')) {
                texts.push(await other.evaluate(`(function () { ${body} })()`));
            }
        }
        return texts;
    },
    windows: async () => (await pages()).length,
    // Back to the main page, closing what else is open.
    to_main: async () => {
        for (const other of await pages()) {
            if (other !== page) {
                await other.close();
            }
        }
    },
};

const lines = readline.createInterface({input: process.stdin});
for await (const line of lines) {
    const {op, args} = JSON.parse(line);
    if (op === 'quit') {
        break;
    }
    let answer;
    try {
        answer = {result: (await operations[op](...args)) ?? null};
    } catch (problem) {
        answer = {error: `${problem}`};
    }
    process.stdout.write(`${JSON.stringify(answer)}\n`);
}
await browser.close();
