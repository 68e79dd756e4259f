// The help window: its text and place from the window that opened it, so
// that the page keeps no second copy. It closes when that program ends, even
// if its page was loaded again since.
'use strict';
(() => {
    const page = window.opener && window.opener.LumivarPage;
    if (!page || !page.design) {
        return;
    }
    // At the designed size, whatever size the browser gives new windows (a
    // launcher's --window-size applies to every window, pop-ups included).
    const [, , clientWidth, clientHeight] = page.design.helpClient;
    if (window.innerWidth !== clientWidth || window.innerHeight !== clientHeight) {
        window.resizeBy(clientWidth - window.innerWidth, clientHeight - window.innerHeight);
    }
    const [left, top, width, height] = page.design.helpLabel;
    const text = document.getElementById('help-text');
    Object.assign(text.style, {
        left: `${left}px`,
        top: `${top}px`,
        width: `${width}px`,
        height: `${height}px`,
        fontSize: `${page.design.helpFontPixels}px`,
    });
    text.textContent = page.design.helpText;
    const program = window.opener.name;
    if (typeof BroadcastChannel === 'function') {
        new BroadcastChannel('lumivar').addEventListener('message', (event) => {
            if (event.data && event.data.end === program) {
                window.close();
            }
        });
    }
})();
